#include "app/picture_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "census/subdivisor_line.h"
#include "model/divisor_notation.h"
#include "model/node_pool.h"

namespace dorvanix {
namespace {

// X = ((3,2),2,2,2) and, once selected, Y = (2;(2),(1),(1)).
struct Trees {
    NodePool pool;
    DivisorNode* x = nullptr;
    DivisorNode* y = nullptr;
    bool selected = false;
    int started = 0;

    Trees() {
        x = &pool.take();
        parseFiberLine(pool, *x, "((3,2),2,2,2)");
        y = &pool.take();
        buildSelectedDivisor(pool, *y, "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 3);
    }

    Scene scene() const {
        return Scene{x, selected ? y : nullptr, nullptr, nullptr, -1, 1, nullptr};
    }
};

class PictureWindowTest : public ::testing::Test {
  protected:
    Trees trees;
    PictureAnimation animation;
    // The window deletes itself when closed; the guard notices.
    QPointer<PictureWindow> window = new PictureWindow(animation, [this] { return trees.scene(); });

    ~PictureWindowTest() override { delete window.data(); }

    void release(Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent event(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(10, 10), button,
                          Qt::NoButton, modifiers);
        QApplication::sendEvent(window, &event);
    }

    // Number of pixels that are not white in a square around (cx, cy).
    static int inkAround(const QImage& image, int cx, int cy, int half) {
        int ink = 0;
        for (int y = cy - half; y <= cy + half; ++y) {
            for (int x = cx - half; x <= cx + half; ++x) {
                if (image.valid(x, y) && image.pixel(x, y) != qRgb(255, 255, 255)) ++ink;
            }
        }
        return ink;
    }
};

TEST_F(PictureWindowTest, PaintsXAroundTheOriginSavesTheFrameAndClosesOnce) {
    window->resize(801, 600);
    window->show();
    QApplication::processEvents();
    const View& view = window->view();
    EXPECT_EQ(view.originX, window->frameGeometry().width() / 2);
    EXPECT_EQ(view.originY, window->frameGeometry().height() / 2);
    EXPECT_EQ(view.scale, 1.0);
    const QImage image = window->grab().toImage();
    const int cx = static_cast<int>(view.originX);
    const int cy = static_cast<int>(view.originY);
    EXPECT_GT(inkAround(image, cx, cy, 60), 200) << "X's core and arms are drawn there";
    EXPECT_EQ(inkAround(image, 30, 30, 20), 0) << "the corner stays white";

    // The frame just painted is what the save menu writes.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString png = folder.filePath("frame.png");
    const QString svg = folder.filePath("frame.svg");
    ASSERT_TRUE(window->saveFramePng(png));
    window->saveFrameSvg(svg);
    EXPECT_EQ(QImage(png).size(), QSize(1024, 768));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_EQ(text.count("<path "), 15);
    EXPECT_EQ(text.count("<text "), 7);

    QSignalSpy closed(window.data(), &PictureWindow::closed);
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "closing deletes the window";
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(PictureWindowTest, RightButtonPausesAndResumesLeftButtonRestarts) {
    trees.selected = true;
    for (int t = 0; t < 3; ++t) window->advance();
    EXPECT_EQ(animation.animationStep(), 3);
    release(Qt::RightButton);
    EXPECT_TRUE(animation.animationPaused());
    release(Qt::RightButton, Qt::ControlModifier);  // asks for the save menu instead
    EXPECT_TRUE(animation.animationPaused());
    release(Qt::RightButton);
    EXPECT_FALSE(animation.animationPaused());
    release(Qt::LeftButton);
    EXPECT_EQ(animation.animationStep(), 0);
}

TEST_F(PictureWindowTest, TimerDrivesTheAnimation) {
    trees.selected = true;
    window->show();
    QApplication::processEvents();
    const int before = animation.animationStep();
    for (int i = 0; i < 50 && animation.animationStep() < before + 2; ++i) {
        QTest::qWait(20);
    }
    EXPECT_GE(animation.animationStep(), before + 2);
}

}  // namespace
}  // namespace dorvanix
