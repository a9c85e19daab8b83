// Pictures of the main window, from the desktop's icon theme (Tango where the desktop has
// none) through the gui layer, or drawn anew.
#include "MainPictures.h"
#include "Main.h"

#include "BvMenuItemPainters.h"
#include "Graphics.h"
#include "ThemeIcons.h"

#include <algorithm>
#include <array>

namespace {

// The theme's names, in the order of TMainPicture.
constexpr std::array<const char*, picCount> kPictureNames = {
    "document-open",           // picAddFiles
    "folder",                  // picAddFolder
    "list-remove",             // picRemove
    "go-up",                   // picUp
    "go-down",                 // picDown
    "system-search",           // picScan
    "multimedia-player",       // picUpdate
    "preferences-system",      // picOptions
    "system-log-out",          // picExit
    "help-browser",            // picAbout
    "drive-removable-media",   // picReadDB
    "edit-delete",             // picDelete
    "document-new",            // picNew
    "accessories-text-editor", // picRename
    "edit-clear",              // picClear
    "view-refresh",            // picRefresh
    "edit-select-all",         // picSelectAll
    "dialog-warning",          // picDeadFiles
    "edit-copy",               // picCopy
    "edit-undo",               // picRestore
    "edit-undo",               // picReset
    "process-stop",            // picStop
    "go-next",                 // picNext
    "edit-find",               // picFind
    "audio-x-generic",         // picPlaylist
    "audio-x-generic",         // picTrack
    "document-open",           // picOpen
    "document-save",           // picSave
};

// The picture over a plain background; a picture the theme lacks is a plain sign, a rounded
// square in a colour of its own.
void DrawPicture(TBitmap& bitmap, int index, int size, TColor background) {
    TCanvas* c = bitmap.Canvas();
    c->Brush()->SetColor(background);
    c->FillRect(Rect(0, 0, size, size));
    const char* name = kPictureNames[static_cast<size_t>(index)];
    if (HasThemeIcon(name)) {
        DrawThemeIcon(*c, name, 0, 0, size);
        return;
    }
    static const TColor colours[] = {RGB(52, 101, 164), RGB(78, 154, 6), RGB(204, 0, 0),
                                     RGB(117, 80, 123), RGB(196, 160, 0)};
    const TColor colour = colours[index % 5];
    c->Brush()->SetColor(colour);
    c->Pen()->SetColor(colour);
    const int m = size / 6;
    c->RoundRect(m, m, size - m, size - m, 2 * m, 2 * m);
}

} // namespace

void FillPictureList(TCustomImageList* list, int size, unsigned faceColor) {
    // The list keeps a one-bit mask: pixels mostly see-through are left out, the others are
    // laid over the button face the pictures are drawn on, so no edge shows a fringe. How
    // much a pixel lets through shows by drawing the picture over black and over white.
    constexpr TColor kMaskColour = 0xFF00FF;
    constexpr int kOpaqueEnough = 100;
    for (int i = 0; i < picCount; ++i) {
        TBitmap overBlack(size, size);
        TBitmap overWhite(size, size);
        DrawPicture(overBlack, i, size, RGB(0, 0, 0));
        DrawPicture(overWhite, i, size, RGB(255, 255, 255));
        TBitmap picture(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const TColor k = overBlack.Pixel(x, y);
                const TColor w = overWhite.Pixel(x, y);
                const int through = ((GetRValue(w) - GetRValue(k)) + (GetGValue(w) - GetGValue(k)) +
                                     (GetBValue(w) - GetBValue(k))) /
                                    3;
                const int alpha = 255 - std::clamp(through, 0, 255);
                if (alpha < kOpaqueEnough) {
                    picture.SetPixel(x, y, kMaskColour);
                    continue;
                }
                // Over black the pixel is its colour already weighed by its opacity.
                auto over = [through](int weighed, int face) {
                    return std::min(255,
                                    weighed + (face * std::clamp(through, 0, 255) + 127) / 255);
                };
                picture.SetPixel(x, y,
                                 RGB(over(GetRValue(k), GetRValue(faceColor)),
                                     over(GetGValue(k), GetGValue(faceColor)),
                                     over(GetBValue(k), GetBValue(faceColor))));
            }
        list->AddMasked(&picture, kMaskColour);
    }
}

void TForm1::LoadPictures() {
    const unsigned face = static_cast<unsigned>(ColorToRGB(clBtnFace));
    FillPictureList(ImageListMenu, ImageListMenu->Width(), face);
    FillPictureList(ImageListBar, ImageListBar->Width(), face);
    FillPictureList(ImageListButtons, ImageListButtons->Width(), face);
    // The selected item of a drawn menu sits on the selection band: its picture's soft edges
    // are blended with the band's colour, so no button-face fringe shows there.
    TBvXPMenuItemPainter band(nullptr);
    FillPictureList(ToolbarImages, ToolbarImages->Width(),
                    static_cast<unsigned>(ColorToRGB(band.SelectionFrameBrush()->Color())));
}
