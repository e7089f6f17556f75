#include "app/fiber_list_dialog.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/background_job.h"
#include "app/control_ids.h"
#include "app/dialog_controls.h"
#include "app/line_list.h"
#include "app/subdivisor_dialog.h"
#include "app/timed_sample.h"
#include "census/census_filter.h"
#include "census/fiber_enumeration.h"
#include "census/genus_census.h"
#include "files/list_files.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/fiber_label.h"
#include "model/input_check.h"

namespace dorvanix {

namespace {

constexpr int kArrivalMs = 100;
// How many lines a save writes between two looks at Cancel.
constexpr qsizetype kLinesBetweenLooks = 4096;
// How long the list runs to time itself before the question of a long list.
constexpr double kSampleSeconds = 1.0;
// How often the progress of the listing is passed on, and a Cancel passed to it.
constexpr int kWatchMs = 5;

// What one line of a list of fibers with cores up to m and up to b branches takes in the window:
// its characters as UTF-16 (the parts, a crust count of up to b log10 m digits, the genus and the
// asterisks) and the bookkeeping of the string and the list.
double bytesPerLine(int m, int b) {
    const double digits = std::floor(std::log10(std::max(m, 1))) + 1;
    const double chars = 40 + 3 * digits + b * (digits + 1 + std::log10(std::max(m, 1)));
    return 2 * chars + 64;
}

// The main window's options on a fiber of a whole-genus list; the genus is the census's own.
QString fiberCount(long long count) {
    return count == 1 ? QObject::tr("1 fiber")
                      : QObject::tr("%1 fibers").arg(QLocale().toString(count));
}

// A bound on a number of lines, exact while a double holds it so.
QString boundText(double lines) {
    if (!std::isfinite(lines)) return QObject::tr("more than 10^300");
    if (lines < 1e15) return QLocale().toString(static_cast<qint64>(lines));
    return QObject::tr("about %1").arg(lines, 0, 'g', 3);
}

// Why a list made whole holds no fiber: the numbers allow none (fields left empty count as
// m = 2, r = 2, b = 3, which do not), or the options ticked leave none.
QString whyNoFiber(int m, int r, int b, int genus, const FiberOptions& options) {
    const bool restricted = options.noDuplicateBranches || options.requiredGenus != 0 ||
                            options.multiplicityOption || options.atMostTwoSimpleCrusts;
    if (genus != 0) {
        return QObject::tr("No fiber of genus %1 passes the options ticked in the main window.")
            .arg(genus);
    }
    const QString none =
        QObject::tr("There is no fiber with m = %1, r = %2, b = %3: ").arg(m).arg(r).arg(b);
    const long long sum = static_cast<long long>(m) * r;
    if (b > sum) {
        return none + QObject::tr(
                          "its %1 first multiplicities, each at least 1, would add up to "
                          "more than m r = %2.")
                          .arg(b)
                          .arg(sum);
    }
    if (static_cast<long long>(b) * (m - 1) < sum) {
        return none + QObject::tr(
                          "its %1 first multiplicities, each at most m - 1 = %2, add up "
                          "to at most %3, less than m r = %4.")
                          .arg(b)
                          .arg(m - 1)
                          .arg(static_cast<long long>(b) * (m - 1))
                          .arg(sum);
    }
    if (restricted) {
        return QObject::tr(
                   "No fiber with m = %1, r = %2, b = %3 passes the options ticked in the main "
                   "window.")
            .arg(m)
            .arg(r)
            .arg(b);
    }
    return none + QObject::tr(
                      "every %1 first multiplicities from 1 to %2 that add up to m r = %3 "
                      "have a factor in common with m.")
                      .arg(b)
                      .arg(m - 1)
                      .arg(sum);
}

// Runs `walk` with a Progress of its own and shows its progress on `shown`: the lines kept so
// far against `limit` (none when it is negative, or too large to be reached) or the walk's own
// share, whichever is further, so that a list cut at its first million lines measures against
// that million and not against a whole list it will never reach. Cancelling `shown` stops the
// walk within a few milliseconds, lines or no lines.
void walkTowardsLimit(Progress& shown, long long limit, const std::atomic<long long>& kept,
                      const std::function<void(Progress&)>& walk) {
    Progress own;
    std::atomic<bool> ended = false;
    const auto show = [&] {
        double fraction = own.fraction();
        if (limit > 0 && limit < std::numeric_limits<long long>::max()) {
            fraction = std::max(fraction, static_cast<double>(kept) / static_cast<double>(limit));
        }
        shown.setFraction(std::min(fraction, 1.0));
        const auto found = static_cast<std::uint64_t>(kept.load());
        if (found > shown.results()) shown.addResults(found - shown.results());
    };
    std::thread watch([&] {
        while (!ended) {
            if (shown.cancelled()) own.cancel();
            show();
            std::this_thread::sleep_for(std::chrono::milliseconds(kWatchMs));
        }
    });
    walk(own);
    ended = true;
    watch.join();
    show();
}

}  // namespace

// One run of the list, shared with its worker.
struct FiberListDialog::Listing {
    enum Phase { kCounting, kTiming, kListing };
    std::mutex mutex;
    QStringList found;  // lines the worker has found and the window not yet taken
    long long limit = -1;
    long long askAbove = 0;
    double bound = 0;            // at most this many lines
    double bytesPerLine = 0;     // what one of them takes
    bool boundExceeded = false;  // there are more than `bound` lines, how many more is unknown
    bool stoppedAtLimit = false;
    TimedSample sample;  // a short run of the list, timed, when the question is asked
    std::atomic<Phase> phase = kListing;
    std::atomic<long long> counted = 0;  // fibers of a genus counted so far
    int genus = 0;                       // the genus of a whole-genus list, else 0
};

FiberListDialog::FiberListDialog(AppContext& context, QWidget* parent)
    : GuardedDialog(parent),
      context_(context),
      list_(new LineList(this)),
      job_(new BackgroundJob(this, tr("Enumerating the fibers ..."))),
      saveJob_(new BackgroundJob(this, tr("Saving the list ..."))),
      status_(new QLabel(this)),
      arrivals_(new QTimer(this)) {
    setObjectName(ids::kFiberList);
    setWindowTitle("Dorvanix");
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    list_->setObjectName(ids::kFiberLines);
    status_->setObjectName("status");
    status_->setWordWrap(true);  // a long note wraps instead of widening the window

    auto* ok = makeButton(this, ids::kFiberOkButton, QStringLiteral("OK >"));
    ok->setDefault(true);
    auto* cancel = makeButton(this, ids::kFiberCancelButton, QStringLiteral("< Cancel"));
    auto* help = makeButton(this, ids::kFiberHelpButton, QStringLiteral("Help"));
    auto* save = makeButton(this, ids::kFiberSaveButton, QStringLiteral("Save list"));
    okButton_ = ok;
    saveButton_ = save;
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(help);
    auto* left = new QVBoxLayout;
    left->addWidget(
        new QLabel(QStringLiteral("Dorvanix: Select the first singular fiber X"), this));
    left->addWidget(list_, 1);
    left->addWidget(status_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(440, 300);

    arrivals_->setInterval(kArrivalMs);
    connect(arrivals_, &QTimer::timeout, this, &FiberListDialog::takeFound);
    connect(job_, &BackgroundJob::finished, this, &FiberListDialog::enumerationEnded);
    job_->setDescriber([this](const Progress&) { return describeWork(); });
    connect(saveJob_, &BackgroundJob::finished, this, [this] { setBusy(false); });
    connect(list_, &LineList::lineActivated, this, [this](int) { choose(); });
    connect(ok, &QPushButton::clicked, this, &FiberListDialog::choose);
    connect(cancel, &QPushButton::clicked, this, &FiberListDialog::reject);
    connect(save, &QPushButton::clicked, this, &FiberListDialog::saveList);
    connect(help, &QPushButton::clicked, this, [this] { context_.showHelp(4); });

    // On request (the list's context menu), the label of the fiber under the cursor goes to the
    // clipboard, made by the core as every face makes it.
    auto* copyLabel = new QAction(tr("Copy label"), list_);
    copyLabel->setObjectName(QStringLiteral("copyLabel"));
    list_->addAction(copyLabel);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(copyLabel, &QAction::triggered, this, [this] {
        if (list_->currentRow() < 0) return;
        const FiberData x = parseFiberText(list_->line(list_->currentRow()).toStdString());
        QGuiApplication::clipboard()->setText(QString::fromStdString(fiberLabel(x)));
    });
}

FiberListDialog::~FiberListDialog() {
    // Cancels the enumeration, which ends by itself: it owns what it writes to.
    delete job_;
    job_ = nullptr;
    delete saveJob_;  // a save not finished leaves no file
    saveJob_ = nullptr;
    // A closed list is deleted later, when a newer one may already be open.
    if (context_.fiberList() == this) context_.state.fiberListOpen = 0;
}

void FiberListDialog::startEnumeration(long long limit) {
    const SharedState& state = context_.state;
    const int m = state.listM;
    const int r = state.listR;
    const int b = state.listB;
    const int genus = state.listGenus;
    if (m == 0 && genus == 0) return;
    const FiberOptions options = state.listOptions;
    auto listing = std::make_shared<Listing>();
    listing->limit = limit;
    listing->askAbove = askAboveLines_;
    listing->genus = genus;
    listing_ = listing;
    if (genus != 0) {
        const GenusBounds most = genusBounds(genus);
        listing->bytesPerLine = bytesPerLine(most.maxM, most.maxB);
    } else {
        listing->bytesPerLine = bytesPerLine(m, b);
    }
    list_->clearLines();
    complete_ = false;
    declined_ = false;
    setBusy(true);
    status_->setText(tr("Listing ..."));
    job_->start([m, r, b, genus, options, listing](Progress& progress) {
        Listing& run = *listing;
        // The list's walk, for the sample and for the list itself: answers true when it ended.
        const auto walk = [&](Progress& watch, const std::function<void(std::string_view)>& keep) {
            if (genus == 0) {
                return enumerateFibers(
                    m, r, b, options, [&](const FiberEntry& entry) { keep(entry.line); }, &watch);
            }
            return censusByGenus(
                genus,
                [&](const CensusFiber& fiber) {
                    if (censusFiberPasses(options, fiber)) keep(fiber.line);
                },
                &watch);
        };
        // The bound costs little next to the list and tells what the list could cost.
        if (run.limit < 0) {
            run.phase = Listing::kCounting;
            if (genus != 0) {
                // Counted as far as the limit only: a large genus has more fibers than memory
                // holds.
                long long shapes = 0;
                forEachGenusShape(
                    genus,
                    [&](const CensusShape&) {
                        run.counted = ++shapes;
                        return shapes <= run.askAbove;
                    },
                    &progress);
                run.bound = static_cast<double>(shapes);
                run.boundExceeded = shapes > run.askAbove;
            } else {
                run.bound = fiberCountBound(m, r, b, options, &progress);
            }
            if (progress.cancelled()) return;
            if (run.bound > static_cast<double>(run.askAbove)) {
                // The question says how long the list would take, from a short run of it.
                run.phase = Listing::kTiming;
                run.sample = timeSample(kSampleSeconds, progress, [&](Progress& watch) {
                    return walk(watch, [](std::string_view) {});
                });
                return;
            }
        }
        run.phase = Listing::kListing;
        std::atomic<long long> kept = 0;
        walkTowardsLimit(progress, run.limit, kept, [&](Progress& watch) {
            walk(watch, [&run, &watch, &kept](std::string_view line) {
                if (run.limit >= 0 && kept >= run.limit) {
                    run.stoppedAtLimit = true;
                    watch.cancel();
                    return;
                }
                ++kept;
                QString text = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
                const std::lock_guard<std::mutex> lock(run.mutex);
                run.found.append(std::move(text));
            });
        });
    });
    arrivals_->start();
}

QString FiberListDialog::describeWork() const {
    if (listing_ == nullptr) return {};
    switch (listing_->phase.load()) {
        case Listing::kCounting:
            if (listing_->genus == 0) return tr("Counting the fibers there could be ...");
            return tr("Counting the fibers of genus %1 ...\n%2 counted so far")
                .arg(listing_->genus)
                .arg(QLocale().toString(listing_->counted.load()));
        case Listing::kTiming:
            return tr("Timing a short run of the list ...");
        case Listing::kListing:
            break;
    }
    return {};
}

// Moves the lines found so far into the list; the count below it follows.
void FiberListDialog::takeFound() {
    if (listing_ == nullptr) return;
    QStringList found;
    {
        const std::lock_guard<std::mutex> lock(listing_->mutex);
        found.swap(listing_->found);
    }
    list_->appendLines(found);
    if (busy()) status_->setText(tr("Listing ... %1 so far").arg(fiberCount(list_->count())));
}

void FiberListDialog::enumerationEnded() {
    arrivals_->stop();
    takeFound();
    const Listing& listing = *listing_;
    const bool cancelled = job_->cancelled();
    if (!cancelled && listing.limit < 0 && listing.bound > static_cast<double>(listing.askAbove)) {
        askHowMuch();
        return;
    }
    const QString count = fiberCount(list_->count());
    complete_ = !cancelled && !listing.stoppedAtLimit && job_->failure().isEmpty();
    if (cancelled) {
        status_->setText(tr("Cancelled after %1.").arg(count));
    } else if (!job_->failure().isEmpty()) {
        status_->setText(tr("Stopped after %1: %2").arg(count, job_->failure()));
    } else if (listing.stoppedAtLimit) {
        status_->setText(tr("The first %1.").arg(count));
    } else if (list_->count() == 0) {
        const SharedState& state = context_.state;
        status_->setText(tr("%1. %2").arg(count, whyNoFiber(state.listM, state.listR, state.listB,
                                                            state.listGenus, state.listOptions)));
    } else {
        status_->setText(count);
    }
    if (list_->count() > 0 && list_->currentRow() < 0) list_->setCurrentRow(0);
    setBusy(false);
    emit listed();
}

void FiberListDialog::askHowMuch() {
    const QLocale locale;
    const Listing& listing = *listing_;
    const double bytes = listing.bound * listing.bytesPerLine;
    const bool allFit = !listing.boundExceeded && bytes <= SubdivisorDialog::kListMemoryCap;
    // A list whose length is not known to the end is offered only in part.
    const QString note = listing.boundExceeded ? tr("\nThey were counted no further.")
                         : allFit              ? QString()
                                               : tr("\nThat is more than a list may take.");
    const QString lines =
        (listing.boundExceeded ? tr("more than %1") : tr("up to %1"))
            .arg(boundText(listing.boundExceeded ? listing.bound - 1 : listing.bound));
    QStringList answers;
    if (allFit) answers << tr("List them all");
    // Closing the question (its Cancel) lists nothing.
    answers << tr("List the first %1").arg(locale.toString(firstLines_));
    const QString question =
        tr("This list could have %1 fibers, taking %2 %3 of memory.%4\n%5")
            .arg(lines, listing.boundExceeded ? tr("more than") : tr("up to"),
                 locale.formattedDataSize(static_cast<qint64>(std::min(bytes, 9e18))), note,
                 timeGuessText(listing.sample, listing.bound));
    const int answer = context_.ask(this, question, answers);
    if (allFit && answer == 0) {
        startEnumeration(std::numeric_limits<long long>::max());
    } else if (answer == (allFit ? 1 : 0)) {
        startEnumeration(firstLines_);
    } else {
        status_->setText(tr("Not listed: %1 fibers. Close this list, narrow the numbers or "
                            "options in the main window and press OK > again.")
                             .arg(lines));
        declined_ = true;
        setBusy(false);
        emit listed();
    }
}

// A declined list has nothing to choose or save: it was not made, not found empty.
void FiberListDialog::setBusy(bool busy) {
    okButton_->setEnabled(!busy && !declined_);
    saveButton_->setEnabled(!busy && !declined_ && !saving());
}

bool FiberListDialog::busy() const {
    return job_ != nullptr && job_->running();
}

void FiberListDialog::choose() {
    SharedState& state = context_.state;
    if (busy() || list_->count() == 0) return;
    const int row = list_->currentRow() >= 0 ? list_->currentRow() : 0;
    const std::string line = list_->line(row).toStdString();
    // Everything the sub-divisor dialog shows belongs to its X: another X replaces the dialog,
    // and its selected divisors with it, only when the user says so.
    if (SubdivisorDialog* open = context_.subdivisorDialog();
        open != nullptr && state.subdivisorDialogOpen != 0) {
        const QString question =
            tr("The sub-divisor window works on X = %1.\nClose it, with its selected divisors "
               "and picture, and work on %2 instead?")
                .arg(open->fiberText(), list_->line(row));
        if (context_.ask(this, question, {tr("Work on the new fiber")}) != 0) return;
        open->reject();
    }
    // The line carries m, r and the parts (a whole-genus list mixes them); the parser sets them.
    state.startFiber(0, 0, 0);
    parseFiberLine(state.pool, *state.currentFiber, line);
    const FiberData fiber = fiberDataOf(*state.currentFiber);
    state.currentGenus = fiberGenus(fiber.m, fiber.firstMultiplicities());
    if (state.pictureOpen == 0) context_.openPicture();
    context_.refreshPicture();
    if (state.subdivisorDialogOpen == 0) context_.openSubdivisorDialog();
}

void FiberListDialog::saveList() {
    if (busy() || saving()) return;
    const SharedState& state = context_.state;
    const long long shown = list_->count();
    // A list that is not whole is saved only when the user says so, and the file says so too.
    if (!complete_) {
        const QString question =
            tr("This list is not complete: it holds %1.\nSave it marked as cut short?")
                .arg(fiberCount(shown));
        if (context_.ask(this, question, {tr("Save as cut short")}) != 0) return;
    }
    SaveRequest request;
    request.defaultName = QString::fromStdString(
        state.listGenus != 0 ? genusFiberListFileName(state.listGenus)
                             : fiberListFileName(state.listM, state.listR, state.listB));
    // A bare name gets the extension the dialog's filter shows, so the file stays in its view.
    request.defaultSuffix = QStringLiteral("doc");
    request.filter = listFileFilter();
    // Line by line into the file, on a worker, from the list as it was when Save list was
    // pressed (the strings are shared, not copied).
    const QStringList lines = list_->lines();
    const bool complete = complete_;
    saveJob_->setDescriber([shown](const Progress& progress) {
        return tr("Saving the list ...\n%1 of %2 fibers written")
            .arg(QLocale().toString(qulonglong(progress.results())), QLocale().toString(shown));
    });
    saveInBackground(
        this, *saveJob_, context_.chooseFile, context_.reportError, request,
        [lines, complete, shown](std::ostream& out, Progress& progress) {
            for (qsizetype row = 0; row < lines.size() && out; ++row) {
                if (row % kLinesBetweenLooks == 0) {
                    if (progress.cancelled()) return;
                    progress.setFraction(static_cast<double>(row) / static_cast<double>(shown));
                }
                writeFiberListLine(out, lines[row].toStdString());
                progress.addResults(1);
            }
            if (!complete) writeCutShortMark(out, shown, -1, "fibers");
        });
    setBusy(false);
}

bool FiberListDialog::saving() const {
    return saveJob_ != nullptr && saveJob_->running();
}

bool FiberListDialog::mayClose() {
    if (list_->count() == 0 && !busy()) return true;
    const QString what = busy() ? tr("The enumeration will stop and its fibers will be lost.")
                                : tr("Its %1 will be lost.").arg(fiberCount(list_->count()));
    return context_.ask(this, tr("Close the fiber list?\n%1").arg(what), {tr("Close")}) == 0;
}

void FiberListDialog::reject() {
    job_->cancel();
    saveJob_->cancel();
    context_.state.fiberListOpen = 0;
    QDialog::reject();
}

}  // namespace dorvanix
