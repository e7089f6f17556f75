#pragma once

#include <QDialog>

#include "census/subdivisor_options.h"
#include "model/fiber_data.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace dorvanix {

class AppContext;
class BackgroundJob;
class LineList;

// The sub-divisor dialog (106): X in divisor notation, its sub-divisors Y under the listing
// options, the selected list whose first line is analysed and drawn, and the two savers.
class SubdivisorDialog : public QDialog {
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

  signals:
    // A listing has ended and list 1011 holds what it found.
    void listed();

  private:
    struct Listing;
    void buildControls();
    void listingEnded(Listing& listing, const SubdivisorOptions& options, long long limit);
    void askHowMuch(long long total);
    void setBusy(bool busy);
    void rebuildSelected();
    void analyseFirstSelected();
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
    class SubdivisorLineModel* lineModel_ = nullptr;
    // What the list shown was made with, and whether it holds every line.
    SubdivisorOptions listedOptions_;
    long long listTotal_ = -1;
    long long askAboveLines_ = 1'000'000;
    long long firstLines_ = 1'000'000;
    bool listComplete_ = true;
    BackgroundJob* job_ = nullptr;
};

}  // namespace dorvanix
