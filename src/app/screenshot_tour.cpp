#include "app/screenshot_tour.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "app/about_dialog.h"
#include "app/app_context.h"
#include "app/fiber_list_dialog.h"
#include "app/help_window.h"
#include "app/line_list.h"
#include "app/main_window.h"
#include "app/subdivisor_dialog.h"

namespace dorvanix {

namespace {

// Lets the windows settle (layout, painting, a worker that is finishing).
void settle(const std::function<bool()>& done = [] { return true; }) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && !done())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool save(QWidget* window, const QString& folder, const QString& name) {
    if (window == nullptr) return false;
    return window->grab().save(QDir(folder).filePath(name + ".png"));
}

}  // namespace

int takeScreenshots(AppContext& context, MainWindow& mainWindow, const QString& folder) {
    QDir().mkpath(folder);
    int written = 0;
    mainWindow.findChild<QLineEdit*>("1001")->setText("3");
    mainWindow.findChild<QLineEdit*>("1002")->setText("2");
    mainWindow.findChild<QLineEdit*>("1003")->setText("3");
    settle();
    written += save(&mainWindow, folder, "102") ? 1 : 0;

    mainWindow.findChild<QPushButton*>("1007")->click();
    FiberListDialog* list = context.fiberList();
    settle([list] { return !list->busy(); });
    written += save(list, folder, "101") ? 1 : 0;

    list->choose();
    SubdivisorDialog* dialog = context.subdivisorDialog();
    settle([dialog] { return !dialog->busy(); });
    dialog->subdivisorList()->setCurrentRow(1);
    dialog->select();
    settle([dialog] { return !dialog->analysing(); });
    written += save(dialog, folder, "106") ? 1 : 0;
    written += save(context.picture(), folder, "108") ? 1 : 0;
    // Ten seconds of animation: Y flies onto X, then the chain diagram and the analysis divisor.
    QElapsedTimer animation;
    animation.start();
    settle([&animation] { return animation.elapsed() > 10000; });
    written += save(context.picture(), folder, "108-analysis") ? 1 : 0;

    AboutDialog about(&mainWindow);
    about.show();
    settle();
    written += save(&about, folder, "100") ? 1 : 0;
    about.hide();

    context.showHelp(5);
    settle();
    written += save(context.help(), folder, "help") ? 1 : 0;
    return written;
}

}  // namespace dorvanix
