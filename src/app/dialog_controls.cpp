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
    return leadingNumber(asciiNumberText(edit->text()).toStdString());
}

QString asciiNumberText(const QString& text) {
    QString ascii;
    ascii.reserve(text.size());
    for (const QChar c : text) {
        if (c.isDigit()) {
            ascii += QChar(u'0' + c.digitValue());
        } else if (c.isSpace()) {
            ascii += u' ';
        } else if (c == u'\u2212' || c == u'\uFF0D') {  // minus sign, fullwidth hyphen-minus
            ascii += u'-';
        } else if (c == u'\uFF0B') {  // fullwidth plus
            ascii += u'+';
        } else {
            ascii += c;
        }
    }
    return ascii;
}

}  // namespace dorvanix
