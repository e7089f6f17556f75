#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "picture/draw_list.h"
#include "picture/layout_relaxation.h"
#include "picture/picture_animation.h"

class QContextMenuEvent;
class QPainter;

namespace dorvanix {

// Replays a draw list with a painter: anti-aliased cubic curves with round pens and 24-pixel
// labels placed by their top-left corner.
void paintDrawList(QPainter& painter, const DrawList& list);

// The picture window (object name "108", caption "Dorvanix"): paints the animation's frame into
// a white 1024 x 768 image and shows it at the window's top-left corner. A 100 ms timer, started
// on every resize, ticks the animation. The left button restarts from X, the right button pauses
// and resumes; Ctrl + right button (or the menu key) offers to save the frame as PNG or SVG.
// The window deletes itself when closed and emits closed() once, when it is closed or destroyed.
class PictureWindow : public QWidget {
    Q_OBJECT

  public:
    PictureWindow(PictureAnimation& animation, std::function<Scene()> scene,
                  QWidget* parent = nullptr);
    ~PictureWindow() override;

    // The origin of the drawing (half the outer window size) and the scale 1.
    const View& view() const { return view_; }
    // The image of the last paint, and its draw list.
    const QImage& frame() const { return frame_; }
    const DrawList& frameItems() const { return frameItems_; }

    // Writes the last painted frame, whole or not at all; false (PNG) or FileWriteError (SVG)
    // when that fails.
    bool saveFramePng(const QString& path) const;
    void saveFrameSvg(const QString& path) const;

  public slots:
    // One timer tick: the animation moves by one step and the window is repainted.
    void advance();

  signals:
    void closed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void renderFrame();
    void offerToSave();
    // Writes the frame as PNG; answers the reason when it could not.
    QString writeFramePng(const QString& path) const;
    void announceClosed();

    PictureAnimation& animation_;
    std::function<Scene()> scene_;
    // The window's own draws, from the start of the C library's sequence when it opens.
    LibraryRandom randomSequence_;
    RandomSource random_ = std::ref(randomSequence_);
    View view_;
    QImage frame_;
    DrawList frameItems_;
    QTimer timer_;
    bool closedAnnounced_ = false;
};

}  // namespace dorvanix
