#include "BvgListBox.h"

#include "BvgUtils.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ScopeExit.h"

#include <algorithm>

namespace {

// What a bevel adds to an item's height: one pixel per cut, two when bold.
int BevelExtra(const TBvgListBoxItemStyle& a, const TBvgListBoxItemStyle& b) {
    int extra = 0;
    const bool bold = a.Bevel()->Bold() || b.Bevel()->Bold();
    if (a.Bevel()->Inner() != TBevelCut::bvNone || b.Bevel()->Inner() != TBevelCut::bvNone)
        extra += bold ? 2 : 1;
    if (a.Bevel()->Outer() != TBevelCut::bvNone || b.Bevel()->Outer() != TBevelCut::bvNone)
        extra += bold ? 2 : 1;
    if (a.TextStyle() != TglTextStyle::fstNone || b.TextStyle() != TglTextStyle::fstNone)
        extra += 2;
    return extra;
}

} // namespace

const TClassInfo& TBvgListBox::StaticClassInfo() {
    static const TClassInfo info("TBvgListBox", &TCustomListBox::StaticClassInfo(), {},
                                 "BvgListBox");
    return info;
}

TBvgListBox::TBvgListBox(TComponent* owner)
    : TCustomListBox(owner), itemStyle_(std::make_unique<TBvgListBoxItemStyle>()),
      itemSelStyle_(std::make_unique<TBvgListBoxItemStyle>()),
      glyphsAlign_(std::make_unique<TBvg2DAlign>()), textAlign_(std::make_unique<TBvg2DAlign>()),
      changeGlyphColor_(std::make_unique<TBvgTwainColors>()),
      wallpaper_(std::make_unique<TBitmap>()), glyphBitmap_(std::make_unique<TBitmap>()),
      dragImages_(std::make_unique<TDragImageList>(nullptr, 32, 32)) {
    ControlStyle |= csDisplayDragImage;
    localColors_ = new TBvg3DLocalColors(this);
    // Normal and selected items start alike: black text, no relief, no bevel.
    for (TBvgListBoxItemStyle* s : {itemStyle_.get(), itemSelStyle_.get()}) {
        s->Font()->Assign(*Font());
        s->Font()->SetColor(clBlack);
    }
    changeGlyphColor_->SetFromColor(clBlack);
    changeGlyphColor_->SetToColor(clWhite);
    auto changed = [this](TObject*) { StyleChanged(); };
    itemStyle_->SetOnChanged(changed);
    itemSelStyle_->SetOnChanged(changed);
    glyphsAlign_->OnChanged = changed;
    textAlign_->OnChanged = changed;
    changeGlyphColor_->OnChanged = changed;
    CalcTextFormat();
    SetStyle(TListBoxStyle::lbOwnerDrawVariable);
}

TBvgListBox::~TBvgListBox() {
    Destroying();
    itemStyle_->SetOnChanged(nullptr);
    itemSelStyle_->SetOnChanged(nullptr);
    glyphsAlign_->OnChanged = nullptr;
    textAlign_->OnChanged = nullptr;
    changeGlyphColor_->OnChanged = nullptr;
    DestroyWnd();
}

// ---------------------------------------------------------------- properties

void TBvgListBox::StyleChanged() {
    if (IsLoading())
        return;
    CalcTextFormat();
    RemeasureItems();
    Invalidate();
}

void TBvgListBox::CalcTextFormat() {
    textFormat_ = DT_NOPREFIX | ((options_ & fboWordWrap) ? DT_WORDBREAK : DT_SINGLELINE);
    switch (textAlign_->Horizontal()) {
    case TglHorAlign::fhaCenter:
        textFormat_ |= DT_CENTER;
        break;
    case TglHorAlign::fhaRight:
        textFormat_ |= DT_RIGHT;
        break;
    default:
        break;
    }
    switch (textAlign_->Vertical()) {
    case TglVertAlign::fvaCenter:
        textFormat_ |= DT_VCENTER;
        break;
    case TglVertAlign::fvaBottom:
        textFormat_ |= DT_BOTTOM;
        break;
    default:
        break;
    }
}

void TBvgListBox::SetGlyphs(TCustomImageList* value) {
    if (value == glyphs_)
        return;
    glyphs_ = value;
    RemeasureItems();
    Invalidate();
}

void TBvgListBox::SetNumGlyphs(int value) {
    if (value <= 0 || value == numGlyphs_)
        return;
    numGlyphs_ = value;
    Invalidate();
}

void TBvgListBox::SetItemHeight(int value) {
    value = std::max(0, value);
    if (value == fixedItemHeight_)
        return;
    fixedItemHeight_ = value;
    RemeasureItems();
}

void TBvgListBox::SetAutoTransparentColor(TglAutoTransparentColor value) {
    if (value == autoTransparentColor_)
        return;
    autoTransparentColor_ = value;
    Invalidate();
}

void TBvgListBox::SetTransparentColor(TColor value) {
    if (value == transparentColor_)
        return;
    transparentColor_ = value;
    if (autoTransparentColor_ == TglAutoTransparentColor::ftcUser)
        Invalidate();
}

void TBvgListBox::SetHotTrackColor(TColor value) {
    if (value == hotTrackColor_)
        return;
    hotTrackColor_ = value;
    InvalidateItem(hotIndex_);
}

void TBvgListBox::SetWallpaper(const TBitmap& value) {
    wallpaper_->Assign(value);
    Invalidate();
}

void TBvgListBox::SetWallpaperImage(TImage* value) {
    if (value == wallpaperImage_)
        return;
    if (wallpaperImage_)
        wallpaperImage_->RemoveFreeNotification(this);
    wallpaperImage_ = value;
    if (value)
        value->FreeNotification(this);
    Invalidate();
}

void TBvgListBox::SetWallpaperOption(TglLBWallpaperOption value) {
    if (value == wallpaperOption_)
        return;
    wallpaperOption_ = value;
    Invalidate();
}

void TBvgListBox::SetOptions(TglListBoxOptions value) {
    if (value == options_)
        return;
    options_ = value;
    CalcTextFormat();
    RemeasureItems();
    Invalidate();
}

void TBvgListBox::Notification(TComponent* component, TOperation operation) {
    TCustomListBox::Notification(component, operation);
    if (operation == TOperation::opRemove && component == wallpaperImage_)
        wallpaperImage_ = nullptr;
}

void TBvgListBox::Loaded() {
    TCustomListBox::Loaded();
    Font()->Assign(*itemStyle_->Font());
    CalcTextFormat();
    if (options_ & fboTransparent) {
        // What lies under the box becomes its wallpaper.
        wallpaper_->SetSize(Width(), Height());
        PaintParentBackground(this, BoundsRect(), wallpaper_->Canvas());
    }
    RemeasureItems();
}

int TBvgListBox::GetSelCount() const {
    int n = 0;
    for (int i = 0; i < Count(); ++i)
        n += Selected(i) ? 1 : 0;
    return n;
}

// ---------------------------------------------------------------- measuring

void TBvgListBox::RemeasureItems() {
    measure_.Valid = false;
    // The box forgets the heights it knows and asks for each again when it lays the rows out;
    // items, selection and the current item stay where they are.
    RemeasureAll();
}

int TBvgListBox::PictureWidth() const {
    return glyphs_ && glyphs_->Count() > 0 ? glyphs_->Width() : 0;
}

TRect TBvgListBox::TextRectOf(TRect r, TBvgListBoxItemStyle* style, HDC dc, TColor itemColor,
                              bool transparent) const {
    r.Left += 1;
    r.Right -= 1;
    r.Bottom -= 1;
    TBvgBevelOptions* bevel = style->Bevel();
    const bool local = (options_ & fboAutoCtl3DColors) != 0;
    if (local) {
        localColors_->DeriveFromBase(itemColor);
        localColors_->MakeCurrent();
    }
    TScopeExit restore([colors = local ? localColors_ : nullptr] {
        if (colors)
            colors->RestorePrevious();
    });
    r = DrawBevelBox(dc, r, bevel->Sides(), bevel->Inner(), bevel->Outer(), bevel->Bold(),
                     itemColor, transparent);
    r.Left -= 1;
    r.Right += 1;
    r.Bottom += 1;
    return r;
}

void TBvgListBox::UpdateMeasureRects(int width, int pictureWidth) {
    if (measure_.Valid && measure_.Width == width && measure_.PictureWidth == pictureWidth)
        return;
    // The bevels take the same room whatever the text: found once by drawing them on a
    // scratch picture, then used for every item until the looks or the width change.
    constexpr int kScratch = 40;
    TBitmap scratch(width, kScratch);
    measure_.Frame = 0;
    TBvgListBoxItemStyle* styles[] = {itemStyle_.get(), itemSelStyle_.get()};
    for (int k = 0; k < 2; ++k) {
        TRect r = TextRectOf(Rect(0, 0, width, kScratch), styles[k], scratch.Canvas(),
                             styles[k]->Color(), true);
        measure_.Frame = std::max(measure_.Frame, kScratch - r.Height());
        if ((options_ & fboExcludeGlyphs) && pictureWidth > 0) {
            if (glyphsAlign_->Horizontal() == TglHorAlign::fhaLeft)
                r.Left += pictureWidth;
            else if (glyphsAlign_->Horizontal() == TglHorAlign::fhaRight)
                r.Right -= pictureWidth;
        }
        measure_.Text[k] = Rect(r.Left + 1, 0, std::max(r.Left + 2, r.Right - 2), 0);
    }
    measure_.Width = width;
    measure_.PictureWidth = pictureWidth;
    measure_.Valid = true;
}

bool TBvgListBox::WidthChangedSinceMeasure() const {
    // Only wrapped text grows or shrinks with the width.
    return (options_ & fboWordWrap) && fixedItemHeight_ <= 0 && measure_.Valid &&
           measure_.Width != std::max(1, ItemWidth());
}

int TBvgListBox::MeasureItemText(int index) {
    if (fixedItemHeight_ > 0)
        return fixedItemHeight_;
    const std::string& text = index >= 0 && index < Count() ? Items()->Get(index) : std::string();
    UpdateMeasureRects(std::max(1, ItemWidth()), PictureWidth());
    if (!measureBitmap_)
        measureBitmap_ = std::make_unique<TBitmap>(1, 1);
    TCanvas* c = measureBitmap_->Canvas();
    const uint32_t format =
        DT_CALCRECT | DT_NOPREFIX | ((options_ & fboWordWrap) ? DT_WORDBREAK : DT_SINGLELINE);
    int textHeight = 0;
    // Each look is measured in the rectangle and font it is drawn in; the item is as high as
    // the higher of the two, so a selected item's bolder font never runs out of its row.
    TBvgListBoxItemStyle* styles[] = {itemStyle_.get(), itemSelStyle_.get()};
    for (int k = 0; k < 2; ++k) {
        TRect t = measure_.Text[k];
        c->Font()->Assign(*styles[k]->Font());
        c->DrawTextW(text, t, format);
        textHeight = std::max(textHeight, t.Bottom > 0 ? t.Height() : 14);
    }
    int height = textHeight + BevelExtra(*itemStyle_, *itemSelStyle_);
    // A picture is drawn one pixel in from the bevel; it never covers the item's frame.
    if (glyphs_ && glyphs_->Count() > 0)
        height = std::max(height, glyphs_->Height() + measure_.Frame + 1);
    return height;
}

// ---------------------------------------------------------------- drawing

TBitmap* TBvgListBox::WallpaperInUse() const {
    if (BitmapHasImage(wallpaper_.get()))
        return wallpaper_.get();
    if (wallpaperImage_ && BitmapHasImage(wallpaperImage_->Picture()))
        return wallpaperImage_->Picture();
    return nullptr;
}

int TBvgListBox::PictureIndex(int item) const {
    if (!glyphs_)
        return -1;
    const int index = (options_ & fboSingleGlyph) ? 0 : (item < numGlyphs_ ? item : -1);
    // A picture the list does not hold draws nothing.
    return index >= 0 && index < glyphs_->Count() ? index : -1;
}

void TBvgListBox::DrawWallpaper(HDC dc, const TRect& r, int index) {
    TBitmap* wp = WallpaperInUse();
    if (!wp || r.Width() <= 0 || r.Height() <= 0)
        return;
    switch (wallpaperOption_) {
    case TglLBWallpaperOption::fwlStretch:
        dc->StretchDraw(r, wp);
        break;
    case TglLBWallpaperOption::fwlTile:
        for (int y = r.Top; y < r.Bottom; y += wp->Height())
            for (int x = r.Left; x < r.Right; x += wp->Width()) {
                const int w = std::min(wp->Width(), r.Right - x);
                const int h = std::min(wp->Height(), r.Bottom - y);
                dc->CopyRect(Rect(x, y, x + w, y + h), wp->Canvas(), Rect(0, 0, w, h));
            }
        break;
    case TglLBWallpaperOption::fwlGlobal: {
        // The part of one picture behind the whole box that lies at this item.
        TRect src = Rect(r.Left + 1, r.Top, r.Right, r.Bottom);
        dc->CopyRect(src, wp->Canvas(), src);
        if (index == Count() - 1 && r.Bottom < Height()) {
            TRect rest = Rect(r.Left, r.Bottom, r.Right, Height());
            dc->CopyRect(rest, wp->Canvas(), rest);
        }
        break;
    }
    case TglLBWallpaperOption::fwlNone: {
        const int w = std::min(wp->Width(), r.Width());
        const int h = std::min(wp->Height(), r.Height());
        dc->CopyRect(Rect(r.Left, r.Top, r.Left + w, r.Top + h), wp->Canvas(), Rect(0, 0, w, h));
        break;
    }
    }
}

void TBvgListBox::DrawOneItem(TDrawItemStruct& dis) {
    if (Count() == 0 || !dis.hDC)
        return;
    TBitmap* wallpaper = WallpaperInUse();
    const int index = static_cast<int>(dis.itemID);
    if (index < 0) {
        if (wallpaper)
            dis.hDC->StretchDraw(Rect(0, 0, Width(), Height()), wallpaper);
        return;
    }
    // Wrapped rows measured for another width (a scroll bar came or went, the box was
    // resized) would cut their text: measure them again once this paint is over.
    if (!remeasurePosted_ && WidthChangedSinceMeasure()) {
        remeasurePosted_ = true;
        PostMessage(this, CM_BVGLISTREMEASURE, 0, 0);
    }
    // The selected bit alone decides; focus, hot-light or any other bit changes nothing.
    const bool selected = (dis.itemState & ODS_SELECTED) != 0;
    TBvgListBoxItemStyle* style = selected ? itemSelStyle_.get() : itemStyle_.get();
    const bool showWallpaper =
        wallpaper && (!selected || itemStyle_->Color() == itemSelStyle_->Color());

    HDC dc = dis.hDC;
    TRect itemRect = dis.rcItem;
    std::unique_ptr<TBitmap> buffer;
    if (options_ & fboBufferedDraw) {
        // At the screen's device pixels, so the item's text stays as sharp as unbuffered; it
        // starts as what lies there, since the item leaves its edge columns unpainted and a
        // fresh picture would show them black.
        buffer =
            std::make_unique<TBitmap>(itemRect.Width(), itemRect.Height(), dis.hDC->DeviceScale());
        buffer->Canvas()->BitBltFrom(0, 0, itemRect.Width(), itemRect.Height(), dis.hDC,
                                     itemRect.Left, itemRect.Top, SRCCOPY);
        dc = buffer->Canvas();
        itemRect = Rect(0, 0, itemRect.Width(), itemRect.Height());
    }

    TColor itemColor = style->Color();
    if (OnGetItemColor)
        OnGetItemColor(this, index, itemColor);
    TRect r = TextRectOf(itemRect, style, dc, itemColor, showWallpaper);

    TBvgGradient* gradient = style->Gradient();
    if (gradient->Active()) {
        const TColor from = gradient->FromColor(), to = gradient->ToColor();
        if ((options_ & fboItemColorAsGradientFrom) && itemColor >= 0)
            gradient->SetFromColor(itemColor);
        if ((options_ & fboItemColorAsGradientTo) && itemColor >= 0)
            gradient->SetToColor(itemColor);
        FillGradientRect(dc, r, gradient);
        // The item colour stands in for this fill only; the style keeps its own colours.
        const TNotifyEvent quiet = gradient->OnChanged;
        gradient->OnChanged = nullptr;
        gradient->SetFromColor(from);
        gradient->SetToColor(to);
        gradient->OnChanged = quiet;
    }
    if (showWallpaper)
        DrawWallpaper(dc, r, index);

    const int pw = PictureWidth();
    if (pw > 0) {
        const int ph = glyphs_->Height();
        int gx = r.Left + 1, gy = r.Top + 1;
        const int w = r.Width(), h = r.Height();
        if (glyphsAlign_->Horizontal() == TglHorAlign::fhaCenter)
            gx += (w - pw) / 2;
        else if (glyphsAlign_->Horizontal() == TglHorAlign::fhaRight)
            gx += w - pw - 1;
        if (glyphsAlign_->Vertical() == TglVertAlign::fvaCenter)
            gy += (h - ph) / 2;
        else if (glyphsAlign_->Vertical() == TglVertAlign::fvaBottom)
            gy += h - ph - 1;
        if (const int picture = PictureIndex(index); picture >= 0) {
            glyphs_->GetBitmap(picture, glyphBitmap_.get());
            if (selected && (options_ & fboChangeGlyphColor))
                ReplaceBitmapColor(glyphBitmap_.get(), changeGlyphColor_->FromColor(),
                                   changeGlyphColor_->ToColor());
            const TColor transparent =
                autoTransparentColor_ == TglAutoTransparentColor::ftcUser
                    ? transparentColor_
                    : GetAutoTransparentColor(glyphBitmap_.get(), autoTransparentColor_);
            PaintBitmap(dc, glyphBitmap_.get(), Rect(gx, gy, gx + pw, gy + ph), 0, 0, fopNone,
                        fdsNormal, true, transparent);
        }
        if (options_ & fboExcludeGlyphs) {
            if (glyphsAlign_->Horizontal() == TglHorAlign::fhaLeft)
                r.Left += pw;
            else if (glyphsAlign_->Horizontal() == TglHorAlign::fhaRight)
                r.Right -= pw;
        }
    }

    if (!(options_ & fboHideText)) {
        TRect t = Rect(r.Left + 1, r.Top, r.Right - 2, r.Bottom);
        if (OnGetItemFontColor) {
            TColor color = style->Font()->Color();
            OnGetItemFontColor(this, index, color);
            style->Font()->SetColor(color);
        }
        TFont font;
        font.Assign(*style->Font());
        if (index == hotIndex_)
            font.SetColor(hotTrackColor_);
        DrawStyledTextInRect(dc, t, Items()->Get(index), style->TextStyle(), &font, textFormat_);
    }

    if (buffer)
        dis.hDC->Draw(dis.rcItem.Left, dis.rcItem.Top, buffer.get());
    if ((options_ & fboShowFocus) && (dis.itemState & ODS_FOCUS))
        dis.hDC->DrawFocusRect(dis.rcItem);
    if (OnDrawItemDone)
        OnDrawItemDone(this, dis);
    // Not raised here: Qt is still painting the box, and a handler that frees it would
    // leave the paint working on freed memory.
    if (OnChange && ItemIndex() != lastSelIndex_ && !changePosted_) {
        changePosted_ = true;
        PostMessage(this, CM_BVGLISTCHANGE, 0, 0);
    }
}

void TBvgListBox::RaiseChange() {
    changePosted_ = false;
    if (!OnChange || ItemIndex() == lastSelIndex_)
        return;
    oldSelIndex_ = lastSelIndex_;
    lastSelIndex_ = ItemIndex();
    // The last thing done: the handler may free the box, and with it OnChange itself.
    const TglLBChangeEvent handler = OnChange;
    handler(this, oldSelIndex_, lastSelIndex_);
}

bool TBvgListBox::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case CN_DRAWITEM:
        if (auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam))
            DrawOneItem(*dis);
        m.Result = 1;
        return true;
    case CN_MEASUREITEM:
        if (auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam); mis && !IsLoading())
            mis->itemHeight = static_cast<uint32_t>(MeasureItemText(static_cast<int>(mis->itemID)));
        m.Result = 1;
        return true;
    case CM_MOUSELEAVE:
        TCustomListBox::HandleMessage(m);
        MouseLeft();
        return true;
    case CM_BVGLISTCHANGE:
        RaiseChange();
        return true;
    case CM_BVGLISTREMEASURE:
        remeasurePosted_ = false;
        if (WidthChangedSinceMeasure())
            RemeasureItems();
        return true;
    default:
        return TCustomListBox::HandleMessage(m);
    }
}

// ---------------------------------------------------------------- hot tracking

void TBvgListBox::MouseMove(TShiftState shift, int x, int y) {
    TCustomListBox::MouseMove(shift, x, y);
    if (!(options_ & (fboHotTrack | fboHotTrackSelect)))
        return;
    const int at = ItemAtPos({x, y}, true);
    if (at == hotIndex_)
        return;
    if (options_ & fboHotTrackSelect) {
        if (at >= 0) {
            SetItemIndex(at);
            Invalidate();
        }
        return;
    }
    const int old = hotIndex_;
    hotIndex_ = at;
    InvalidateItem(old);
    InvalidateItem(at);
}

void TBvgListBox::MouseLeft() {
    if (hotIndex_ < 0)
        return;
    const int old = hotIndex_;
    hotIndex_ = -1;
    InvalidateItem(old);
}

// ---------------------------------------------------------------- drag image

void TBvgListBox::DoStartDrag(TDragObject*& dragObject) {
    TCustomListBox::DoStartDrag(dragObject);
    dragImages_->Clear();
    const int index = ItemIndex();
    if (index < 0 || index >= Count())
        return;
    const TRect itemRect = ItemRect(index);
    TBitmap bitmap(std::max(1, itemRect.Width()), std::max(1, itemRect.Height()));
    TColor transparent = clWhite;
    const TPoint mouse = ScreenToClient(Mouse->CursorPos());
    int hotX = mouse.X - itemRect.Left, hotY = mouse.Y - itemRect.Top;
    if (OnGetDragImage) {
        OnGetDragImage(this, &bitmap, transparent, hotX, hotY);
    } else {
        TCanvas* c = bitmap.Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
        c->Font()->Assign(*itemSelStyle_->Font());
        c->DrawFocusRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->TextOut(1, 1, Items()->Get(index));
    }
    dragImages_->SetSize(bitmap.Width(), bitmap.Height());
    dragImages_->AddMasked(&bitmap, transparent);
    dragImages_->SetDragImage(0, hotX, hotY);
}

TDragImageList* TBvgListBox::GetDragImages() {
    return dragImages_->Count() > 0 ? dragImages_.get() : nullptr;
}
