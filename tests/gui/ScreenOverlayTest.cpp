// Inverted frames go on a transparent window over the screen that takes no input: drawing a
// frame shows it, drawing the same frame again removes it, and the window goes when no frame
// is left.
#include "BvDrawUtils.h"
#include "GuiTestEnvironment.h"
#include "qt/WidgetBinding.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void Pump() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Opaque pixels of the overlay along one row and inside the frame.
struct TInk {
    int Border = 0;
    int Inside = 0;
};

TInk InkOf(QWidget* overlay, const TRect& frame) {
    QImage shot = overlay->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    TInk ink;
    QPoint o = overlay->geometry().topLeft();
    for (int x = frame.Left; x < frame.Right; ++x)
        if (qAlpha(shot.pixel(x - o.x(), frame.Top - o.y())) != 0)
            ++ink.Border;
    for (int y = frame.Top + 2; y < frame.Bottom - 2; ++y)
        for (int x = frame.Left + 2; x < frame.Right - 2; ++x)
            if (qAlpha(shot.pixel(x - o.x(), y - o.y())) != 0)
                ++ink.Inside;
    return ink;
}

} // namespace

TEST(ScreenOverlay, AnInvertedFrameShowsOnATransparentInputlessWindowUntilErased) {
    const TRect frame = Rect(100, 80, 300, 130);
    const TRect other = Rect(20, 20, 60, 50);
    DrawInvertFrame(frame, 3);
    Pump();
    QWidget* overlay = BvQt::ScreenOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_TRUE(overlay->isWindow());
    EXPECT_TRUE(overlay->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(overlay->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(overlay->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(overlay->geometry().contains(QRect(frame.Left, frame.Top, 200, 50)));

    // A dotted line: every other pixel of the border, nothing inside.
    TInk ink = InkOf(overlay, frame);
    EXPECT_EQ(ink.Border, 100);
    EXPECT_EQ(ink.Inside, 0);
    std::string path = std::string(BV_BINARY_DIR) + "/gui_screen_overlay.png";
    overlay->grab(QRect(frame.Left - 10, frame.Top - 10, 220, 70))
        .save(QString::fromStdString(path));

    struct TStep {
        const char* Name;
        TRect Frame;
        int Count;
        bool Visible;
        int BorderInk;
    };
    const TStep steps[] = {
        {"an even count changes nothing", frame, 2, true, 100},
        {"a second frame", other, 1, true, 100},
        {"the first frame erased, the second stays", frame, 3, true, 0},
        {"the last frame erased hides the window", other, 1, false, 0},
    };
    for (const TStep& s : steps) {
        SCOPED_TRACE(s.Name);
        DrawInvertFrame(s.Frame, s.Count);
        Pump();
        EXPECT_EQ(overlay->isVisible(), s.Visible);
        EXPECT_EQ(InkOf(overlay, frame).Border, s.BorderInk);
    }
}
