// How the list box draws: its background picture and the measuring and drawing
// of its items.
#include "BvListBoxParts.h"

#include "BvDataRenderers.h"

using namespace BvListBoxParts;

// ---------------------------------------------------------------- background

const TClassInfo& TBvListBoxBackground::StaticClassInfo() {
    static const TClassInfo info("TBvListBoxBackground", &TPersistent::StaticClassInfo(), {},
                                 "BvListBox");
    return info;
}

TBvListBoxBackground::TBvListBoxBackground() : image_(std::make_unique<TBitmap>()) {}
TBvListBoxBackground::~TBvListBoxBackground() = default;

void TBvListBoxBackground::SetImage(const TBitmap* image) {
    if (image)
        image_->Assign(*image);
    else
        image_->SetSize(0, 0);
    Change();
}

void TBvListBoxBackground::SetFillMode(TBvListboxFillMode mode) {
    if (fillMode_ == mode)
        return;
    fillMode_ = mode;
    Change();
}

void TBvListBoxBackground::SetVisible(bool value) {
    if (visible_ == value)
        return;
    visible_ = value;
    Change();
}

bool TBvListBoxBackground::DoDraw() const {
    return visible_ && image_->Width() > 0 && image_->Height() > 0;
}

void TBvListBoxBackground::Assign(const TPersistent& source) {
    if (auto* other = dynamic_cast<const TBvListBoxBackground*>(&source)) {
        image_->Assign(*other->image_);
        fillMode_ = other->fillMode_;
        visible_ = other->visible_;
        Change();
        return;
    }
    TPersistent::Assign(source);
}

void TBvListBoxBackground::Change() {
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- drawing and measuring

void TBvCustomListBox::MeasureItem(int index, int& height) {
    if (OnMeasureItem) {
        TBvExCustomListBox::MeasureItem(index, height);
        return;
    }
    if (providerActive_ && index >= 0 && index < ItemsList().Count()) {
        int measured = ItemHeight();
        if (auto item = ProviderItem(index)) {
            TBvConsumerScope scope(consumer_);
            measureCanvas_->SetFont(*Font());
            if (auto renderer = FindItemsRenderer(item.Get()))
                measured = renderer->MeasureItem(measureCanvas_.get(), item.Get()).Y;
            else
                measured = measureCanvas_->TextHeight(ItemCaptionText(item.Get()));
        }
        height = std::max(std::min(measured, kMaxItemHeight), ItemHeight());
    } else if (multiLine_ && index >= 0 && index < LineCount()) {
        height = MeasureText(LineText(index), WordWrapActive() ? ClientWidth() : 0).cy;
    }
}

void TBvCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem) {
        TBvExCustomListBox::DrawItem(index, rect, state);
        return;
    }
    DefaultDrawItem(index, rect, state);
    if (showFocusRect_ && (state & ODS_FOCUS))
        canvas_->DrawFocusRect(rect);
}

void TBvCustomListBox::DefaultDrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (IsDestroying() || !canvas_)
        return;
    TRect r = rect;
    if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth) {
        r.Left = 0;
        r.Right = std::max(ClientWidth(), maxItemWidth_);
    }
    if (providerActive_) {
        DrawProviderItem(index, r, state);
        return;
    }
    const bool picture = background_->DoDraw();
    if (picture) {
        canvas_->Brush()->SetStyle(TBrushStyle::bsClear);
        canvas_->Font()->SetColor(Font()->Color());
        int saved = canvas_->SaveDC();
        canvas_->IntersectClip(r);
        DrawBackground(canvas_, true);
        canvas_->RestoreDC(saved);
    }
    if (index >= LineCount())
        return;
    if (!picture)
        canvas_->FillRect(r);
    uint32_t flags = AlignmentFlag(alignment_) | DT_NOPREFIX;
    flags |= multiLine_ ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
    r.Left += 2;
    std::string text = LineText(index);
    canvas_->DrawTextW(text, r, flags);
    if (picture && (state & ODS_SELECTED))
        canvas_->PatBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), DSTINVERT);
}
