// A self-drawn control repaints only what was invalidated: the paint sees that part as its
// clip box, and the rest of what is on screen stays as the last paint left it.
#include "GuiTestEnvironment.h"
#include "WinApi.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

class TPaintPad : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TColor Fill = clRed;
    std::vector<TRect> ClipBoxes;

protected:
    void Paint() override {
        TRect box;
        if (GetClipBox(Canvas(), &box) == SIMPLEREGION)
            ClipBoxes.push_back(box);
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
};

// What the window system shows of a control now, read back without painting anything.
QImage OnScreen(TWinControl* control) {
    QWidget* w = control->Widget();
    QWidget* top = w->window();
    QPoint at = w->mapTo(top, QPoint(0, 0));
    return top->screen()
        ->grabWindow(top->winId(), at.x(), at.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

TColor At(const QImage& image, int x, int y) {
    QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

class PaintRegionTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(400, 300);
        pad = new TPaintPad(form);
        pad->SetParent(form);
        pad->SetBounds(20, 20, 300, 200);
        form->Show();
        Pump();
        pad->ClipBoxes.clear();
    }
    void TearDown() override {
        delete form;
        Pump();
    }
    TForm* form = nullptr;
    TPaintPad* pad = nullptr;
};

} // namespace

TEST_F(PaintRegionTest, InvalidateRectRepaintsOnlyItsRectangle) {
    ASSERT_EQ(At(OnScreen(pad), 150, 100), clRed);
    pad->Fill = clBlue;
    TRect small = Rect(30, 40, 40, 50);
    ASSERT_TRUE(InvalidateRect(pad, &small, true));
    Pump();
    ASSERT_EQ(pad->ClipBoxes.size(), 1u);
    EXPECT_EQ(pad->ClipBoxes[0], small);
    QImage shot = OnScreen(pad);
    std::string path = std::string(BV_BINARY_DIR) + "/gui_paint_region_small_invalidation.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    EXPECT_EQ(At(shot, 35, 45), clBlue);
    EXPECT_EQ(At(shot, 30, 40), clBlue);
    EXPECT_EQ(At(shot, 39, 49), clBlue);
    // Just outside the rectangle, the earlier paint stays.
    EXPECT_EQ(At(shot, 29, 45), clRed);
    EXPECT_EQ(At(shot, 40, 45), clRed);
    EXPECT_EQ(At(shot, 35, 50), clRed);
    EXPECT_EQ(At(shot, 150, 100), clRed);

    // No rectangle: the whole client.
    pad->ClipBoxes.clear();
    ASSERT_TRUE(InvalidateRect(pad, nullptr, true));
    Pump();
    ASSERT_EQ(pad->ClipBoxes.size(), 1u);
    EXPECT_EQ(pad->ClipBoxes[0], pad->ClientRect());
    EXPECT_EQ(At(OnScreen(pad), 150, 100), clBlue);
}

TEST_F(PaintRegionTest, NothingIsDrawnWhileRedrawIsOff) {
    pad->Perform(WM_SETREDRAW, 0, 0);
    pad->Fill = clGreen;
    pad->Invalidate();
    Pump();
    EXPECT_TRUE(pad->ClipBoxes.empty());
    EXPECT_EQ(At(OnScreen(pad), 150, 100), clRed);
    pad->Perform(WM_SETREDRAW, 1, 0);
    Pump();
    ASSERT_FALSE(pad->ClipBoxes.empty());
    EXPECT_EQ(At(OnScreen(pad), 150, 100), clGreen);
}

TEST(GetClipBox, AnswersTheClipInLogicalCoordinates) {
    QImage image(50, 40, QImage::Format_RGB32);
    TCanvas canvas(&image);
    TRect box;
    EXPECT_EQ(GetClipBox(&canvas, &box), SIMPLEREGION);
    EXPECT_EQ(box, Rect(0, 0, 50, 40));
    canvas.SetViewportOrg({10, 5});
    TRect clip = Rect(0, 0, 20, 10);
    canvas.SetClipRect(&clip);
    EXPECT_EQ(GetClipBox(&canvas, &box), SIMPLEREGION);
    EXPECT_EQ(box, clip);
    TRect outside = Rect(100, 100, 120, 120);
    canvas.SetClipRect(&outside);
    EXPECT_EQ(GetClipBox(&canvas, &box), NULLREGION);
    EXPECT_EQ(GetClipBox(nullptr, &box), 0);
}
