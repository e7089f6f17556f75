#pragma once

#include <QWidget>

class QTextBrowser;

namespace dorvanix {

// The program's help: HTML pages bundled with the program, opened at the page of a dialog.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // 2: the main window, 4: the fiber list, 5: the sub-divisor dialog; anything else: contents.
    void showContext(int helpContext);
    // The page shown for a help context.
    static QString pageOf(int helpContext);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

}  // namespace dorvanix
