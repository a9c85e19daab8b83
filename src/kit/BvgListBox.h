// A list box that draws every item itself: a coloured or gradient background inside a bevel,
// an optional picture from an image list, and the item text in a relief style, with separate
// looks for normal and selected items, hot tracking under the mouse, a wallpaper and a drag
// image. The main window's playlist box is one.
#pragma once

#include "Bvg3DColors.h"
#include "BvgCommClasses.h"
#include "StdCtrls.h"

#include <functional>
#include <memory>
#include <string>

class TImage;

// Posted to itself when an item is drawn in a width other than the one the items were
// measured in.
constexpr uint32_t CM_BVGLISTREMEASURE = 0xB060;
// Posted to itself when a drawing finds the selected index moved: OnChange runs once the
// paint is over, where a handler may free the box.
constexpr uint32_t CM_BVGLISTCHANGE = 0xB061;

enum class TglLBWallpaperOption : uint8_t { fwlNone, fwlStretch, fwlTile, fwlGlobal };

enum TglListBoxOption : uint16_t {
    fboAutoCtl3DColors = 1 << 0,
    fboBufferedDraw = 1 << 1,
    fboChangeGlyphColor = 1 << 2,
    fboDelineatedText = 1 << 3, // published, changes nothing
    fboExcludeGlyphs = 1 << 4,
    fboHideText = 1 << 5,
    fboHotTrack = 1 << 6,
    fboHotTrackSelect = 1 << 7,
    fboItemColorAsGradientFrom = 1 << 8,
    fboItemColorAsGradientTo = 1 << 9,
    fboMouseMoveSentensive = 1 << 10, // published, changes nothing
    fboShowFocus = 1 << 11,
    fboSingleGlyph = 1 << 12,
    fboTransparent = 1 << 13,
    fboWordWrap = 1 << 14,
};
using TglListBoxOptions = uint16_t;

using TglLBOnDrawEvent = std::function<void(TObject* sender, const TDrawItemStruct& msg)>;
using TglLBChangeEvent = std::function<void(TObject* sender, int oldSelIndex, int selIndex)>;
using TglOnGetItemColorEvent = std::function<void(TObject* sender, int index, TColor& color)>;
using TglOnGetDragImageEvent = std::function<void(
    TObject* sender, TBitmap* bitmap, TColor& transparentColor, int& hotSpotX, int& hotSpotY)>;

class TBvgListBox : public TCustomListBox {
    BV_CLASS_INFO()
public:
    explicit TBvgListBox(TComponent* owner);
    ~TBvgListBox() override;

    TBvgListBoxItemStyle* ItemStyle() const { return itemStyle_.get(); }
    TBvgListBoxItemStyle* ItemSelStyle() const { return itemSelStyle_.get(); }
    TCustomImageList* Glyphs() const { return glyphs_; }
    void SetGlyphs(TCustomImageList* value);
    int NumGlyphs() const { return numGlyphs_; }
    // 0 is ignored.
    void SetNumGlyphs(int value);
    TBvg2DAlign* GlyphsAlign() const { return glyphsAlign_.get(); }
    TBvg2DAlign* TextAlign() const { return textAlign_.get(); }
    // 0: every item is measured; otherwise every item is this high.
    int ItemHeight() const { return fixedItemHeight_; }
    void SetItemHeight(int value);
    TglAutoTransparentColor AutoTransparentColor() const { return autoTransparentColor_; }
    void SetAutoTransparentColor(TglAutoTransparentColor value);
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor value);
    TColor HotTrackColor() const { return hotTrackColor_; }
    void SetHotTrackColor(TColor value);
    TBvgTwainColors* ChangeGlyphColor() const { return changeGlyphColor_.get(); }
    TBitmap* Wallpaper() const { return wallpaper_.get(); }
    void SetWallpaper(const TBitmap& value);
    TImage* WallpaperImage() const { return wallpaperImage_; }
    void SetWallpaperImage(TImage* value);
    TglLBWallpaperOption WallpaperOption() const { return wallpaperOption_; }
    void SetWallpaperOption(TglLBWallpaperOption value);
    TglListBoxOptions Options() const { return options_; }
    void SetOptions(TglListBoxOptions value);
    // The item under the mouse, -1 for none.
    int HotIndex() const { return hotIndex_; }

    // The DrawText format of the item text.
    uint32_t TextFormat() const { return textFormat_; }
    // Every item measured again; the selection and the current item stay.
    void RemeasureItems();
    // The height an item measures to.
    int MeasureItemText(int index);
    int GetSelCount() const;
    // The picture of the selected item once a drag has started from the box; none before.
    TDragImageList* GetDragImages() override;

    TglLBOnDrawEvent OnDrawItemDone;
    TglLBChangeEvent OnChange;
    TglOnGetItemColorEvent OnGetItemColor;
    TglOnGetItemColorEvent OnGetItemFontColor;
    TglOnGetDragImageEvent OnGetDragImage;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    bool HandleMessage(TMessage& message) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void DoStartDrag(TDragObject*& dragObject) override;

private:
    void StyleChanged();
    void CalcTextFormat();
    void DrawOneItem(TDrawItemStruct& dis);
    // Raises OnChange for a selected index that moved since the last one reported.
    void RaiseChange();
    // Where an item's text goes inside the item rectangle r for style: the same rectangle for
    // drawing and for measuring. dc draws the bevel; null only measures.
    TRect TextRectOf(TRect r, TBvgListBoxItemStyle* style, HDC dc, TColor itemColor,
                     bool transparent) const;
    int PictureWidth() const;
    void UpdateMeasureRects(int width, int pictureWidth);
    bool WidthChangedSinceMeasure() const;
    int PictureIndex(int item) const;
    TBitmap* WallpaperInUse() const;
    void DrawWallpaper(HDC dc, const TRect& r, int index);
    void MouseLeft();

    std::unique_ptr<TBvgListBoxItemStyle> itemStyle_;
    std::unique_ptr<TBvgListBoxItemStyle> itemSelStyle_;
    TCustomImageList* glyphs_ = nullptr;
    int numGlyphs_ = 1;
    std::unique_ptr<TBvg2DAlign> glyphsAlign_;
    std::unique_ptr<TBvg2DAlign> textAlign_;
    int fixedItemHeight_ = 0;
    TglAutoTransparentColor autoTransparentColor_ = TglAutoTransparentColor::ftcLeftBottomPixel;
    TColor transparentColor_ = 0x008080;
    TColor hotTrackColor_ = 0xFF0000;
    std::unique_ptr<TBvgTwainColors> changeGlyphColor_;
    std::unique_ptr<TBitmap> wallpaper_;
    TImage* wallpaperImage_ = nullptr;
    TglLBWallpaperOption wallpaperOption_ = TglLBWallpaperOption::fwlNone;
    TglListBoxOptions options_ = fboExcludeGlyphs | fboHotTrack | fboWordWrap;
    TBvg3DLocalColors* localColors_ = nullptr;
    int hotIndex_ = -1;
    uint32_t textFormat_ = 0;
    std::unique_ptr<TBitmap> glyphBitmap_;
    std::unique_ptr<TDragImageList> dragImages_;
    // Where the text of each look goes in an item of the measured width, and what the
    // bevels take from its height; kept until the looks or the width change.
    struct TMeasureRects {
        bool Valid = false;
        int Width = 0;
        int PictureWidth = 0;
        int Frame = 0;
        TRect Text[2];
    } measure_;
    std::unique_ptr<TBitmap> measureBitmap_;
    int lastSelIndex_ = -1;
    bool changePosted_ = false;
    int oldSelIndex_ = -1;
    bool remeasurePosted_ = false;
};
