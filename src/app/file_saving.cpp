#include "app/file_saving.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/background_job.h"
#include "files/atomic_file.h"

namespace dorvanix {

namespace {

constexpr char kSaveFolderKey[] = "files/saveFolder";

QString chosenPath(QWidget* parent, const FileChooser& choose, SaveRequest request) {
    request.folder = QSettings().value(kSaveFolderKey).toString();
    QString path = choose(parent, request);
    if (path.isEmpty()) return path;
    if (!request.defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += QLatin1Char('.') + request.defaultSuffix;
    }
    return path;
}

// The next save dialog opens where a save last succeeded; a folder that could not be written is
// never offered again.
void rememberFolderOf(const QString& path) {
    QSettings().setValue(kSaveFolderKey, QFileInfo(path).absolutePath());
}

// Writes the file at `path` with `write`, which looks at `progress` between lines: complete, or
// absent when it failed or was cancelled (an earlier file of that name stays as it was). Answers
// the reason it failed, empty when it did not.
QString writeAtomically(const QString& path,
                        const std::function<void(std::ostream&, Progress&)>& write,
                        Progress& progress) {
    try {
        AtomicFile file(std::filesystem::path(QFile::encodeName(path).toStdString()));
        write(file.stream(), progress);
        if (progress.cancelled()) return {};
        // A failed write is remembered with its reason (a full disk, a lost connection), which
        // commit names.
        file.commit();
    } catch (const FileWriteError& failed) {
        return QString::fromLocal8Bit(failed.what());
    }
    return {};
}

}  // namespace

QString listFileFilter() {
    return QObject::tr("Dorvanix files (*.doc);;All files (*.*)");
}

QString quorbelFileFilter() {
    return QObject::tr("Quorbel files (*.qpf);;All files (*.*)");
}

QString chooseFileWithDialog(QWidget* parent, const SaveRequest& request) {
    QFileDialog dialog(parent, QObject::tr("Save as"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.folder.isEmpty()) dialog.setDirectory(request.folder);
    dialog.selectFile(request.defaultName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

int askWithMessageBox(QWidget* parent, const QString& question, const QStringList& answers) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Dorvanix"), question,
                    QMessageBox::NoButton, parent);
    std::vector<QAbstractButton*> buttons;
    for (const QString& answer : answers)
        buttons.push_back(box.addButton(answer, QMessageBox::AcceptRole));
    box.addButton(QMessageBox::Cancel);
    box.exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? -1 : static_cast<int>(chosen - buttons.begin());
}

void reportWithMessageBox(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, QStringLiteral("Dorvanix"), message);
}

QString writeFileAtomically(const QString& path, std::string_view bytes) {
    try {
        writeFileAtomically(std::filesystem::path(QFile::encodeName(path).toStdString()), bytes);
    } catch (const FileWriteError& failed) {
        return QString::fromLocal8Bit(failed.what());
    }
    return {};
}

bool streamWithChooser(QWidget* parent, const FileChooser& choose, const ErrorReporter& report,
                       const SaveRequest& request,
                       const std::function<void(std::ostream&)>& write) {
    const QString path = chosenPath(parent, choose, request);
    if (path.isEmpty()) return false;
    Progress never;
    const QString failure = writeAtomically(
        path, [&write](std::ostream& out, Progress&) { write(out); }, never);
    if (!failure.isEmpty()) {
        report(parent, QObject::tr("The file was not saved.\n%1").arg(failure));
        return false;
    }
    rememberFolderOf(path);
    return true;
}

bool saveWithChooser(QWidget* parent, const FileChooser& choose, const ErrorReporter& report,
                     const SaveRequest& request, const std::function<std::string()>& bytes) {
    const QString path = chosenPath(parent, choose, request);
    if (path.isEmpty()) return false;
    const QString failure = writeFileAtomically(path, bytes());
    if (!failure.isEmpty()) {
        report(parent, QObject::tr("The file was not saved.\n%1").arg(failure));
        return false;
    }
    rememberFolderOf(path);
    return true;
}

bool saveInBackground(QWidget* parent, BackgroundJob& job, const FileChooser& choose,
                      const ErrorReporter& report, const SaveRequest& request,
                      std::function<void(std::ostream&, Progress&)> write) {
    const QString path = chosenPath(parent, choose, request);
    if (path.isEmpty()) return false;
    auto failure = std::make_shared<QString>();
    QObject::connect(
        &job, &BackgroundJob::finished, parent,
        [parent, &job, report, path, failure] {
            if (!failure->isEmpty()) {
                report(parent, QObject::tr("The file was not saved.\n%1").arg(*failure));
            } else if (!job.cancelled()) {
                rememberFolderOf(path);
            }
        },
        Qt::SingleShotConnection);
    job.start([path, write = std::move(write), failure](Progress& progress) {
        *failure = writeAtomically(path, write, progress);
    });
    return true;
}

}  // namespace dorvanix
