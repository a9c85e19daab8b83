// Small option objects that the self-drawn group box and list box publish as nested
// properties: two colours, a gradient, a two-way alignment, a point, bevel options, text
// illumination, colour sets for text and group boxes and a list-box item style. Each one
// reports every change of its values through OnChanged, which its owner uses to repaint.
#pragma once

#include "Controls.h"
#include "ExtCtrls.h"
#include "Graphics.h"

#include <cstdint>
#include <memory>
#include <string>

using TBevelCut = TPanelBevel;

enum class TglGradientDir : uint8_t {
    fgdHorizontal,     // bands stacked from top to bottom
    fgdVertical,       // bands from left to right
    fgdLeftBias,       // diagonal lines
    fgdRightBias,      // diagonal lines the other way
    fgdRectangle,      // concentric frames
    fgdHorzConvergent, // two mirrored halves, one above the other
    fgdVertConvergent  // two mirrored halves side by side
};

enum class TglTextStyle : uint8_t {
    fstNone,
    fstRaised,
    fstRecessed,
    fstPushed,
    fstShadow,
    fstVolumetric
};

enum class TglHorAlign : uint8_t { fhaLeft, fhaCenter, fhaRight };
enum class TglVertAlign : uint8_t { fvaTop, fvaCenter, fvaBottom };

enum TglSide : uint8_t { fsdLeft = 1, fsdTop = 2, fsdRight = 4, fsdBottom = 8 };
using TglSides = uint8_t;
constexpr TglSides fsdAllSides = fsdLeft | fsdTop | fsdRight | fsdBottom;

enum class TglAutoTransparentColor : uint8_t {
    ftcUser,
    ftcLeftTopPixel,
    ftcRightTopPixel,
    ftcLeftBottomPixel,
    ftcRightBottomPixel
};

// 0 to 100.
using TPercentRange = uint8_t;

// Two colours with their RGB values kept beside them.
class TBvgTwainColors : public TPersistent {
    BV_CLASS_INFO()
public:
    TBvgTwainColors();
    TColor FromColor() const { return fromColor_; }
    void SetFromColor(TColor value);
    TColor ToColor() const { return toColor_; }
    void SetToColor(TColor value);
    TColor FromRGB() const { return fromRGB_; }
    TColor ToRGB() const { return toRGB_; }
    void Assign(const TPersistent& source) override;
    TNotifyEvent OnChanged;

protected:
    virtual void Changed();
    TColor fromColor_ = clGray;
    TColor toColor_ = clBlack;
    TColor fromRGB_ = clGray;
    TColor toRGB_ = clBlack;
};

class TBvgCustomGradient : public TBvgTwainColors {
    BV_CLASS_INFO()
public:
    bool BufferedDraw() const { return bufferedDraw_; }
    void SetBufferedDraw(bool value);
    // 1 to 255; values outside are clamped.
    int Steps() const { return steps_; }
    void SetSteps(int value);
    TPercentRange PercentFilling() const { return percentFilling_; }
    void SetPercentFilling(TPercentRange value);
    TBrushStyle BrushStyle() const { return brushStyle_; }
    void SetBrushStyle(TBrushStyle value);
    TglGradientDir Orientation() const { return orientation_; }
    void SetOrientation(TglGradientDir value);
    bool Active() const { return active_; }
    void SetActive(bool value);
    // Horizontal bands run up from the bottom.
    bool Reversed() const { return reversed_; }
    void SetReversed(bool value);
    void Assign(const TPersistent& source) override;

    // Fills rect with the gradient; nothing while inactive, suppressed, with one step or on a
    // device of fewer than 16 bits per pixel.
    void DrawInRect(HDC dc, TRect rect, int penWidth = 1, TPenStyle penStyle = TPenStyle::psSolid);
    // Text whose colour runs through the gradient strip by strip inside clip.
    void GradientTextOut(HDC dc, int x, int y, const std::string& text, const TRect& clip);

protected:
    bool bufferedDraw_ = false;
    int steps_ = 255;
    TPercentRange percentFilling_ = 100;
    TBrushStyle brushStyle_ = TBrushStyle::bsSolid;
    TglGradientDir orientation_ = TglGradientDir::fgdHorizontal;
    bool active_ = false;
    bool reversed_ = false;

private:
    void FillStrips(TCanvas* dc, const TRect& rect, TglGradientDir dir, TColor from, TColor to,
                    int penWidth, TPenStyle penStyle);
};

class TBvgGradient : public TBvgCustomGradient {
    BV_CLASS_INFO()
};

class TBvg2DAlign : public TPersistent {
    BV_CLASS_INFO()
public:
    TglHorAlign Horizontal() const { return horizontal_; }
    void SetHorizontal(TglHorAlign value);
    TglVertAlign Vertical() const { return vertical_; }
    void SetVertical(TglVertAlign value);
    void Assign(const TPersistent& source) override;
    TNotifyEvent OnChanged;

protected:
    virtual void Changed();
    TglHorAlign horizontal_ = TglHorAlign::fhaLeft;
    TglVertAlign vertical_ = TglVertAlign::fvaTop;
};

class TBvgIllumination : public TBvg2DAlign {
    BV_CLASS_INFO()
public:
    int ShadowDepth() const { return shadowDepth_; }
    // A negative depth is stored as 0.
    void SetShadowDepth(int value);
    void Assign(const TPersistent& source) override;

private:
    int shadowDepth_ = 2;
};

class TBvgPointClass : public TPersistent {
    BV_CLASS_INFO()
public:
    int X() const { return x_; }
    void SetX(int value);
    int Y() const { return y_; }
    void SetY(int value);
    void Assign(const TPersistent& source) override;
    TNotifyEvent OnChanged;

protected:
    virtual void Changed();
    int x_ = 0;
    int y_ = 0;
};

class TBvgBevelOptions : public TPersistent {
    BV_CLASS_INFO()
public:
    TBevelCut Inner() const { return inner_; }
    void SetInner(TBevelCut value);
    TBevelCut Outer() const { return outer_; }
    void SetOuter(TBevelCut value);
    TglSides Sides() const { return sides_; }
    void SetSides(TglSides value);
    bool Bold() const { return bold_; }
    void SetBold(bool value);
    void Assign(const TPersistent& source) override;
    TNotifyEvent OnChanged;

protected:
    virtual void Changed();
    TBevelCut inner_ = TBevelCut::bvNone;
    TBevelCut outer_ = TBevelCut::bvNone;
    TglSides sides_ = fsdAllSides;
    bool bold_ = false;
};

class TBvgCustomTextColors : public TPersistent {
    BV_CLASS_INFO()
public:
    TColor Text() const { return text_; }
    void SetText(TColor value);
    TColor DisabledText() const { return disabledText_; }
    void SetDisabledText(TColor value);
    TColor Delineate() const { return delineate_; }
    void SetDelineate(TColor value);
    TColor Background() const { return background_; }
    void SetBackground(TColor value);
    TColor Highlight() const { return highlight_; }
    void SetHighlight(TColor value);
    TColor Shadow() const { return shadow_; }
    void SetShadow(TColor value);
    void Assign(const TPersistent& source) override;
    TNotifyEvent OnChanged;

protected:
    virtual void Changed();
    // Stores value in field and reports the change when it differs.
    void Put(TColor& field, TColor value);
    TColor text_ = clBlack;
    TColor disabledText_ = clGray;
    TColor delineate_ = clWhite;
    TColor background_ = clBtnFace;
    TColor highlight_ = clBtnHighlight;
    TColor shadow_ = clBtnShadow;
};

class TBvgCustomLabelColors : public TBvgCustomTextColors {
    BV_CLASS_INFO()
public:
    TColor TextActive() const { return textActive_; }
    void SetTextActive(TColor value);
    TColor DelineateActive() const { return delineateActive_; }
    void SetDelineateActive(TColor value);
    bool AutoHighlight() const { return autoHighlight_; }
    void SetAutoHighlight(bool value);
    bool AutoShadow() const { return autoShadow_; }
    void SetAutoShadow(bool value);
    TColor ActiveBackground() const { return activeBackground_; }
    void SetActiveBackground(TColor value);
    int HighlightShift() const { return highlightShift_; }
    void SetHighlightShift(int value);
    int ShadowShift() const { return shadowShift_; }
    void SetShadowShift(int value);
    void Assign(const TPersistent& source) override;

protected:
    TColor textActive_ = clBlack;
    TColor delineateActive_ = clWhite;
    bool autoHighlight_ = false;
    bool autoShadow_ = false;
    TColor activeBackground_ = clBtnFace;
    int highlightShift_ = 40;
    int shadowShift_ = 60;
};

class TBvgGroupBoxColors : public TBvgCustomLabelColors {
    BV_CLASS_INFO()
public:
    TColor Caption() const { return caption_; }
    void SetCaption(TColor value);
    TColor CaptionActive() const { return captionActive_; }
    void SetCaptionActive(TColor value);
    TColor Client() const { return client_; }
    void SetClient(TColor value);
    TColor ClientActive() const { return clientActive_; }
    void SetClientActive(TColor value);
    void Assign(const TPersistent& source) override;

protected:
    TColor caption_ = clBtnFace;
    TColor captionActive_ = clBtnFace;
    TColor client_ = clBtnFace;
    TColor clientActive_ = clBtnFace;
};

// The look of one kind of list-box item. One handler given to SetOnChanged hears every change,
// also those of the nested bevel and gradients.
class TBvgCustomListBoxItemStyle : public TPersistent {
    BV_CLASS_INFO()
public:
    TBvgCustomListBoxItemStyle();
    ~TBvgCustomListBoxItemStyle() override;
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TColor DelineateColor() const { return delineateColor_; }
    void SetDelineateColor(TColor value);
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont& value) { font_->Assign(value); }
    TBvgBevelOptions* Bevel() const { return bevel_.get(); }
    void SetBevel(const TBvgBevelOptions& value) { bevel_->Assign(value); }
    TglTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TglTextStyle value);
    virtual void SetOnChanged(TNotifyEvent handler);
    const TNotifyEvent& OnChanged() const { return onChanged_; }
    void Assign(const TPersistent& source) override;

protected:
    void Changed();
    TColor color_ = clBtnFace;
    TColor delineateColor_ = clWhite;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TBvgBevelOptions> bevel_;
    TglTextStyle textStyle_ = TglTextStyle::fstNone;
    TNotifyEvent onChanged_;
};

class TBvgListBoxItemStyle : public TBvgCustomListBoxItemStyle {
    BV_CLASS_INFO()
public:
    TBvgListBoxItemStyle();
    ~TBvgListBoxItemStyle() override;
    TBvgGradient* Gradient() const { return gradient_.get(); }
    void SetGradient(const TBvgGradient& value) { gradient_->Assign(value); }
    TBvgGradient* TextGradient() const { return textGradient_.get(); }
    void SetOnChanged(TNotifyEvent handler) override;
    void Assign(const TPersistent& source) override;

private:
    std::unique_ptr<TBvgGradient> gradient_;
    std::unique_ptr<TBvgGradient> textGradient_;
};

// While set, no gradient draws (a switch for slow displays; nothing sets it by default).
extern bool SuppressGradients;
