#pragma once

#include <QPointF>
#include <QString>
#include <QTimer>
#include <QTransform>
#include <QWidget>
#include <functional>

#include "app/file_saving.h"
#include "picture/draw_list.h"
#include "picture/layout_relaxation.h"
#include "picture/picture_animation.h"

class QContextMenuEvent;
class QPainter;

namespace dorvanix {

// Replays a draw list with a painter: anti-aliased cubic curves with round pens and 24-pixel
// labels placed by their top-left corner.
void paintDrawList(QPainter& painter, const DrawList& list);

// The picture window (object name "108", caption "Dorvanix"): paints the animation's frame, a
// 1024 x 768 scene with the drawing centred as the tool centres it, fitted into the window with
// its aspect kept. Ctrl + wheel, Ctrl + plus and Ctrl + minus zoom, Ctrl + 0 fits again. A 100 ms
// timer ticks the animation. The left button restarts from X; the right button pauses, which
// stops the timer and says "Paused", and resumes. Ctrl + right button (or the menu key) saves
// the frame shown at that moment as PNG or SVG. The window deletes itself when closed and emits
// closed() once, when it is closed or destroyed.
class PictureWindow : public QWidget {
    Q_OBJECT

  public:
    PictureWindow(PictureAnimation& animation, std::function<Scene()> scene,
                  QWidget* parent = nullptr);
    ~PictureWindow() override;

    // The draw list of the last paint.
    const DrawList& frameItems() const { return frameItems_; }
    // Where the scene lands in the window: fitted, zoomed about the point in view.
    QTransform sceneToWindow() const;
    // True while the animation's timer runs (never while paused).
    bool ticking() const { return timer_.isActive(); }

    // How a frame is saved; tests replace them. chooseFormat answers 0 for PNG, 1 for SVG.
    Asker chooseFormat;
    FileChooser chooseFile = chooseFileWithDialog;
    ErrorReporter reportError = reportWithMessageBox;

  public slots:
    // One timer tick: the animation moves by one step and the window is repainted.
    void advance();

  signals:
    void closed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void togglePause();
    // The timer runs while the window is shown and the animation is not paused.
    void followPause();
    void zoomAbout(double factor, QPointF windowPoint);
    void offerToSave();
    void announceClosed();

    PictureAnimation& animation_;
    std::function<Scene()> scene_;
    // The window's own draws, from the start of the C library's sequence when it opens.
    LibraryRandom randomSequence_;
    RandomSource random_ = std::ref(randomSequence_);
    // The drawing's origin at the centre of the 1024 x 768 scene, where the tool puts it too.
    View view_;
    DrawList frameItems_;
    QTimer timer_;
    double zoom_ = 1.0;
    // The point of the scene shown at the window's centre.
    QPointF focus_;
    bool closedAnnounced_ = false;
};

}  // namespace dorvanix
