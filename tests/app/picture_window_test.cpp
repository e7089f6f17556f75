#include "app/picture_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "census/subdivisor_line.h"
#include "model/divisor_notation.h"
#include "model/node_pool.h"
#include "picture/svg_export.h"

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

    // The smallest rectangle holding every pixel that is not white.
    static QRect inkBox(const QImage& image) {
        QRect box;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
            }
        }
        return box;
    }

    static QImage imageOf(const DrawList& frame) {
        QImage image(1024, 768, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        paintDrawList(painter, frame);
        return image;
    }
};

// The 1024 x 768 scene is fitted into the window with its aspect kept and centred, then zoomed.
TEST_F(PictureWindowTest, TheSceneFitsTheWindowAndZooms) {
    const auto key = [](int k) {
        return [k](PictureWindow& w) { QTest::keyClick(&w, Qt::Key(k), Qt::ControlModifier); };
    };
    const auto wheel = [](Qt::KeyboardModifiers modifiers) {
        return [modifiers](PictureWindow& w) {
            const QPointF centre(w.width() / 2.0, w.height() / 2.0);
            QWheelEvent event(centre, w.mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, modifiers,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&w, &event);
        };
    };
    struct Row {
        const char* label;
        QSize size;
        std::vector<std::function<void(PictureWindow&)>> actions;
        double scale;
    };
    const Row rows[] = {
        {"the scene's own size", {1024, 768}, {}, 1.0},
        {"half the size", {512, 384}, {}, 0.5},
        {"a wide window: the height decides", {2048, 768}, {}, 1.0},
        {"a tall window: the width decides", {512, 1536}, {}, 0.5},
        {"Ctrl + wheel up", {1024, 768}, {wheel(Qt::ControlModifier)}, 1.25},
        {"the wheel alone does not zoom", {1024, 768}, {wheel(Qt::NoModifier)}, 1.0},
        {"Ctrl + plus, then Ctrl + minus twice", {512, 384}, {key('+'), key('-'), key('-')}, 0.4},
        {"Ctrl + 0 fits again", {1024, 768}, {key('='), key('='), key('0')}, 1.0},
    };
    QRect fitted;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        PictureWindow shown(animation, [this] { return trees.scene(); });
        shown.resize(row.size);
        for (const auto& act : row.actions) act(shown);
        const QRect box = inkBox(shown.grab().toImage());
        if (fitted.isNull()) fitted = box;
        const QPointF centre(row.size.width() / 2.0, row.size.height() / 2.0);
        const QPointF topLeft = centre + (fitted.topLeft() - QPointF(512, 384)) * row.scale;
        const QPointF bottomRight = centre + (fitted.bottomRight() - QPointF(512, 384)) * row.scale;
        EXPECT_NEAR(box.left(), topLeft.x(), 4);
        EXPECT_NEAR(box.top(), topLeft.y(), 4);
        EXPECT_NEAR(box.right(), bottomRight.x(), 4);
        EXPECT_NEAR(box.bottom(), bottomRight.y(), 4);
    }
    // At twice the pixel density the curves are drawn with every device pixel, not enlarged.
    QImage dense(2048, 1536, QImage::Format_RGB32);
    dense.setDevicePixelRatio(2);
    window->resize(1024, 768);
    window->render(&dense);
    int unlikeNeighbours = 0;
    for (int y = 0; y < dense.height(); ++y) {
        for (int x = 0; x + 1 < dense.width(); x += 2) {
            if (dense.pixel(x, y) != dense.pixel(x + 1, y)) ++unlikeNeighbours;
        }
    }
    EXPECT_GT(unlikeNeighbours, 100);
}

TEST_F(PictureWindowTest, RightButtonPausesAndStopsTheClockLeftButtonRestarts) {
    trees.selected = true;
    window->show();
    for (int t = 0; t < 3; ++t) window->advance();
    EXPECT_EQ(animation.animationStep(), 3);
    EXPECT_TRUE(window->ticking());
    release(Qt::RightButton);
    EXPECT_TRUE(animation.animationPaused());
    EXPECT_TRUE(window->windowTitle().contains("Paused"));
    window->resize(700, 500);
    QApplication::processEvents();
    EXPECT_FALSE(window->ticking()) << "no clock while paused, not even after a resize";
    window->advance();
    release(Qt::RightButton, Qt::ControlModifier);  // asks to save instead
    EXPECT_TRUE(animation.animationPaused());
    release(Qt::RightButton);
    EXPECT_FALSE(animation.animationPaused());
    EXPECT_TRUE(window->ticking());
    EXPECT_FALSE(window->windowTitle().contains("Paused"));
    EXPECT_EQ(animation.animationStep(), 3) << "resumes where it stopped";
    release(Qt::LeftButton);
    EXPECT_EQ(animation.animationStep(), 0);
}

// The frame saved is the one shown at the click, although the animation goes on behind the
// menu and the save dialog; a name typed without extension gets the chosen format's.
TEST_F(PictureWindowTest, CtrlRightClickSavesTheClickedFrame) {
    trees.selected = true;
    window->resize(1024, 768);
    window->show();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    struct Row {
        const char* label;
        int format;  // 0 PNG, 1 SVG
        QString typed, written;
    };
    const Row rows[] = {
        {"PNG, typed without extension", 0, "a", "a.png"},
        {"SVG, typed without extension", 1, "b", "b.svg"},
        {"SVG, typed with it", 1, "c.svg", "c.svg"},
    };
    std::vector<QString> folders;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        window->advance();
        window->grab();
        const DrawList clicked = window->frameItems();
        window->chooseFormat = [&](QWidget*, const QString&, const QStringList&) {
            window->advance();
            window->grab();
            return row.format;
        };
        window->chooseFile = [&](QWidget*, const SaveRequest& request) {
            folders.push_back(request.folder);
            return folder.filePath(row.typed);
        };
        QContextMenuEvent click(QContextMenuEvent::Mouse, {10, 10}, {10, 10}, Qt::ControlModifier);
        QApplication::sendEvent(window, &click);
        ASSERT_NE(svgDocument(window->frameItems()), svgDocument(clicked)) << "the frame moved on";
        const QString path = folder.filePath(row.written);
        if (row.format == 0) {
            EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), imageOf(clicked));
        } else {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll().toStdString(), svgDocument(clicked));
        }
    }
    EXPECT_EQ(folders.front(), "") << "nothing saved before";
    EXPECT_EQ(folders.back(), QDir(folder.path()).absolutePath()) << "the last save's folder";

    QSignalSpy closed(window.data(), &PictureWindow::closed);
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "closing deletes the window";
    EXPECT_EQ(closed.count(), 1);
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
