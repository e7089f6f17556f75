#include "app/picture_window.h"

#include <QApplication>
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
#include <mutex>
#include <utility>
#include <variant>

#include "app/background_job.h"
#include "app/control_ids.h"
#include "app/file_saving.h"
#include "app/picture_content.h"
#include "files/atomic_file.h"
#include "picture/library_random.h"
#include "picture/picture_animation.h"
#include "picture/svg_export.h"

namespace dorvanix {

namespace {

constexpr int kTickMilliseconds = 100;
// One wheel notch or one Ctrl + plus.
constexpr double kZoomStep = 1.25;
constexpr double kLeastZoom = 0.1;
constexpr double kMostZoom = 20.0;
// How many items are painted between two looks at the cancel flag.
constexpr std::size_t kItemsBetweenLooks = 4096;
// The drawing's origin at the centre of the 1024 x 768 scene, where the tool puts it too.
const View kSceneView{kPictureWidth / 2, kPictureHeight / 2, 1.0};
const QRectF kSceneRect(0, 0, kPictureWidth, kPictureHeight);
// Room kept around what is drawn when the view follows it.
constexpr double kMargin = 16;

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
    painter.setPen(readableOnWhite(qtColour(label.colour)));
    const double ascent = QFontMetricsF(painter.font()).ascent();
    painter.drawText(QPointF(label.topLeft.x, label.topLeft.y + ascent),
                     QString::fromStdString(label.text));
}

// The part of the scene a draw list covers: the control points of every curve (which hold the
// curve) and the box of every label.
QRectF itemBounds(const DrawList& list) {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool any = false;
    const auto take = [&](double x, double y) {
        left = any ? std::min(left, x) : x;
        right = any ? std::max(right, x) : x;
        top = any ? std::min(top, y) : y;
        bottom = any ? std::max(bottom, y) : y;
        any = true;
    };
    for (const DrawItem& item : list.items) {
        if (const auto* segment = std::get_if<CubicSegment>(&item)) {
            for (const PixelPoint& p : segment->points) take(p.x, p.y);
        } else {
            const auto& label = std::get<TextLabel>(item);
            take(label.topLeft.x, label.topLeft.y);
            take(label.topLeft.x + kLabelPixelSize * 0.6 * static_cast<double>(label.text.size()),
                 label.topLeft.y + kLabelPixelSize);
        }
    }
    if (!any) return {};
    return QRectF(QPointF(left, top), QPointF(right, bottom))
        .adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

// The scene's `box` fitted into a window of `size` with its aspect kept, zoomed by `zoom` about
// `focus`, which lands at the window's centre.
QTransform placementTransform(QSize size, const QRectF& box, double zoom, QPointF focus) {
    const double fit = std::min(size.width() / box.width(), size.height() / box.height());
    const double scale = fit * zoom;
    QTransform transform;
    transform.translate(size.width() / 2.0, size.height() / 2.0);
    transform.scale(scale, scale);
    transform.translate(-focus.x(), -focus.y());
    return transform;
}

// A menu at the mouse with one entry per answer; the question is not shown.
int askWithMenu(QWidget* parent, const QString&, const QStringList& answers) {
    QMenu menu(parent);
    for (const QString& answer : answers) menu.addAction(answer);
    const QAction* chosen = menu.exec(QCursor::pos());
    return chosen == nullptr ? -1 : static_cast<int>(menu.actions().indexOf(chosen));
}

std::string pngOf(const DrawList& frame) {
    const QImage image = rasterFrame(frame, QSize(kPictureWidth, kPictureHeight), 1.0, {});
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        throw FileWriteError("The frame could not be encoded as PNG.");
    }
    return png.toStdString();
}

}  // namespace

double contrastWithWhite(const QColor& colour) {
    // Relative luminance and contrast ratio as the Web Content Accessibility Guidelines define
    // them.
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
                             0.0722 * linear(colour.blueF());
    return 1.05 / (luminance + 0.05);
}

QColor readableOnWhite(const QColor& colour) {
    if (contrastWithWhite(colour) >= kLeastTextContrast) return colour;
    // The same hue, darker, by halving the step until the least darkening that reads is found.
    double low = 0;  // darkens too little
    double high = 1;
    for (int i = 0; i < 20; ++i) {
        const double mid = (low + high) / 2;
        const QColor darker = colour.darker(static_cast<int>(100 + 400 * mid));
        if (contrastWithWhite(darker) >= kLeastTextContrast) {
            high = mid;
        } else {
            low = mid;
        }
    }
    return colour.darker(static_cast<int>(100 + 400 * high));
}

bool paintDrawList(QPainter& painter, const DrawList& list,
                   const std::function<bool()>& cancelled) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setBrush(Qt::NoBrush);
    QFont font = painter.font();
    font.setPixelSize(kLabelPixelSize);
    painter.setFont(font);
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        if (cancelled && i % kItemsBetweenLooks == 0 && cancelled()) return false;
        const DrawItem& item = list.items[i];
        if (const auto* segment = std::get_if<CubicSegment>(&item)) {
            paintSegment(painter, *segment);
        } else {
            paintLabel(painter, std::get<TextLabel>(item));
        }
    }
    return true;
}

QImage rasterFrame(const DrawList& list, QSize size, double pixelRatio,
                   const QTransform& sceneToWindow, const std::function<bool()>& cancelled) {
    QImage image(size * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setTransform(sceneToWindow);
    if (!paintDrawList(painter, list, cancelled)) return {};
    return image;
}

// The animation of one content: its step, and the random draws of its relaxation from the start
// of the C library's sequence. Only the frame worker that holds the content's `layout` uses it.
struct PictureWindow::Animation {
    PictureAnimation steps;
    LibraryRandom sequence;
    RandomSource random = std::ref(sequence);
};

// One frame as a worker made it.
struct PictureWindow::Frame {
    QImage image;
    DrawList items;
    QTransform transform;
    QRectF box;
    double zoom = 1.0;
    QPointF focus;
    int step = 0;
};

PictureWindow::PictureWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      chooseFormat(askWithMenu),
      frameJob_(new BackgroundJob(this, QString())) {
    setObjectName(ids::kPictureWindow);
    setWindowTitle(QStringLiteral("Dorvanix"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(598, 480);
    timer_.setInterval(kTickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &PictureWindow::advance);
    connect(frameJob_, &BackgroundJob::finished, this, &PictureWindow::frameMade);
    followPause();
}

PictureWindow::~PictureWindow() {
    // A frame still being made is cancelled and ends by itself; it holds what it works on.
    delete frameJob_;
    frameJob_ = nullptr;
    announceClosed();
}

void PictureWindow::announceClosed() {
    if (closedAnnounced_) return;
    closedAnnounced_ = true;
    emit closed();
}

void PictureWindow::setContent(std::shared_ptr<PictureContent> content, const QString& refusal) {
    if (content == content_ && refusal == refusal_) return;
    refusal_ = refusal;
    content_ = std::move(content);
    animation_ = std::make_shared<Animation>();
    shown_.reset();
    step_ = 0;
    restartWanted_ = false;
    frameWanted_ = false;
    frameJob_->stop();  // a frame of the earlier content is not shown
    followPause();
    requestFrame(false);
    update();
}

bool PictureWindow::makingFrame() const {
    return frameJob_ != nullptr && frameJob_->running();
}

const DrawList& PictureWindow::frameItems() const {
    static const DrawList kNothing;
    return shown_ != nullptr ? shown_->items : kNothing;
}

void PictureWindow::advance() {
    requestFrame(!paused_);
}

void PictureWindow::restart() {
    restartWanted_ = true;
    step_ = 0;
    requestFrame(false);
}

void PictureWindow::requestFrame(bool tick) {
    if (content_ == nullptr || !refusal_.isEmpty() || frameJob_ == nullptr || width() <= 0 ||
        height() <= 0) {
        return;
    }
    if (frameJob_->running()) {
        // A tick waits for the next timer; a change of view or a restart is shown next.
        if (!tick) frameWanted_ = true;
        return;
    }
    auto frame = std::make_shared<Frame>();
    making_ = frame;
    const bool restart = std::exchange(restartWanted_, false);
    const Placement placement = placement_;
    const QSize size = this->size();
    const double ratio = devicePixelRatioF();
    frameJob_->start([content = content_, animation = animation_, frame, tick, restart, placement,
                      size, ratio](Progress& progress) {
        {
            // The trees are this content's: one worker at a time moves and paints them.
            const std::lock_guard<std::mutex> lock(content->layout);
            const Scene scene = content->scene();
            if (restart) animation->steps.restart();
            if (tick) animation->steps.tick(scene, animation->random);
            frame->items = animation->steps.paint(scene, kSceneView);
            frame->step = animation->steps.animationStep();
        }
        if (placement.follow) {
            frame->box = kSceneRect.united(itemBounds(frame->items));
            frame->focus = frame->box.center();
        } else {
            frame->box = placement.box;
            frame->zoom = placement.zoom;
            frame->focus = placement.focus;
        }
        frame->transform = placementTransform(size, frame->box, frame->zoom, frame->focus);
        frame->image = rasterFrame(frame->items, size, ratio, frame->transform,
                                   [&progress] { return progress.cancelled(); });
    });
}

void PictureWindow::frameMade() {
    std::shared_ptr<Frame> made = std::move(making_);
    if (!frameJob_->failure().isEmpty()) {
        refusal_ = tr("The picture could not be drawn: %1").arg(frameJob_->failure());
        followPause();
        update();
        return;
    }
    if (made != nullptr && !frameJob_->cancelled() && !made->image.isNull()) {
        shown_ = std::move(made);
        shownTransform_ = shown_->transform;
        step_ = restartWanted_ ? 0 : shown_->step;
        ++framesShown_;
        update();
    }
    if (std::exchange(frameWanted_, false) || restartWanted_) requestFrame(false);
}

// The curves were painted into the frame's image by its worker; the interface thread only shows
// it, whatever the size of the picture.
void PictureWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRect inside = rect().adjusted(12, 8, -12, -8);
    painter.setPen(Qt::darkGray);
    if (!refusal_.isEmpty()) {
        painter.drawText(inside, Qt::AlignCenter | Qt::TextWordWrap, refusal_);
        return;
    }
    if (shown_ != nullptr) {
        painter.drawImage(QPointF(0, 0), shown_->image);
        // A frame made before the window took its size is made again at that size.
        if (shown_->image.deviceIndependentSize().toSize() != size()) requestFrame(false);
    } else if (content_ != nullptr) {
        painter.drawText(inside, Qt::AlignCenter, tr("Drawing the picture ..."));
    }
    if (paused_) painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop, tr("Paused"));
}

void PictureWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    followPause();
    requestFrame(false);
}

void PictureWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    requestFrame(false);
}

void PictureWindow::followPause() {
    setWindowTitle(paused_ ? tr("Dorvanix - Paused") : QStringLiteral("Dorvanix"));
    if (paused_ || !isVisible() || content_ == nullptr || !refusal_.isEmpty()) {
        timer_.stop();
    } else if (!timer_.isActive()) {
        timer_.start();
    }
    update();
}

void PictureWindow::togglePause() {
    paused_ = !paused_;
    followPause();
}

void PictureWindow::holdPlacement() {
    if (!placement_.follow) return;
    placement_.follow = false;
    placement_.box = shown_ != nullptr ? shown_->box : kSceneRect;
    placement_.zoom = 1.0;
    placement_.focus = placement_.box.center();
}

// The scene point under `windowPoint` stays there.
void PictureWindow::zoomAbout(double factor, QPointF windowPoint) {
    if (width() <= 0 || height() <= 0) return;
    holdPlacement();
    const auto transform = [this] {
        return placementTransform(size(), placement_.box, placement_.zoom, placement_.focus);
    };
    const QPointF scenePoint = transform().inverted().map(windowPoint);
    placement_.zoom = std::clamp(placement_.zoom * factor, kLeastZoom, kMostZoom);
    const double scale = transform().m11();
    placement_.focus = scenePoint - (windowPoint - QPointF(width() / 2.0, height() / 2.0)) / scale;
    requestFrame(false);
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
        placement_ = Placement{};
        requestFrame(false);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void PictureWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_ = event->position();
        dragging_ = false;
    }
    QWidget::mousePressEvent(event);
}

// A drag with the left button pans; the scene point taken moves with the mouse.
void PictureWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!event->buttons().testFlag(Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPointF moved = event->position() - dragFrom_;
    if (!dragging_ && moved.manhattanLength() < QApplication::startDragDistance()) return;
    if (!dragging_) {
        holdPlacement();
        focusAtDrag_ = placement_.focus;
        dragging_ = true;
    }
    const double scale =
        placementTransform(size(), placement_.box, placement_.zoom, placement_.focus).m11();
    placement_.focus = focusAtDrag_ - moved / scale;
    requestFrame(false);
}

void PictureWindow::mouseReleaseEvent(QMouseEvent* event) {
    const bool menuRequest = event->modifiers().testFlag(Qt::ControlModifier);
    if (event->button() == Qt::LeftButton) {
        if (!std::exchange(dragging_, false)) restart();
    } else if (event->button() == Qt::RightButton && !menuRequest) {
        togglePause();
    }
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
    const DrawList frame = frameItems();
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
