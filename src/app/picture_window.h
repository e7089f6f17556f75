#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTimer>
#include <QTransform>
#include <QWidget>
#include <memory>

#include "app/file_saving.h"
#include "picture/draw_list.h"

class QContextMenuEvent;
class QPainter;

namespace dorvanix {

class BackgroundJob;
class PictureContent;

// The least contrast with white that a label's text needs to be read (AA of the Web Content
// Accessibility Guidelines for normal text).
inline constexpr double kLeastTextContrast = 4.5;
// The contrast ratio of `colour` against white, from 1 to 21.
double contrastWithWhite(const QColor& colour);
// `colour` when it reads on white, else the same hue darkened just enough to be read.
QColor readableOnWhite(const QColor& colour);

// Replays a draw list with a painter: anti-aliased cubic curves with round pens and 24-pixel
// labels placed by their top-left corner, each in its colour made readable on white. Stops early,
// answering false, once `cancelled` says so (asked every few thousand items).
bool paintDrawList(QPainter& painter, const DrawList& list,
                   const std::function<bool()>& cancelled = {});

// The frame `list` as the window shows it: an image of `size` logical pixels at `pixelRatio`
// device pixels each, white, with the list painted through `sceneToWindow`. A null image when
// `cancelled` stopped it.
QImage rasterFrame(const DrawList& list, QSize size, double pixelRatio,
                   const QTransform& sceneToWindow, const std::function<bool()>& cancelled = {});

// The picture window (object name "108", caption "Dorvanix"): animates a PictureContent, the
// drawing centred in a 1024 x 768 scene as the tool centres it. Every frame is made away from the
// interface thread: a worker ticks the animation, paints its draw list and turns it into an
// image, and the window only shows the latest image, so a large picture slows its animation
// down but never the program. A picture the core declines is not drawn; the window says why.
//
// The view fits the scene and everything drawn into the window, with the aspect kept, following
// the drawing while it moves; Ctrl + wheel, Ctrl + plus and Ctrl + minus zoom, a drag with the
// left button pans, and Ctrl + 0 fits and follows again. A 100 ms timer ticks the animation. A
// left click restarts from X; the right button pauses, which stops the timer and says "Paused",
// and resumes. Ctrl + right button (or the menu key) saves the frame shown at that moment as PNG
// or SVG. The window deletes itself when closed and emits closed() once, when it is closed or
// destroyed.
class PictureWindow : public QWidget {
    Q_OBJECT

  public:
    explicit PictureWindow(QWidget* parent = nullptr);
    ~PictureWindow() override;

    // Animates `content` from its start; the same content again changes nothing. A non-empty
    // `refusal` is the reason the picture is not drawn, shown instead of it.
    void setContent(std::shared_ptr<PictureContent> content, const QString& refusal = {});
    const std::shared_ptr<PictureContent>& content() const { return content_; }
    QString refusal() const { return refusal_; }

    // Starts the animation over from X (the left button, Select, "See picture >").
    void restart();
    bool paused() const { return paused_; }
    // The animation's step as of the frame shown (0 right after a restart).
    int animationStep() const { return step_; }
    // Frames shown since the window opened.
    int framesShown() const { return framesShown_; }
    // True while a worker makes the next frame.
    bool makingFrame() const;

    // The draw list of the frame shown.
    const DrawList& frameItems() const;
    // Where the scene landed in the window in the frame shown.
    QTransform sceneToWindow() const { return shownTransform_; }
    // True while the animation's timer runs (never while paused).
    bool ticking() const { return timer_.isActive(); }

    // How a frame is saved; tests replace them. chooseFormat answers 0 for PNG, 1 for SVG.
    Asker chooseFormat;
    FileChooser chooseFile = chooseFileWithDialog;
    ErrorReporter reportError = reportWithMessageBox;

  public slots:
    // One timer tick: the animation moves by one step in the next frame. A tick that finds the
    // last frame still being made is dropped.
    void advance();

  signals:
    void closed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Animation;
    struct Frame;
    // How the scene is placed in the window: following the drawing, or where the user put it.
    struct Placement {
        bool follow = true;
        QRectF box;  // the part of the scene fitted into the window
        double zoom = 1.0;
        QPointF focus;  // the scene point at the window's centre
    };

    void togglePause();
    // The timer runs while the window is shown, something is drawn and it is not paused.
    void followPause();
    // Asks for a frame: with `tick` the animation moves one step first. While a frame is being
    // made, a frame without tick is asked for again once it is there.
    void requestFrame(bool tick);
    void frameMade();
    // The placement the user takes over from the frame shown, for a zoom or a drag.
    void holdPlacement();
    void zoomAbout(double factor, QPointF windowPoint);
    void offerToSave();
    void announceClosed();

    std::shared_ptr<PictureContent> content_;
    std::shared_ptr<Animation> animation_;
    QString refusal_;
    BackgroundJob* frameJob_;
    std::shared_ptr<Frame> shown_;
    std::shared_ptr<Frame> making_;
    QTransform shownTransform_;
    Placement placement_;
    QTimer timer_;
    bool paused_ = false;
    bool restartWanted_ = false;
    bool frameWanted_ = false;
    int step_ = 0;
    int framesShown_ = 0;
    QPointF dragFrom_;
    QPointF focusAtDrag_;
    bool dragging_ = false;
    bool closedAnnounced_ = false;
};

}  // namespace dorvanix
