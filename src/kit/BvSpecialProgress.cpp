#include "BvSpecialProgress.h"

#include "Dispatcher.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

std::string FormatProgressCaption(const std::string& caption, int percent) {
    std::string out;
    out.reserve(caption.size() + 4);
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '%' && i + 1 < caption.size()) {
            if (caption[i + 1] == 'd') {
                out += std::to_string(percent);
                ++i;
                continue;
            }
            if (caption[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += caption[i];
    }
    return out;
}

const TClassInfo& TBvSpecialProgress::StaticClassInfo() {
    static const TClassInfo info("TBvSpecialProgress", &TBvGraphicControl::StaticClassInfo(), {},
                                 "BvSpecialProgress");
    return info;
}

TBvSpecialProgress::TBvSpecialProgress(TComponent* owner)
    : TBvGraphicControl(owner), bitmap_(std::make_unique<TBitmap>()) {
    ControlStyle |= csOpaque;
    SetParentColor(true);
    SetBounds(Left(), Top(), 150, 15);
}

TBvSpecialProgress::~TBvSpecialProgress() {
    Destroying();
}

int TBvSpecialProgress::Percent() const {
    if (maximum_ == minimum_)
        return 0;
    // In 64 bits: a range near the limits of an int must not overflow.
    int64_t done = static_cast<int64_t>(position_) - minimum_;
    int64_t range = static_cast<int64_t>(maximum_) - minimum_;
    return static_cast<int>(done * 100 / range);
}

std::string TBvSpecialProgress::DisplayText() const {
    switch (textOption_) {
    case TBvTextOption::toCaption:
        return Caption();
    case TBvTextOption::toFormat:
        return FormatProgressCaption(Caption(), Percent());
    case TBvTextOption::toPercent:
        return std::to_string(Percent()) + "%";
    default:
        return {};
    }
}

void TBvSpecialProgress::SetPosition(int value) {
    BV_ASSERT_GUI_THREAD();
    value = std::clamp(value, minimum_, maximum_);
    if (value == position_)
        return;
    int old = Percent();
    position_ = value;
    needRedraw_ = ShowsPercent() && Percent() != old;
    CalcBar();
    UpdateBitmap();
}

void TBvSpecialProgress::SetMaximum(int value) {
    BV_ASSERT_GUI_THREAD();
    value = std::max(value, minimum_);
    if (value == maximum_)
        return;
    int old = Percent();
    maximum_ = value;
    position_ = std::min(position_, maximum_);
    needRedraw_ = ShowsPercent() && Percent() != old;
    CalcBar();
    UpdateBitmap();
}

void TBvSpecialProgress::SetMinimum(int value) {
    BV_ASSERT_GUI_THREAD();
    value = std::min(value, maximum_);
    if (value == minimum_)
        return;
    int old = Percent();
    minimum_ = value;
    position_ = std::max(position_, minimum_);
    needRedraw_ = ShowsPercent() && Percent() != old;
    CalcBar();
    UpdateBitmap();
}

void TBvSpecialProgress::SetSolid(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == solid_)
        return;
    solid_ = value;
    needRedraw_ = true;
    CalcBar();
    UpdateBitmap();
}

void TBvSpecialProgress::SetStartColor(TColor value) {
    BV_ASSERT_GUI_THREAD();
    if (value == startColor_)
        return;
    startColor_ = value;
    startRGB_ = ColorToRGB(value);
    needRedraw_ = true;
    UpdateBitmap();
}

void TBvSpecialProgress::SetEndColor(TColor value) {
    BV_ASSERT_GUI_THREAD();
    if (value == endColor_)
        return;
    endColor_ = value;
    endRGB_ = ColorToRGB(value);
    needRedraw_ = true;
    UpdateBitmap();
}

void TBvSpecialProgress::SetGradientBlocks(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == gradientBlocks_)
        return;
    gradientBlocks_ = value;
    if (!solid_) {
        needRedraw_ = true;
        UpdateBitmap();
    }
}

void TBvSpecialProgress::SetTextCentered(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (value == textCentered_)
        return;
    textCentered_ = value;
    if (textOption_ != TBvTextOption::toNoText) {
        needRedraw_ = true;
        UpdateBitmap();
    }
}

void TBvSpecialProgress::SetTextOption(TBvTextOption value) {
    BV_ASSERT_GUI_THREAD();
    if (value == textOption_)
        return;
    textOption_ = value;
    needRedraw_ = true;
    UpdateBitmap();
}

void TBvSpecialProgress::SetBorderStyle(TBorderStyle value) {
    BV_ASSERT_GUI_THREAD();
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    needRedraw_ = true;
    UpdateBitmap();
}

void TBvSpecialProgress::TextChanged() {
    BV_ASSERT_GUI_THREAD();
    TBvGraphicControl::TextChanged();
    if (textOption_ == TBvTextOption::toCaption || textOption_ == TBvTextOption::toFormat) {
        needRedraw_ = true;
        UpdateBitmap();
    }
}

void TBvSpecialProgress::ColorChanged() {
    TBvGraphicControl::ColorChanged();
    needRedraw_ = true;
    UpdateBitmap();
}

void TBvSpecialProgress::FontChanged() {
    TBvGraphicControl::FontChanged();
    bitmap_->Canvas()->Font()->Assign(*Font());
    if (textOption_ != TBvTextOption::toNoText) {
        needRedraw_ = true;
        UpdateBitmap();
    }
}

void TBvSpecialProgress::Loaded() {
    TBvGraphicControl::Loaded();
    CalcBar();
    UpdateBitmap();
}

void TBvSpecialProgress::CalcBar() {
    int cw = ClientWidth(), ch = ClientHeight();
    if (IsLoading() || maximum_ == minimum_ || cw < 2)
        return;
    int64_t done = static_cast<int64_t>(position_) - minimum_;
    int64_t range = static_cast<int64_t>(maximum_) - minimum_;
    int w = static_cast<int>(static_cast<int64_t>(cw - 2) * done / range);
    if (!solid_) {
        blockWidth_ = ch * 2 / 3;
        hasPartialBlock_ = false;
        if (blockWidth_ == 0) {
            w = 0;
            blockCount_ = 0;
        } else {
            blockCount_ = w / blockWidth_;
            int rest = std::min(blockWidth_, cw - 2 - blockCount_ * blockWidth_);
            if (rest >= 2 * (w % blockWidth_)) {
                // The unfinished block is not shown yet.
                w = blockWidth_ * blockCount_;
            } else {
                ++blockCount_;
                hasPartialBlock_ = rest < blockWidth_;
                partialBlockWidth_ = rest;
                w = hasPartialBlock_ ? cw - 2 : blockWidth_ * blockCount_;
            }
        }
    }
    if (w != barWidth_) {
        barWidth_ = w;
        needRedraw_ = true;
        UpdateBitmap();
    }
}

void TBvSpecialProgress::UpdateBitmap() {
    if (!needRedraw_ || IsLoading())
        return;
    needRedraw_ = false;
    int cw = ClientWidth(), ch = ClientHeight();
    if (cw < 1 || ch < 1)
        return;
    ++redraws_;
    bitmap_->SetSize(cw, ch);
    TCanvas* c = bitmap_->Canvas();
    c->Font()->Assign(*Font());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    if (solid_)
        DrawSolid(c, ch);
    else
        DrawBlocks(c, ch);
    if (cw - 2 > barWidth_) {
        c->Brush()->SetColor(Color());
        c->FillRect(Rect(barWidth_ + 1, 1, cw - 1, ch - 1));
    }
    std::string text = DisplayText();
    if (!text.empty()) {
        int width = textCentered_ ? cw : barWidth_;
        TPoint size = c->TextExtent(text);
        int x = std::max(0, (width - size.X) / 2);
        int y = std::max(0, (ch - size.Y) / 2);
        int oldMode = c->SetBkModeDC(TRANSPARENT);
        c->SetTextColorDC(ColorToRGB(Font()->Color()));
        c->TextOut(x, y, text);
        c->SetBkModeDC(oldMode);
    }
    TRect frame = Rect(0, 0, cw, ch);
    if (borderStyle_ == TBorderStyle::bsSingle) {
        Frame3D(c, frame, clBtnFace, clBtnFace, 1);
        Frame3D(c, frame, clBtnShadow, clBtnHighlight, 1);
        Frame3D(c, frame, cl3DDkShadow, clBtnFace, 1);
    } else {
        Frame3D(c, frame, Color(), Color(), 1);
    }
    if (!painting_)
        Invalidate();
}

namespace {
int Nearest(double v) {
    return static_cast<int>(std::lround(v));
}
} // namespace

void TBvSpecialProgress::DrawSolid(TCanvas* c, int height) {
    if (barWidth_ <= 0)
        return;
    if (startRGB_ == endRGB_) {
        c->Brush()->SetColor(startRGB_);
        c->FillRect(Rect(1, 1, barWidth_ + 1, height - 1));
        return;
    }
    int sr = GetRValue(startRGB_), sg = GetGValue(startRGB_), sb = GetBValue(startRGB_);
    int dr = GetRValue(endRGB_) - sr, dg = GetGValue(endRGB_) - sg, db = GetBValue(endRGB_) - sb;
    for (int x = 1; x <= barWidth_; ++x) {
        double f = static_cast<double>(x - 1) / barWidth_;
        c->Brush()->SetColor(RGB(Nearest(sr + f * dr), Nearest(sg + f * dg), Nearest(sb + f * db)));
        c->FillRect(Rect(x, 1, x + 1, height - 1));
    }
}

void TBvSpecialProgress::DrawBlocks(TCanvas* c, int height) {
    if (barWidth_ <= 0 || blockWidth_ <= 0)
        return;
    int full = hasPartialBlock_ ? blockCount_ - 1 : blockCount_;
    int top = 1, bottom = 1 + (height - 2);
    auto fill = [&](TColor color, int x, int w) {
        c->Brush()->SetColor(color);
        c->FillRect(Rect(x, top, x + w, bottom));
    };
    if (startRGB_ == endRGB_) {
        for (int k = 0; k < full; ++k)
            fill(startRGB_, 1 + k * blockWidth_, blockWidth_ - 1);
        if (hasPartialBlock_)
            fill(startRGB_, 1 + full * blockWidth_, partialBlockWidth_);
    } else {
        double r = GetRValue(startRGB_), g = GetGValue(startRGB_), b = GetBValue(startRGB_);
        double sr = (GetRValue(endRGB_) - r) / barWidth_;
        double sg = (GetGValue(endRGB_) - g) / barWidth_;
        double sb = (GetBValue(endRGB_) - b) / barWidth_;
        auto current = [&] { return RGB(Nearest(r), Nearest(g), Nearest(b)); };
        auto advance = [&](int steps) {
            r += sr * steps;
            g += sg * steps;
            b += sb * steps;
        };
        auto block = [&](int x, int w, bool gap) {
            if (gradientBlocks_) {
                for (int i = 0; i < w; ++i) {
                    fill(current(), x + i, 1);
                    advance(1);
                }
                if (gap)
                    advance(1);
            } else {
                fill(current(), x, w);
                advance(blockWidth_);
            }
        };
        for (int k = 0; k < full; ++k)
            block(1 + k * blockWidth_, blockWidth_ - 1, true);
        if (hasPartialBlock_)
            block(1 + full * blockWidth_, partialBlockWidth_, false);
    }
    for (int k = 1; k <= full; ++k)
        fill(Color(), k * blockWidth_, 1);
}

void TBvSpecialProgress::Paint() {
    int cw = ClientWidth(), ch = ClientHeight();
    painting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{painting_};
    // The picture is kept at the screen's device pixels, so its text is as sharp as the
    // screen can show it; a move to a screen of another ratio draws it anew.
    const int scale = Canvas()->DeviceScale();
    if (bitmap_->Width() != cw || bitmap_->Height() != ch || bitmap_->DeviceScale() != scale) {
        bitmap_->SetDeviceScale(scale);
        needRedraw_ = true;
        CalcBar();
        UpdateBitmap();
    }
    if (cw < 3 || ch < 3)
        return;
    BitBlt(Canvas(), 0, 0, cw, ch, bitmap_->Canvas(), 0, 0, SRCCOPY);
}
