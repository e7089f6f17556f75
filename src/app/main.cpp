#include <QApplication>
#include <QTextStream>
#include <QTimer>

#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/main_window.h"
#include "app/screenshot_tour.h"

// dorvanix                     the program
// dorvanix --screenshot DIR    walks through one run and saves a picture of every window in DIR
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvanix"));
    // The run lasts as long as the main window; the other windows go with it.
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = QApplication::arguments();
    const qsizetype screenshotAt = arguments.indexOf(QStringLiteral("--screenshot"));
    dorvanix::AppContext context;
    QApplication::setWindowIcon(dorvanix::appIcon());
    int status = 0;
    {
        dorvanix::MainWindow mainWindow(context);
        QObject::connect(&mainWindow, &QDialog::finished, &app, &QApplication::quit);
        mainWindow.show();
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
