#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "model/progress.h"

class QWidget;

namespace dorvanix {

class BackgroundJob;

// What a save dialog is opened with.
struct SaveRequest {
    QString defaultName;    // offered file name
    QString defaultSuffix;  // appended to a name typed without extension
    QString filter;         // "Name (*.ext);;All (*.*)"
    QString folder;         // where the dialog opens: the folder of the last save, empty at first
};

// Asks the user where to save; an empty answer means the user cancelled.
using FileChooser = std::function<QString(QWidget* parent, const SaveRequest& request)>;
// Asks the user a question; answers the index of the chosen answer, or -1 when the user closed
// the question without choosing.
using Asker =
    std::function<int(QWidget* parent, const QString& question, const QStringList& answers)>;
// Tells the user that something went wrong.
using ErrorReporter = std::function<void(QWidget* parent, const QString& message)>;

// The file types the save dialogs offer, named in the interface's language.
QString listFileFilter();
QString quorbelFileFilter();

// Qt's save dialog, asking before it replaces a file.
QString chooseFileWithDialog(QWidget* parent, const SaveRequest& request);
// A message box with one button per answer.
int askWithMessageBox(QWidget* parent, const QString& question, const QStringList& answers);
// A warning message box.
void reportWithMessageBox(QWidget* parent, const QString& message);

// Writes `bytes` to `path` so that the file is either complete or not there at all, even when the
// program is killed halfway: the bytes go to an unnamed temporary that is linked into place only
// once complete. Answers an empty string on success and otherwise one line naming the file and
// the reason it failed.
QString writeFileAtomically(const QString& path, std::string_view bytes);

// Every save below asks through `choose` with the folder of the last save that succeeded
// (remembered between runs), adds the request's suffix to a name typed without an extension, and
// remembers the file's folder once the file is written.

// Asks for a file with `choose` and streams it with `write`, checking every write: the file is
// complete or not there, and a failure is reported with `report`. Answers true when written.
bool streamWithChooser(QWidget* parent, const FileChooser& choose, const ErrorReporter& report,
                       const SaveRequest& request, const std::function<void(std::ostream&)>& write);

// Asks for a file with `choose`, writes `bytes` into it and reports a failure with `report`.
// Answers true when a file was written.
bool saveWithChooser(QWidget* parent, const FileChooser& choose, const ErrorReporter& report,
                     const SaveRequest& request, const std::function<std::string()>& bytes);

// Asks for a file with `choose` and writes it on `job`'s worker with `write`, which owns what it
// writes, counts the lines written as results, reports its fraction and stops when the progress
// is cancelled (the progress dialog's Cancel). The file is complete, or absent after a failure or
// Cancel; a failure is reported with `report` once the job has ended. Answers true when the
// writing started.
bool saveInBackground(QWidget* parent, BackgroundJob& job, const FileChooser& choose,
                      const ErrorReporter& report, const SaveRequest& request,
                      std::function<void(std::ostream&, Progress&)> write);

}  // namespace dorvanix
