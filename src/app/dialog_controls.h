#pragma once

#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace dorvanix {

// The controls of the three dialogs, each named by its id (control_ids.h).

// A push button; it is not the default button unless the dialog makes it so.
QPushButton* makeButton(QWidget* parent, const char* id, const QString& caption);
QCheckBox* makeCheck(QWidget* parent, const char* id, const QString& caption);
// An edit of a fixed width in pixels.
QLineEdit* makeEdit(QWidget* parent, const char* id, int width = 60);
// The number an edit shows, read by the core's one number reader (leading digits, 0 for none).
// Digits of every script count as the digits they are (a pasted fullwidth "５" is 5).
int fieldNumber(const QLineEdit* edit);
// Shrinks a window where need be, and once shown moves it, so that it lies whole on its screen's
// free area, frame included; at twice the scale, or on a small screen, a window may otherwise open
// partly off it. Called before a window is shown and again once it is.
void keepOnScreen(QWidget* window);

// Lays a window's controls out in a scroll area that fills it, and answers the widget to lay them
// out on. The window opens as large as its controls want where the screen has the room, and can
// be made as small as a small screen needs (a 1024 x 600 screen at twice the scale offers
// 512 x 300): its controls then scroll, so that every one can still be reached.
QWidget* scrollingContent(QWidget* window);

// `text` with every decimal digit, space, minus and plus sign written as its ASCII character, the
// rest as it is.
QString asciiNumberText(const QString& text);

}  // namespace dorvanix
