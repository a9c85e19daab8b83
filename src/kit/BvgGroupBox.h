// A group box with a painted caption bar: a click on the caption collapses the box to the
// caption's height and expands it back. Boxes that share a non-zero GroupIndex behave as an
// accordion: expanding one collapses the others, and one of them may be kept open always.
#pragma once

#include "BvgCommClasses.h"
#include "StdCtrls.h"

#include <cstdint>
#include <memory>

enum TglGroupBoxOption : uint16_t {
    fgoCanCollapse = 1 << 0,
    fgoCollapseOther = 1 << 1,
    fgoFilledCaption = 1 << 2,
    fgoFluentlyCollapse = 1 << 3, // kept for stored windows; changes nothing
    fgoFluentlyExpand = 1 << 4,   // kept for stored windows; changes nothing
    fgoResizeParent = 1 << 5,
    fgoHideChildrenWhenCollapsed = 1 << 6,
    fgoIgnoreMouse = 1 << 7,
    fgoDelineatedText = 1 << 8,
    fgoBufferedDraw = 1 << 9, // kept for stored windows; changes nothing
    fgoOneAlwaysExpanded = 1 << 10,
    fgoSaveChildFocus = 1 << 11,
};
using TglGroupBoxOptions = uint16_t;
constexpr TglGroupBoxOptions kDefaultGroupBoxOptions = 0x085D;

enum class TCaptionAlignment { fcaNone, fcaLeft, fcaRight, fcaCenter, fcaWidth };

class TBvgGroupBox : public TCustomGroupBox {
    BV_CLASS_INFO()
public:
    explicit TBvgGroupBox(TComponent* owner);
    ~TBvgGroupBox() override;

    TBvgBevelOptions* Border() const { return border_.get(); }
    TBvgBevelOptions* CaptionBorder() const { return captionBorder_.get(); }
    TBvgGradient* Gradient() const { return gradient_.get(); }
    TBvgGradient* CaptionGradient() const { return captionGradient_.get(); }
    TBvgPointClass* CaptionShift() const { return captionShift_.get(); }
    TBvgGroupBoxColors* Colors() const { return colors_.get(); }
    TBvgIllumination* Illumination() const { return illumination_.get(); }
    TglTextStyle CaptionTextStyle() const { return captionTextStyle_; }
    void SetCaptionTextStyle(TglTextStyle value);
    TCaptionAlignment CaptionAlignment() const { return captionAlignment_; }
    void SetCaptionAlignment(TCaptionAlignment value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool TransparentCaption() const { return transparentCaption_; }
    void SetTransparentCaption(bool value);
    TglGroupBoxOptions Options() const { return options_; }
    void SetOptions(TglGroupBoxOptions value);
    bool Collapsed() const { return collapsed_; }
    // Changes the state directly, without the group rules and without events; collapsing is
    // refused without fgoCanCollapse. While loading it only records the state.
    void SetCollapsed(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    // Made on first use.
    TBitmap* GlyphCollapsed();
    TBitmap* GlyphExpanded();
    void SetGlyphCollapsed(TBitmap* value);
    void SetGlyphExpanded(TBitmap* value);
    // The expanded height (stored with the window).
    int FullHeight() const { return fullHeight_; }
    void SetFullHeight(int value) { fullHeight_ = value; }
    // The caption bar; its bottom is the collapsed height minus one.
    TRect CaptionRect() const { return captionRect_; }
    bool DraggingToScroll() const { return dragging_; }

    // What a click on the caption does: with the group rules and the events.
    void Collapse(bool value);

    void SetText(const std::string& text) override;
    TRect ClientRect() const override;
    // While expanded, the height set is the height the box expands back to.
    void SetBounds(int left, int top, int width, int height) override;

    TNotifyEvent AfterPaint;
    TNotifyEvent OnCollapsed;
    TNotifyEvent OnExpanded;

protected:
    void Paint() override;
    bool HandleMessage(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void DoCollapse(bool value);
    void CalcCaptionRect();
    int GlyphWidth() const;
    void EndDrag();
    void OptionChanged(TObject*);
    // The other boxes of the same owner and group.
    template <class F> void ForEachInGroup(F f);

    std::unique_ptr<TBvgBevelOptions> border_;
    std::unique_ptr<TBvgBevelOptions> captionBorder_;
    std::unique_ptr<TBvgGradient> gradient_;
    std::unique_ptr<TBvgGradient> captionGradient_;
    std::unique_ptr<TBvgPointClass> captionShift_;
    std::unique_ptr<TBvgGroupBoxColors> colors_;
    std::unique_ptr<TBvgIllumination> illumination_;
    std::unique_ptr<TBitmap> glyphCollapsed_;
    std::unique_ptr<TBitmap> glyphExpanded_;
    TglTextStyle captionTextStyle_ = TglTextStyle::fstNone;
    TCaptionAlignment captionAlignment_ = TCaptionAlignment::fcaNone;
    bool transparent_ = false;
    bool transparentCaption_ = false;
    TglGroupBoxOptions options_ = kDefaultGroupBoxOptions;
    bool collapsed_ = false;
    int groupIndex_ = 0;
    int fullHeight_ = 0;
    TControl* focusedChild_ = nullptr;
    TRect captionRect_;
    int dragStartY_ = 0;
    bool dragging_ = false;
};
