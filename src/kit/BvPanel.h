// The panel of the kit: the framework's panel with a hot colour while the mouse is over it,
// a see-through mode, a flat border, a sizing grip, moving by dragging, a caption that may
// wrap, events when its width or height changes, and an optional arrangement of its children
// in rows by tab order.
#pragma once

#include "BvExExtCtrls.h"

#include <functional>
#include <memory>

class TBvPanel;

// The pale yellow of the information hint that floats over the track view.
constexpr TColor kHintPanelColor = 0xB7FFFF;

enum class TBvAutoSizePanel { asNone, asWidth, asHeight, asBoth };

using TBvPanelMoveEvent = std::function<void(TObject* sender, int x, int y, bool& allow)>;
using TBvPanelResizeParentEvent =
    std::function<void(TObject* sender, int nLeft, int nTop, int nWidth, int nHeight)>;
using TBvPanelChangedSizeEvent = std::function<void(TObject* sender, int changedSize)>;

class TBvArrangeSettings : public TPersistent {
    BV_CLASS_INFO()
public:
    explicit TBvArrangeSettings(TBvPanel* panel) : panel_(panel) {}
    bool AutoArrange() const { return autoArrange_; }
    void SetAutoArrange(bool value);
    TBvAutoSizePanel AutoSize() const { return autoSize_; }
    void SetAutoSize(TBvAutoSizePanel value);
    bool WrapControls() const { return wrapControls_; }
    void SetWrapControls(bool value);
    int BorderLeft() const { return borderLeft_; }
    void SetBorderLeft(int value);
    int BorderTop() const { return borderTop_; }
    void SetBorderTop(int value);
    int DistanceVertical() const { return distanceVertical_; }
    void SetDistanceVertical(int value);
    int DistanceHorizontal() const { return distanceHorizontal_; }
    void SetDistanceHorizontal(int value);
    bool ShowNotVisibleAtDesignTime() const { return showNotVisibleAtDesignTime_; }
    void SetShowNotVisibleAtDesignTime(bool value) { showNotVisibleAtDesignTime_ = value; }
    // 0: no limit.
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int value);
    void Assign(const TPersistent& source) override;
    // Arranges the panel's children now, when arranging is on and the panel is not loading.
    void Rearrange();

private:
    void Set(int& field, int value);
    TBvPanel* panel_;
    bool autoArrange_ = false;
    TBvAutoSizePanel autoSize_ = TBvAutoSizePanel::asNone;
    bool wrapControls_ = true;
    int borderLeft_ = 0;
    int borderTop_ = 0;
    int distanceVertical_ = 0;
    int distanceHorizontal_ = 0;
    bool showNotVisibleAtDesignTime_ = true;
    int maxWidth_ = 0;
};

class TBvPanel : public TBvCustomPanel, public IBvDenySubClassing {
    BV_CLASS_INFO()
public:
    explicit TBvPanel(TComponent* owner);
    ~TBvPanel() override;

    bool Movable() const { return movable_; }
    void SetMovable(bool value) { movable_ = value; }
    bool Sizeable() const { return sizeable_; }
    void SetSizeable(bool value);
    TColor HotColor() const { return hotColor_; }
    void SetHotColor(TColor value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool value);
    bool FlatBorder() const { return flatBorder_; }
    void SetFlatBorder(bool value);
    TColor FlatBorderColor() const { return flatBorderColor_; }
    void SetFlatBorderColor(TColor value);
    TBvArrangeSettings* ArrangeSettings() const { return arrangeSettings_.get(); }
    void SetArrangeSettings(const TBvArrangeSettings& value) { arrangeSettings_->Assign(value); }

    // Width and height with change events.
    void SetWidth(int value);
    void SetHeight(int value);

    // Places the children in rows by tab order (see TBvArrangeSettings).
    void ArrangeControls();
    int ArrangeLockCount = 0;

    TBvPanelMoveEvent OnBeforeMove;
    TNotifyEvent OnAfterMove;
    TNotifyEvent OnPaint;
    TBvPanelResizeParentEvent OnResizeParent;
    TBvPanelChangedSizeEvent OnChangedWidth;
    TBvPanelChangedSizeEvent OnChangedHeight;

    // Where the sizing grip reacts, and where the panel can be grabbed to move it.
    bool InSizingCorner(int x, int y) const;
    bool InMoveArea(int x, int y) const;

protected:
    void Paint() override;
    void MouseEnter(TControl* control) override;
    void MouseLeave(TControl* control) override;
    void TextChanged() override;
    void ParentColorChanged() override;
    bool EraseBackground(TCanvas* canvas, intptr_t param) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Loaded() override;
    void AlignControls(TControl* control) override;
    void Resize() override;

private:
    bool SeeThrough() const;
    void DrawSizeGrip(TCanvas* c);
    int BevelsWidth() const;

    bool movable_ = false;
    bool sizeable_ = false;
    TColor hotColor_ = clBtnFace;
    bool transparent_ = false;
    bool multiLine_ = false;
    bool flatBorder_ = false;
    TColor flatBorderColor_ = clBtnShadow;
    std::unique_ptr<TBvArrangeSettings> arrangeSettings_;
    TColor oldColor_ = clBtnFace;
    bool sizing_ = false;
    TPoint sizeStart_;
    bool moving_ = false;
    TPoint moveStart_;
    bool arranging_ = false;
    int arrangeWidth_ = 0;
    int arrangeHeight_ = 0;
};
