#pragma once

#include <QString>
#include <array>
#include <utility>
#include <vector>
#include "app/guarded_dialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace dorvanix {

class AppContext;
class SharedState;

// The main window (102): m, r, b and the options of the fiber list. "OK >" stores them in the
// shared state and opens the fiber list; closing this window ends the program. The fields and
// options come back as they were last accepted by "OK >".
class MainWindow : public GuardedDialog {
    Q_OBJECT
  public:
    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    // Closes the help window.
    ~MainWindow() override;

    // The About box, modal.
    void showAbout();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Escape and the window's close end the program; they ask first while other windows are
    // open, as their lists and selected divisors would be lost.
    bool mayClose() override;

  private:
    // An option remembered between runs: its key, its flag in the shared state (on when nonzero)
    // and the handler of its box.
    struct RememberedOption {
        const char* key;
        int SharedState::*flag;
        void (MainWindow::*switchOn)();
    };
    static const std::array<RememberedOption, 4> kRememberedOptions;

    void buildControls();
    void resetOptions();
    // The fields and options of the last run, and remembering them for the next.
    void restoreInput();
    void rememberInput() const;
    // The fields remembered between runs, by their key.
    std::vector<std::pair<QString, QLineEdit*>> rememberedFields() const;
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
