#include <QApplication>

#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/parameter_dialog.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvanix"));
    // The run lasts as long as the main window; the other windows go with it.
    QApplication::setQuitOnLastWindowClosed(false);
    dorvanix::AppContext context;
    QApplication::setWindowIcon(dorvanix::appIcon());
    int status = 0;
    {
        dorvanix::ParameterDialog mainWindow(context);
        QObject::connect(&mainWindow, &QDialog::finished, &app, &QApplication::quit);
        mainWindow.show();
        status = QApplication::exec();
    }
    return status;
}
