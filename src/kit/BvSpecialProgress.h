// A windowless progress bar drawn into a bitmap of its own: one bar running through a colour
// gradient, or a row of blocks (single-coloured or shaded), with an optional text such as the
// percentage or a caption holding "%d".
#pragma once

#include "BvExControls.h"
#include "ExtCtrls.h"
#include "Graphics.h"

#include <memory>
#include <string>

enum class TBvTextOption { toCaption, toFormat, toNoText, toPercent };

// The caption with "%d" replaced by the percentage and "%%" by "%"; every other character,
// a lone "%" or "%s" among them, stays as it is.
std::string FormatProgressCaption(const std::string& caption, int percent);

class TBvSpecialProgress : public TBvGraphicControl {
    BV_CLASS_INFO()
public:
    explicit TBvSpecialProgress(TComponent* owner);
    ~TBvSpecialProgress() override;

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor value);
    bool GradientBlocks() const { return gradientBlocks_; }
    void SetGradientBlocks(bool value);
    int Maximum() const { return maximum_; }
    void SetMaximum(int value);
    int Minimum() const { return minimum_; }
    void SetMinimum(int value);
    // Always kept between Minimum and Maximum.
    int Position() const { return position_; }
    void SetPosition(int value);
    bool Solid() const { return solid_; }
    void SetSolid(bool value);
    TColor StartColor() const { return startColor_; }
    void SetStartColor(TColor value);
    // Stored only.
    int Step() const { return step_; }
    void SetStep(int value) { step_ = value; }
    bool TextCentered() const { return textCentered_; }
    void SetTextCentered(bool value);
    TBvTextOption TextOption() const { return textOption_; }
    void SetTextOption(TBvTextOption value);

    // (Position - Minimum) * 100 div (Maximum - Minimum); 0 for an empty range.
    int Percent() const;
    // The text the bar shows now ("" for none).
    std::string DisplayText() const;

    // The layout of the filled part, in pixels and blocks.
    int BarWidth() const { return barWidth_; }
    int BlockCount() const { return blockCount_; }
    int BlockWidth() const { return blockWidth_; }
    bool HasPartialBlock() const { return hasPartialBlock_; }
    int PartialBlockWidth() const { return partialBlockWidth_; }
    // How often the picture was drawn anew (a change that shows nothing new draws nothing).
    int Redraws() const { return redraws_; }
    // The control's whole picture.
    const TBitmap& Picture() const { return *bitmap_; }

protected:
    void Loaded() override;
    void Paint() override;
    void TextChanged() override;
    void ColorChanged() override;
    void FontChanged() override;

private:
    void CalcBar();
    void UpdateBitmap();
    void DrawSolid(TCanvas* c, int height);
    void DrawBlocks(TCanvas* c, int height);
    bool ShowsPercent() const {
        return textOption_ == TBvTextOption::toFormat || textOption_ == TBvTextOption::toPercent;
    }

    std::unique_ptr<TBitmap> bitmap_;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    TColor endColor_ = clBlack;
    bool gradientBlocks_ = false;
    int maximum_ = 100;
    int minimum_ = 0;
    int position_ = 0;
    bool solid_ = false;
    TColor startColor_ = clWhite;
    int step_ = 10;
    bool textCentered_ = false;
    TBvTextOption textOption_ = TBvTextOption::toNoText;

    int barWidth_ = 0;
    bool needRedraw_ = false;
    TColor startRGB_ = clWhite;
    TColor endRGB_ = clBlack;
    int blockCount_ = 0;
    int blockWidth_ = 0;
    bool hasPartialBlock_ = false;
    int partialBlockWidth_ = 0;
    int redraws_ = 0;
    bool painting_ = false;
};
