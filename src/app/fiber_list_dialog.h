#pragma once

#include <memory>
#include "app/guarded_dialog.h"

class QLabel;
class QTimer;

namespace dorvanix {

class AppContext;
class BackgroundJob;
class LineList;

// The fiber list (101): the fibers X the enumeration finds for the main window's m, r, b and
// options, or every fiber of one genus. Choosing one builds it as the current fiber and opens the
// sub-divisor dialog and the picture.
class FiberListDialog : public GuardedDialog {
    Q_OBJECT
  public:
    explicit FiberListDialog(AppContext& context, QWidget* parent = nullptr);
    ~FiberListDialog() override;

    // Lines above which the list asks before it is made, and how many "the first" are.
    void setListLimits(long long askAboveLines, long long firstLines) {
        askAboveLines_ = askAboveLines;
        firstLines_ = firstLines;
    }

    // Runs the enumeration (or the census of a genus) on a worker thread; the lines show as they
    // are found. The lines there could be are bounded first; past the limit the user chooses
    // between all of them (when they fit in memory), the first ones, or none. A `limit` lists at
    // most that many lines without asking.
    void startEnumeration(long long limit = -1);
    bool busy() const;
    // False while the list is being made, and when it was cancelled or cut off.
    bool complete() const { return complete_; }
    BackgroundJob* job() const { return job_; }
    // Save list writes on a worker of its own.
    bool saving() const;
    BackgroundJob* saveJob() const { return saveJob_; }
    LineList* list() const { return list_; }

    // Builds the current line (the first when none is current) as the current fiber.
    void choose();
    void saveList();
    // Closes the list; the chosen fiber and the other windows stay.
    void reject() override;

  protected:
    // Escape and the window's close ask first when the list holds fibers or is being made.
    bool mayClose() override;

  signals:
    // The enumeration has ended and the list holds what it found.
    void listed();

  private:
    struct Listing;
    void takeFound();
    // The words of the progress dialog while the list is counted or timed; empty while it lists.
    QString describeWork() const;
    void enumerationEnded();
    void askHowMuch();
    void setBusy(bool busy);

    AppContext& context_;
    LineList* list_;
    BackgroundJob* job_;
    BackgroundJob* saveJob_;
    QLabel* status_;
    QWidget* okButton_ = nullptr;
    QWidget* saveButton_ = nullptr;
    QTimer* arrivals_;
    std::shared_ptr<Listing> listing_;
    long long askAboveLines_ = 1'000'000;
    long long firstLines_ = 1'000'000;
    bool complete_ = false;
    bool declined_ = false;  // the user chose not to make the long list
};

}  // namespace dorvanix
