// The desktop program at scale: a sub-divisor list of about a million lines. Measures how long
// the list takes to arrive, the longest pause of the event loop meanwhile, the time to scroll it a
// page at a time, the peak resident memory, and how soon Cancel stops a listing that would not
// end. Runs offscreen unless a display is given.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/app_context.h"
#include "app/background_job.h"
#include "app/line_list.h"
#include "app/subdivisor_dialog.h"
#include "model/divisor_notation.h"

using namespace dorvanix;

namespace {

// Peak resident memory in MB, from the kernel's own account of this process.
long peakResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
    }
    return -1;
}

void waitUntilIdle(SubdivisorDialog* dialog) {
    while (dialog->busy()) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Milliseconds until the listing ends, and the longest gap between 10 ms ticks meanwhile.
std::pair<qint64, qint64> timeListing(SubdivisorDialog* dialog) {
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    clock.start();
    ticker.start();
    dialog->relist();
    waitUntilIdle(dialog);
    return {clock.elapsed(), longestGap};
}

double millisecondsPerPageScroll(LineList* list, int pages) {
    QScrollBar* bar = list->verticalScrollBar();
    QElapsedTimer clock;
    clock.start();
    for (int page = 0; page < pages; ++page) {
        bar->setValue(bar->value() + bar->pageStep() * 997);
        list->viewport()->repaint();
    }
    return static_cast<double>(clock.elapsed()) / pages;
}

void loadFiber(AppContext& context, int m, int r, int b, const char* line) {
    context.state.startFiber(m, r, b);
    parseFiberLine(context.state.pool, *context.state.currentFiber, line);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    AppContext context;
    loadFiber(context, 28, 4, 6, "((28,4),27,27,27,13,9,9)");
    SubdivisorDialog* dialog = context.openSubdivisorDialog();
    dialog->show();
    waitUntilIdle(dialog);
    dialog->onOnlyABC();  // every type, '?' included
    const auto [listing, pause] = timeListing(dialog);
    LineList* list = dialog->subdivisorList();
    std::printf("list of %d lines arrived in %lld ms; longest event-loop pause %lld ms\n",
                list->count(), static_cast<long long>(listing), static_cast<long long>(pause));
    std::printf("scrolling: %.2f ms per jump and repaint\n", millisecondsPerPageScroll(list, 200));
    std::printf("peak resident memory: %ld MB\n", peakResidentMegabytes());

    // A listing of 30 branches would not end: Cancel must stop it at once.
    dialog->reject();
    QApplication::processEvents();
    std::string thirty = "((3,20)";
    for (int i = 0; i < 30; ++i) thirty += ",2";
    thirty += ")";
    loadFiber(context, 3, 20, 30, thirty.c_str());
    dialog = context.openSubdivisorDialog();
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 1000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    QElapsedTimer cancel;
    cancel.start();
    dialog->job()->cancel();
    waitUntilIdle(dialog);
    std::printf("Cancel stopped the listing after %lld ms\n",
                static_cast<long long>(cancel.elapsed()));
    dialog->reject();
    return 0;
}
