#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace dorvanix {

class AppContext;

// The main window (102): m, r, b and the options of the fiber list. "OK >" stores them in the
// shared state and opens the fiber list; closing this window ends the program.
class ParameterDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ParameterDialog(AppContext& context, QWidget* parent = nullptr);
    // Closes the help window with the main window.
    ~ParameterDialog() override;

    // The About box, modal.
    void showAbout();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void buildControls();
    void resetOptions();
    void onNoDuplicates();
    void onSimpleCrusts();
    void onGenusOption();
    void onGenusEdited();
    void onMultiplicityOption();
    void onMultiplicityEdited();
    void onOk();

    AppContext& context_;
    QLineEdit* m_;
    QLineEdit* r_;
    QLineEdit* b_;
    QCheckBox* noDuplicates_;
    QCheckBox* simpleCrusts_;
    QCheckBox* genusOption_;
    QLineEdit* genus_;
    QCheckBox* multiplicityOption_;
    QLineEdit* coreShown_;
    std::array<QLineEdit*, 4> required_{};
};

}  // namespace dorvanix
