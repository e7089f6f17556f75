#include "app/app_context.h"

#include <QTimer>
#include <QWidget>

#include "app/dialog_controls.h"
#include "app/fiber_list_dialog.h"
#include "app/help_window.h"
#include "app/picture_content.h"
#include "app/picture_window.h"
#include "app/subdivisor_dialog.h"
#include "app/worker_keeper.h"
#include "picture/picture_session.h"

static void initDorvanixResources() {
    Q_INIT_RESOURCE(dorvanix);
}

namespace dorvanix {

void initAppResources() {
    initDorvanixResources();
}

namespace {

// Once the window manager has placed a window that was just shown, it is moved onto the screen
// where it lies partly off it.
void keepOnScreenOnceShown(QWidget* window) {
    QTimer::singleShot(0, window, [window] { keepOnScreen(window); });
}

QWidget* makePictureWindow(AppContext& context) {
    auto* window = new PictureWindow();
    // Saving a frame asks and reports as every other save of the run does.
    window->chooseFile = [&context](QWidget* parent, const SaveRequest& request) {
        return context.chooseFile(parent, request);
    };
    window->reportError = [&context](QWidget* parent, const QString& message) {
        context.reportError(parent, message);
    };
    // A closed window goes later, when a newer one may be open already: only the open one's
    // close clears the flag.
    QObject::connect(window, &PictureWindow::closed, &context, [&context, window] {
        if (context.picture() == window) context.state.pictureOpen = 0;
    });
    return window;
}

}  // namespace

AppContext::AppContext() : makePicture(makePictureWindow) {
    initAppResources();
}

AppContext::~AppContext() {
    // Windows first: they cancel their work and may still read the state while they go.
    delete subdivisorDialog_;
    delete fiberList_;
    delete picture_;
    delete help_;
    // The windows' work was cancelled and ends within moments; nothing may outlive the run.
    if (WorkerKeeper* keeper = WorkerKeeper::current()) keeper->cancelAndJoinAll();
}

FiberListDialog* AppContext::openFiberList() {
    if (state.fiberListOpen == 0 || fiberList_ == nullptr) {
        fiberList_ = new FiberListDialog(*this);
        state.fiberListOpen = 1;
        keepOnScreen(fiberList_);
        fiberList_->show();
        keepOnScreenOnceShown(fiberList_);
        fiberList_->startEnumeration();
    }
    return fiberList_;
}

SubdivisorDialog* AppContext::openSubdivisorDialog() {
    if (state.subdivisorDialogOpen == 0 || subdivisorDialog_ == nullptr) {
        subdivisorDialog_ = new SubdivisorDialog(*this);
        state.subdivisorDialogOpen = 1;
        keepOnScreen(subdivisorDialog_);
        subdivisorDialog_->show();
        keepOnScreenOnceShown(subdivisorDialog_);
        subdivisorDialog_->startListing();
    }
    return subdivisorDialog_;
}

QWidget* AppContext::openPicture() {
    if (state.pictureOpen != 1 || picture_ == nullptr) {
        picture_ = makePicture(*this);
        picture_->setAttribute(Qt::WA_DeleteOnClose);
        // However the window goes, the flag follows it, unless a newer window is open by then.
        connect(picture_, &QObject::destroyed, this, [this, window = picture_.data()] {
            if (picture_ == nullptr || picture_ == window) state.pictureOpen = 0;
        });
        state.pictureOpen = 1;
        refreshPicture();
        keepOnScreen(picture_);
        picture_->show();
        keepOnScreenOnceShown(picture_);
    }
    return picture_;
}

void AppContext::refreshPicture() {
    auto* window = qobject_cast<PictureWindow*>(picture_.data());
    if (window == nullptr) return;
    if (!state.fiberBuilt()) {
        window->setContent(nullptr);
        return;
    }
    const FiberData x = fiberDataOf(*state.currentFiber);
    std::shared_ptr<PictureContent> content = state.analysis;
    if (content == nullptr) {
        if (fiberPicture_ == nullptr || !(fiberPicture_->fiber() == x))
            fiberPicture_ = std::make_shared<FiberPicture>(x);
        content = fiberPicture_;
    }
    window->setContent(std::move(content),
                       pictureRefusalText(x, state.analysis ? &state.analysis->result : nullptr));
}

void AppContext::restartPicture() {
    if (auto* window = qobject_cast<PictureWindow*>(picture_.data())) window->restart();
}

QString pictureRefusalText(const FiberData& x, const AnalysisResult* analysis) {
    const std::string reason =
        analysis != nullptr ? pictureRefusal(x, *analysis) : pictureRefusal(x);
    if (reason.empty()) return {};
    return QObject::tr("This picture is not drawn: %1.").arg(QString::fromStdString(reason));
}

void AppContext::raisePicture() {
    QWidget* window = openPicture();
    window->raise();
    window->activateWindow();
}

void AppContext::destroyPicture() {
    delete picture_;
    state.pictureOpen = 0;
}

void AppContext::closeWindows() {
    // reject() is the windows' own "< Cancel": it closes without asking.
    if (subdivisorDialog_ != nullptr && state.subdivisorDialogOpen != 0)
        subdivisorDialog_->reject();
    if (fiberList_ != nullptr && state.fiberListOpen != 0) fiberList_->reject();
    destroyPicture();
    closeHelp();
}

void AppContext::showHelp(int helpContext) {
    if (help_ == nullptr) help_ = new HelpWindow();
    help_->showContext(helpContext);
    const bool opening = !help_->isVisible();
    if (opening) keepOnScreen(help_);
    help_->show();
    if (opening) keepOnScreenOnceShown(help_);
    help_->raise();
    help_->activateWindow();
}

FiberListDialog* AppContext::fiberList() const {
    return fiberList_;
}
SubdivisorDialog* AppContext::subdivisorDialog() const {
    return subdivisorDialog_;
}
QWidget* AppContext::picture() const {
    return picture_;
}
HelpWindow* AppContext::help() const {
    return help_;
}

void AppContext::closeHelp() {
    delete help_;
}

}  // namespace dorvanix
