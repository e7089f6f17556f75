// One run of the desktop program that is ended while it is busy: the fiber list is being saved,
// the sub-divisors of the chosen fiber are being listed, its picture is animating, and End is
// pressed at a moment set by the seed on the command line. The run must end with status 0, whatever
// each worker was doing. Usage: end_while_busy SEED
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/app_context.h"
#include "app/fiber_list_dialog.h"
#include "app/line_list.h"
#include "app/main_window.h"
#include "app/picture_window.h"
#include "app/program.h"
#include "app/subdivisor_dialog.h"

namespace {

using dorvanix::AppContext;
using dorvanix::MainWindow;

void press(QWidget* window, const char* id) {
    if (window == nullptr) return;
    if (auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(id))) {
        button->click();
    }
}

void untick(QWidget* window, const char* id) {
    if (auto* box = window->findChild<QCheckBox*>(QString::fromLatin1(id))) box->setChecked(false);
}

void type(QWidget* window, const char* id, const char* text) {
    if (auto* edit = window->findChild<QLineEdit*>(QString::fromLatin1(id))) {
        edit->setText(QString::fromLatin1(text));
    }
}

// The steps of the run, each taken once the one before is done; End comes `endAfterMs` after the
// picture and the save have started.
void drive(AppContext& context, MainWindow& window, int endAfterMs) {
    auto* timer = new QTimer(&window);
    auto step = std::make_shared<int>(0);
    QObject::connect(
        timer, &QTimer::timeout, &window, [&context, &window, timer, step, endAfterMs] {
            dorvanix::FiberListDialog* list = context.fiberList();
            switch (*step) {
                case 0:  // the list of m = 60, r = 2, b = 5: 48,934 fibers
                    type(&window, "1001", "60");
                    type(&window, "1002", "2");
                    type(&window, "1003", "5");
                    press(&window, "1007");
                    ++*step;
                    break;
                case 1:  // once listed, its last fiber, ((60,2),27,26,23,23,21), is chosen: the
                         // picture opens and animates
                    if (list == nullptr || list->busy()) return;
                    list->list()->setCurrentRow(list->list()->count() - 1);
                    press(list, "1007");
                    ++*step;
                    break;
                case 2:  // the fiber list is saved, and the sub-divisors of every type are listed:
                         // 97,606,032 of them
                    if (context.picture() == nullptr || context.subdivisorDialog() == nullptr ||
                        context.subdivisorDialog()->busy()) {
                        return;
                    }
                    press(list, "1030");
                    untick(context.subdivisorDialog(), "1027");
                    untick(context.subdivisorDialog(), "1029");
                    press(context.subdivisorDialog(), "1028");
                    ++*step;
                    QTimer::singleShot(endAfterMs, &window, [&context, &window] {
                        // Tells the test how busy the run was when it was ended.
                        const auto* picture =
                            qobject_cast<dorvanix::PictureWindow*>(context.picture());
                        const dorvanix::FiberListDialog* fibers = context.fiberList();
                        const dorvanix::SubdivisorDialog* subdivisors = context.subdivisorDialog();
                        std::fprintf(stderr, "busy at End: frame %d, save %d, listing %d\n",
                                     picture != nullptr && picture->makingFrame(),
                                     fibers != nullptr && fibers->saving(),
                                     subdivisors != nullptr && subdivisors->busy());
                        press(&window, "2");
                    });
                    break;
                default:
                    timer->stop();
            }
        });
    timer->start(10);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 1u;
    std::mt19937 seeds(seed);
    // The save of 48,934 lines takes only a few milliseconds on a quick machine, so every third
    // run ends at once, while it is surely still writing; the others end up to 120 ms later.
    const int endAfterMs = seed % 3 == 0 ? 0 : static_cast<int>(seeds() % 120);
    QTemporaryDir folder;
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, folder.path());
    }
    const QString savePath = folder.filePath("fibers.doc");
    return dorvanix::runProgram(argc, argv, [&](AppContext& context, MainWindow& window) {
        context.chooseFile = [savePath](QWidget*, const dorvanix::SaveRequest&) {
            return savePath;
        };
        context.reportError = [](QWidget*, const QString&) {};
        // Every question is answered with its first choice: list anew, close, end.
        context.ask = [](QWidget*, const QString&, const QStringList&) { return 0; };
        drive(context, window, endAfterMs);
    });
}
