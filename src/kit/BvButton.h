// Push buttons of the kit: TBvCustomButton adds a drop-down menu, a hot-track font, captions
// broken at "|" and buttons that keep one size; TBvCustomImageButton (TBvImgBtn) draws its whole
// face itself: flat or raised, a picture from an image list (optionally animated), the caption
// beside it, a drop-down arrow and a focus rectangle, and offers the stock kinds (OK, Cancel,
// Help, ...) with their captions, pictures and modal results.
#pragma once

#include "ActnList.h"
#include "BvDrawUtils.h"
#include "BvExStdCtrls.h"
#include "Menus.h"

#include <functional>
#include <memory>
#include <string>

// Sent to the parent form's controls by a same-size button whose bounds changed: WParam holds
// the height in its low word and the width in its high word, LParam the button.
constexpr uint32_t CM_BVBUTTONSAMESIZE = 0xB055;
// The window timer that turns an image button's animation.
constexpr uintptr_t kImageButtonAnimateTimer = 1;

class TBvCustomButton : public TBvExButton {
    BV_CLASS_INFO()
public:
    explicit TBvCustomButton(TComponent* owner);
    ~TBvCustomButton() override;

    TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(TPopupMenu* menu);
    bool HotTrack = false;
    TFont* HotTrackFont() const { return hotTrackFont_.get(); }
    void SetHotTrackFont(const TFont& font);
    TBvTrackFontOptions HotTrackFontOptions() const { return hotTrackFontOptions_; }
    void SetHotTrackFontOptions(TBvTrackFontOptions options);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool DropArrow() const { return dropArrow_; }
    void SetDropArrow(bool value);
    // Every button of the form with this on takes the size of the one last resized.
    bool ForceSameSize() const { return forceSameSize_; }
    void SetForceSameSize(bool value);
    TContextPopupEvent OnDropDownMenu;

    void Click() override;
    void SetBounds(int left, int top, int width, int height) override;
    // The caption as shown: with WordWrap each "|" starts a new line.
    virtual std::string GetRealCaption() const;
    // Opens the drop-down menu at a screen point; false when there is none.
    virtual bool DoDropDownMenu(int x, int y);
    virtual void DrawDropArrow(TCanvas* canvas, const TRect& r);

protected:
    bool HandleMessage(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    void MouseEnter(TControl* control) override;
    void MouseLeave(TControl* control) override;
    void FontChanged() override;
    // The hot-track font takes the place of the plain one (entering) or gives it back.
    void ApplyHotTrackFont(bool entering);

private:
    TPopupMenu* dropDownMenu_ = nullptr;
    std::unique_ptr<TFont> hotTrackFont_;
    std::unique_ptr<TFont> plainFont_;
    bool wordWrap_ = true;
    bool forceSameSize_ = false;
    bool applyingSameSize_ = false;
    bool hotFontShown_ = false;
    bool swappingFont_ = false;
    TBvTrackFontOptions hotTrackFontOptions_ = hoFollowFont | hoPreserveColor | hoPreserveStyle;
    bool dropArrow_ = false;
};

enum class TBvImgBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
enum class TBvImgBtnLayout { blImageLeft, blImageRight };

using TBvImgBtnDrawEvent = std::function<void(TObject* sender, const TDrawItemStruct& item)>;
using TBvImgBtnAnimIndexEvent =
    std::function<void(TObject* sender, uint8_t currentAnimateFrame, int& imageIndex)>;

// What a stock kind brings with it.
struct TBvImgBtnKindInfo {
    const char* Caption;
    int Picture; // in the default picture list, -1 for none
    int ModalResult;
};
const TBvImgBtnKindInfo& ImgBtnKindInfo(TBvImgBtnKind kind);

// The process-wide list of the stock kinds' 18 x 18 pictures, made with the first image button.
TCustomImageList* ImgBtnDefaultImages();

// Where the picture and the caption of an image button go inside its content rectangle.
struct TBvImgBtnParts {
    TRect Picture; // empty when no picture is drawn
    TRect Caption;
};

class TBvCustomImageButton : public TBvCustomButton {
    BV_CLASS_INFO()
public:
    explicit TBvCustomImageButton(TComponent* owner);
    ~TBvCustomImageButton() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    int AnimateFrames() const { return animateFrames_; }
    void SetAnimateFrames(int value);
    unsigned AnimateInterval() const { return animateInterval_; }
    void SetAnimateInterval(unsigned value);
    bool Animating() const { return animating_; }
    int CurrentFrame() const { return currentFrame_; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* images);
    TBvImgBtnKind Kind() const { return kind_; }
    void SetKind(TBvImgBtnKind value);
    TBvImgBtnLayout Layout() const { return layout_; }
    void SetLayout(TBvImgBtnLayout value);
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    // -1 centres the content; smaller values are refused.
    int Margin() const { return margin_; }
    void SetMargin(int value);
    bool ImageVisible() const { return imageVisible_; }
    void SetImageVisible(bool value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool Hot() const { return hot_; }
    bool DefaultLook() const { return defaultLook_; }
    TBvImgBtnDrawEvent OnButtonDraw;
    TBvImgBtnAnimIndexEvent OnGetAnimateIndex;

    void Click() override;
    std::string GetRealCaption() const override;
    // The picture the button shows now (the animation frame included), -1 for none.
    int CurrentImageIndex() const;
    // The picture and caption places for a content rectangle, text measured on canvas.
    TBvImgBtnParts LayoutParts(TCanvas* canvas, const TRect& content) const;

protected:
    // The button draws itself: its window asks for every picture (CN_DRAWITEM).
    void CreateParams(TCreateParams& params) override;
    bool HandleMessage(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    std::unique_ptr<TControlActionLink> CreateActionLink() override;
    // The button takes the action list's images and the action's picture.
    void ActionChange(TObject* sender, bool checkDefaults) override;
    void Loaded() override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void MouseEnter(TControl* control) override;
    void MouseLeave(TControl* control) override;
    void EnabledChanged() override;
    void FontChanged() override;
    void FocusChanged(TControl* control) override;
    // Drawn as the default button: a dark frame and the focus rectangle.
    virtual void SetDefaultLook(bool value);
    virtual void DrawItem(const TDrawItemStruct& item);
    // The animation's frame timer; tests stand a fake one in its place.
    virtual void StartFrameTimer(unsigned intervalMs);
    virtual void StopFrameTimer();
    void StartAnimate();
    void StopAnimate();
    void NextFrame();

private:
    void DrawFace(TCanvas* canvas, TRect& client, bool pressed, bool focused);
    std::unique_ptr<TCanvas> canvas_;
    TAlignment alignment_ = TAlignment::taCenter;
    bool animate_ = false;
    int animateFrames_ = 0;
    unsigned animateInterval_ = 200;
    bool animating_ = false;
    int currentFrame_ = 0;
    int imageIndex_ = -1;
    TCustomImageList* images_ = nullptr;
    bool defaultLook_ = false;
    TBvImgBtnKind kind_ = TBvImgBtnKind::bkCustom;
    TBvImgBtnLayout layout_ = TBvImgBtnLayout::blImageLeft;
    bool ownerDraw_ = false;
    int spacing_ = 4;
    int margin_ = -1;
    bool hot_ = false;
    bool imageVisible_ = true;
    bool flat_ = false;
};

class TBvImgBtn : public TBvCustomImageButton {
    BV_CLASS_INFO()
public:
    using TBvCustomImageButton::TBvCustomImageButton;
};
