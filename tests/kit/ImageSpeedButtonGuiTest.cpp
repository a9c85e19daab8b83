// The speed button whose glyph comes from an image list: the image shown, the hot image while
// the pointer is over it, a click with the real mouse, and the list's change handler and
// lifetime.
#include "BvSpeedButton.h"
#include "GuiTestEnvironment.h"

#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const TColor kRed = RGB(220, 0, 0), kBlue = RGB(0, 0, 220);

struct Fixture {
    TForm* form = MakeTestForm(200, 100);
    TImageList* images = new TImageList(form, 16, 16);
    TBvImageSpeedButton* button = new TBvImageSpeedButton(form);
    Fixture() {
        form->SetColor(clBtnFace);
        for (TColor c : {kRed, kBlue}) {
            TBitmap b(16, 16);
            b.Canvas()->Brush()->SetColor(c);
            b.Canvas()->FillRect(Rect(0, 0, 16, 16));
            images->AddMasked(&b, clFuchsia);
        }
        button->SetParent(form);
        button->SetBounds(10, 10, 30, 30);
        button->SetImages(images);
        button->SetImageIndex(0);
    }
    ~Fixture() {
        delete form;
        PumpEvents();
    }
    QWidget* Surface() { return form->ClientWidget(); }
    // The colour at the button's centre as it shows now.
    TColor Centre() {
        PumpEvents();
        QImage shot = Surface()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QRgb p = shot.pixel(25, 25);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    }
};

TEST(ImageSpeedButton, ShowsItsImageAndTheHotOneUnderThePointer) {
    Fixture f;
    f.button->SetHotTrack(true);
    f.button->SetHotTrackImageIndex(1);
    f.form->Show();
    QTest::mouseMove(f.Surface(), QPoint(150, 80));
    EXPECT_EQ(kRed, f.Centre());
    EXPECT_EQ(0, f.button->ShownImageIndex());
    QTest::mouseMove(f.Surface(), QPoint(25, 25));
    EXPECT_EQ(kBlue, f.Centre()) << "the hot image under the pointer";
    QTest::mouseMove(f.Surface(), QPoint(150, 80));
    EXPECT_EQ(kRed, f.Centre());
    // Without HotTrack the hot index is never shown.
    f.button->SetHotTrack(false);
    QTest::mouseMove(f.Surface(), QPoint(25, 25));
    EXPECT_EQ(kRed, f.Centre());
    // A new index shows at once.
    f.button->SetImageIndex(1);
    EXPECT_EQ(kBlue, f.Centre());
}

TEST(ImageSpeedButton, ClickWithTheMouseAndTheDisabledLook) {
    Fixture f;
    int clicks = 0;
    f.button->OnClick = [&](TObject*) { ++clicks; };
    f.form->Show();
    QTest::mouseClick(f.Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(25, 25));
    EXPECT_EQ(1, clicks);
    f.button->SetEnabled(false);
    EXPECT_NE(kRed, f.Centre()) << "a disabled button greys its image";
    QTest::mouseClick(f.Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(25, 25));
    EXPECT_EQ(1, clicks);
}

// The list's one change handler is shared: a button chains itself in and gives it back.
TEST(ImageSpeedButton, ImageListHandlerAndLifetime) {
    Fixture f;
    int ownHandler = 0;
    f.button->SetImages(nullptr);
    EXPECT_EQ(-1, f.button->ImageIndex()) << "no list, no index";
    f.images->OnChange = [&](TCustomImageList&) { ++ownHandler; };
    f.button->SetImages(f.images);
    f.button->SetImageIndex(1);
    f.form->Show();
    EXPECT_EQ(kBlue, f.Centre());
    // Replacing the image in the list shows on the button; the list's own handler still runs.
    f.images->Delete(1);
    TBitmap green(16, 16);
    green.Canvas()->Brush()->SetColor(RGB(0, 200, 0));
    green.Canvas()->FillRect(Rect(0, 0, 16, 16));
    f.images->AddMasked(&green, clFuchsia);
    EXPECT_EQ(RGB(0, 200, 0), f.Centre());
    EXPECT_EQ(2, ownHandler);
    // Letting go gives the list its handler back.
    f.button->SetImages(nullptr);
    ASSERT_TRUE(f.images->OnChange);
    f.images->Clear();
    EXPECT_EQ(3, ownHandler);
    // A list freed while a button shows it leaves the button without a list.
    f.button->SetImages(f.images);
    f.button->SetImageIndex(0);
    delete f.images;
    EXPECT_EQ(nullptr, f.button->Images());
    EXPECT_EQ(-1, f.button->ImageIndex());
    f.Centre();
}

} // namespace
