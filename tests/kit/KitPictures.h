// Pictures the kit's GUI tests share: Tango icons for image lists, the main window's
// playlist-box look, the Log box's progress bars at 50%, and a form composed with an open drop-down
// as they lie on the screen.
#pragma once

#include "BvSpecialProgress.h"
#include "BvgListBox.h"
#include "Controls.h"
#include "Graphics.h"
#include "GuiTestEnvironment.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

// A 16 x 16 Tango picture (path below the 16x16 folder) on the transparent colour the
// owner-drawn list box uses by default.
inline void AddTangoPicture(TCustomImageList* list, const std::string& path) {
    TBitmap bitmap(16, 16);
    bitmap.Canvas()->Brush()->SetColor(0x008080);
    bitmap.Canvas()->FillRect(Rect(0, 0, 16, 16));
    QImage icon(QString::fromStdString("/usr/share/icons/Tango/16x16/" + path));
    ASSERT_FALSE(icon.isNull()) << path;
    {
        QPainter p(&bitmap.Image());
        p.drawImage(0, 0, icon);
    }
    list->AddMasked(&bitmap, 0x008080);
}

// The main window's playlist box: white items with a shadow line at the bottom, the
// selected one on a gradient in a bold raised frame, pictures and text centred in height.
inline void UsePlaylistBoxLook(TBvgListBox* box, TCustomImageList* images, int numGlyphs) {
    box->SetGlyphs(images);
    box->SetNumGlyphs(numGlyphs);
    box->GlyphsAlign()->SetVertical(TglVertAlign::fvaCenter);
    box->TextAlign()->SetVertical(TglVertAlign::fvaCenter);
    box->SetOptions(fboExcludeGlyphs | fboHotTrack | fboWordWrap);
    TBvgListBoxItemStyle* normal = box->ItemStyle();
    normal->SetColor(clWhite);
    UseTestFont(normal->Font());
    normal->Bevel()->SetSides(fsdBottom);
    normal->Bevel()->SetOuter(TBevelCut::bvRaised);
    TBvgListBoxItemStyle* sel = box->ItemSelStyle();
    sel->SetColor(clWhite);
    UseTestFont(sel->Font());
    sel->Font()->SetStyle(fsBold);
    sel->Bevel()->SetOuter(TBevelCut::bvRaised);
    sel->Bevel()->SetBold(true);
    sel->Gradient()->SetFromColor(RGB(255, 255, 255));
    sel->Gradient()->SetToColor(RGB(150, 180, 230));
    sel->Gradient()->SetActive(true);
}

// A window's picture with an open popup laid over it where it lies on the screen; popups are
// windows of their own, so a grab of the window alone leaves them out.
inline QImage ComposeWithPopup(const QImage& windowShot, QWidget* window, QWidget* popup) {
    QImage popupShot = popup->grab().toImage();
    const QPoint at = popup->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0));
    QImage shot(std::max(windowShot.width(), at.x() + popupShot.width()),
                std::max(windowShot.height(), at.y() + popupShot.height()), QImage::Format_RGB32);
    shot.fill(Qt::white);
    QPainter p(&shot);
    p.drawImage(0, 0, windowShot);
    p.drawImage(at, popupShot);
    return shot;
}

// A progress bar of the Log box at 50%, its caption formatted: solid or in blocks.
inline TBvSpecialProgress* MakeBar(TForm* form, TWinControl* parent, int top, int width, bool solid,
                                   const char* caption) {
    auto* bar = new TBvSpecialProgress(form);
    bar->SetParent(parent);
    UseTestFont(bar->Font());
    bar->SetBounds(8, top, width, 17);
    bar->SetSolid(solid);
    bar->SetGradientBlocks(true);
    bar->SetStep(1);
    bar->SetStartColor(RGB(90, 140, 230));
    bar->SetEndColor(RGB(190, 215, 255));
    bar->SetTextOption(TBvTextOption::toFormat);
    bar->SetTextCentered(true);
    bar->SetBorderStyle(TBorderStyle::bsSingle);
    bar->SetCaption(caption);
    bar->SetPosition(50);
    return bar;
}
