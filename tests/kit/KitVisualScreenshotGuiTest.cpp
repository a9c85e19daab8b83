// One form with the kit's progress bars, group boxes and hint panel in their usual states,
// saved as a picture for a person to look at, with probes of what must show.
#include "BvPanel.h"
#include "BvSpecialProgress.h"
#include "BvgGroupBox.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

TColor At(const QImage& image, int x, int y) {
    QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

} // namespace

TEST(KitVisualScreenshot, FormWithProgressBarsGroupBoxesAndTheHintPanel) {
    TForm* form = MakeTestForm(460, 260);
    form->SetColor(clBtnFace);
    auto* log = new TBvgGroupBox(form);
    log->SetParent(form);
    UseTestFont(log->Font());
    log->SetCaption("Log");
    log->SetBounds(8, 8, 220, 110);
    auto* solid = MakeBar(form, log, 24, 200, true, "Copying file: %d%%");
    auto* blocks = MakeBar(form, log, 50, 200, false, "Encoding file:  %d%%");
    auto* plain = MakeBar(form, log, 76, 200, true, "Left: %s %d%%");
    plain->SetStartColor(clWhite);
    plain->SetEndColor(RGB(150, 170, 200));
    plain->SetBorderStyle(TBorderStyle::bsNone);
    auto* deleted = new TBvgGroupBox(form);
    deleted->SetParent(form);
    UseTestFont(deleted->Font());
    deleted->SetCaption("Deleted");
    deleted->SetBounds(8, 130, 220, 100);
    deleted->SetCollapsed(true);

    auto* hint = new TBvPanel(form);
    hint->SetParent(form);
    UseTestFont(hint->Font());
    hint->SetBounds(250, 20, 190, 110);
    hint->SetColor(kHintPanelColor);
    hint->BevelOuter = TPanelBevel::bvLowered;
    hint->SetMultiLine(true);
    hint->Alignment = TAlignment::taLeftJustify;
    hint->SetCaption("Artist: Nobody\r\nAlbum: Tests\r\nTitle: Fifty\r\nTime: 03:05\r\nMPEG "
                     "Audio\r\nBitrate: 128 kbps");
    hint->SetSizeable(true);

    form->Show();
    Pump();
    QImage shot = form->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    std::string path = std::string(BV_BINARY_DIR) + "/kit_visual_controls.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));

    TPoint s = solid->ClientOrigin();
    TPoint f = form->ClientOrigin();
    int sx = s.X - f.X, sy = s.Y - f.Y;
    EXPECT_EQ(solid->DisplayText(), "Copying file: 50%");
    EXPECT_EQ(blocks->DisplayText(), "Encoding file:  50%");
    EXPECT_EQ(plain->DisplayText(), "Left: %s 50%");
    EXPECT_EQ(At(shot, sx + 3, sy + 3), solid->Picture().Pixel(3, 3)) << "the bar's own picture";
    EXPECT_EQ(solid->Picture().Pixel(3, 3), RGB(92, 142, 231)) << "two steps into the gradient";
    EXPECT_EQ(At(shot, sx + 190, sy + 8), ColorToRGB(clBtnFace)) << "the empty part";
    EXPECT_EQ(At(shot, sx, sy), ColorToRGB(clBtnFace)) << "the outer frame";
    EXPECT_EQ(At(shot, sx + 1, sy + 1), GetSysColor(COLOR_BTNSHADOW)) << "the sunken frame";
    EXPECT_EQ(At(shot, hint->Left() + 100, hint->Top() + 105), kHintPanelColor);
    EXPECT_EQ(deleted->Height(), deleted->CaptionRect().Bottom + 1);
    delete form;
    Pump();
}
