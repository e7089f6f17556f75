#include "app/picture_placeholder.h"

#include <QCloseEvent>

namespace dorvanix {

PicturePlaceholder::PicturePlaceholder(QWidget* parent) : QWidget(parent) {
    setObjectName("108");
    setWindowTitle("Dorvanix");
    resize(450, 390);
}

void PicturePlaceholder::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace dorvanix
