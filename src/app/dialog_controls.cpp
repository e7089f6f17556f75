#include "app/dialog_controls.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "model/leading_number.h"

namespace dorvanix {

QPushButton* makeButton(QWidget* parent, const char* id, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(id));
    button->setAutoDefault(false);
    return button;
}

QCheckBox* makeCheck(QWidget* parent, const char* id, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(id));
    return box;
}

QLineEdit* makeEdit(QWidget* parent, const char* id, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(id));
    edit->setFixedWidth(width);
    return edit;
}

int fieldNumber(const QLineEdit* edit) {
    return leadingNumber(edit->text().toStdString());
}

}  // namespace dorvanix
