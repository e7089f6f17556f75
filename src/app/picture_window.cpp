#include "app/picture_window.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFont>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <variant>

#include "app/control_ids.h"
#include "app/file_saving.h"
#include "files/atomic_file.h"
#include "picture/svg_export.h"

namespace dorvanix {

namespace {

constexpr int kTickMilliseconds = 100;
// One wheel notch or one Ctrl + plus.
constexpr double kZoomStep = 1.25;

QColor qtColour(Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

void paintSegment(QPainter& painter, const CubicSegment& segment) {
    const auto& p = segment.points;
    QPainterPath path(QPointF(p[0].x, p[0].y));
    path.cubicTo(QPointF(p[1].x, p[1].y), QPointF(p[2].x, p[2].y), QPointF(p[3].x, p[3].y));
    painter.setPen(
        QPen(qtColour(segment.colour), segment.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

void paintLabel(QPainter& painter, const TextLabel& label) {
    painter.setPen(qtColour(label.colour));
    const double ascent = QFontMetricsF(painter.font()).ascent();
    painter.drawText(QPointF(label.topLeft.x, label.topLeft.y + ascent),
                     QString::fromStdString(label.text));
}

// A menu at the mouse with one entry per answer; the question is not shown.
int askWithMenu(QWidget* parent, const QString&, const QStringList& answers) {
    QMenu menu(parent);
    for (const QString& answer : answers) menu.addAction(answer);
    const QAction* chosen = menu.exec(QCursor::pos());
    return chosen == nullptr ? -1 : static_cast<int>(menu.actions().indexOf(chosen));
}

std::string pngOf(const DrawList& frame) {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintDrawList(painter, frame);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        throw FileWriteError("The frame could not be encoded as PNG.");
    }
    return png.toStdString();
}

}  // namespace

void paintDrawList(QPainter& painter, const DrawList& list) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setBrush(Qt::NoBrush);
    QFont font = painter.font();
    font.setPixelSize(kLabelPixelSize);
    painter.setFont(font);
    for (const DrawItem& item : list.items) {
        if (const auto* segment = std::get_if<CubicSegment>(&item)) {
            paintSegment(painter, *segment);
        } else {
            paintLabel(painter, std::get<TextLabel>(item));
        }
    }
}

PictureWindow::PictureWindow(PictureAnimation& animation, std::function<Scene()> scene,
                             QWidget* parent)
    : QWidget(parent, Qt::Window),
      chooseFormat(askWithMenu),
      animation_(animation),
      scene_(std::move(scene)),
      view_{kPictureWidth / 2, kPictureHeight / 2, 1.0},
      focus_(view_.originX, view_.originY) {
    setObjectName(ids::kPictureWindow);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(598, 480);
    timer_.setInterval(kTickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &PictureWindow::advance);
    followPause();
}

PictureWindow::~PictureWindow() {
    announceClosed();
}

void PictureWindow::announceClosed() {
    if (closedAnnounced_) return;
    closedAnnounced_ = true;
    emit closed();
}

void PictureWindow::advance() {
    animation_.tick(scene_(), random_);
    update();
}

QTransform PictureWindow::sceneToWindow() const {
    const double fit = std::min(width() / double(kPictureWidth), height() / double(kPictureHeight));
    const double scale = fit * zoom_;
    QTransform transform;
    transform.translate(width() / 2.0, height() / 2.0);
    transform.scale(scale, scale);
    transform.translate(-focus_.x(), -focus_.y());
    return transform;
}

// The curves are painted straight onto the window, so they stay sharp at every zoom and on
// screens of any pixel density; Qt's backing store keeps the animation from flickering.
void PictureWindow::paintEvent(QPaintEvent*) {
    frameItems_ = animation_.paint(scene_(), view_);
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.save();
    painter.setTransform(sceneToWindow());
    paintDrawList(painter, frameItems_);
    painter.restore();
    if (animation_.animationPaused()) {
        painter.setPen(Qt::darkGray);
        painter.drawText(rect().adjusted(8, 4, -8, -4), Qt::AlignLeft | Qt::AlignTop, tr("Paused"));
    }
}

void PictureWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    followPause();
}

void PictureWindow::followPause() {
    const bool paused = animation_.animationPaused();
    setWindowTitle(paused ? tr("Dorvanix - Paused") : QStringLiteral("Dorvanix"));
    if (paused || !isVisible()) {
        timer_.stop();
    } else if (!timer_.isActive()) {
        timer_.start();
    }
    update();
}

void PictureWindow::togglePause() {
    animation_.togglePause();
    followPause();
}

// The scene point under `windowPoint` stays there.
void PictureWindow::zoomAbout(double factor, QPointF windowPoint) {
    constexpr double kLeastZoom = 0.1;
    constexpr double kMostZoom = 20.0;
    if (width() <= 0 || height() <= 0) return;
    const QPointF scenePoint = sceneToWindow().inverted().map(windowPoint);
    zoom_ = std::clamp(zoom_ * factor, kLeastZoom, kMostZoom);
    const double scale = sceneToWindow().m11();
    focus_ = scenePoint - (windowPoint - QPointF(width() / 2.0, height() / 2.0)) / scale;
    update();
}

void PictureWindow::wheelEvent(QWheelEvent* event) {
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        QWidget::wheelEvent(event);
        return;
    }
    zoomAbout(std::pow(kZoomStep, event->angleDelta().y() / 120.0), event->position());
    event->accept();
}

void PictureWindow::keyPressEvent(QKeyEvent* event) {
    const QPointF centre(width() / 2.0, height() / 2.0);
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        QWidget::keyPressEvent(event);
    } else if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal) {
        zoomAbout(kZoomStep, centre);
    } else if (event->key() == Qt::Key_Minus) {
        zoomAbout(1 / kZoomStep, centre);
    } else if (event->key() == Qt::Key_0) {
        zoom_ = 1.0;
        focus_ = QPointF(view_.originX, view_.originY);
        update();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void PictureWindow::mouseReleaseEvent(QMouseEvent* event) {
    const bool menuRequest = event->modifiers().testFlag(Qt::ControlModifier);
    if (event->button() == Qt::LeftButton) {
        animation_.restart();
    } else if (event->button() == Qt::RightButton && !menuRequest) {
        togglePause();
    }
    update();
    QWidget::mouseReleaseEvent(event);
}

// A plain right click pauses; saving comes with Ctrl or from the keyboard.
void PictureWindow::contextMenuEvent(QContextMenuEvent* event) {
    const bool fromMouse = event->reason() == QContextMenuEvent::Mouse;
    if (fromMouse && !event->modifiers().testFlag(Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    event->accept();
    offerToSave();
}

// The frame is taken before anything is asked: the animation goes on behind the menu and the
// save dialog, and what is saved is what was on the screen at the click.
void PictureWindow::offerToSave() {
    const DrawList frame = frameItems_;
    const int format = chooseFormat(this, tr("Save the frame"),
                                    {tr("Save frame as PNG..."), tr("Save frame as SVG...")});
    if (format < 0) return;
    const bool asPng = format == 0;
    SaveRequest request;
    request.defaultName = QStringLiteral("frame");
    request.defaultSuffix = asPng ? QStringLiteral("png") : QStringLiteral("svg");
    request.filter = asPng ? tr("PNG image (*.png)") : tr("SVG image (*.svg)");
    saveWithChooser(this, chooseFile, reportError, request,
                    [&frame, asPng] { return asPng ? pngOf(frame) : svgDocument(frame); });
}

void PictureWindow::closeEvent(QCloseEvent* event) {
    timer_.stop();
    announceClosed();
    QWidget::closeEvent(event);
}

}  // namespace dorvanix
