#pragma once

#include <QDialog>

namespace dorvanix {

class AppContext;
class BackgroundJob;
class LineList;

// The fiber list (101): the fibers X the enumeration finds for the main window's m, r, b and
// options. Choosing one builds it as the current fiber and opens the sub-divisor dialog and the
// picture.
class FiberListDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FiberListDialog(AppContext& context, QWidget* parent = nullptr);
    ~FiberListDialog() override;

    // Runs the enumeration on a worker thread; the list fills when it is done (or cancelled).
    void startEnumeration();
    bool busy() const;
    BackgroundJob* job() const { return job_; }
    LineList* list() const { return list_; }

    // Builds the current line (the first when none is current) as the current fiber.
    void choose();
    void saveList();
    // Closes the list; the chosen fiber and the other windows stay.
    void reject() override;

  signals:
    // The enumeration has ended and the list holds what it found.
    void listed();

  private:
    AppContext& context_;
    LineList* list_;
    BackgroundJob* job_;
};

}  // namespace dorvanix
