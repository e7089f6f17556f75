#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "app/file_saving.h"
#include "app/shared_state.h"

class QWidget;

namespace dorvanix {

class FiberListDialog;
class FiberPicture;
struct FiberData;
class HelpWindow;
class SubdivisorDialog;

// Everything the windows of one run reach: the shared state, the modeless windows (each at most
// once, guarded by the open flags of the state), the help window, and the services that tests
// replace (the save-file chooser, the error reporter, the questions, the picture window's maker).
class AppContext : public QObject {
    Q_OBJECT
  public:
    using PictureMaker = std::function<QWidget*(AppContext&)>;

    AppContext();
    // Destroys every window still open, before the state they use goes.
    ~AppContext() override;

    SharedState state;
    FileChooser chooseFile = chooseFileWithDialog;
    ErrorReporter reportError = reportWithMessageBox;
    Asker ask = askWithMessageBox;
    PictureMaker makePicture;

    // The fiber list (101), unless it is open already; answers the open one either way.
    FiberListDialog* openFiberList();
    // The sub-divisor dialog (106), unless it is open already.
    SubdivisorDialog* openSubdivisorDialog();
    // The picture window (108), unless it is open already.
    QWidget* openPicture();
    // Brings the picture window to the front, opening it when it is not there.
    void raisePicture();
    // Gives the picture window what the state holds now: the analysis of the first selected
    // sub-divisor when there is one, else X alone, or the reason the core declines the picture.
    void refreshPicture();
    // The picture starts over from X.
    void restartPicture();
    void destroyPicture();
    // Closes the fiber list, the sub-divisor dialog, the picture and the help without asking:
    // the end of the run, once the user has said so.
    void closeWindows();

    FiberListDialog* fiberList() const;
    SubdivisorDialog* subdivisorDialog() const;
    QWidget* picture() const;

    // Opens the help at the page of a dialog: 2 the main window, 4 the fiber list, 5 the
    // sub-divisor dialog.
    void showHelp(int helpContext);
    void closeHelp();
    HelpWindow* help() const;

  private:
    QPointer<FiberListDialog> fiberList_;
    QPointer<SubdivisorDialog> subdivisorDialog_;
    QPointer<QWidget> picture_;
    QPointer<HelpWindow> help_;
    // X alone as the picture shows it while nothing is analysed; kept while X stays.
    std::shared_ptr<FiberPicture> fiberPicture_;
};

// Why the core's size check (pictureRefusal) declines the picture of X, with the chain diagram of
// `analysis` where there is one, in a sentence for the picture window; empty when it is drawn.
QString pictureRefusalText(const FiberData& x, const AnalysisResult* analysis = nullptr);

// Makes the bundled help pages and the icon available; safe to call more than once.
void initAppResources();

}  // namespace dorvanix
