#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <string_view>

#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/dialog_controls.h"
#include "app/main_window.h"
#include "app/screenshot_tour.h"
#include "dorvanix/version.h"

namespace {

constexpr const char* kUsage = R"(Usage: dorvanix [--screenshot DIR]
The desktop program of Dorvanix: enumerates star-shaped singular fibers, lists and analyses the
sub-divisors of a chosen fiber, animates them and writes the list and polynomial files.

Options:
  --screenshot DIR  walk through one run and save a picture of every window in DIR
  -h, --help        print this help and exit
  --version         print the version and exit

Qt's own options (-platform NAME, -style NAME, ...) are accepted as well. The same work without a
display: dorvanix-cli --help.
)";

// --help and --version answer before Qt starts, so they work without a display.
bool answersWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return true;
        }
        if (argument == "--version") {
            std::cout << "dorvanix " DORVANIX_VERSION "\n";
            return true;
        }
    }
    return false;
}

}  // namespace

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

// dorvanix                     the program
// dorvanix --screenshot DIR    walks through one run and saves a picture of every window in DIR
int main(int argc, char* argv[]) {
    if (answersWithoutWindow(argc, argv)) return 0;
    DorvanixApplication app(argc, argv);
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
    dorvanix::AppContext context;
    QApplication::setWindowIcon(dorvanix::appIcon());
    int status = 0;
    {
        dorvanix::MainWindow mainWindow(context);
        // The other windows close without asking again (the main window asked once), and the
        // run ends without the close events quit() would send them.
        QObject::connect(&mainWindow, &QDialog::finished, &app, [&context] {
            context.closeWindows();
            QCoreApplication::exit(0);
        });
        dorvanix::keepOnScreen(&mainWindow);
        mainWindow.show();
        QTimer::singleShot(0, &mainWindow, [&mainWindow] { dorvanix::keepOnScreen(&mainWindow); });
        if (screenshotAt > 0 && screenshotAt + 1 < arguments.size()) {
            const int written =
                dorvanix::takeScreenshots(context, mainWindow, arguments[screenshotAt + 1]);
            QTextStream(stdout) << written << " pictures written\n";
            return written == 7 ? 0 : 1;
        }
        status = QApplication::exec();
    }
    return status;
}
