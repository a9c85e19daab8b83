// Inverted frames on the screen are four thin windows that take no input, one per edge:
// drawing a frame shows it, drawing the same frame again removes it, and nothing else of the
// screen is covered (a window over the whole screen paints it black without a compositor).
#include "BvDrawUtils.h"
#include "GuiTestEnvironment.h"
#include "qt/WidgetBinding.h"

#include <QApplication>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void Pump() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

QRegion Covered() {
    QRegion region;
    for (QWidget* w : BvQt::ScreenFrameWindows())
        if (w->isVisible())
            region += w->geometry();
    return region;
}

// Dark and light pixels along the frame's border, read from the edge windows' pictures.
struct TDots {
    int Dark = 0;
    int Light = 0;
};

TDots DotsOf(const TRect& frame) {
    TDots dots;
    for (QWidget* w : BvQt::ScreenFrameWindows()) {
        if (!w->isVisible())
            continue;
        QImage shot = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                QPoint at = w->geometry().topLeft() + QPoint(x, y);
                if (!QRect(frame.Left, frame.Top, frame.Width(), frame.Height()).contains(at))
                    continue;
                const QRgb p = shot.pixel(x, y);
                dots.Dark += qGray(p) < 64;
                dots.Light += qGray(p) > 192;
            }
    }
    return dots;
}

} // namespace

TEST(ScreenOverlay, AnInvertedFrameIsFourThinInputlessWindowsUntilErased) {
    const TRect frame = Rect(100, 80, 300, 130);
    const TRect other = Rect(20, 20, 60, 50);
    DrawInvertFrame(frame, 3);
    Pump();
    const auto windows = BvQt::ScreenFrameWindows();
    ASSERT_EQ(windows.size(), 4u);
    for (QWidget* w : windows) {
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->isWindow());
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowTransparentForInput));
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_FALSE(w->testAttribute(Qt::WA_TranslucentBackground));
        EXPECT_TRUE(w->width() == 1 || w->height() == 1) << "an edge is one pixel thick";
    }
    // Exactly the border: every pixel of it, nothing inside or outside.
    QRegion border = QRegion(100, 80, 200, 50) - QRegion(101, 81, 198, 48);
    EXPECT_EQ(Covered(), border);
    // A dotted line: dark and light pixels in turn.
    TDots dots = DotsOf(frame);
    EXPECT_EQ(dots.Dark + dots.Light, 2 * 200 + 2 * 48);
    EXPECT_EQ(dots.Dark, dots.Light);

    struct TStep {
        const char* Name;
        TRect Frame;
        int Count;
        size_t Windows;
        bool FirstShown;
    };
    const TStep steps[] = {
        {"an even count changes nothing", frame, 2, 4, true},
        {"a second frame", other, 1, 8, true},
        {"the first frame erased, the second stays", frame, 3, 4, false},
        {"the last frame erased leaves nothing", other, 1, 0, false},
    };
    for (const TStep& s : steps) {
        SCOPED_TRACE(s.Name);
        DrawInvertFrame(s.Frame, s.Count);
        Pump();
        EXPECT_EQ(BvQt::ScreenFrameWindows().size(), s.Windows);
        EXPECT_EQ(Covered().contains(QPoint(150, 80)), s.FirstShown);
    }
}

TEST(ScreenOverlay, ThinFramesHaveNoDoubledEdges) {
    struct TCase {
        TRect Frame;
        size_t Windows;
        int Pixels;
    } cases[] = {
        {Rect(10, 10, 60, 11), 1, 50}, // one row: the top edge alone
        {Rect(10, 10, 11, 40), 3, 30}, // one column: top, bottom and the side between
        {Rect(10, 10, 60, 12), 2, 100},
        {Rect(10, 10, 10, 10), 0, 0}, // empty
    };
    for (const auto& c : cases) {
        DrawInvertFrame(c.Frame, 1);
        Pump();
        EXPECT_EQ(BvQt::ScreenFrameWindows().size(), c.Windows);
        int pixels = 0;
        for (const QRect& r : Covered())
            pixels += r.width() * r.height();
        EXPECT_EQ(pixels, c.Pixels);
        DrawInvertFrame(c.Frame, 1);
        Pump();
        EXPECT_TRUE(BvQt::ScreenFrameWindows().empty());
    }
}
