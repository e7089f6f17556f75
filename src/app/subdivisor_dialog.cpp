#include "app/subdivisor_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <atomic>
#include <memory>

#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/background_job.h"
#include "app/control_ids.h"
#include "app/dialog_controls.h"
#include "app/line_list.h"
#include "app/shared_state.h"
#include "app/subdivisor_lines.h"
#include "app/timed_sample.h"
#include "census/subdivisor_line.h"
#include "census/subdivisor_listing.h"
#include "files/list_files.h"
#include "files/quorbel_file.h"
#include "model/divisor_notation.h"
#include "model/input_check.h"
#include "model/tree_operations.h"

namespace dorvanix {

namespace {

// How long a listing runs to time itself before the question of a long list.
constexpr double kSampleSeconds = 1.0;
// How many lines a save writes between two looks at Cancel.
constexpr std::size_t kLinesBetweenLooks = 4096;

}  // namespace

SubdivisorDialog::SubdivisorDialog(AppContext& context, QWidget* parent)
    : GuardedDialog(parent),
      context_(context),
      job_(new BackgroundJob(this, tr("Listing the sub-divisors ..."))),
      analysisJob_(new BackgroundJob(this, tr("Analysing the selected sub-divisor ..."))),
      saveJob_(new BackgroundJob(this, tr("Saving the list ..."))) {
    setObjectName(ids::kSubdivisorDialog);
    setWindowTitle("Dorvanix");
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();

    SharedState& state = context_.state;
    if (state.currentFiber != nullptr) {
        fiberEdit_->setText(QString::fromStdString(printDivisorNotation(*state.currentFiber)));
        fiberEdit_->setCursorPosition(0);  // a long X shows its core first
        fiber_ = fiberDataOf(*state.currentFiber);
    }
    options_ = SubdivisorOptions{0, false, true};
    onlyABCBox_->setChecked(true);
    // A new dialog starts without selected sub-divisors and without an analysis.
    state.releaseSelected();
    if (state.selectedDivisors != nullptr) releaseSubtree(state.pool, state.selectedDivisors);
    state.selectedDivisors = nullptr;
    state.releaseAnalysis();
    showFigures();
    context_.refreshPicture();
    enableButtons();
    connect(analysisJob_, &BackgroundJob::finished, this, &SubdivisorDialog::analysisEnded);
    connect(saveJob_, &BackgroundJob::finished, this, &SubdivisorDialog::enableButtons);
    job_->setDescriber([this](const Progress&) { return describeListing(); });
    // An analysis finds nothing to count and has no share to tell: a busy bar and its name.
    analysisJob_->setDescriber(
        [](const Progress&) { return tr("Analysing the selected sub-divisor ..."); });
}

SubdivisorDialog::~SubdivisorDialog() {
    // Cancels the listing and the analysis, which end by themselves: they own what they write to.
    delete job_;
    job_ = nullptr;
    delete analysisJob_;
    analysisJob_ = nullptr;
    delete saveJob_;  // a save not finished leaves no file
    saveJob_ = nullptr;
    // A closed window is deleted later, when a newer one may already be open: the flag is this
    // window's to clear only while it is the open one.
    if (context_.subdivisorDialog() == this) context_.state.subdivisorDialogOpen = 0;
}

void SubdivisorDialog::buildControls() {
    fiberEdit_ = new QLineEdit(this);
    fiberEdit_->setObjectName(ids::kFiberEdit);
    fiberEdit_->setReadOnly(true);
    subdivisors_ = new LineList(this);
    subdivisors_->setObjectName(ids::kSubdivisorLines);
    lineModel_ = new SubdivisorLineModel(this);
    subdivisors_->setLineModel(lineModel_);
    selected_ = new LineList(this);
    selected_->setObjectName(ids::kSelectedLines);
    // Both lists scroll sideways to the end of their longest line.
    for (LineList* list : {subdivisors_, selected_}) {
        list->setItemDelegate(new WidestLineDelegate(list));
        list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    }

    auto* selectButton = makeButton(this, ids::kSelectButton, QStringLiteral("Select"));
    auto* saveButton = makeButton(this, ids::kSaveListButton, QStringLiteral("Save list"));
    auto* cancelButton = makeButton(this, ids::kCancelButton, QStringLiteral("< Cancel"));
    auto* helpButton = makeButton(this, ids::kHelpButton, QStringLiteral("Help "));
    auto* relistButton = makeButton(this, ids::kRelistButton, QStringLiteral("Re-list"));
    auto* pictureButton = makeButton(this, ids::kPictureButton, QStringLiteral("See picture >"));
    auto* deleteButton = makeButton(this, ids::kDeleteButton, QStringLiteral("Delete"));
    auto* quorbelButton =
        makeButton(this, ids::kQuorbelButton, QStringLiteral("Save Quorbel File"));
    selectButton_ = selectButton;
    saveButton_ = saveButton;
    pictureButton_ = pictureButton;
    quorbelButton_ = quorbelButton;

    auto* options = new QGroupBox(QStringLiteral("Listing option"), this);
    ellBox_ = makeCheck(options, ids::kEllBox, QStringLiteral("only for ell ="));
    ellEdit_ = makeEdit(options, ids::kEllEdit, 50);
    exceptOnlyABBox_ =
        makeCheck(options, ids::kExceptOnlyABBox, QStringLiteral("except 'only AB' type"));
    onlyABCBox_ = makeCheck(options, ids::kOnlyABCBox, QStringLiteral("only ABC type"));
    auto* optionLayout = new QGridLayout(options);
    optionLayout->addWidget(ellBox_, 0, 0);
    optionLayout->addWidget(ellEdit_, 0, 1);
    optionLayout->addWidget(exceptOnlyABBox_, 1, 0, 1, 2);
    optionLayout->addWidget(onlyABCBox_, 2, 0, 1, 2);
    optionLayout->addWidget(relistButton, 3, 0, 1, 2);

    figures_ = new QLabel(this);
    figures_->setObjectName("figures");
    figures_->setWordWrap(true);
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_ = new QLabel(this);
    status_->setObjectName("status");
    status_->setWordWrap(true);  // a long note wraps instead of widening the window

    auto* listButtons = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(selectButton), static_cast<QWidget*>(saveButton),
                       static_cast<QWidget*>(cancelButton), static_cast<QWidget*>(helpButton)}) {
        listButtons->addWidget(w);
    }
    listButtons->addStretch();
    listButtons->addWidget(options);
    auto* upper = new QHBoxLayout;
    upper->addWidget(subdivisors_, 1);
    upper->addLayout(listButtons);
    auto* selectedButtons = new QVBoxLayout;
    selectedButtons->addWidget(pictureButton);
    selectedButtons->addWidget(deleteButton);
    selectedButtons->addWidget(quorbelButton);
    selectedButtons->addStretch();
    auto* lower = new QHBoxLayout;
    lower->addWidget(selected_, 1);
    lower->addLayout(selectedButtons);

    auto* layout = new QVBoxLayout(scrollingContent(this));
    layout->addWidget(new QLabel(QStringLiteral("Dorvanix : Select sub-divisor Y of X"), this));
    layout->addWidget(fiberEdit_);
    layout->addWidget(new QLabel(QStringLiteral("Subdivisors"), this));
    layout->addLayout(upper, 3);
    layout->addWidget(status_);
    layout->addWidget(new QLabel(QStringLiteral("Selected divisors"), this));
    layout->addLayout(lower, 1);
    // The figures are those of one line: the first selected, which the picture draws too.
    layout->addWidget(new QLabel(tr("Analysis of the first selected line:"), this));
    layout->addWidget(figures_);
    resize(700, 520);

    connect(subdivisors_, &LineList::lineActivated, this, [this](int) { select(); });
    connect(selectButton, &QPushButton::clicked, this, &SubdivisorDialog::select);
    connect(saveButton, &QPushButton::clicked, this, &SubdivisorDialog::saveList);
    connect(cancelButton, &QPushButton::clicked, this, &SubdivisorDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, [this] { context_.showHelp(5); });
    connect(relistButton, &QPushButton::clicked, this, &SubdivisorDialog::relist);
    connect(pictureButton, &QPushButton::clicked, this, &SubdivisorDialog::seePicture);
    connect(deleteButton, &QPushButton::clicked, this, &SubdivisorDialog::deleteSelected);
    connect(quorbelButton, &QPushButton::clicked, this, &SubdivisorDialog::saveQuorbelFile);
    connect(ellBox_, &QCheckBox::clicked, this, &SubdivisorDialog::onEllOption);
    connect(ellEdit_, &QLineEdit::textChanged, this, &SubdivisorDialog::onEllEdited);
    connect(exceptOnlyABBox_, &QCheckBox::clicked, this, &SubdivisorDialog::onExceptOnlyAB);
    connect(onlyABCBox_, &QCheckBox::clicked, this, &SubdivisorDialog::onOnlyABC);
}

QString SubdivisorDialog::fiberText() const {
    return fiberEdit_->text();
}

struct SubdivisorDialog::Listing {
    SubdivisorLines lines;
    long long total = -1;  // the count of the lines; -1 when it was cancelled
    bool stoppedAtLimit = false;
    TimedSample sample;  // a short run of the listing, timed, when the question is asked
    std::atomic<bool> timing = false;
};

QString SubdivisorDialog::describeListing() const {
    if (latestListing_ == nullptr || !latestListing_->timing) return {};
    return tr("Timing a short run of the listing ...");
}

void SubdivisorDialog::startListing(long long limit) {
    const FiberData fiber = fiber_;
    const SubdivisorOptions options = options_;
    auto listing = std::make_shared<Listing>();
    latestListing_ = listing;
    listing->lines = SubdivisorLines(fiber);
    lineModel_->setLines(SubdivisorLines(fiber));
    setBusy(true);
    status_->setText(tr("Listing ..."));
    disconnect(listingEnd_);
    listingEnd_ = connect(
        job_, &BackgroundJob::finished, this,
        [this, listing, options, limit] { listingEnded(*listing, options, limit); },
        Qt::SingleShotConnection);
    const long long askAbove = askAboveLines_;
    job_->start([fiber, options, listing, limit, askAbove](Progress& progress) {
        if (fiber.branchCount() == 0) {
            listing->total = 0;
            return;
        }
        // Counting takes milliseconds and tells what the list would cost before it exists.
        listing->total = countSubdivisors(fiber, options, &progress);
        if (listing->total < 0) return;
        if (limit < 0 && listing->total > askAbove) {
            // The question says how long the list would take, from a short run of it.
            listing->timing = true;
            listing->sample = timeSample(kSampleSeconds, progress, [&](Progress& watch) {
                return listSubdivisors(
                    fiber, options, [&watch](const Subdivisor&) { watch.addResults(1); }, &watch);
            });
            return;
        }
        const long long wanted = limit < 0 ? listing->total : std::min(limit, listing->total);
        listing->lines.reserve(static_cast<std::size_t>(wanted));
        Listing& found = *listing;
        // The count makes the bar exact: it shows the lines found of the lines there will be.
        // The walk reports to a Progress of its own, which only takes Cancel from the job's: a
        // walk that admits few of its vectors still stops within milliseconds.
        progress.setFraction(wanted > 0 ? 0.0 : 1.0);
        Progress walk(&progress);
        listSubdivisors(
            fiber, options,
            [&found, &progress, &walk, wanted](const Subdivisor& y) {
                const auto size = static_cast<long long>(found.lines.size());
                if (size >= wanted) {
                    found.stoppedAtLimit = true;
                    walk.cancel();
                    return;
                }
                found.lines.append(y);
                progress.addResults(1);
                progress.setFraction(static_cast<double>(size + 1) / static_cast<double>(wanted));
            },
            &walk);
    });
}

void SubdivisorDialog::listingEnded(Listing& listing, const SubdivisorOptions& options,
                                    long long limit) {
    const bool cancelled = job_->cancelled();
    if (!cancelled && limit < 0 && listing.total > askAboveLines_) {
        askHowMuch(listing.total, listing.sample);
        return;
    }
    const QLocale locale;
    const auto shown = static_cast<long long>(listing.lines.size());
    lineModel_->setLines(std::move(listing.lines));
    listedOptions_ = options;
    listTotal_ = listing.total;
    listComplete_ = !cancelled && !listing.stoppedAtLimit && shown == listing.total;
    if (cancelled) {
        status_->setText(tr("Listing cancelled after %1 lines.").arg(locale.toString(shown)));
    } else if (!listComplete_) {
        status_->setText(tr("The first %1 of %2 lines.")
                             .arg(locale.toString(shown), locale.toString(listing.total)));
    } else {
        status_->setText(tr("%1 lines.").arg(locale.toString(shown)));
    }
    setBusy(false);
    emit listed();
}

void SubdivisorDialog::askHowMuch(long long total, const TimedSample& sample) {
    const QLocale locale;
    const double bytes = SubdivisorLines::bytesFor(total, fiber_.branchCount());
    const bool allFit = bytes <= kListMemoryCap;
    QStringList answers;
    if (allFit) answers << tr("List all %1 lines").arg(locale.toString(total));
    // Closing the question (its Cancel) lists nothing, for the options to be narrowed.
    answers << tr("List the first %1").arg(locale.toString(firstLines_));
    const QString question =
        tr("This list would have %1 lines and take about %2 of memory.%3\n%4")
            .arg(locale.toString(total),
                 locale.formattedDataSize(static_cast<qint64>(std::min(bytes, 9e18))),
                 allFit ? QString() : tr("\nThat is more than a list may take."),
                 timeGuessText(sample, static_cast<double>(total)));
    const int answer = context_.ask(this, question, answers);
    const int firstAnswer = allFit ? 1 : 0;
    if (allFit && answer == 0) {
        startListing(total);
    } else if (answer == firstAnswer) {
        startListing(firstLines_);
    } else {
        listTotal_ = total;
        listComplete_ = false;
        status_->setText(tr("Not listed: %1 lines. Narrow the listing options and press Re-list.")
                             .arg(locale.toString(total)));
        setBusy(false);
        emit listed();
    }
}

void SubdivisorDialog::setBusy(bool busy) {
    listing_ = busy;
    enableButtons();
}

void SubdivisorDialog::enableButtons() {
    // Select waits for the list and for the analysis before it; what shows or saves the first
    // selected divisor waits for its analysis.
    const bool analysing = this->analysing();
    selectButton_->setEnabled(!listing_ && !analysing);
    saveButton_->setEnabled(!listing_ && !saving());
    pictureButton_->setEnabled(!analysing);
    quorbelButton_->setEnabled(!analysing && selected_->count() > 0);
}

bool SubdivisorDialog::analysing() const {
    return analysisJob_ != nullptr && analysisJob_->running();
}

bool SubdivisorDialog::busy() const {
    return job_ != nullptr && job_->running();
}

void SubdivisorDialog::select() {
    const int row = subdivisors_->currentRow();
    if (row < 0 || analysing()) return;
    linesBeforeSelect_ = selected_->lines();
    selected_->appendLine(subdivisors_->line(row));
    rebuildSelected();
    analyseFirstSelected();
}

// The analysis works on copies of X and Y, so the windows go on meanwhile; the figures and the
// picture stay those of the selection before until the answer is there.
void SubdivisorDialog::analyseFirstSelected() {
    analysis_ = context_.state.detachAnalysis();
    analysedVersion_ = ++selectionVersion_;
    if (analysis_ == nullptr) {
        analysisJob_->stop();
        context_.state.releaseAnalysis();
        showFigures();
        context_.refreshPicture();
        enableButtons();
        return;
    }
    const std::shared_ptr<DetachedAnalysis> analysis = analysis_;
    const auto gate = gate_;
    analysisJob_->start([analysis, gate](Progress& progress) {
        if (gate) gate(progress);
        try {
            analysis->run(&progress);
        } catch (const Cancelled&) {
            // analysisEnded puts the window back as it was before
        }
    });
    enableButtons();
}

void SubdivisorDialog::analysisEnded() {
    std::shared_ptr<DetachedAnalysis> done = std::move(analysis_);
    enableButtons();
    // An answer for a selection that has changed since, or for another X, is not shown.
    if (done == nullptr || analysedVersion_ != selectionVersion_) return;
    if (analysisJob_->cancelled() || !analysisJob_->failure().isEmpty()) {
        selected_->setLines(linesBeforeSelect_);
        rebuildSelected();
        ++selectionVersion_;
        return;
    }
    context_.state.adoptAnalysis(std::move(done));
    showFigures();
    // The picture starts over with the new analysis.
    context_.refreshPicture();
}

void SubdivisorDialog::rebuildSelected() {
    enableButtons();
    SharedState& state = context_.state;
    if (state.selectedDivisors == nullptr) {
        state.selectedDivisors = &state.pool.take();
        state.selectedDivisors->degree = 0;
    }
    // The trees of the earlier Select go back to the pool before the list is parsed again.
    state.releaseSelected();
    DivisorNode& holder = *state.selectedDivisors;
    const int branches = state.currentFiber != nullptr ? state.currentFiber->degree : 0;
    const QStringList lines = selected_->lines();
    holder.neighbors.assign(static_cast<std::size_t>(lines.size()), nullptr);
    holder.degree = static_cast<int>(lines.size());
    for (qsizetype e = 0; e < lines.size(); ++e) {
        DivisorNode& root = state.pool.take();
        holder.neighbors[static_cast<std::size_t>(e)] = &root;
        buildSelectedDivisor(state.pool, root, lines[e].toStdString(), branches);
    }
}

void SubdivisorDialog::showFigures() {
    const std::string& summary = context_.state.analysisSummary;
    figures_->setText(summary.empty() ? tr("No sub-divisor analysed.")
                                      : QString::fromStdString(summary));
}

void SubdivisorDialog::deleteSelected() {
    const int row = selected_->currentRow();
    if (row < 0) return;
    selected_->removeLine(row);
    // The parsed divisors follow the list at once, and the figures and the picture drop the line
    // that is gone; then the new first line is analysed as Select does (Cancel keeps the list).
    rebuildSelected();
    context_.state.releaseAnalysis();
    showFigures();
    context_.refreshPicture();
    linesBeforeSelect_ = selected_->lines();
    analyseFirstSelected();
}

void SubdivisorDialog::relist() {
    startListing();
}

void SubdivisorDialog::onEllOption() {
    if (options_.ellFilter == 0) {
        const int value = fieldNumber(ellEdit_);
        try {
            options_.ellFilter = ellFilter(value);
        } catch (const InputError& refused) {
            // The box stays unticked, and the user is told why.
            options_.ellFilter = 0;
            context_.reportError(
                this,
                tr("The ell filter stays off: %1.").arg(QString::fromStdString(refused.what())));
        }
    } else {
        options_.ellFilter = 0;
    }
    ellBox_->setChecked(options_.ellFilter != 0);
}

void SubdivisorDialog::onEllEdited() {
    ellBox_->setChecked(false);
    options_.ellFilter = 0;
}

void SubdivisorDialog::onExceptOnlyAB() {
    options_.exceptOnlyAB = !options_.exceptOnlyAB;
    exceptOnlyABBox_->setChecked(options_.exceptOnlyAB);
}

void SubdivisorDialog::onOnlyABC() {
    options_.onlyABC = !options_.onlyABC;
    onlyABCBox_->setChecked(options_.onlyABC);
}

void SubdivisorDialog::seePicture() {
    context_.raisePicture();
    context_.restartPicture();
}

void SubdivisorDialog::saveList() {
    if (busy() || saving()) return;
    const QLocale locale;
    const std::shared_ptr<const SubdivisorLines> lines = lineModel_->sharedLines();
    const auto shown = static_cast<long long>(lines->size());
    // A list that is not whole is saved only when the user says so, and the file says so too.
    if (!listComplete_) {
        const QString question =
            tr("This list is not complete: it holds %1 lines%2.\nSave it marked as cut short?")
                .arg(locale.toString(shown),
                     listTotal_ >= 0 ? tr(" of %1").arg(locale.toString(listTotal_)) : QString());
        if (context_.ask(this, question, {tr("Save as cut short")}) != 0) return;
    }
    SaveRequest request;
    const std::string xText = fiberText().toStdString();
    request.defaultName = QString::fromStdString(subdivisorListFileName(xText));
    request.defaultSuffix = QStringLiteral("doc");
    request.filter = listFileFilter();
    // Written on a worker, line by line, from the list as it was when Save list was pressed.
    const SubdivisorOptions options = listedOptions_;
    const bool complete = listComplete_;
    const long long total = listTotal_;
    saveJob_->setDescriber([shown](const Progress& progress) {
        return tr("Saving the list ...\n%1 of %2 lines written")
            .arg(QLocale().toString(qulonglong(progress.results())), QLocale().toString(shown));
    });
    saveInBackground(
        this, *saveJob_, context_.chooseFile, context_.reportError, request,
        [lines, xText, options, complete, shown, total](std::ostream& out, Progress& progress) {
            SubdivisorListWriter writer(out, xText, options);
            for (std::size_t row = 0; row < lines->size() && out; ++row) {
                if (row % kLinesBetweenLooks == 0) {
                    if (progress.cancelled()) return;
                    progress.setFraction(static_cast<double>(row) / static_cast<double>(shown));
                }
                writer.line(lines->line(row));
                progress.addResults(1);
            }
            if (complete) {
                writer.finish();
            } else {
                writeCutShortMark(out, shown, total, "subdivisors");
            }
        });
    enableButtons();
}

bool SubdivisorDialog::saving() const {
    return saveJob_ != nullptr && saveJob_->running();
}

void SubdivisorDialog::saveQuorbelFile() {
    if (selected_->count() == 0 || fiber_.branchCount() == 0) return;
    // The file is made from the line whose name it proposes, against this dialog's X.
    const std::string yLine = selected_->line(0).toStdString();
    const QuorbelInput input = quorbelInputOf(fiber_, parseSubdivisorLine(fiber_, yLine));
    SaveRequest request;
    request.defaultName =
        QString::fromStdString(polynomialFileName(fiberText().toStdString(), yLine));
    request.defaultSuffix = QStringLiteral("qpf");
    request.filter = quorbelFileFilter();
    saveWithChooser(this, context_.chooseFile, context_.reportError, request,
                    [&input] { return quorbelFileText(input); });
}

bool SubdivisorDialog::mayClose() {
    const int count = selected_->count();
    if (count == 0) return true;
    const QString what =
        count == 1 ? tr("Its selected divisor") : tr("Its %1 selected divisors").arg(count);
    const QString question =
        tr("Close the sub-divisor window?\n%1, the analysis and the picture will be lost.")
            .arg(what);
    return context_.ask(this, question, {tr("Close")}) == 0;
}

void SubdivisorDialog::reject() {
    job_->cancel();
    analysisJob_->cancel();
    saveJob_->cancel();
    ++selectionVersion_;
    SharedState& state = context_.state;
    state.releaseFiberBranches();
    state.releaseSelected();
    if (state.selectedDivisors != nullptr) releaseSubtree(state.pool, state.selectedDivisors);
    state.selectedDivisors = nullptr;
    state.releaseAnalysis();
    state.subdivisorDialogOpen = 0;
    context_.destroyPicture();
    QDialog::reject();
}

}  // namespace dorvanix
