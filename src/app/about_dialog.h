#pragma once

#include <QDialog>

namespace dorvanix {

// The About box: the icon, the program's name and version, and OK.
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

// The text of the About entry in the main window's menu.
QString aboutMenuText();

}  // namespace dorvanix
