#pragma once

#include <QWidget>

namespace dorvanix {

// The picture window's frame while the drawing is not built into the program: an empty window
// with the picture's caption that tells its owner when it closes.
class PicturePlaceholder : public QWidget {
    Q_OBJECT
  public:
    explicit PicturePlaceholder(QWidget* parent = nullptr);

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace dorvanix
