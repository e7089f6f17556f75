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

    // Lists the sub-divisors of X on a worker thread under the current options.
    void startListing();
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
    void buildControls();
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
    BackgroundJob* job_ = nullptr;
};

}  // namespace dorvanix
