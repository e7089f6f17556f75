// A long working session in the desktop program: a thousand rounds of choosing a fiber, listing
// its sub-divisors, selecting one (which runs the analysis) and closing the sub-divisor window.
// Reports the pool and the resident memory before and after, which should end where they began
// once the first rounds have warmed the caches up.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/line_list.h"
#include "app/subdivisor_dialog.h"
#include "census/fiber_enumeration.h"
#include "model/divisor_notation.h"
#include "model/input_check.h"

using namespace dorvanix;

namespace {

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

void runRound(AppContext& context, const std::string& fiberLine, int round) {
    const FiberData x = parseFiberText(fiberLine);
    context.state.releaseFiberBranches();
    parseFiberLine(context.state.pool, *context.state.currentFiber, fiberLine);
    context.state.currentGenus = fiberGenus(x.m, x.firstMultiplicities());
    SubdivisorDialog* dialog = context.openSubdivisorDialog();
    while (dialog->busy()) QApplication::processEvents(QEventLoop::AllEvents, 5);
    LineList* list = dialog->subdivisorList();
    if (list->count() > 0) {
        list->setCurrentRow(round % list->count());
        dialog->select();
        while (dialog->analysing()) QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    dialog->reject();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    AppContext context;
    std::vector<std::string> fibers;
    for (int m = 3; m <= 7; ++m) {
        for (const auto& line : fiberLines(m, 2, 3, FiberOptions{})) fibers.push_back(line);
    }
    context.state.startFiber(3, 2, 3);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int warmUp = static_cast<int>(fibers.size()) * 2;
    long afterWarmUp = 0;
    std::size_t poolAfterWarmUp = 0;
    for (int round = 0; round < rounds; ++round) {
        runRound(context, fibers[round % fibers.size()], round);
        if (round + 1 == warmUp) {
            afterWarmUp = residentKilobytes();
            poolAfterWarmUp = context.state.pool.inUseCount();
        }
    }
    std::printf("%d rounds over %zu fibers\n", rounds, fibers.size());
    std::printf("nodes in use after %d rounds: %zu, at the end: %zu\n", warmUp, poolAfterWarmUp,
                context.state.pool.inUseCount());
    std::printf("resident memory after %d rounds: %ld kB, at the end: %ld kB\n", warmUp,
                afterWarmUp, residentKilobytes());
    return 0;
}
