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

#include "app/app_context.h"
#include "app/picture_content.h"
#include "census/subdivisor_line.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "picture/divisor_drawing.h"
#include "picture/picture_session.h"
#include "picture/svg_export.h"
#include "work_wait.h"

namespace dorvanix {
namespace {

using testing::waitUntil;

// X = ((3,2),2,2,2) and, once selected, Y = (2;(2),(1),(1)), as a picture shows them.
struct Trees : PictureContent {
    NodePool pool;
    DivisorNode* x = nullptr;
    DivisorNode* y = nullptr;
    bool selected = false;

    explicit Trees(bool withY) : selected(withY) {
        x = &pool.take();
        parseFiberLine(pool, *x, "((3,2),2,2,2)");
        y = &pool.take();
        buildSelectedDivisor(pool, *y, "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 3);
    }

    Scene scene() override {
        return Scene{x, selected ? y : nullptr, nullptr, nullptr, -1, 1, nullptr};
    }
};

// Waits until the window shows a frame made after everything asked of it so far.
bool settle(PictureWindow& window) {
    return waitUntil([&window] { return window.framesShown() > 0 && !window.makingFrame(); });
}

// One timer tick, and the frame it makes.
void tick(PictureWindow& window) {
    ASSERT_TRUE(waitUntil([&] { return !window.makingFrame(); }));
    const int shown = window.framesShown();
    window.advance();
    EXPECT_TRUE(waitUntil([&] { return window.framesShown() > shown; }));
}

class PictureWindowTest : public ::testing::Test {
  protected:
    // The window deletes itself when closed; the guard notices.
    QPointer<PictureWindow> window = new PictureWindow();
    std::shared_ptr<Trees> trees = std::make_shared<Trees>(true);

    PictureWindowTest() { window->setContent(trees); }
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
        return rasterFrame(frame, QSize(1024, 768), 1.0, {});
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
        PictureWindow shown;
        shown.setContent(std::make_shared<Trees>(false));
        shown.resize(row.size);
        shown.show();
        ASSERT_TRUE(settle(shown));
        for (const auto& act : row.actions) act(shown);
        ASSERT_TRUE(settle(shown));
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
    ASSERT_TRUE(settle(*window));
    const QImage sharp = rasterFrame(window->frameItems(), QSize(1024, 768), 2.0, {});
    EXPECT_EQ(sharp.size(), QSize(2048, 1536));
    int unlikeNeighbours = 0;
    for (int y = 0; y < sharp.height(); ++y) {
        for (int x = 0; x + 1 < sharp.width(); x += 2) {
            if (sharp.pixel(x, y) != sharp.pixel(x + 1, y)) ++unlikeNeighbours;
        }
    }
    EXPECT_GT(unlikeNeighbours, 100);
}

// What is drawn is fitted into view even where it leaves the 1024 x 768 scene (the long chains of
// m = 1000), and a drag with the left button pans it.
TEST_F(PictureWindowTest, LongChainsAreFittedIntoViewAndADragPans) {
    PictureWindow shown;
    shown.setContent(std::make_shared<FiberPicture>(parseFiberText("((1000,2),999,999,2)")));
    shown.resize(800, 600);
    shown.show();
    ASSERT_TRUE(settle(shown));
    const QRect drawn = inkBox(shown.grab().toImage());
    ASSERT_FALSE(drawn.isNull()) << "something is drawn";
    EXPECT_TRUE(QRect(0, 0, 800, 600).contains(drawn));
    EXPECT_GT(std::max(drawn.width() / 800.0, drawn.height() / 600.0), 0.5) << "fills the view";
    const QPoint from(400, 300);
    const QPoint by(80, 50);
    QTest::mousePress(&shown, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(&shown, from + by * i / 4);
    QTest::mouseRelease(&shown, Qt::LeftButton, {}, from + by);
    ASSERT_TRUE(settle(shown));
    const QRect panned = inkBox(shown.grab().toImage());
    const QRect expected = drawn.translated(by) & QRect(0, 0, 800, 600);
    EXPECT_NEAR(panned.left(), expected.left(), 3);
    EXPECT_NEAR(panned.top(), expected.top(), 3);
}

// A picture the core declines shows the reason instead, and no frame is ever made for it.
TEST_F(PictureWindowTest, APictureTheCoreDeclinesShowsWhy) {
    const struct {
        const char* x;
        bool declined;
    } rows[] = {
        {"((3,2),2,2,2)", false},
        {"((10000,11),9999,9999,9999,9999,9999,9999,9999,9999,9999,9999,9999,11)", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.x);
        const FiberData x = parseFiberText(row.x);
        std::string reason;
        try {
            checkPictureSize(x);
        } catch (const InputError& declined) {
            reason = declined.what();
        }
        ASSERT_EQ(reason.empty(), !row.declined);
        PictureWindow shown;
        shown.resize(400, 300);
        shown.setContent(std::make_shared<FiberPicture>(x), pictureRefusalText(x));
        shown.show();
        QTest::qWait(300);
        EXPECT_EQ(shown.refusal().isEmpty(), !row.declined);
        EXPECT_TRUE(shown.refusal().contains(QString::fromStdString(reason)))
            << shown.refusal().toStdString();
        EXPECT_EQ(shown.framesShown() == 0, row.declined);
        EXPECT_EQ(shown.ticking(), !row.declined) << "a declined picture has no clock";
    }
}

// Every label colour of the drawing reads on white (WCAG AA), darkened no more than needed.
TEST(LabelColours, ReadOnWhite) {
    for (int m = 0; m < 10; ++m) {
        SCOPED_TRACE(m);
        const Rgb rgb = divisorColour(m);
        const QColor drawn(rgb.red, rgb.green, rgb.blue);
        const QColor shown = readableOnWhite(drawn);
        EXPECT_GE(contrastWithWhite(shown), kLeastTextContrast);
        if (contrastWithWhite(drawn) >= kLeastTextContrast) {
            EXPECT_EQ(shown, drawn) << "a colour that reads stays";
        } else {
            EXPECT_LT(contrastWithWhite(shown), kLeastTextContrast + 0.5)
                << "no darker than needed";
            EXPECT_NEAR(shown.hueF(), drawn.hueF(), 0.02) << "the same hue";
        }
    }
}

TEST_F(PictureWindowTest, RightButtonPausesAndStopsTheClockLeftButtonRestarts) {
    for (int t = 0; t < 3; ++t) tick(*window);
    EXPECT_EQ(window->animationStep(), 3);
    window->show();  // the clock runs while the window is shown
    EXPECT_TRUE(window->ticking());
    release(Qt::RightButton);
    const int paused = window->animationStep();
    EXPECT_TRUE(window->paused());
    EXPECT_TRUE(window->windowTitle().contains("Paused"));
    window->resize(700, 500);
    QApplication::processEvents();
    EXPECT_FALSE(window->ticking()) << "no clock while paused, not even after a resize";
    tick(*window);
    EXPECT_EQ(window->animationStep(), paused) << "a frame while paused does not move";
    release(Qt::RightButton, Qt::ControlModifier);  // asks to save instead
    EXPECT_TRUE(window->paused());
    release(Qt::RightButton);
    EXPECT_FALSE(window->paused());
    EXPECT_TRUE(window->ticking());
    EXPECT_FALSE(window->windowTitle().contains("Paused"));
    EXPECT_EQ(window->animationStep(), paused) << "resumes where it stopped";
    release(Qt::LeftButton);
    EXPECT_EQ(window->animationStep(), 0);
}

// The frame saved is the one shown at the click, although the animation goes on behind the
// menu and the save dialog; a name typed without extension gets the chosen format's.
TEST_F(PictureWindowTest, CtrlRightClickSavesTheClickedFrame) {
    window->resize(1024, 768);
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
        tick(*window);
        const DrawList clicked = window->frameItems();
        window->chooseFormat = [&](QWidget*, const QString&, const QStringList&) {
            tick(*window);
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

// The timer's ticks move the animation; each frame is made by a worker, so a tick returns before
// its frame is there.
TEST_F(PictureWindowTest, TimerDrivesTheAnimationFromAWorker) {
    window->show();
    ASSERT_TRUE(settle(*window));
    const int shown = window->framesShown();
    window->advance();
    EXPECT_TRUE(window->makingFrame());
    EXPECT_EQ(window->framesShown(), shown) << "the tick did not make the frame itself";
    const int before = window->animationStep();
    EXPECT_TRUE(waitUntil([&] { return window->animationStep() >= before + 2; }));
}

}  // namespace
}  // namespace dorvanix
