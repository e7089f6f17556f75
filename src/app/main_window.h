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
class MainWindow : public QDialog {
    Q_OBJECT
  public:
    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    // Closes the help window with the main window.
    ~MainWindow() override;

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
    bool wholeGenus() const;
    bool withinBounds();
    void onOk();

    AppContext& context_;
    QLineEdit* mEdit_;
    QLineEdit* rEdit_;
    QLineEdit* bEdit_;
    QCheckBox* noDuplicatesBox_;
    QCheckBox* simpleCrustsBox_;
    QCheckBox* genusBox_;
    QLineEdit* genusEdit_;
    QCheckBox* multiplicityBox_;
    QLineEdit* coreShownEdit_;
    std::array<QLineEdit*, 4> requiredEdits_{};
};

}  // namespace dorvanix
