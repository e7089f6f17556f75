#include "app/guarded_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace dorvanix {

void GuardedDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !mayClose()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void GuardedDialog::closeEvent(QCloseEvent* event) {
    if (isVisible() && !mayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace dorvanix
