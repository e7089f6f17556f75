#include "app/picture_window.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFont>
#include <QFontMetricsF>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <variant>

#include "app/control_ids.h"
#include "app/file_saving.h"
#include "files/atomic_file.h"
#include "picture/svg_export.h"

namespace dorvanix {

namespace {

constexpr int kTickMilliseconds = 100;

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
      animation_(animation),
      scene_(std::move(scene)),
      frame_(kPictureWidth, kPictureHeight, QImage::Format_RGB32) {
    setObjectName(ids::kPictureWindow);
    setWindowTitle("Dorvanix");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    frame_.fill(Qt::white);
    resize(598, 480);
    timer_.setInterval(kTickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &PictureWindow::advance);
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

void PictureWindow::renderFrame() {
    frameItems_ = animation_.paint(scene_(), view_);
    frame_.fill(Qt::white);
    QPainter painter(&frame_);
    paintDrawList(painter, frameItems_);
}

void PictureWindow::paintEvent(QPaintEvent*) {
    renderFrame();
    QPainter painter(this);
    painter.drawImage(0, 0, frame_);
}

// The drawing's origin goes to half the outer window size, so the picture stays centred.
void PictureWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QRect outer = frameGeometry();
    view_.originX = outer.width() / 2;
    view_.originY = outer.height() / 2;
    timer_.start();
    update();
}

void PictureWindow::mouseReleaseEvent(QMouseEvent* event) {
    const bool menuRequest = event->modifiers().testFlag(Qt::ControlModifier);
    if (event->button() == Qt::LeftButton) {
        animation_.restart();
    } else if (event->button() == Qt::RightButton && !menuRequest) {
        animation_.togglePause();
    }
    update();
    QWidget::mouseReleaseEvent(event);
}

// A plain right click pauses; the save menu comes with Ctrl or from the keyboard.
void PictureWindow::contextMenuEvent(QContextMenuEvent* event) {
    const bool fromMouse = event->reason() == QContextMenuEvent::Mouse;
    if (fromMouse && !event->modifiers().testFlag(Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    event->accept();
    offerToSave();
}

void PictureWindow::offerToSave() {
    QMenu menu(this);
    QAction* png = menu.addAction(tr("Save frame as PNG..."));
    menu.addAction(tr("Save frame as SVG..."));
    QAction* chosen = menu.exec(QCursor::pos());
    if (chosen == nullptr) return;
    const bool asPng = chosen == png;
    const QString path = QFileDialog::getSaveFileName(
        this, chosen->text(), QString(), asPng ? tr("PNG image (*.png)") : tr("SVG image (*.svg)"));
    if (path.isEmpty()) return;
    const QString failure =
        asPng ? writeFramePng(path) : writeFileAtomically(path, svgDocument(frameItems_));
    if (!failure.isEmpty()) QMessageBox::warning(this, windowTitle(), failure);
}

// The image is encoded in memory first, so that the file is written whole or not at all.
QString PictureWindow::writeFramePng(const QString& path) const {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !frame_.save(&buffer, "PNG")) {
        return tr("The frame could not be encoded as PNG.");
    }
    return writeFileAtomically(path, std::string_view(png.constData(), png.size()));
}

bool PictureWindow::saveFramePng(const QString& path) const {
    return writeFramePng(path).isEmpty();
}

void PictureWindow::saveFrameSvg(const QString& path) const {
    const QString failure = writeFileAtomically(path, svgDocument(frameItems_));
    if (!failure.isEmpty()) throw FileWriteError(failure.toLocal8Bit().toStdString());
}

void PictureWindow::closeEvent(QCloseEvent* event) {
    timer_.stop();
    announceClosed();
    QWidget::closeEvent(event);
}

}  // namespace dorvanix
