#include "BvSpeedbar.h"
#include "BvSpeedbarParts.h"

#include "BvKitGuiUtils.h"
#include "Forms.h"
#include "ScopeExit.h"
#include "WinApi.h"

#include <algorithm>
#include <cmath>

namespace {
const char* const kDuplicateSection = "String list does not allow duplicates";
const char* const kAutoPosition = "Cannot set this property value while Position is bpAuto";
} // namespace

// ---- sections ----

TBvSpeedBarSection::TBvSpeedBarSection(TComponent* owner) : TComponent(owner) {}

TBvSpeedBarSection::~TBvSpeedBarSection() {
    // Each item unlinks itself from this section as it goes.
    while (!items_.empty())
        delete items_.back();
    if (bar_)
        bar_->RemoveSection(Index());
}

void TBvSpeedBarSection::SetCaption(const std::string& value) {
    if (value == caption_)
        return;
    if (bar_ && !IsLoading() && bar_->SearchSection(value) >= 0)
        throw EBvSpeedbarError(kDuplicateSection);
    caption_ = value;
}

int TBvSpeedBarSection::Index() const {
    if (!bar_)
        return -1;
    for (int i = 0; i < bar_->SectionCount(); ++i)
        if (bar_->Sections(i) == this)
            return i;
    return -1;
}

void TBvSpeedBarSection::SetIndex(int value) {
    int current = Index();
    if (current < 0)
        return;
    value = std::clamp(value, 0, bar_->SectionCount() - 1);
    auto& list = bar_->sections_;
    list.erase(list.begin() + current);
    list.insert(list.begin() + value, this);
    for (int i = 0; i < bar_->SectionCount(); ++i)
        for (TBvSpeedItem* item : list[static_cast<size_t>(i)]->items_)
            item->sectionIndex_ = i;
}

// ---- items ----

TBvSpeedItem::TBvSpeedItem(TComponent* owner)
    : TComponent(owner), button_(std::make_unique<TBvSpeedBarButton>(nullptr, this)) {
    button_->SetBounds(0, 0, 24, 23);
}

TBvSpeedItem::~TBvSpeedItem() {
    visible_ = false;
    if (bar_)
        bar_->RemoveItem(this);
    if (section_) {
        auto& list = section_->items_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        section_ = nullptr;
    }
    button_.reset();
}

TBvSpeedBarSection* TBvSpeedItem::Section() const {
    if (!bar_ || sectionIndex_ < 0 || sectionIndex_ >= bar_->SectionCount())
        return nullptr;
    return bar_->Sections(sectionIndex_);
}

std::string TBvSpeedItem::SectionName() const {
    if (TBvSpeedBarSection* s = Section())
        return s->Caption();
    return sectionName_;
}

void TBvSpeedItem::SetCaption(const std::string& value) {
    bool follow = !Owner() || !dynamic_cast<TControl*>(Owner()) ||
                  (!IsLoading() && GetShortHint(Hint()) == caption_);
    caption_ = value;
    if (!follow)
        return;
    std::string oldHint = Hint();
    bool oldHasBar = oldHint.find('|') != std::string::npos;
    std::string oldLong = oldHasBar ? GetLongHint(oldHint) : std::string();
    size_t bar = value.find('|');
    if (bar != std::string::npos) {
        if (bar + 1 < value.size())
            SetHint(value);
        else
            SetHint(GetShortHint(value) + "|" + oldLong);
    } else {
        SetHint(value + "|" + (oldHasBar ? oldLong : std::string()));
    }
}

void TBvSpeedItem::SetName(const std::string& name) {
    bool follow = caption_ == Name();
    TComponent::SetName(name);
    if (follow)
        SetCaption(name);
}

void TBvSpeedItem::SetEnabled(bool value) {
    if (value == enabled_ && value == button_->Enabled())
        return;
    enabled_ = value;
    if (editing_)
        return;
    button_->SetEnabled(value && (!bar_ || bar_->Enabled()));
}

void TBvSpeedItem::SetVisible(bool value) {
    if (value == visible_ && value == button_->Visible() &&
        (!value || button_->Parent() != nullptr))
        return;
    visible_ = value;
    if (value && bar_)
        button_->SetParent(bar_);
    button_->SetVisible(value && (!bar_ || bar_->Visible()));
}

void TBvSpeedItem::SetImageIndex(int value) {
    imageIndex_ = value;
    button_->InvalidateImages();
    button_->Invalidate();
}

void TBvSpeedItem::SetEditing(bool value) {
    editing_ = value;
    if (value) {
        button_->SetEnabled(true);
        button_->SetFlat(false);
    } else {
        bool keep = enabled_;
        enabled_ = !keep;
        SetEnabled(keep);
        if (bar_)
            button_->SetFlat((bar_->Options() & sbFlatBtns) != 0);
    }
}

void TBvSpeedItem::ButtonClick() {
    button_->Click();
}

// ---- the bar: sections and items ----

TBvSpeedBar::TBvSpeedBar(TComponent* owner) : TBvCustomPanel(owner) {
    offsetX_ = offsetY_ = MinButtonsOffset();
    SetBounds(0, 0, 185, 2 * offsetY_ + btnHeight_);
    ControlStyle &= ~(csSetCaption | csReplicatable);
    ControlStyle |= csParentBackground | csNeedsBorderPaint;
    ParentBackground = true;
    SetColor(clBtnFace);
    SetParentShowHint(false);
    SetShowHint(true);
    // The platform's sans-serif face stands in for the system's menu font.
    SetParentFont(false);
    Font()->SetName("DejaVu Sans");
    TControl::SetAlign(TAlign::alTop);
    SetGrid();
    InitSpeedbarDragCursor();
    wallpaper_ = std::make_unique<TBitmap>();
    wallpaper_->OnChange = [this](TGraphic&) { Invalidate(); };
}

void TBvSpeedBar::SetWallpaper(TBitmap* value) {
    if (value)
        wallpaper_->Assign(*value);
    else
        wallpaper_->SetSize(0, 0);
    Invalidate();
}

void TBvSpeedBar::Customize() {
    if (OnCustomize)
        OnCustomize(this);
}

void TBvSpeedBar::ChangeScale(int m, int d) {
    if (m == d || d == 0)
        return;
    auto scale = [m, d](int v) {
        const int64_t p = static_cast<int64_t>(v) * m;
        return static_cast<int>((p * 2 + (p < 0 ? -d : d)) / (2 * static_cast<int64_t>(d)));
    };
    btnWidth_ = std::max(1, scale(btnWidth_));
    btnHeight_ = std::max(1, scale(btnHeight_));
    const int offsetX = scale(offsetX_), offsetY = scale(offsetY_);
    SetGrid();
    // The panel moves and sizes the buttons with itself; they then take the new button size
    // and the bar's offsets, and snap to the new grid.
    TBvCustomPanel::ChangeScale(m, d);
    offsetX_ = std::max(offsetX, MinButtonsOffset());
    offsetY_ = std::max(offsetY, MinButtonsOffset());
    ApplyButtonSize();
    AlignItemsToGrid();
    NotifyEditWindow(3, 0);
    Invalidate();
}

TBvSpeedBar::~TBvSpeedBar() {
    OnApplyAlign = nullptr;
    OnPosChanged = nullptr;
    OnVisibleChanged = nullptr;
    if (dragging_)
        EndDrag(false);
    SetIniStorage(nullptr);
    iniLink_.reset();
    NotifyEditWindow(1, reinterpret_cast<intptr_t>(this));
    // Sections and their items (with their buttons) go before the panel frees its children.
    while (!sections_.empty()) {
        TBvSpeedBarSection* s = sections_.back();
        delete s;
    }
    if (images_)
        images_->RemoveFreeNotification(this);
}

int TBvSpeedBar::SearchSection(const std::string& caption) const {
    for (int i = 0; i < SectionCount(); ++i)
        if (sections_[static_cast<size_t>(i)]->Caption() == caption)
            return i;
    return -1;
}

int TBvSpeedBar::AddSection(TBvSpeedBarSection* section) {
    // Captions are compared exactly here, as the caption setter compares them.
    std::string base = section->caption_, caption = base;
    for (int n = 1; SearchSection(caption) >= 0; ++n)
        caption = base + " (" + std::to_string(n) + ")";
    section->caption_ = caption;
    sections_.push_back(section);
    section->bar_ = this;
    int index = SectionCount() - 1;
    std::vector<TBvSpeedItem*> items = section->items_;
    section->items_.clear();
    for (TBvSpeedItem* item : items) {
        item->bar_ = nullptr;
        item->section_ = nullptr;
        AddItem(index, item);
    }
    return index;
}

int TBvSpeedBar::AddSectionByCaption(const std::string& caption) {
    auto* s = new TBvSpeedBarSection(nullptr);
    s->caption_ = caption;
    return AddSection(s);
}

bool TBvSpeedBar::FindItem(const TBvSpeedItem* item, TBvSpeedBarSection*& section,
                           int& index) const {
    for (TBvSpeedBarSection* s : sections_)
        for (size_t i = 0; i < s->items_.size(); ++i)
            if (s->items_[i] == item) {
                section = s;
                index = static_cast<int>(i);
                return true;
            }
    section = nullptr;
    index = -1;
    return false;
}

void TBvSpeedBar::AddItem(int sectionIndex, TBvSpeedItem* item) {
    if (!item)
        return;
    TBvSpeedBarSection* current = nullptr;
    int at = -1;
    if (FindItem(item, current, at)) {
        // Indexes outside the list move the item to the nearest section there is.
        current->items_.erase(current->items_.begin() + at);
        int target = std::clamp(sectionIndex, 0, SectionCount() - 1);
        sections_[static_cast<size_t>(target)]->items_.push_back(item);
        item->section_ = sections_[static_cast<size_t>(target)];
        item->sectionIndex_ = target;
        return;
    }
    if (item->bar_ && item->bar_ != this)
        item->bar_->RemoveItem(item);
    if (item->section_) {
        // A detached section gives the item up.
        auto& list = item->section_->items_;
        list.erase(std::remove(list.begin(), list.end(), item), list.end());
        item->section_ = nullptr;
    }
    if (SectionCount() == 0)
        AddSectionByCaption("");
    int target = std::clamp(sectionIndex, 0, SectionCount() - 1);
    sections_[static_cast<size_t>(target)]->items_.push_back(item);
    item->section_ = sections_[static_cast<size_t>(target)];
    item->bar_ = this;
    item->sectionIndex_ = target;
    TBvSpeedBarButton* b = item->Button();
    b->SetVisible(false);
    b->SetParent(this);
    if (!IsLoading())
        b->SetBounds(b->Left(), b->Top(), btnWidth_, btnHeight_);
    b->SetStyle(buttonStyle_);
    b->SetFlat((options_ & sbFlatBtns) != 0);
    b->SetTransparent((options_ & sbTransparentBtns) != 0);
    b->SetGrayedInactive((options_ & sbGrayedBtns) != 0);
    if (IsEditing())
        item->SetEditing(true);
    if (item->visible_)
        item->SetVisible(true);
}

void TBvSpeedBar::RemoveItem(TBvSpeedItem* item) {
    TBvSpeedBarSection* section = nullptr;
    int at = -1;
    if (FindItem(item, section, at)) {
        section->items_.erase(section->items_.begin() + at);
        item->section_ = nullptr;
    }
    if (item->bar_ == this) {
        if (item->button_)
            item->button_->SetParent(nullptr);
        item->bar_ = nullptr;
        item->sectionIndex_ = -1;
    }
}

void TBvSpeedBar::RemoveSection(int index) {
    if (index < 0 || index >= SectionCount())
        return;
    TBvSpeedBarSection* s = sections_[static_cast<size_t>(index)];
    for (TBvSpeedItem* item : s->items_) {
        if (item->button_)
            item->button_->SetParent(nullptr);
        item->bar_ = nullptr;
        item->sectionIndex_ = -1;
    }
    sections_.erase(sections_.begin() + index);
    s->bar_ = nullptr;
    for (int i = index; i < SectionCount(); ++i)
        for (TBvSpeedItem* item : sections_[static_cast<size_t>(i)]->items_)
            item->sectionIndex_ = i;
}

void TBvSpeedBar::DeleteSection(int index) {
    if (index < 0 || index >= SectionCount())
        return;
    delete sections_[static_cast<size_t>(index)];
}

void TBvSpeedBar::ForEachItem(const std::function<void(TBvSpeedItem*)>& proc) const {
    if (!proc)
        return;
    for (TBvSpeedBarSection* s : sections_)
        for (TBvSpeedItem* item : std::vector<TBvSpeedItem*>(s->items_))
            proc(item);
}

TBvSpeedItem* TBvSpeedBar::FindItemByName(const std::string& name) const {
    for (TBvSpeedBarSection* s : sections_)
        for (TBvSpeedItem* item : s->items_)
            if (CompareText(item->Name(), name) == 0)
                return item;
    return nullptr;
}

// ---- the bar: size, grid and orientation ----

int TBvSpeedBar::GridStep(int size) {
    int step = std::max(1, std::min(8, size / 3));
    while (step < size && size % step != 0)
        ++step;
    if (step >= size && size > 1) {
        step = std::max(1, std::min(8, size / 3));
        while (step >= 2 && size % step != 0)
            --step;
        step = std::max(step, 1);
    }
    return step;
}

void TBvSpeedBar::SetGrid() {
    if (orientation_ == TBarOrientation::boHorizontal)
        grid_ = {GridStep(btnWidth_), btnHeight_};
    else
        grid_ = {btnWidth_, GridStep(btnHeight_)};
}

int TBvSpeedBar::MinButtonsOffset() const {
    int offset = (options_ & sbFlatBtns) ? 0 : 2;
    offset += BorderWidth;
    if (BevelOuter != TPanelBevel::bvNone)
        offset += BevelWidth;
    if (BevelInner != TPanelBevel::bvNone)
        offset += BevelWidth;
    return offset;
}

void TBvSpeedBar::ApplyButtonSize() {
    ForEachItem([this](TBvSpeedItem* item) {
        TBvSpeedBarButton* b = item->Button();
        b->SetBounds(b->Left(), b->Top(), btnWidth_, btnHeight_);
    });
}

void TBvSpeedBar::MoveButtons(int dx, int dy) {
    ForEachItem([dx, dy](TBvSpeedItem* item) {
        TBvSpeedBarButton* b = item->Button();
        b->SetBounds(b->Left() + dx, b->Top() + dy, b->Width(), b->Height());
    });
}

void TBvSpeedBar::SetBtnWidth(int value) {
    if (value < 1)
        throw EBvSpeedbarError(Format("Invalid button size (%d)", {value}));
    btnWidth_ = value;
    SetGrid();
    if (!IsLoading() && orientation_ == TBarOrientation::boVertical)
        SetWidth(std::max(Width(), 2 * offsetX_ + btnWidth_));
    ApplyButtonSize();
    NotifyEditWindow(3, 0);
    Invalidate();
}

void TBvSpeedBar::SetBtnHeight(int value) {
    if (value < 1)
        throw EBvSpeedbarError(Format("Invalid button size (%d)", {value}));
    btnHeight_ = value;
    SetGrid();
    if (!IsLoading() && orientation_ == TBarOrientation::boHorizontal)
        SetHeight(std::max(Height(), 2 * offsetY_ + btnHeight_));
    ApplyButtonSize();
    NotifyEditWindow(3, 0);
    Invalidate();
}

void TBvSpeedBar::SetBtnOffsetHorz(int value) {
    value = std::max(value, MinButtonsOffset());
    int dx = value - offsetX_;
    offsetX_ = value;
    if (dx != 0)
        MoveButtons(dx, 0);
}

void TBvSpeedBar::SetBtnOffsetVert(int value) {
    value = std::max(value, MinButtonsOffset());
    int dy = value - offsetY_;
    offsetY_ = value;
    if (dy != 0)
        MoveButtons(0, dy);
}

void TBvSpeedBar::SetOrientation(TBarOrientation value) {
    if (value == orientation_)
        return;
    orientation_ = value;
    locked_ = true;
    std::swap(btnWidth_, btnHeight_);
    std::swap(grid_.X, grid_.Y);
    std::swap(offsetX_, offsetY_);
    if (IsLoading()) {
        ApplyButtonSize();
    } else {
        // The row of buttons turns with the bar into a column (and back): every place is
        // mirrored at the diagonal, as the sizes, the grid and the offsets are, so the
        // buttons stay on the bar in the same order.
        ForEachItem([this](TBvSpeedItem* item) {
            TBvSpeedBarButton* b = item->Button();
            b->SetBounds(b->Top(), b->Left(), btnWidth_, btnHeight_);
        });
    }
    locked_ = false;
    Invalidate();
    NotifyEditWindow(3, 0);
}

void TBvSpeedBar::SetPosition(TBarPosition value) {
    position_ = value;
    if (value == TBarPosition::bpAuto) {
        TAlign a = Align();
        if (a == TAlign::alTop || a == TAlign::alBottom)
            SetOrientation(TBarOrientation::boHorizontal);
        else if (a == TAlign::alLeft || a == TAlign::alRight)
            SetOrientation(TBarOrientation::boVertical);
    }
}

void TBvSpeedBar::SetAlign(TAlign value) {
    bool automatic = position_ == TBarPosition::bpAuto;
    if (automatic && !IsSideAlign(value) && !IsLoading())
        throw EBvSpeedbarError(kAutoPosition);
    // Docked at a side of the other orientation, the bar keeps its thickness across the
    // side, as the drag frame showed: a top bar 500 wide must not lie 500 wide at the left.
    const bool turns = automatic && !IsLoading() && IsSideAlign(value) &&
                       (orientation_ == TBarOrientation::boHorizontal) !=
                           (value == TAlign::alTop || value == TAlign::alBottom);
    if (turns) {
        TWinControl* parent = Parent();
        if (parent)
            parent->DisableAlign();
        SetBounds(Left(), Top(), Height(), Width());
        TControl::SetAlign(value);
        if (parent)
            parent->EnableAlign();
    } else {
        TControl::SetAlign(value);
    }
    if (automatic) {
        if (value == TAlign::alTop || value == TAlign::alBottom)
            SetOrientation(TBarOrientation::boHorizontal);
        else if (value == TAlign::alLeft || value == TAlign::alRight)
            SetOrientation(TBarOrientation::boVertical);
    }
}

void TBvSpeedBar::SetOptions(TBvSpeedBarOptions value) {
    if (value == options_)
        return;
    bool flatChanged = ((value ^ options_) & sbFlatBtns) != 0;
    options_ = value;
    ForEachItem([this](TBvSpeedItem* item) {
        TBvSpeedBarButton* b = item->Button();
        b->SetFlat((options_ & sbFlatBtns) != 0);
        b->SetTransparent((options_ & sbTransparentBtns) != 0);
        b->SetGrayedInactive((options_ & sbGrayedBtns) != 0);
    });
    SetGrid();
    if (flatChanged)
        Realign();
    Invalidate();
}

void TBvSpeedBar::SetBoundLines(TBoundLines value) {
    if (value == boundLines_)
        return;
    boundLines_ = value;
    Realign();
    Invalidate();
}

void TBvSpeedBar::SetImages(TCustomImageList* value) {
    if (value == images_)
        return;
    if (images_) {
        images_->RemoveFreeNotification(this);
        images_->OnChange = nullptr;
    }
    images_ = value;
    if (images_) {
        images_->FreeNotification(this);
        images_->OnChange = [this](TCustomImageList&) {
            ForEachItem([](TBvSpeedItem* item) {
                item->Button()->InvalidateImages();
                if (item->ImageIndex() >= 0)
                    item->Button()->Invalidate();
            });
        };
    }
    Invalidate();
}

void TBvSpeedBar::Notification(TComponent* component, TOperation operation) {
    TBvCustomPanel::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        images_ = nullptr;
        Invalidate();
    }
}

void TBvSpeedBar::AlignControls(TControl* control) {
    TBvCustomPanel::AlignControls(control);
    int min = MinButtonsOffset();
    if (offsetX_ < min || offsetY_ < min) {
        int dx = std::max(0, min - offsetX_), dy = std::max(0, min - offsetY_);
        offsetX_ += dx;
        offsetY_ += dy;
        if (!IsLoading())
            MoveButtons(dx, dy);
    }
}

void TBvSpeedBar::UpdateButtonsState() {
    ForEachItem([this](TBvSpeedItem* item) {
        TBvSpeedBarButton* b = item->Button();
        bool show = item->Visible() && Visible();
        if (show)
            b->SetParent(this);
        b->SetVisible(show);
    });
}

void TBvSpeedBar::VisibleChanged() {
    TBvCustomPanel::VisibleChanged();
    if (!IsLoading())
        UpdateButtonsState();
    if (OnVisibleChanged)
        OnVisibleChanged(this);
}

void TBvSpeedBar::EnabledChanged() {
    TBvCustomPanel::EnabledChanged();
    if (IsLoading() || IsDesigning())
        return;
    ForEachItem([this](TBvSpeedItem* item) {
        if (!item->Editing())
            item->Button()->SetEnabled(item->Enabled() && Enabled());
    });
}

// ---- painting ----

void TBvSpeedBar::Paint() {
    if (locked_)
        return;
    TCanvas* c = Canvas();
    int inset = BorderWidth;
    if (BevelOuter != TPanelBevel::bvNone)
        inset += BevelWidth;
    if (BevelInner != TPanelBevel::bvNone)
        inset += BevelWidth;
    // The panel's frames: the outer bevel, the border in the bar's colour, the inner bevel.
    TRect frame = Rect(0, 0, Width(), Height());
    auto bevel = [&](TPanelBevel b) {
        if (b == TPanelBevel::bvNone)
            return;
        TColor top = b == TPanelBevel::bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = b == TPanelBevel::bvLowered ? clBtnHighlight : clBtnShadow;
        if (b == TPanelBevel::bvSpace)
            top = bottom = Color();
        Frame3D(c, frame, top, bottom, BevelWidth);
    };
    bevel(BevelOuter);
    if (BorderWidth > 0)
        Frame3D(c, frame, Color(), Color(), BorderWidth);
    bevel(BevelInner);
    TRect r = Rect(0, 0, Width(), Height());
    InflateRect(r, -inset, -inset);
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(r);
    PaintWallpaper(r, inset);
    auto line = [c](TColor color, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(color);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    if (boundLines_ & blTop) {
        line(clBtnShadow, r.Left, r.Top, r.Right, r.Top);
        line(clBtnHighlight, r.Left, r.Top + 1, r.Right, r.Top + 1);
    }
    if (boundLines_ & blLeft) {
        line(clBtnShadow, r.Left, r.Top, r.Left, r.Bottom);
        line(clBtnHighlight, r.Left + 1, r.Top + ((boundLines_ & blTop) ? 1 : 0), r.Left + 1,
             r.Bottom);
    }
    if (boundLines_ & blBottom) {
        line(clBtnShadow, r.Left, r.Bottom - 2, r.Right, r.Bottom - 2);
        line(clBtnHighlight, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
    }
    if (boundLines_ & blRight) {
        line(clBtnShadow, r.Right - 2, r.Top, r.Right - 2,
             r.Bottom - ((boundLines_ & blBottom) ? 1 : 0));
        line(clBtnHighlight, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    }
}

void TBvSpeedBar::PaintWallpaper(const TRect& r, int border) {
    TBitmap* picture = wallpaper_.get();
    if (picture->Empty() || r.Width() <= 0 || r.Height() <= 0)
        return;
    TCanvas* c = Canvas();
    const int saved = c->SaveDC();
    c->IntersectClip(r);
    if (options_ & sbStretchBitmap) {
        c->StretchDraw(r, picture);
    } else {
        const int columns = (ClientWidth() - 2 * border) / picture->Width() + 1;
        const int rows = (ClientHeight() - 2 * border) / picture->Height() + 1;
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column)
                c->Draw(r.Left + column * picture->Width(), r.Top + row * picture->Height(),
                        picture);
    }
    c->RestoreDC(saved);
}

// ---- customization ----

void TBvSpeedBar::SetEditWindow(HWND value) {
    const bool starts = value && !editWin_;
    editWin_ = value;
    if (starts)
        Customize();
    ForEachItem([this](TBvSpeedItem* item) { item->SetEditing(editWin_ != nullptr); });
}

void TBvSpeedBar::NotifyEditWindow(intptr_t what, intptr_t param) {
    if (editWin_)
        SendMessage(editWin_, CM_SPEEDBARCHANGED, what, param);
}

bool TBvSpeedBar::MoveItemTo(TBvSpeedItem* item, TPoint p) {
    auto nearest = [](int v, int offset, int step) {
        return offset +
               static_cast<int>(std::lround(static_cast<double>(v - offset) / step)) * step;
    };
    auto truncated = [](int v, int offset, int step) {
        return offset + ((v - offset) / step) * step;
    };
    TPoint q;
    if (orientation_ == TBarOrientation::boHorizontal) {
        q.X = nearest(p.X, offsetX_, grid_.X);
        q.Y = truncated(p.Y, offsetY_, grid_.Y);
    } else {
        q.X = truncated(p.X, offsetX_, grid_.X);
        q.Y = nearest(p.Y, offsetY_, grid_.Y);
    }
    TBvSpeedBarButton* b = item->Button();
    b->SetBounds(q.X, q.Y, b->Width(), b->Height());
    bool inside = PtInRect(Rect(0, 0, Width(), Height()), {b->Left(), b->Top()});
    item->SetVisible(inside);
    // Only a button being dragged holds the capture; it gives it up when dropped outside.
    if (!inside && b->MouseCapture())
        b->SetMouseCapture(false);
    return inside;
}

void TBvSpeedBar::AlignItemsToGrid() {
    ForEachItem([this](TBvSpeedItem* item) {
        if (item->Visible())
            MoveItemTo(item, {item->Left(), item->Top()});
    });
}

// ---- class tables ----

#define BV_SPEEDBAR_CLASS(Class, Parent)                                                           \
    const TClassInfo& Class::StaticClassInfo() {                                                   \
        static const TClassInfo info(#Class, &Parent::StaticClassInfo(), {}, "BvSpeedbar");        \
        return info;                                                                               \
    }
BV_SPEEDBAR_CLASS(TBvSpeedBarButton, TBvSpeedButton)
BV_SPEEDBAR_CLASS(TBvSpeedBarSection, TComponent)
BV_SPEEDBAR_CLASS(TBvSpeedItem, TComponent)
BV_SPEEDBAR_CLASS(TBvSpeedBar, TBvCustomPanel)
BV_SPEEDBAR_CLASS(TBvBtnControl, TBvCustomControl)
#undef BV_SPEEDBAR_CLASS
