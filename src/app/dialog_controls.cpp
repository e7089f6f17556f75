#include "app/dialog_controls.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

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

void keepOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) return;
    const QRect free = screen->availableGeometry();
    // Until the window manager has framed the window a usual frame stands in for its own.
    QMargins frame(window->geometry().left() - window->frameGeometry().left(),
                   window->geometry().top() - window->frameGeometry().top(),
                   window->frameGeometry().right() - window->geometry().right(),
                   window->frameGeometry().bottom() - window->geometry().bottom());
    if (frame.isNull()) frame = QMargins(8, 32, 8, 8);
    const QSize most = free.marginsRemoved(frame).size();
    if (window->width() > most.width() || window->height() > most.height()) {
        window->resize(std::min(window->width(), most.width()),
                       std::min(window->height(), most.height()));
    }
    QRect outer = window->geometry().marginsAdded(frame);
    outer.moveLeft(std::clamp(outer.left(), free.left(), free.right() + 1 - outer.width()));
    outer.moveTop(std::clamp(outer.top(), free.top(), free.bottom() + 1 - outer.height()));
    window->move(outer.topLeft());
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
