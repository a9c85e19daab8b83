// A windowless control that shows what lies behind it: the parent's picture and the earlier
// siblings it overlaps, never later siblings and never itself.
#include "BvDrawUtils.h"
#include "GuiTestEnvironment.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

namespace {

// A solid block in one colour.
class TBlock : public TGraphicControl {
public:
    TBlock(TComponent* owner, TColor colour) : TGraphicControl(owner), colour_(colour) {}

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(colour_);
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
    }

private:
    TColor colour_;
};

// Draws the picture behind it, then a one-pixel mark of its own at its top-left corner.
class TSeeThrough : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        CopyParentImage(this, Canvas());
        Canvas()->SetPixel(0, 0, clYellow);
    }
};

class ParentImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(120, 80);
        form->SetColor(clNavy);
        // The form paints a green stripe of its own over its left 10 pixels.
        form->OnPaint = [this](TObject*) {
            form->Canvas()->Brush()->SetColor(clGreen);
            form->Canvas()->FillRect(Rect(0, 0, 10, 80));
        };
        before = new TBlock(form, clRed);
        before->SetParent(form);
        before->SetBounds(0, 0, 30, 30);
        glass = new TSeeThrough(form);
        glass->SetParent(form);
        glass->SetBounds(5, 5, 40, 40);
        after = new TBlock(form, clLime);
        after->SetParent(form);
        after->SetBounds(35, 35, 30, 30);
    }
    void TearDown() override {
        delete form;
        for (int i = 0; i < 5; ++i)
            Application->ProcessMessages();
    }
    TForm* form = nullptr;
    TBlock* before = nullptr;
    TSeeThrough* glass = nullptr;
    TBlock* after = nullptr;
};

TColor At(const QImage& image, int x, int y) {
    QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

TEST_F(ParentImageTest, TransparentControlPaintsOnceThroughTheRealWindow) {
    form->Show();
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
    glass->Paints = 0;
    QImage shot = form->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    std::string path = std::string(BV_BINARY_DIR) + "/gui_transparent_control.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    // One paint of the window paints the see-through control once: copying the parent's picture
    // must not paint the control again (that recursed until the stack ran out).
    EXPECT_EQ(glass->Paints, 1);
    struct Case {
        int X, Y;
        TColor Expected;
        const char* What;
    } cases[] = {
        {5, 5, clYellow, "the control's own mark"},
        {6, 20, clRed, "the earlier sibling over the form's stripe"},
        {20, 20, clRed, "the earlier sibling seen through"},
        {40, 10, clNavy, "the form's background seen through"},
        {40, 40, clLime, "the later sibling painted over it by the window"},
        {100, 70, clNavy, "the form outside every control"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(At(shot, c.X, c.Y), c.Expected) << c.What << " at " << c.X << "," << c.Y;
}

TEST_F(ParentImageTest, CopyHoldsTheParentAndEarlierSiblingsOnly) {
    TBitmap copy(40, 40);
    copy.Canvas()->Brush()->SetColor(clWhite);
    copy.Canvas()->FillRect(Rect(0, 0, 40, 40));
    CopyParentImage(glass, copy.Canvas());
    EXPECT_EQ(glass->Paints, 0) << "the control itself is never painted into its own copy";
    struct Case {
        int X, Y;
        TColor Expected;
        const char* What;
    } cases[] = {
        {0, 0, clRed, "earlier sibling over the form's stripe"},
        {26, 10, clNavy, "form background past the earlier sibling"},
        {4, 30, clGreen, "the form's own painting"},
        {35, 35, clNavy, "where the later sibling lies: not in the copy"},
        {39, 39, clNavy, "the copy's last pixel"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(copy.Pixel(c.X, c.Y), c.Expected) << c.What << " at " << c.X << "," << c.Y;
    // Nothing of the copy is left marked as a copy in progress.
    EXPECT_FALSE(form->ControlState & csPaintCopy);
    EXPECT_FALSE(before->ControlState & csPaintCopy);
}

TEST_F(ParentImageTest, HiddenOrNonOverlappingEarlierSiblingsAreLeftOut) {
    before->SetVisible(false);
    TBitmap copy(40, 40);
    CopyParentImage(glass, copy.Canvas());
    EXPECT_EQ(copy.Pixel(20, 20), clNavy);
    before->SetVisible(true);
    before->SetBounds(60, 0, 10, 10);
    CopyParentImage(glass, copy.Canvas());
    EXPECT_EQ(copy.Pixel(20, 20), clNavy);
    EXPECT_EQ(copy.Pixel(0, 0), clGreen);
    // Without a parent there is nothing behind the control, and nothing is drawn.
    glass->SetParent(nullptr);
    copy.Canvas()->Brush()->SetColor(clWhite);
    copy.Canvas()->FillRect(Rect(0, 0, 40, 40));
    CopyParentImage(glass, copy.Canvas());
    CopyParentImage(nullptr, copy.Canvas());
    EXPECT_EQ(copy.Pixel(20, 20), clWhite);
}

} // namespace
