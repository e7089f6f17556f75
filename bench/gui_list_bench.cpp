// The desktop program at scale: a sub-divisor list of about ten million lines in the real
// sub-divisor window. Measures how long the list takes to arrive, the longest pause of the event
// loop meanwhile, the time to scroll it a page and to jump far, the time Select takes on a line
// near the end until its figures are shown, the peak resident memory, and how soon Cancel stops
// a listing that would not end. Runs offscreen unless a display is given.
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

AppContext* benchContext = nullptr;

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

// Milliseconds per move of `pagesPerMove` pages down and repaint, over `moves` moves.
double millisecondsPerScroll(LineList* list, int moves, int pagesPerMove) {
    QScrollBar* bar = list->verticalScrollBar();
    QElapsedTimer clock;
    clock.start();
    for (int move = 0; move < moves; ++move) {
        bar->setValue(bar->value() + bar->pageStep() * pagesPerMove);
        list->viewport()->repaint();
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6 / moves;
}

// Milliseconds from Select on a line near the end of the list until its figures are shown.
double millisecondsToSelectNearTheEnd(SubdivisorDialog* dialog, int fromEnd) {
    LineList* list = dialog->subdivisorList();
    list->setCurrentRow(list->count() - fromEnd);
    list->scrollTo(list->currentIndex());
    list->viewport()->repaint();
    QElapsedTimer clock;
    clock.start();
    dialog->select();
    while (dialog->analysing()) QApplication::processEvents(QEventLoop::AllEvents, 1);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf("selected %s\n  %s\n", list->line(list->currentRow()).toStdString().c_str(),
                benchContext->state.analysisSummary.c_str());
    return ms;
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
    benchContext = &context;
    context.ask = [](QWidget*, const QString&, const QStringList&) { return 0; };  // list all
    // 10,087,550 lines when every type is listed.
    loadFiber(context, 43, 4, 6, "((43,4),42,42,42,21,12,13)");
    SubdivisorDialog* dialog = context.openSubdivisorDialog();
    dialog->show();
    waitUntilIdle(dialog);
    dialog->onOnlyABC();  // every type, '?' included
    const auto [listing, pause] = timeListing(dialog);
    LineList* list = dialog->subdivisorList();
    std::printf("list of %d lines arrived in %lld ms; longest event-loop pause %lld ms\n",
                list->count(), static_cast<long long>(listing), static_cast<long long>(pause));
    std::printf("scrolling: %.2f ms per page and repaint, %.2f ms per jump of 997 pages\n",
                millisecondsPerScroll(list, 200, 1), millisecondsPerScroll(list, 200, 997));
    std::printf("Select near the end: %.2f ms\n", millisecondsToSelectNearTheEnd(dialog, 100));
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
