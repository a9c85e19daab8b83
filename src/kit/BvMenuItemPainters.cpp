#include "BvMenuItemPainters.h"

#include "BvDrawUtils.h"
#include "WinApi.h"

#include <algorithm>
#include <iostream>

namespace {

constexpr uint32_t kCalcTextFlags = DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS;
constexpr uint32_t kItemTextFlags = DT_SINGLELINE | DT_EXPANDTABS;
constexpr uint32_t kRopDisabledMono = 0x00E20746;
const std::string kShortCutGap(8, ' ');
const std::string kSubmenuGap(2, ' ');

int CaptionWidth(TCanvas* canvas, const std::string& caption) {
    TRect r{0, 0, 0, 0};
    canvas->DrawTextW(caption, r, kCalcTextFlags);
    return r.Right - r.Left;
}

void Line(TCanvas* c, int x1, int y1, int x2, int y2) {
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

} // namespace

// ---------------------------------------------------------------- the base painter

const TClassInfo& TBvCustomMenuItemPainter::StaticClassInfo() {
    static const TClassInfo info("TBvCustomMenuItemPainter", &TComponent::StaticClassInfo(), {},
                                 "BvMenus");
    return info;
}

TBvCustomMenuItemPainter::TBvCustomMenuItemPainter(TComponent* owner)
    : TComponent(owner), imageMargin_(std::make_unique<TBvImageMargin>()),
      imageSize_(std::make_unique<TBvMenuImageSize>()) {}

TBvCustomMenuItemPainter::~TBvCustomMenuItemPainter() {
    Destroying();
}

void TBvCustomMenuItemPainter::SetMenu(TComponent* menu) {
    if (auto* m = dynamic_cast<TBvMainMenu*>(menu))
        menu_ = m;
    else if (auto* p = dynamic_cast<TBvPopupMenu*>(menu))
        menu_ = p;
    else
        menu_ = nullptr;
}

TCanvas* TBvCustomMenuItemPainter::Canvas() const {
    return menu_ ? menu_->Canvas() : nullptr;
}

bool TBvCustomMenuItemPainter::HasImage() const {
    TCustomImageList* list = menu_ ? menu_->Images() : nullptr;
    return list && imageIndex_ >= 0 && imageIndex_ < list->Count();
}
bool TBvCustomMenuItemPainter::HasHotImage() const {
    TCustomImageList* list = menu_ ? menu_->HotImages() : nullptr;
    return list && imageIndex_ >= 0 && imageIndex_ < list->Count();
}
bool TBvCustomMenuItemPainter::HasDisabledImage() const {
    TCustomImageList* list = menu_ ? menu_->DisabledImages() : nullptr;
    return list && imageIndex_ >= 0 && imageIndex_ < list->Count();
}

int TBvCustomMenuItemPainter::GetCheckMarkHeight() {
    return ShowCheckMarks() ? GetSystemMetrics(SM_CYMENUCHECK) : 0;
}
int TBvCustomMenuItemPainter::GetCheckMarkWidth() {
    return ShowCheckMarks() ? GetSystemMetrics(SM_CXMENUCHECK) : 0;
}

bool TBvCustomMenuItemPainter::UseDisabledShadow() {
    // A selected item gets the raised look only where grey text would vanish into the highlight.
    return !Selected() || ColorToRGB(clGrayText) == ColorToRGB(clHighlight);
}

TColor TBvCustomMenuItemPainter::GetGrayedTextColor() {
    return Selected() ? clGrayText : clBtnShadow;
}

int TBvCustomMenuItemPainter::GetImageHeight() {
    if (menu_ && menu_->Images())
        return menu_->Images()->Height();
    if (glyph_)
        return glyph_->Height();
    return ImageSize()->Height;
}
int TBvCustomMenuItemPainter::GetImageWidth() {
    if (menu_ && menu_->Images())
        return menu_->Images()->Width();
    if (glyph_)
        return glyph_->Width();
    return ImageSize()->Width;
}

int TBvCustomMenuItemPainter::GetTextMargin() {
    return menu_ ? menu_->TextMargin : 0;
}

void TBvCustomMenuItemPainter::UpdateFieldsFromMenu() {
    if (!menu_)
        return;
    onDrawItem_ = menu_->OnDrawItem;
    ImageMargin()->Assign(*menu_->ImageMargin());
    ImageSize()->Assign(*menu_->ImageSize());
}

void TBvCustomMenuItemPainter::PreparePaint(TMenuItem* item, const TRect& rect, bool measuring,
                                            TMenuOwnerDrawState state) {
    UpdateFieldsFromMenu();
    item_ = item;
    state_ = state;
    glyph_ = nullptr;
    numGlyphs_ = 1;
    TCanvas* c = Canvas();
    TColor color = c ? c->Brush()->Color() : clNone;
    if (menu_ && c)
        menu_->GetItemParams(item, state, c->Font(), color, glyph_, numGlyphs_);
    if (!measuring && color != clNone && c) {
        c->Brush()->SetColor(color);
        c->FillRect(rect);
    }
    imageIndex_ = item ? item->ImageIndex : -1;
    if (menu_ && item)
        menu_->GetImageIndex(item, state, imageIndex_);
}

int TBvCustomMenuItemPainter::GetTextWidth(TMenuItem* item) {
    TCanvas* c = Canvas();
    if (!c || !item)
        return 0;
    if (!IsItemPopup(item))
        return c->TextWidth(StripAccelerators(item->Caption()));
    TMenuItem* parent = item->Parent();
    int widest = CaptionWidth(c, item->Caption());
    int shortCuts = 0;
    bool submenus = false;
    if (parent)
        for (int i = 0; i < parent->Count(); ++i) {
            TMenuItem* sibling = parent->Items(i);
            widest = std::max(widest, CaptionWidth(c, sibling->Caption()));
            if (sibling->ShortCut != 0)
                shortCuts = std::max(shortCuts, c->TextWidth(ShortCutToText(sibling->ShortCut)));
            submenus = submenus || sibling->Count() > 0;
        }
    if (shortCuts != 0)
        return widest + shortCuts + c->TextWidth(kShortCutGap);
    if (submenus)
        return widest + c->TextWidth(kSubmenuGap);
    return widest;
}

void TBvCustomMenuItemPainter::Measure(TMenuItem* item, int& width, int& height) {
    PreparePaint(item, TRect{0, 0, 0, 0}, true, 0);
    TCanvas* c = Canvas();
    if (!c || !item)
        return;
    if (IsItemPopup(item)) {
        width = GetCheckMarkWidth() + ImageMargin()->Left + GetImageWidth() + ImageMargin()->Right +
                GetTextMargin() + GetTextWidth(item) + static_cast<int>(LeftMargin);
        if (IsSeparatorItem(item)) {
            height = std::max(c->TextHeight("-") / 2, 9);
        } else {
            height = std::max(c->TextHeight(item->Caption()), GetSystemMetrics(SM_CYMENU));
            height = std::max(height, GetCheckMarkHeight());
            height =
                std::max(height, GetImageHeight() + ImageMargin()->Top + ImageMargin()->Bottom);
        }
    } else {
        width = GetTextMargin() + GetTextWidth(item);
        height = std::max(c->TextHeight(item->Caption()), GetSystemMetrics(SM_CYMENU));
    }
}

TBvCustomMenuItemPainter::TLayout TBvCustomMenuItemPainter::LayOut(const TRect& r,
                                                                   int windowHeight) {
    TLayout l;
    const int cw = GetCheckMarkWidth();
    const int iw = ImageMargin()->Left + GetImageWidth() + ImageMargin()->Right;
    const int lm = static_cast<int>(LeftMargin);
    if (!IsRightToLeft()) {
        l.CheckMark = TRect{r.Left, r.Top, r.Left + cw - 1, r.Bottom};
        l.ImageAndMargin = TRect{l.CheckMark.Right + 1, r.Top, l.CheckMark.Right + iw, r.Bottom};
        l.TextAndShortCut = TRect{l.ImageAndMargin.Right + 1, r.Top, r.Right, r.Bottom};
        for (TRect* x : {&l.CheckMark, &l.ImageAndMargin, &l.TextAndShortCut}) {
            x->Left += lm;
            x->Right += lm;
        }
        l.Body = TRect{r.Left + lm, r.Top, r.Right, r.Bottom};
        l.LeftStrip = TRect{r.Left, 0, r.Left + lm, windowHeight};
    } else {
        l.CheckMark = TRect{r.Right - cw + 1, r.Top, r.Right, r.Bottom};
        l.ImageAndMargin = TRect{l.CheckMark.Left - 1 - iw, r.Top, l.CheckMark.Left - 1, r.Bottom};
        l.TextAndShortCut = TRect{r.Left, r.Top, l.ImageAndMargin.Left - 1, r.Bottom};
        for (TRect* x : {&l.CheckMark, &l.ImageAndMargin, &l.TextAndShortCut}) {
            x->Left -= lm;
            x->Right -= lm;
        }
        l.Body = TRect{r.Left, r.Top, r.Right - lm, r.Bottom};
        // Kept in order (left below right) so that the strip can be filled.
        l.LeftStrip = TRect{r.Right - lm, 0, r.Right, windowHeight};
    }
    const TBvImageMargin& m = *ImageMargin();
    l.Image = TRect{l.ImageAndMargin.Left + m.Left, l.ImageAndMargin.Top + m.Top,
                    l.ImageAndMargin.Right - m.Right, l.ImageAndMargin.Bottom - m.Bottom};
    l.Text = l.TextAndShortCut;
    l.Text.Left += GetTextMargin();
    return l;
}

void TBvCustomMenuItemPainter::Paint(TMenuItem* item, const TRect& itemRect,
                                     TMenuOwnerDrawState state) {
    if (!item) {
        // A painter asked for no item has nothing to draw; a message box from inside a paint
        // would only stack more paints behind it.
        std::cerr << "error in menu painter: asked to draw no item\n";
        return;
    }
    TCanvas* c = Canvas();
    if (!c)
        return;
    // The framework's own drawing of the item then does nothing: the painter alone draws it.
    if (!item->OnAdvancedDrawItem)
        item->OnDrawItem = [](TObject*, TCanvas*, TRect, bool) {};
    PreparePaint(item, itemRect, false, state);

    const bool popup = IsItemPopup(item);
    const TRect window = menu_->WindowRect();
    const int windowHeight = window.Bottom > window.Top ? window.Bottom : itemRect.Bottom;
    TLayout l = LayOut(itemRect, windowHeight);
    if (!popup) {
        l.Body = itemRect;
        l.TextAndShortCut = itemRect;
        l.Text = itemRect;
    }
    DrawItemBackground(itemRect);
    if (LeftMargin != 0)
        DrawLeftMargin(l.LeftStrip);
    if (popup) {
        if (ShowCheckMarks())
            DrawCheckMarkBackground(l.CheckMark);
        DrawImageBackground(l.ImageAndMargin);
    }
    DrawTextBackground(l.TextAndShortCut);
    if (state & mdSelected)
        DrawSelectedFrame(l.Body);

    parentMenuItem_ = item->Parent();
    const bool checked = (state & mdChecked) != 0;
    const bool disabled = (state & mdDisabled) != 0;
    if (popup && checked && ShowCheckMarks())
        DrawCheckMark(l.CheckMark);
    if (popup) {
        auto imageBack = [&] {
            if (checked && !ShowCheckMarks())
                DrawCheckedImageBack(l.ImageAndMargin);
            else
                DrawNotCheckedImageBack(l.ImageAndMargin);
        };
        if (HasImage()) {
            imageBack();
            if (disabled)
                DrawDisabledImage(l.Image.Left, l.Image.Top);
            else
                DrawEnabledImage(l.Image.Left, l.Image.Top);
        } else if (glyph_ && glyph_->Width() > 0 && glyph_->Height() > 0 &&
                   !IsSeparatorItem(item)) {
            imageBack();
            auto* bitmap = dynamic_cast<TBitmap*>(glyph_);
            if (bitmap && numGlyphs_ >= 2 && numGlyphs_ <= 5) {
                int index = disabled ? 1 : checked ? 3 : (state & mdSelected) ? 2 : 0;
                if (index > numGlyphs_ - 1)
                    index = 0;
                TBitmap cell;
                AssignBitmapCell(bitmap, &cell, numGlyphs_, 1, index);
                DrawGlyph(l.Image.Left, l.Image.Top, &cell);
            } else if (bitmap) {
                DrawGlyph(l.Image.Left, l.Image.Top, bitmap);
            } else {
                c->Draw(l.Image.Left, l.Image.Top, glyph_);
            }
        } else if (checked && !ShowCheckMarks()) {
            DrawCheckedImageBack(l.ImageAndMargin);
            DrawCheckMark(l.Image);
        }
    }
    if (!IsSeparatorItem(item)) {
        int w = CaptionWidth(c, item->Caption());
        if (parentMenuItem_ && item->ShortCut != 0)
            for (int i = 0; i < parentMenuItem_->Count(); ++i)
                w = std::max(w,
                             CaptionWidth(c, parentMenuItem_->Items(i)->Caption() + kShortCutGap));
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        DrawItemText(l.Text, item->Caption(), kItemTextFlags);
        if (popup && item->ShortCut != 0 && item->Count() == 0) {
            TRect r = l.Text;
            if (IsRightToLeft())
                r.Right -= w;
            else
                r.Left += w;
            DrawItemText(r, ShortCutToText(item->ShortCut), kItemTextFlags);
        }
    } else {
        DrawSeparator(l.Body);
    }
}

void TBvCustomMenuItemPainter::DrawItemText(TRect rect, const std::string& text, uint32_t flags) {
    TCanvas* c = Canvas();
    if (text.empty() || !c)
        return;
    if (IsRightToLeft())
        flags |= DT_RIGHT | DT_RTLREADING;
    const std::string plain = StripAccelerators(text);
    const int h = c->TextHeight(plain);
    const TBvVerticalAlignment va = menu_ ? menu_->TextVAlignment : TBvVerticalAlignment::vaMiddle;
    if (va == TBvVerticalAlignment::vaMiddle)
        rect.Top += (rect.Bottom - rect.Top + 1 - h) / 2;
    else if (va == TBvVerticalAlignment::vaBottom)
        rect.Top = rect.Bottom - h;
    if (!IsItemPopup(item_))
        rect.Left += (rect.Right - rect.Left - c->TextWidth(plain)) / 2;
    if (state_ & mdDisabled) {
        if (UseDisabledShadow()) {
            TRect shadow = rect;
            OffsetRect(shadow, 1, 1);
            c->Font()->SetColor(clBtnHighlight);
            c->DrawTextW(text, shadow, flags);
        }
        c->Font()->SetColor(GetGrayedTextColor());
    }
    c->DrawTextW(text, rect, flags);
}

void TBvCustomMenuItemPainter::DrawCheckMark(TRect rect) {
    TCanvas* c = Canvas();
    if (!c || !item_)
        return;
    TBitmap mark(GetSystemMetrics(SM_CXMENUCHECK), GetSystemMetrics(SM_CYMENUCHECK));
    TRect whole{0, 0, mark.Width(), mark.Height()};
    // The mark is drawn in black on white, which the monochrome copy maps to the text and
    // background colours.
    mark.Canvas()->Brush()->SetColor(clWhite);
    mark.Canvas()->FillRect(whole);
    DrawFrameControl(mark.Canvas()->Handle(), &whole, DFC_MENU,
                     item_->RadioItem ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    mark.SetMonochrome(true);
    if (item_->RadioItem)
        rect.Top += 1;
    const TBvVerticalAlignment va = menu_ ? menu_->TextVAlignment : TBvVerticalAlignment::vaMiddle;
    if (va == TBvVerticalAlignment::vaMiddle)
        rect.Top += (rect.Bottom - rect.Top + 1 - mark.Height()) / 2;
    else if (va == TBvVerticalAlignment::vaBottom)
        rect.Top = rect.Bottom - mark.Height();
    const int x = rect.Left + (rect.Right - rect.Left + 1 - mark.Width()) / 2;
    DrawGlyph(x, rect.Top, &mark);
}

void TBvCustomMenuItemPainter::DrawGlyph(int x, int y, TBitmap* bitmap) {
    TCanvas* c = Canvas();
    if (!c || !bitmap || bitmap->Width() <= 0 || bitmap->Height() <= 0)
        return;
    if (state_ & mdDisabled) {
        DrawDisabledBitmap(x, y, bitmap);
        return;
    }
    if (bitmap->Monochrome() && !((state_ & mdChecked) && !ShowCheckMarks())) {
        c->BitBltFrom(x, y, bitmap->Width(), bitmap->Height(), bitmap->Canvas(), 0, 0, SRCCOPY);
        return;
    }
    DrawTransparentBitmap(c, x, y, bitmap, bitmap->TransparentColor() & ~0x02000000);
}

void TBvCustomMenuItemPainter::DrawDisabledBitmap(int x, int y, TBitmap* bitmap) {
    TCanvas* c = Canvas();
    if (!c || !bitmap)
        return;
    const TColor color = Selected() ? clGrayText : clBtnShadow;
    const bool highlight = TBvCustomMenuItemPainter::UseDisabledShadow();
    if (bitmap->Monochrome()) {
        const TColor oldBrush = c->Brush()->Color();
        const TColor oldText = c->SetTextColorDC(clWhite);
        const TColor oldBk = c->SetBkColorDC(clBlack);
        if (highlight) {
            c->Brush()->SetColor(clBtnHighlight);
            c->BitBltFrom(x + 1, y + 1, bitmap->Width(), bitmap->Height(), bitmap->Canvas(), 0, 0,
                          kRopDisabledMono);
        }
        c->Brush()->SetColor(color);
        c->BitBltFrom(x, y, bitmap->Width(), bitmap->Height(), bitmap->Canvas(), 0, 0,
                      kRopDisabledMono);
        c->Brush()->SetColor(oldBrush);
        c->SetTextColorDC(oldText);
        c->SetBkColorDC(oldBk);
        return;
    }
    std::unique_ptr<TBitmap> gray(
        CreateDisabledBitmapEx(bitmap, clBlack, clBtnFace, highlight, color, clBtnHighlight));
    if (gray)
        DrawTransparentBitmap(c, x, y, gray.get(), clBtnFace);
}

void TBvCustomMenuItemPainter::DrawDisabledImage(int x, int y) {
    TCanvas* c = Canvas();
    if (!c)
        return;
    if (HasDisabledImage())
        ImageList_Draw(menu_->DisabledImages(), imageIndex_, c, x, y, ILD_NORMAL);
    else if (HasImage())
        ImageListDrawDisabled(menu_->Images(), c, x, y, imageIndex_, clBtnHighlight,
                              GetGrayedTextColor(), UseDisabledShadow());
}

void TBvCustomMenuItemPainter::DrawEnabledImage(int x, int y) {
    TCanvas* c = Canvas();
    if (!c)
        return;
    if (Selected() && HasHotImage())
        ImageList_Draw(menu_->HotImages(), imageIndex_, c, x, y, ILD_NORMAL);
    else if (HasImage())
        ImageList_Draw(menu_->Images(), imageIndex_, c, x, y, ILD_NORMAL);
}

void TBvCustomMenuItemPainter::DrawSeparator(const TRect& rect) {
    TCanvas* c = Canvas();
    if (!c)
        return;
    const int y = (rect.Top + rect.Bottom) / 2;
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(TPenStyle::psSolid);
    c->Pen()->SetColor(clBtnShadow);
    Line(c, rect.Left - 1, y - 1, rect.Right, y - 1);
    c->Pen()->SetColor(clBtnHighlight);
    Line(c, rect.Left, y, rect.Right, y);
}

void TBvCustomMenuItemPainter::DrawPatternFrame(TRect rect) {
    TCanvas* c = Canvas();
    if (!c)
        return;
    InflateRect(rect, -1, -1);
    const TColor oldColor = c->Brush()->Color();
    std::unique_ptr<TBitmap> pattern;
    if (Selected()) {
        c->Brush()->SetColor(clBtnFace);
    } else {
        pattern.reset(CreateTwoColorsBrushPattern(clBtnFace, clBtnHighlight));
        c->Brush()->SetBitmap(pattern.get());
    }
    c->FillRect(rect);
    c->Brush()->SetBitmap(nullptr);
    c->Brush()->SetColor(oldColor);
    Frame3D(c, rect, GetGrayedTextColor(), clBtnHighlight, 1);
}

void TBvCustomMenuItemPainter::DrawLeftMargin(const TRect& rect) {
    TCanvas* c = Canvas();
    if (!c)
        return;
    if (OnDrawLeftMargin) {
        OnDrawLeftMargin(parentMenuItem_ ? parentMenuItem_->GetParentMenu() : nullptr, rect);
        return;
    }
    GradientFillRect(c, TRect{rect.Left, rect.Top, rect.Right - 3, rect.Bottom}, clBlue,
                     RGB(0, 0, 63), 0, 32);
    c->Pen()->SetStyle(TPenStyle::psSolid);
    c->Pen()->SetWidth(1);
    const TColor colors[3] = {clBtnFace, clBtnShadow, clBtnHighlight};
    for (int i = 0; i < 3; ++i) {
        c->Pen()->SetColor(colors[i]);
        Line(c, rect.Right - 3 + i, rect.Top, rect.Right - 3 + i, rect.Bottom);
    }
}

// ---------------------------------------------------------------- the standard look

const TClassInfo& TBvStandardMenuItemPainter::StaticClassInfo() {
    static const TClassInfo info("TBvStandardMenuItemPainter",
                                 &TBvCustomMenuItemPainter::StaticClassInfo(), {}, "BvMenus");
    return info;
}

int TBvStandardMenuItemPainter::GetImageWidth() {
    int w = TBvCustomMenuItemPainter::GetImageWidth();
    if (TMenuItem* parent = item_ ? item_->Parent() : nullptr)
        for (int i = 0; i < parent->Count(); ++i)
            if (parent->Items(i)->Checked())
                return std::max(w, GetSystemMetrics(SM_CXMENUCHECK));
    return w;
}

int TBvStandardMenuItemPainter::GetTextMargin() {
    return TBvCustomMenuItemPainter::GetTextMargin() + 2;
}

// ---------------------------------------------------------------- drawn by the menu's events

const TClassInfo& TBvOwnerDrawMenuItemPainter::StaticClassInfo() {
    static const TClassInfo info("TBvOwnerDrawMenuItemPainter",
                                 &TBvCustomMenuItemPainter::StaticClassInfo(), {}, "BvMenus");
    return info;
}

void TBvOwnerDrawMenuItemPainter::Measure(TMenuItem* item, int& width, int& height) {
    if (menu_ && menu_->OnMeasureItem)
        menu_->OnMeasureItem(menu_->AsMenu(), item, width, height);
}

void TBvOwnerDrawMenuItemPainter::Paint(TMenuItem* item, const TRect& itemRect,
                                        TMenuOwnerDrawState state) {
    if (menu_ && menu_->OnDrawItem)
        menu_->OnDrawItem(menu_->AsMenu(), item, itemRect, state);
}

// ---------------------------------------------------------------- button look

const TClassInfo& TBvBtnMenuItemPainter::StaticClassInfo() {
    static const TClassInfo info("TBvBtnMenuItemPainter",
                                 &TBvCustomMenuItemPainter::StaticClassInfo(), {}, "BvMenus");
    return info;
}

TBvBtnMenuItemPainter::TBvBtnMenuItemPainter(TComponent* owner, bool lowered)
    : TBvCustomMenuItemPainter(owner), Lowered(lowered) {}

bool TBvBtnMenuItemPainter::UseDisabledShadow() {
    return true;
}
TColor TBvBtnMenuItemPainter::GetGrayedTextColor() {
    return clBtnShadow;
}
void TBvBtnMenuItemPainter::UpdateFieldsFromMenu() {
    TBvCustomMenuItemPainter::UpdateFieldsFromMenu();
    ImageMargin()->Top += 1;
    ImageMargin()->Bottom += 1;
}
void TBvBtnMenuItemPainter::DrawSelectedFrame(const TRect& rect) {
    TRect r = rect;
    if (Lowered)
        Frame3D(Canvas(), r, clBtnShadow, clBtnHighlight, 1);
    else
        Frame3D(Canvas(), r, clBtnHighlight, clBtnShadow, 1);
}

// ---------------------------------------------------------------- office look

const TClassInfo& TBvOfficeMenuItemPainter::StaticClassInfo() {
    static const TClassInfo info("TBvOfficeMenuItemPainter",
                                 &TBvCustomMenuItemPainter::StaticClassInfo(), {}, "BvMenus");
    return info;
}

void TBvOfficeMenuItemPainter::UpdateFieldsFromMenu() {
    TBvCustomMenuItemPainter::UpdateFieldsFromMenu();
    ImageMargin()->Left += 2;
    ImageMargin()->Top += 2;
    ImageMargin()->Right += 3;
    ImageMargin()->Bottom += 2;
}
int TBvOfficeMenuItemPainter::GetTextMargin() {
    return TBvCustomMenuItemPainter::GetTextMargin() + 3;
}
bool TBvOfficeMenuItemPainter::UseDisabledShadow() {
    return TBvCustomMenuItemPainter::UseDisabledShadow() || (Selected() && !IsPopup());
}
void TBvOfficeMenuItemPainter::DrawImageBox(TRect rect) {
    TCanvas* c = Canvas();
    rect.Left -= 1;
    rect.Right += 1;
    c->Brush()->SetColor(ImageBackgroundColor);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(rect);
}
void TBvOfficeMenuItemPainter::DrawCheckedImageBack(const TRect& rect) {
    DrawImageBox(rect);
    DrawPatternFrame(rect);
}
void TBvOfficeMenuItemPainter::DrawNotCheckedImageBack(const TRect& rect) {
    if (!(Selected() && IsPopup()))
        return;
    DrawImageBox(rect);
    TRect r = rect;
    Frame3D(Canvas(), r, clBtnHighlight, clBtnShadow, 1);
}
void TBvOfficeMenuItemPainter::DrawItemBackground(const TRect& rect) {
    if (IsPopup() || !(state_ & mdHotlight))
        return;
    DrawImageBox(rect);
    TRect r = rect;
    Frame3D(Canvas(), r, clBtnHighlight, clBtnShadow, 1);
}
void TBvOfficeMenuItemPainter::DrawSelectedFrame(const TRect& rect) {
    if (IsPopup())
        return;
    DrawImageBox(rect);
    TRect r = rect;
    Frame3D(Canvas(), r, clBtnShadow, clBtnHighlight, 1);
}
void TBvOfficeMenuItemPainter::DrawCheckMark(TRect rect) {
    rect.Left += 2;
    rect.Bottom -= 1;
    TBvCustomMenuItemPainter::DrawCheckMark(rect);
}
void TBvOfficeMenuItemPainter::DrawItemText(TRect rect, const std::string& text, uint32_t flags) {
    if (!IsPopup())
        Canvas()->Font()->SetColor(clMenuText);
    rect.Bottom -= 1;
    TBvCustomMenuItemPainter::DrawItemText(rect, text, flags);
}

// ---------------------------------------------------------------- XP look

const TClassInfo& TBvXPMenuItemPainter::StaticClassInfo() {
    static const TClassInfo info("TBvXPMenuItemPainter",
                                 &TBvCustomMenuItemPainter::StaticClassInfo(), {}, "BvMenus");
    return info;
}

TBvXPMenuItemPainter::TBvXPMenuItemPainter(TComponent* owner)
    : TBvCustomMenuItemPainter(owner), selectionFrameBrush_(std::make_unique<TBrush>()),
      selectionFramePen_(std::make_unique<TPen>()) {
    ImageBackgroundColor = 0xD1D8D8;
    selectionFrameBrush_->SetColor(0xD2BDB6);
    selectionFrameBrush_->SetStyle(TBrushStyle::bsSolid);
    selectionFramePen_->SetColor(0x6A240A);
    selectionFramePen_->SetStyle(TPenStyle::psSolid);
}

TBvXPMenuItemPainter::~TBvXPMenuItemPainter() = default;

void TBvXPMenuItemPainter::UpdateFieldsFromMenu() {
    TBvCustomMenuItemPainter::UpdateFieldsFromMenu();
    ImageMargin()->Left += 6;
    ImageMargin()->Top += 4;
    ImageMargin()->Right += 4;
    ImageMargin()->Bottom += 4;
}
int TBvXPMenuItemPainter::GetTextMargin() {
    return TBvCustomMenuItemPainter::GetTextMargin() + 2;
}
bool TBvXPMenuItemPainter::UseDisabledShadow() {
    return TBvCustomMenuItemPainter::UseDisabledShadow() || (Selected() && !IsPopup());
}

void TBvXPMenuItemPainter::PreparePaint(TMenuItem* item, const TRect& rect, bool measuring,
                                        TMenuOwnerDrawState state) {
    // Only a colour given by the menu's item parameters fills the item here.
    if (TCanvas* c = Canvas())
        c->Brush()->SetColor(clNone);
    TBvCustomMenuItemPainter::PreparePaint(item, rect, measuring, state);
}

void TBvXPMenuItemPainter::Measure(TMenuItem* item, int& width, int& height) {
    TBvCustomMenuItemPainter::Measure(item, width, height);
    if (!item)
        return;
    if (IsSeparatorItem(item))
        height = 3;
    else
        height += 2;
}

void TBvXPMenuItemPainter::DrawItemBackground(const TRect& rect) {
    TCanvas* c = Canvas();
    if (IsPopup()) {
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->Brush()->SetColor(clWhite);
        c->FillRect(rect);
    } else if (state_ & mdHotlight) {
        c->Brush()->Assign(*SelectionFrameBrush());
        c->Pen()->Assign(*SelectionFramePen());
        c->Rectangle(rect);
    } else if (IsFlatMenus()) {
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->Brush()->SetColor(GetSysColor(COLOR_MENUBAR));
        c->FillRect(rect);
    } else {
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->Brush()->SetColor(clBtnFace);
        c->Pen()->SetStyle(TPenStyle::psSolid);
        c->Pen()->SetColor(clBtnFace);
        c->Rectangle(rect);
    }
}

void TBvXPMenuItemPainter::DrawImageBackground(const TRect& rect) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(ImageBackgroundColor);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Pen()->SetStyle(TPenStyle::psClear);
    c->Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom + 1);
}

void TBvXPMenuItemPainter::DrawCheckMarkBackground(const TRect& rect) {
    DrawImageBackground(rect);
}

void TBvXPMenuItemPainter::DrawSelectedFrame(const TRect& rect) {
    TCanvas* c = Canvas();
    c->Font()->SetColor(clMenuText);
    if (IsPopup()) {
        // The band runs from the window's edge past the item's right into the border.
        c->Brush()->Assign(*SelectionFrameBrush());
        c->Pen()->SetStyle(TPenStyle::psClear);
        c->Rectangle(0, rect.Top, rect.Right + 4, rect.Bottom - 1);
        c->Pen()->Assign(*SelectionFramePen());
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        Line(c, 0, rect.Top, rect.Right + 4, rect.Top);
        Line(c, 0, rect.Bottom - 2, rect.Right + 4, rect.Bottom - 2);
    } else {
        c->Brush()->SetColor(clSilver);
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->Pen()->SetColor(clGray);
        c->Pen()->SetStyle(TPenStyle::psSolid);
        c->Rectangle(rect);
    }
}

void TBvXPMenuItemPainter::DrawCheckedImageBack(const TRect& rect) {
    TCanvas* c = Canvas();
    c->Pen()->Assign(*SelectionFramePen());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(Selected() ? CheckedImageBackColorSelected : CheckedImageBackColor);
    c->Rectangle(rect.Left, rect.Top + 1, rect.Right - 3, rect.Bottom - 2);
}

void TBvXPMenuItemPainter::DrawCheckMark(TRect rect) {
    TBvCustomMenuItemPainter::DrawCheckMark(
        TRect{rect.Left - 2, rect.Top, rect.Right - 2, rect.Bottom - 1});
}

void TBvXPMenuItemPainter::DrawItemText(TRect rect, const std::string& text, uint32_t flags) {
    rect.Bottom -= 1;
    TBvCustomMenuItemPainter::DrawItemText(rect, text, flags);
}

void TBvXPMenuItemPainter::DrawSeparator(const TRect& rect) {
    TCanvas* c = Canvas();
    const int columns = GetCheckMarkWidth() + ImageMargin()->Left + GetImageWidth() +
                        ImageMargin()->Right + GetTextMargin();
    c->Pen()->SetStyle(TPenStyle::psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(SeparatorColor);
    const int y = rect.Top + 1;
    if (IsRightToLeft())
        Line(c, rect.Left, y, rect.Right - columns, y);
    else
        Line(c, rect.Left + columns, y, rect.Right, y);
}

void TBvXPMenuItemPainter::DrawDisabledImage(int x, int y) {
    TBvCustomMenuItemPainter::DrawDisabledImage(IsRightToLeft() ? x + 3 : x - 3, y);
}

void TBvXPMenuItemPainter::DrawEnabledImage(int x, int y) {
    x = IsRightToLeft() ? x + 3 : x - 3;
    if (!Selected()) {
        TBvCustomMenuItemPainter::DrawEnabledImage(x, y);
        return;
    }
    TCustomImageList* list = HasHotImage() ? menu_->HotImages() : menu_->Images();
    if (list && imageIndex_ >= 0 && imageIndex_ < list->Count()) {
        TBitmap shape(list->Width(), list->Height());
        TColor back = Canvas()->Brush()->Color();
        if (back == clNone)
            back = clWhite;
        shape.Canvas()->Brush()->SetColor(back);
        shape.Canvas()->FillRect(TRect{0, 0, shape.Width(), shape.Height()});
        ImageList_DrawEx(list, imageIndex_, shape.Canvas(), 0, 0, 0, 0, clNone, clNone,
                         ILD_TRANSPARENT);
        DrawBitmapShadow(x + 1, y + 1, &shape);
    }
    TBvCustomMenuItemPainter::DrawEnabledImage(x - 1, y - 1);
}

void TBvXPMenuItemPainter::DrawGlyph(int x, int y, TBitmap* bitmap) {
    if (!(state_ & mdDisabled) && Selected() && glyph_ && bitmap) {
        DrawBitmapShadow(x + 1, y + 1, bitmap);
        x -= 1;
        y -= 1;
    }
    TBvCustomMenuItemPainter::DrawGlyph(x, y, bitmap);
}

void TBvXPMenuItemPainter::DrawBitmapShadow(int x, int y, TBitmap* bitmap) {
    TCanvas* c = Canvas();
    if (!c || !bitmap || bitmap->Width() <= 0 || bitmap->Height() <= 0)
        return;
    const TColor back = bitmap->Pixel(0, bitmap->Height() - 1);
    for (int py = 0; py < bitmap->Height(); ++py)
        for (int px = 0; px < bitmap->Width(); ++px)
            if (bitmap->Pixel(px, py) != back)
                c->SetPixel(x + px, y + py, ShadowColor);
}

void TBvXPMenuItemPainter::Paint(TMenuItem* item, const TRect& itemRect,
                                 TMenuOwnerDrawState state) {
    item_ = item;
    state_ = state;
    if (item && IsItemPopup(item) && menu_ && !menu_->AsMenu()->IsDesigning())
        DrawWindowFrame(itemRect);
    TBvCustomMenuItemPainter::Paint(item, itemRect, state);
}

void TBvXPMenuItemPainter::DrawWindowFrame(const TRect& itemRect) {
    TCanvas* c = Canvas();
    const TRect wr = menu_->WindowRect();
    if (!c || wr.Right <= wr.Left || wr.Bottom <= wr.Top)
        return;
    // The items of a drop-down sit in the window's own coordinates, so the frame is drawn on
    // the same picture.
    UpdateFieldsFromMenu();
    const int t = itemRect.Top;
    const int b = itemRect.Bottom;
    const bool rtl = IsRightToLeft();
    const int saved = c->SaveDC();
    c->SetClipRect(nullptr);
    auto pen = [c](TColor color) {
        c->Pen()->SetStyle(TPenStyle::psSolid);
        c->Pen()->SetWidth(1);
        c->Pen()->SetColor(color);
    };
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    pen(RGB(102, 102, 102));
    c->Rectangle(wr);
    pen(clWhite);
    for (int y : {wr.Bottom - 2, wr.Bottom - 3, wr.Top + 1, wr.Top + 2})
        Line(c, wr.Left + 1, y, wr.Right - 1, y);
    pen(rtl ? ImageBackgroundColor : clWhite);
    Line(c, wr.Right - 2, t, wr.Right - 2, b);
    Line(c, wr.Right - 3, t, wr.Right - 3, b);
    pen(rtl ? clWhite : ImageBackgroundColor);
    Line(c, wr.Left + 1, t, wr.Left + 1, b);
    Line(c, wr.Left + 2, t, wr.Left + 2, b);
    pen(ImageBackgroundColor);
    const int columns =
        GetCheckMarkWidth() + ImageMargin()->Left + GetImageWidth() + ImageMargin()->Right;
    if (!rtl) {
        int end = wr.Left + 1 + columns;
        if (itemRect.Left >= 1 + 2) {
            // An item of a later column: the image column's edge runs beside it.
            Line(c, wr.Left + 3, t, wr.Left + 3, b);
        }
        Line(c, wr.Left + 1, wr.Top + 2, end, wr.Top + 2);
        Line(c, wr.Left + 1, wr.Bottom - 3, end, wr.Bottom - 3);
    } else {
        Line(c, wr.Right - 2, wr.Top + 2, wr.Right - 2 - columns, wr.Top + 2);
        Line(c, wr.Right - 2, wr.Bottom - 3, wr.Right - 2 - columns, wr.Bottom - 3);
    }
    if (state_ & mdSelected) {
        c->Pen()->Assign(*SelectionFramePen());
        Line(c, wr.Left + 2, t, wr.Left + 2, b - 1);
        Line(c, wr.Right - 3, t, wr.Right - 3, b - 1);
        pen(SelectionFrameBrush()->Color());
        const int x = rtl ? wr.Right - 4 : wr.Left + 3;
        Line(c, x, t, x, b - 2);
        c->SetPixel(x, t, SelectionFramePen()->Color());
        c->SetPixel(x, b - 3, SelectionFramePen()->Color());
    }
    c->RestoreDC(saved);
}
