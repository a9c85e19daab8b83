// Panels, images, timers, the splitter base, scroll boxes, bevels and the hint window.
#pragma once

#include "Controls.h"
#include "StdCtrls.h"

#include <memory>

class TMainThreadTimer;

enum class TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
enum class TBorderStyle { bsNone, bsSingle };

class TCustomPanel : public TCustomControl {
    BV_CLASS_INFO()
public:
    explicit TCustomPanel(TComponent* owner);
    TPanelBevel BevelInner = TPanelBevel::bvNone;
    TPanelBevel BevelOuter = TPanelBevel::bvRaised;
    int BevelWidth = 1;
    int BorderWidth = 0;
    TBorderStyle BorderStyle = TBorderStyle::bsNone;
    TAlignment Alignment = TAlignment::taCenter;
    bool ParentBackground = false;
    TRect ClientRect() const override;

protected:
    void Paint() override;
};

class TPanel : public TCustomPanel {
    BV_CLASS_INFO()
public:
    using TCustomPanel::TCustomPanel;
};

class TBevel : public TGraphicControl {
    BV_CLASS_INFO()
public:
    explicit TBevel(TComponent* owner);

protected:
    void Paint() override;
};

// A box whose children scroll vertically when they need more room than it has; scrolling
// moves the children, as the framework does, so their positions stay client coordinates.
class TScrollBox : public TCustomControl {
    BV_CLASS_INFO()
public:
    explicit TScrollBox(TComponent* owner);
    TBorderStyle BorderStyle = TBorderStyle::bsSingle;
    bool AutoScroll = true;
    int Increment = 8;
    TRect ClientRect() const override;
    int VertPosition() const { return position_; }
    void SetVertPosition(int position);
    // The height of everything inside, measured from the top of the unscrolled content.
    int VertRange() const;
    bool VertScrollBarVisible() const { return barVisible_; }
    void ScrollInView(TControl* control);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool HandleMessage(TMessage& message) override;
    void AlignControls(TControl* control) override;
    void Paint() override;

private:
    void UpdateScrollBar();
    int Border() const { return BorderStyle == TBorderStyle::bsSingle ? 2 : 0; }
    int position_ = 0;
    bool barVisible_ = false;
    bool updating_ = false;
    class QScrollBar* bar_ = nullptr;
};

class TImage : public TGraphicControl {
    BV_CLASS_INFO()
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    TBitmap* Picture() const { return picture_.get(); }
    bool Stretch = false;
    bool Center = false;
    bool Transparent = false;

protected:
    void Paint() override;

private:
    std::unique_ptr<TBitmap> picture_;
};

// A timer on the GUI thread, fired while the application pumps.
class TTimer : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned value);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent event);

protected:
    virtual void Timer();

private:
    void Update();
    std::unique_ptr<TMainThreadTimer> timer_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
};

enum class TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
using TCanResizeEvent = std::function<void(TObject* sender, int& newSize, bool& accept)>;

// The splitter: dragging it resizes the control it sits against.
class TSplitter : public TGraphicControl {
    BV_CLASS_INFO()
public:
    explicit TSplitter(TComponent* owner);
    bool Beveled = false;
    int MinSize = 30;
    bool AutoSnap = true;
    TResizeStyle ResizeStyle = TResizeStyle::rsUpdate;
    TNotifyEvent OnMoved;
    TCanResizeEvent OnCanResize;
    // The neighbour the splitter resizes (found as the framework finds it).
    TControl* FindResizeControl() const;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TControl* control_ = nullptr;
    TPoint downPos_;
    int startSize_ = 0;
    bool dragging_ = false;
};

// The yellow box that shows a hint.
class THintWindow : public TCustomControl {
    BV_CLASS_INFO()
public:
    explicit THintWindow(TComponent* owner);
    virtual TRect CalcHintRect(int maxWidth, const std::string& hint);
    virtual void ActivateHint(TRect rect, const std::string& hint);
    void ReleaseHandle();

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void Paint() override;
};
