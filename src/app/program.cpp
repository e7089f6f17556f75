#include "app/program.h"

#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <exception>
#include <new>
#include <optional>

#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/dialog_controls.h"
#include "app/main_window.h"
#include "app/screenshot_tour.h"
#include "app/worker_keeper.h"
#include "dorvanix/version.h"

namespace dorvanix {

namespace {

// An exception from an event handler would end the program with everything the user had open;
// it is shown in a message box instead, and the program goes on.
class DorvanixApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            warn(QObject::tr("Not enough memory to do this."));
        } catch (const std::exception& error) {
            warn(QString::fromUtf8(error.what()));
        }
        return false;
    }

  private:
    static void warn(const QString& text) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Dorvanix"), text);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
};

}  // namespace

int runProgram(int& argc, char** argv, const StartHook& started) {
    DorvanixApplication app(argc, argv);
    // Made after the application and gone before it: the workers of every window are cancelled
    // and joined before Qt is torn down, whichever way the run ends.
    WorkerKeeper workers;
    // Where the remembered input and save folder are kept.
    QApplication::setOrganizationName(QStringLiteral("Dorvanix"));
    QApplication::setApplicationName(QStringLiteral("Dorvanix"));
    QApplication::setApplicationVersion(QStringLiteral(DORVANIX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(DORVANIX_APP_ID));
    // The run lasts as long as the main window, whose end closes the other windows; and the
    // program never outlives its last window.
    QApplication::setQuitOnLastWindowClosed(true);
    const QStringList arguments = QApplication::arguments();
    const qsizetype screenshotAt = arguments.indexOf(QStringLiteral("--screenshot"));
    // The tour shows a fresh start: it neither reads nor changes what the user's runs remembered.
    std::optional<QTemporaryDir> tourSettings;
    if (screenshotAt > 0) {
        tourSettings.emplace();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tourSettings->path());
    }
    AppContext context;
    QApplication::setWindowIcon(appIcon());
    MainWindow mainWindow(context);
    // The other windows close without asking again (the main window asked once), and the run
    // ends without the close events quit() would send them.
    QObject::connect(&mainWindow, &QDialog::finished, &app, [&context] {
        context.closeWindows();
        QCoreApplication::exit(0);
    });
    keepOnScreen(&mainWindow);
    mainWindow.show();
    QTimer::singleShot(0, &mainWindow, [&mainWindow] { keepOnScreen(&mainWindow); });
    if (screenshotAt > 0 && screenshotAt + 1 < arguments.size()) {
        const int written = takeScreenshots(context, mainWindow, arguments[screenshotAt + 1]);
        QTextStream(stdout) << written << " pictures written\n";
        return written == 7 ? 0 : 1;
    }
    if (started) started(context, mainWindow);
    return QApplication::exec();
}

}  // namespace dorvanix
