// The speed button: a windowless push button with a glyph and a caption that can latch down in
// a group, repeat its click while held and grey its glyph while the mouse is elsewhere. The
// glyph drawer lays out and draws glyph and caption for the button and for the speed bar's
// drag picture.
#pragma once

#include "ActnList.h"
#include "BvDrawUtils.h"
#include "BvExControls.h"
#include "ExtCtrls.h"
#include "Menus.h"

#include <array>
#include <memory>
#include <string>

// Told to the other buttons of a group when one goes down (WParam the group, LParam the button).
constexpr uint32_t CM_BVBUTTONPRESSED = 0xB051;

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum class TBvDropDownMenuPos { dmpBottom, dmpRight };
// The look of a button; exclusive is the look of a latched one.
enum class TBvButtonState : uint8_t { rbsUp, rbsDisabled, rbsDown, rbsExclusive, rbsInactive };

// Where the drawer puts the glyph and the caption inside a button.
struct TBvButtonLayoutResult {
    TPoint GlyphPos;
    TRect TextBounds;
    std::string Caption; // the caption as it will show, shortened to its room
};

// Lays out and draws a button's glyph and caption; keeps one image per glyph state.
class TBvxButtonGlyph {
public:
    TBvxButtonGlyph();
    ~TBvxButtonGlyph();
    TBvxButtonGlyph(const TBvxButtonGlyph&) = delete;
    TBvxButtonGlyph& operator=(const TBvxButtonGlyph&) = delete;

    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* value);
    int NumGlyphs() const { return numGlyphs_; }
    // 1 to 5; larger values are stored as 5, 0 and below are ignored.
    void SetNumGlyphs(int value);
    TColor TransparentColor() const { return transparentColor_; }
    TAlignment Alignment = TAlignment::taCenter;
    bool GrayNewStyle() const { return grayNewStyle_; }
    void SetGrayNewStyle(bool value);
    bool WordWrap = false;
    TNotifyEvent OnChange;

    // The glyph's size: the image list's when it holds index, else one part of the bitmap.
    TPoint GlyphSize(TCustomImageList* images, int index) const;
    TBvButtonLayoutResult CalcButtonLayout(TCanvas* canvas, const TRect& client, TPoint offset,
                                           const std::string& caption, TButtonLayout layout,
                                           int margin, int spacing, bool showMark,
                                           TCustomImageList* images, int index) const;
    // Draws glyph, caption and drop-down mark; returns the caption's rectangle.
    TRect Draw(TCanvas* canvas, const TRect& client, TPoint offset, const std::string& caption,
               TButtonLayout layout, int margin, int spacing, TBvButtonState state, bool showMark,
               TCustomImageList* images = nullptr, int index = -1);
    // Drops the cached state images (glyph, grey style or system colours changed).
    void Invalidate();
    // The image of a state, made on first use; nullptr without a glyph.
    TBitmap* StateImage(TBvButtonState state);

private:
    void GlyphChanged();
    void DrawMark(TCanvas* canvas, int x, int y, TBvButtonState state);

    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    TColor transparentColor_ = 0xFF00FF;
    bool grayNewStyle_ = true;
    std::array<std::unique_ptr<TBitmap>, 5> images_;
};

class TBvSpeedButtonHotTrackOptions : public TPersistent {
public:
    bool Enabled = false;
    TColor Color = 0xD2BDB6;
    TColor FrameColor = 0x6A240A;
    void Assign(const TPersistent& source) override;
};

class TBvCustomSpeedButton : public TBvGraphicControl {
    BV_CLASS_INFO()
public:
    explicit TBvCustomSpeedButton(TComponent* owner);
    ~TBvCustomSpeedButton() override;

    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    bool AllowTimer() const { return allowTimer_; }
    void SetAllowTimer(bool value);
    bool Down() const { return down_; }
    void SetDown(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(TPopupMenu* value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    TFont* HotTrackFont() const { return hotTrackFont_.get(); }
    TBvTrackFontOptions HotTrackFontOptions() const { return hotTrackFontOptions_; }
    void SetHotTrackFontOptions(TBvTrackFontOptions value);
    TBvSpeedButtonHotTrackOptions* HotTrackOptions() const { return hotTrackOptions_.get(); }
    bool GrayedInactive() const { return grayedInactive_; }
    void SetGrayedInactive(bool value);
    unsigned InitPause = 500;
    unsigned RepeatInterval = 100;
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return margin_; }
    // Values below -1 are refused.
    void SetMargin(int value);
    bool MarkDropDown() const { return markDropDown_; }
    void SetMarkDropDown(bool value);
    TBvDropDownMenuPos MenuPosition = TBvDropDownMenuPos::dmpBottom;
    TModalResult ModalResult = mrNone;
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TAlignment Alignment() const { return glyph_->Alignment; }
    void SetAlignment(TAlignment value);
    bool WordWrap() const { return glyph_->WordWrap; }
    void SetWordWrap(bool value);
    bool GrayNewStyle() const { return glyph_->GrayNewStyle(); }
    void SetGrayNewStyle(bool value);

    TBvButtonState State() const { return state_; }
    bool MouseInControl() const { return mouseInControl_; }
    // The repeat timer once AllowTimer made one; its ticks are the repeat clock.
    TTimer* RepeatTimer() const { return repeatTimer_.get(); }
    // Where the drop-down menu opens, in the button's coordinates.
    TPoint MenuPoint() const;

    void Click() override;
    void WndProc(TMessage& m) override;

protected:
    TBvxButtonGlyph* ButtonGlyph() const { return glyph_.get(); }
    void Paint() override;
    virtual void PaintImage(TCanvas* canvas, const TRect& r, TPoint offset, TBvButtonState state,
                            bool drawMark) = 0;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter(TControl* control) override;
    void MouseLeave(TControl* control) override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void FontChanged() override;
    void TextChanged() override;
    bool WantDialogChar(int key, TShiftState shift, const std::u16string& text) override;
    void Notification(TComponent* component, TOperation operation) override;
    std::unique_ptr<TControlActionLink> CreateActionLink() override;
    // The group follows the action's; Down its Checked while the button is grouped and may
    // be released.
    void ActionChange(TObject* sender, bool checkDefaults) override;
    bool IsHot() const { return mouseInControl_ || dragging_; }
    // Whether the pointer is over this button and the program is in front.
    void CheckHover();
    void DrawFrame(TRect& r, bool down);
    void UpdateTracking();
    // Sets the look; repaints on change.
    void SetState(TBvButtonState state);

private:
    void ButtonPressed(TBvCustomSpeedButton* sender);
    void TellGroup();
    void ReleaseProcessing(int x, int y);
    void RepeatTick();
    bool NewStyle() const;

    bool allowAllUp_ = false;
    bool allowTimer_ = false;
    bool down_ = false;
    bool dragging_ = false;
    TPopupMenu* dropDownMenu_ = nullptr;
    bool flat_ = false;
    std::unique_ptr<TBvxButtonGlyph> glyph_;
    int groupIndex_ = 0;
    bool hotTrack_ = false;
    std::unique_ptr<TFont> hotTrackFont_;
    TBvTrackFontOptions hotTrackFontOptions_ = hoFollowFont | hoPreserveColor | hoPreserveStyle;
    bool grayedInactive_ = true;
    TButtonLayout layout_ = TButtonLayout::blGlyphTop;
    int margin_ = -1;
    bool markDropDown_ = true;
    bool busy_ = false;
    std::unique_ptr<TTimer> repeatTimer_;
    int spacing_ = 1;
    TButtonStyle style_ = TButtonStyle::bsAutoDetect;
    bool transparent_ = false;
    std::unique_ptr<TBvSpeedButtonHotTrackOptions> hotTrackOptions_;
    TBvButtonState state_ = TBvButtonState::rbsUp;
    bool mouseInControl_ = false;
};

// A speed button whose glyph is a bitmap of up to five images side by side.
class TBvSpeedButton : public TBvCustomSpeedButton {
    BV_CLASS_INFO()
public:
    explicit TBvSpeedButton(TComponent* owner);
    ~TBvSpeedButton() override;
    TBitmap* Glyph() const { return ButtonGlyph()->Glyph(); }
    void SetGlyph(TBitmap* value);
    int NumGlyphs() const { return ButtonGlyph()->NumGlyphs(); }
    void SetNumGlyphs(int value);
    TBitmap* HotTrackGlyph() const { return hotGlyph_->Glyph(); }
    void SetHotTrackGlyph(TBitmap* value);
    // Drops the cached state images (a picture source changed).
    void InvalidateImages();

protected:
    void PaintImage(TCanvas* canvas, const TRect& r, TPoint offset, TBvButtonState state,
                    bool drawMark) override;
    // A button without a glyph takes the action's picture, drawn on the transparent colour.
    void ActionChange(TObject* sender, bool checkDefaults) override;

private:
    std::unique_ptr<TBvxButtonGlyph> hotGlyph_;
};

// A speed button whose glyph comes from an image list: ImageIndex, or HotTrackImageIndex while
// the pointer is over a hot-tracking button. A change of the list repaints the button.
class TBvImageSpeedButton : public TBvCustomSpeedButton {
    BV_CLASS_INFO()
public:
    explicit TBvImageSpeedButton(TComponent* owner);
    ~TBvImageSpeedButton() override;
    TCustomImageList* Images() const { return images_; }
    // Clearing the list also clears ImageIndex.
    void SetImages(TCustomImageList* value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int HotTrackImageIndex() const { return hotTrackImageIndex_; }
    void SetHotTrackImageIndex(int value);
    // The index the button shows now.
    int ShownImageIndex() const;

protected:
    void PaintImage(TCanvas* canvas, const TRect& r, TPoint offset, TBvButtonState state,
                    bool drawMark) override;
    void Notification(TComponent* component, TOperation operation) override;
    // The button takes the action list's images and the action's picture.
    void ActionChange(TObject* sender, bool checkDefaults) override;
    bool ShowsHotImage() const;

private:
    struct TImagesLink;
    void Relink(TCustomImageList* value);
    TCustomImageList* images_ = nullptr;
    std::shared_ptr<TImagesLink> link_;
    int imageIndex_ = -1;
    int hotTrackImageIndex_ = -1;
};

// A speed button's action link: Down follows the action's Checked while the button is grouped
// and may be released and shows the action's state; GroupIndex and an image button's
// ImageIndex follow while they equal the action's.
class TBvSpeedButtonActionLink : public TControlActionLink {
public:
    explicit TBvSpeedButtonActionLink(TBvCustomSpeedButton* client);
    bool IsCheckedLinked() const override;
    bool IsGroupIndexLinked() const override;
    bool IsImageIndexLinked() const override;

protected:
    void SetChecked(bool value) override;
    void SetGroupIndex(int value) override;
    void SetImageIndex(int value) override;

private:
    TBvCustomSpeedButton* button_;
};

// A button picture on any canvas, for the speed bar's drag picture.
class TBvButtonImage {
public:
    TBvButtonImage();
    TBvxButtonGlyph* Glyph() const { return glyph_.get(); }
    TPoint ButtonSize{24, 23};
    int NumGlyphs() const { return glyph_->NumGlyphs(); }
    void SetNumGlyphs(int value) { glyph_->SetNumGlyphs(value); }
    void Draw(TCanvas* canvas, int x, int y, const std::string& caption, TButtonLayout layout,
              int margin, int spacing, TFont* font, TCustomImageList* images, int index);

private:
    std::unique_ptr<TBvxButtonGlyph> glyph_;
};
