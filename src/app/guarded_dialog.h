#pragma once

#include <QDialog>

namespace dorvanix {

// A dialog that Escape or its window's close may not throw away without asking: both go through
// mayClose(), which asks the user when something would be lost. The dialog's own buttons
// (reject()) close it without asking.
class GuardedDialog : public QDialog {
  public:
    using QDialog::QDialog;

  protected:
    // Whether the dialog may close now; asks the user when there is something to lose.
    virtual bool mayClose() = 0;

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace dorvanix
