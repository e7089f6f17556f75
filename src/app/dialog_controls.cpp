#include "app/dialog_controls.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "model/input_check.h"
#include "model/leading_number.h"

namespace dorvanix {

namespace {

// A scroll area that asks for the whole of its content (a plain one asks for at most 36 x 24
// lines of text), so that it scrolls only where the screen is too small.
class ContentScrollArea : public QScrollArea {
  public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override {
        if (widget() == nullptr) return QScrollArea::sizeHint();
        const int frame = 2 * frameWidth();
        return widget()->sizeHint() + QSize(frame, frame);
    }
};

}  // namespace

QWidget* scrollingContent(QWidget* window) {
    auto* area = new ContentScrollArea(window);
    area->setObjectName(QStringLiteral("scrollArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    auto* content = new QWidget(area);
    area->setWidget(content);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    return content;
}

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
    const QRect inner = window->geometry();
    const QRect framed = window->frameGeometry();
    QMargins frame(inner.left() - framed.left(), inner.top() - framed.top(),
                   framed.right() - inner.right(), framed.bottom() - inner.bottom());
    if (frame.isNull()) frame = QMargins(8, 32, 8, 8);
    const QSize most = free.marginsRemoved(frame).size();
    if (window->width() > most.width() || window->height() > most.height()) {
        window->resize(std::min(window->width(), most.width()),
                       std::min(window->height(), most.height()));
    }
    // The window manager places a window that has not been shown; one that has is moved back
    // onto the screen where it lies partly off it. A window that cannot shrink enough (its
    // controls need the room) keeps its title bar on the screen.
    if (!window->isVisible()) return;
    QRect outer = window->geometry().marginsAdded(frame);
    if (free.contains(outer)) return;
    outer.moveLeft(std::max(free.left(), std::min(outer.left(), free.right() + 1 - outer.width())));
    outer.moveTop(std::max(free.top(), std::min(outer.top(), free.bottom() + 1 - outer.height())));
    window->move(outer.topLeft());
}

QString asciiNumberText(const QString& text) {
    return QString::fromStdString(dorvanix::asciiNumberText(text.toStdString()));
}

}  // namespace dorvanix
