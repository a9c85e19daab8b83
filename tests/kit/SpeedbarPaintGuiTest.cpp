// The speed bar's own painting (the wallpaper tiled or stretched inside the bevels and the
// border frame, the inner bevel), its customize step and its scaling onto the grid.
#include "BvSpeedbar.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"

#include <QImage>
#include <QWidget>

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

TColor At(const QImage& image, int x, int y) {
    QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

// A 10 x 10 picture: red with a blue top-left pixel, so each tile's corner shows.
void MakeTile(TBitmap& tile) {
    tile.SetSize(10, 10);
    tile.Canvas()->Brush()->SetColor(RGB(200, 40, 40));
    tile.Canvas()->FillRect(Rect(0, 0, 10, 10));
    tile.SetPixel(0, 0, RGB(0, 0, 255));
}

struct PaintForm {
    TForm* form = MakeTestForm(300, 200);
    TBvSpeedBar* bar = new TBvSpeedBar(form);
    PaintForm() {
        bar->SetParent(form);
        UseTestFont(bar->Font());
        bar->BevelOuter = TPanelBevel::bvRaised;
        bar->BevelInner = TPanelBevel::bvLowered;
        bar->BevelWidth = 1;
        bar->BorderWidth = 3;
        bar->SetHeight(50);
    }
    ~PaintForm() { delete form; }
    QImage Shot() {
        form->Show();
        PumpEvents();
        return bar->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

// Outer bevel, the border frame in the bar's colour, the inner bevel, then the wallpaper tiled
// from the inside corner.
TEST(SpeedbarPaint, FramesThenTiledWallpaperInside) {
    PaintForm f;
    TBitmap tile;
    MakeTile(tile);
    f.bar->SetWallpaper(&tile);
    QImage shot = f.Shot();
    const int inset = 1 + 3 + 1;
    EXPECT_EQ(At(shot, 0, 0), ColorToRGB(clBtnHighlight)) << "outer bevel, raised";
    EXPECT_EQ(At(shot, 299, 49), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(shot, 2, 20), ColorToRGB(f.bar->Color())) << "the border frame";
    EXPECT_EQ(At(shot, 4, 4), ColorToRGB(clBtnShadow)) << "inner bevel, lowered";
    EXPECT_EQ(At(shot, 295, 45), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(shot, inset, inset), RGB(0, 0, 255)) << "the first tile's corner";
    EXPECT_EQ(At(shot, inset + 10, inset + 10), RGB(0, 0, 255)) << "the next tile's corner";
    EXPECT_EQ(At(shot, inset + 5, inset + 5), RGB(200, 40, 40));
    EXPECT_EQ(At(shot, 299 - inset, 49 - inset), RGB(200, 40, 40)) << "tiles reach the end";
    EXPECT_EQ(At(shot, 299 - inset + 1, 20), ColorToRGB(clBtnHighlight))
        << "clipped inside the frames";
    std::filesystem::create_directories(std::string(BV_BINARY_DIR) + "/screenshots");
    shot.save(QString::fromStdString(std::string(BV_BINARY_DIR) +
                                     "/screenshots/kit_speedbar_wallpaper.png"));

    // Stretched, one picture covers the inside: one blue corner pixel grown to a block.
    f.bar->SetOptions(f.bar->Options() | sbStretchBitmap);
    shot = f.Shot();
    EXPECT_EQ(At(shot, inset + 10, inset + 2), RGB(0, 0, 255));
    EXPECT_EQ(At(shot, inset + 40, inset + 10), RGB(200, 40, 40));
    EXPECT_EQ(At(shot, 150, inset + 1), RGB(200, 40, 40)) << "no second tile";

    // An empty wallpaper leaves the bar's colour.
    TBitmap none;
    f.bar->SetWallpaper(&none);
    shot = f.Shot();
    EXPECT_EQ(At(shot, inset + 5, inset + 5), ColorToRGB(f.bar->Color()));
}

// The customize step fires OnCustomize when a customization window starts working on the bar.
TEST(SpeedbarCustomizeStep, StartingACustomizationFiresOnCustomize) {
    PaintForm f;
    int heard = 0;
    f.bar->OnCustomize = [&](TObject* sender) {
        EXPECT_EQ(sender, f.bar);
        ++heard;
    };
    auto* window = new TForm(f.form);
    f.bar->SetEditWindow(window->Handle());
    EXPECT_EQ(heard, 1);
    f.bar->SetEditWindow(window->Handle());
    EXPECT_EQ(heard, 1) << "only when it starts";
    f.bar->SetEditWindow(nullptr);
    EXPECT_EQ(heard, 1);
}

// Scaling the bar scales the button size and offsets, then snaps the buttons onto the new grid.
TEST(SpeedbarScale, ScalingSizesTheButtonsAndSnapsThemToTheGrid) {
    PaintForm f;
    f.bar->BevelInner = TPanelBevel::bvNone;
    f.bar->BorderWidth = 0;
    f.bar->SetBtnWidth(24);
    f.bar->SetBtnHeight(24);
    auto* item = new TBvSpeedItem(f.form);
    item->SetName("Item");
    f.bar->AddItem(0, item);
    item->SetVisible(true);
    item->SetLeft(f.bar->BtnOffsetHorz() + 24);
    const int offsetX = f.bar->BtnOffsetHorz();
    f.form->ScaleBy(3, 2);
    EXPECT_EQ(f.bar->BtnWidth(), 36);
    EXPECT_EQ(f.bar->BtnHeight(), 36);
    EXPECT_EQ(f.bar->BtnOffsetHorz(), std::max((offsetX * 3 + 1) / 2, f.bar->MinButtonsOffset()));
    EXPECT_EQ(item->Button()->Width(), 36);
    EXPECT_EQ((item->Left() - f.bar->BtnOffsetHorz()) % f.bar->Grid().X, 0)
        << "on the grid after scaling";
}

} // namespace
