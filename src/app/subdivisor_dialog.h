#pragma once

#include <QStringList>
#include <functional>
#include <memory>
#include "app/guarded_dialog.h"

#include "census/subdivisor_options.h"
#include "model/fiber_data.h"
#include "model/progress.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace dorvanix {

class AppContext;
class BackgroundJob;
class LineList;
struct DetachedAnalysis;
struct TimedSample;

// The sub-divisor dialog (106): X in divisor notation, its sub-divisors Y under the listing
// options, the selected list whose first line is analysed and drawn, and the two savers.
class SubdivisorDialog : public GuardedDialog {
    Q_OBJECT
  public:
    explicit SubdivisorDialog(AppContext& context, QWidget* parent = nullptr);
    ~SubdivisorDialog() override;

    // Lines above which the dialog asks before it lists, and how many "the first" are.
    void setListLimits(long long askAboveLines, long long firstLines) {
        askAboveLines_ = askAboveLines;
        firstLines_ = firstLines;
    }
    // The most memory a whole list may take; a longer list can only be listed in part.
    static constexpr double kListMemoryCap = 2.0 * 1024 * 1024 * 1024;

    // Lists the sub-divisors of X on a worker thread under the current options. The lines are
    // counted first; past a million the user chooses between all of them (when they fit in
    // memory), the first million, or narrowing the options. A `limit` lists at most that
    // many lines without asking.
    void startListing(long long limit = -1);
    bool busy() const;
    BackgroundJob* job() const { return job_; }
    // Select analyses the first selected line on a worker thread of its own.
    bool analysing() const;
    BackgroundJob* analysisJob() const { return analysisJob_; }
    // Save list writes on a worker of its own.
    bool saving() const;
    BackgroundJob* saveJob() const { return saveJob_; }
    // Runs on the worker before every analysis; a test holds the analysis there (until the
    // progress is cancelled) to act while it runs.
    void setAnalysisGate(std::function<void(const Progress&)> gate) { gate_ = std::move(gate); }

    const SubdivisorOptions& options() const { return options_; }
    LineList* subdivisorList() const { return subdivisors_; }
    LineList* selectedList() const { return selected_; }
    QString fiberText() const;

    void select();
    void deleteSelected();
    void relist();
    void onEllOption();
    void onEllEdited();
    void onExceptOnlyAB();
    void onOnlyABC();
    void seePicture();
    void saveList();
    void saveQuorbelFile();
    // Closes the dialog: X's branches, the selected sub-divisors and the analysis go back to the
    // pool, and the picture window goes with this dialog.
    void reject() override;

  protected:
    // Escape and the window's close ask first when selected divisors would be lost.
    bool mayClose() override;

  signals:
    // A listing has ended and list 1011 holds what it found.
    void listed();

  private:
    struct Listing;
    void buildControls();
    void listingEnded(Listing& listing, const SubdivisorOptions& options, long long limit);
    // The words of the progress dialog while a listing is timed; empty while it lists.
    QString describeListing() const;
    void askHowMuch(long long total, const TimedSample& sample);
    void setBusy(bool busy);
    void enableButtons();
    void rebuildSelected();
    // Analyses the first selected line on a worker; with none, the analysis goes.
    void analyseFirstSelected();
    void analysisEnded();
    void showFigures();

    AppContext& context_;
    FiberData fiber_;
    SubdivisorOptions options_;
    QLineEdit* fiberEdit_ = nullptr;
    LineList* subdivisors_ = nullptr;
    LineList* selected_ = nullptr;
    QCheckBox* ellBox_ = nullptr;
    QLineEdit* ellEdit_ = nullptr;
    QCheckBox* exceptOnlyABBox_ = nullptr;
    QCheckBox* onlyABCBox_ = nullptr;
    QLabel* figures_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* selectButton_ = nullptr;
    QWidget* saveButton_ = nullptr;
    QWidget* pictureButton_ = nullptr;
    QWidget* quorbelButton_ = nullptr;
    class SubdivisorLineModel* lineModel_ = nullptr;
    // What the list shown was made with, and whether it holds every line.
    SubdivisorOptions listedOptions_;
    // The end of the listing that runs now; a Re-list during a listing replaces it, so that only
    // the latest listing's end is shown.
    QMetaObject::Connection listingEnd_;
    std::shared_ptr<Listing> latestListing_;  // for the words of its progress
    long long listTotal_ = -1;
    long long askAboveLines_ = 1'000'000;
    long long firstLines_ = 1'000'000;
    bool listComplete_ = true;
    bool listing_ = false;
    BackgroundJob* job_ = nullptr;
    // The analysis Select started, and the version of the selected list it was started for;
    // every change of that list counts up, so an answer for an earlier list is never shown.
    BackgroundJob* analysisJob_ = nullptr;
    BackgroundJob* saveJob_ = nullptr;
    std::shared_ptr<DetachedAnalysis> analysis_;
    unsigned analysedVersion_ = 0;
    unsigned selectionVersion_ = 0;
    QStringList linesBeforeSelect_;
    std::function<void(const Progress&)> gate_;
};

}  // namespace dorvanix
