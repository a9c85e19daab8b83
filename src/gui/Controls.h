// The control model: controls with a parent, bounds, alignment and a message procedure
// (WndProc, Perform, Dispatch) that a control can override and that others can replace
// through WindowProc. A windowed control is one QWidget; a graphic control paints on
// its parent's canvas and gets its mouse messages from its parent.
#pragma once

#include "Component.h"
#include "Graphics.h"
#include "Messages.h"
#include "Types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QEvent;
class TWinControl;
class TPopupMenu;
class TCustomForm;
class TDragObject;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;

enum TShiftStateFlag : uint16_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = uint16_t;
// The key data of key and character messages carries the shift state in its high bits
// (Alt $20000000, Ctrl $10000000, Shift $08000000); every sender and reader uses these two.
int ShiftStateToKeyData(TShiftState shift);
TShiftState KeyDataToShiftState(intptr_t keyData);
// The MK_ key flags of a mouse message as a shift state.
TShiftState KeysToShift(intptr_t keys);
// Whether key is the accelerator of caption: the character after a single "&", in any case.
bool IsAccel(uint32_t key, const std::string& caption);
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Control style members with the framework's numbering.
enum TControlStyleFlag : uint32_t {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csDesignInteractive = 1u << 2,
    csClickEvents = 1u << 3,
    csFramed = 1u << 4,
    csSetCaption = 1u << 5,
    csOpaque = 1u << 6,
    csDoubleClicks = 1u << 7,
    csFixedWidth = 1u << 8,
    csFixedHeight = 1u << 9,
    csNoDesignVisible = 1u << 10,
    csReplicatable = 1u << 11,
    csNoStdEvents = 1u << 12,
    csDisplayDragImage = 1u << 13,
    csReflector = 1u << 14,
    csActionClient = 1u << 15,
    csMenuEvents = 1u << 16,
    csNeedsBorderPaint = 1u << 17,
    csParentBackground = 1u << 18,
};
using TControlStyle = uint32_t;

enum TControlStateFlag : uint32_t {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csPalette = 1u << 2,
    csReadingState = 1u << 3,
    csAlignmentNeeded = 1u << 4,
    csFocusing = 1u << 5,
    csCreating = 1u << 6,
    csPaintCopy = 1u << 7,
    csCustomPaint = 1u << 8,
    csDestroyingHandle = 1u << 9,
};
using TControlState = uint32_t;

enum class TDragMode { dmManual, dmAutomatic };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum class TDragMessage {
    dmDragEnter,
    dmDragLeave,
    dmDragMove,
    dmDragDrop,
    dmDragCancel,
    dmFindTarget
};

using TNotifyEvent = std::function<void(TObject* sender)>;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char16_t& key)>;
using TDragOverEvent = std::function<void(TObject* sender, TObject* source, int x, int y,
                                          TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(TObject* sender, TObject* source, int x, int y)>;
using TStartDragEvent = std::function<void(TObject* sender, TDragObject*& dragObject)>;
using TEndDragEvent = std::function<void(TObject* sender, TObject* target, int x, int y)>;
using TContextPopupEvent = std::function<void(TObject* sender, TPoint mousePos, bool& handled)>;

// The hint record of CM_HINTSHOW.
struct THintInfo {
    class TControl* HintControl = nullptr;
    TPoint HintPos;
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect;
    TPoint CursorPos;
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    std::string HintStr;
};

// The drag record of CM_DRAG.
struct TDragRec {
    TPoint Pos;
    TDragObject* Source = nullptr;
    TControl* Target = nullptr;
    bool Docking = false;
};

class TDragObject : public TObject {
public:
    virtual ~TDragObject() = default;
    // The pictures shown under the pointer while this object is dragged; none by default.
    virtual TDragImageList* GetDragImages() { return nullptr; }
    TPoint DragPos;
    TControl* DragTarget = nullptr;
    TPoint DragTargetPos;
    bool Dropped = false;
    bool Cancelling = false;
};

class TDragControlObject : public TDragObject {
public:
    explicit TDragControlObject(TControl* control) : Control(control) {}
    // The control's drag images.
    TDragImageList* GetDragImages() override;
    TControl* Control;
};

// What a windowed control's window is made with; CreateParams fills it before each
// creation, and the window follows its style bits.
struct TCreateParams {
    std::string Caption;
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    TWinControl* WndParent = nullptr;
};

// A window hook that handles a message before the control keeps it from the control's own
// procedure; the input layer then keeps the Qt event it came from away from the widget's own
// handling too (a stock button's click, an edit's typing). The layer watches each message it
// sends for an event, and the hook registry notes the message it took.
class TMessageTakenWatch {
public:
    TMessageTakenWatch();
    ~TMessageTakenWatch();
    TMessageTakenWatch(const TMessageTakenWatch&) = delete;
    TMessageTakenWatch& operator=(const TMessageTakenWatch&) = delete;
    // Sends the message to the control, watching it; the control's result.
    intptr_t Perform(TControl* control, TMessage& message);
    intptr_t Perform(TControl* control, uint32_t msg, intptr_t wParam, intptr_t lParam);
    // Whether a hook took any of the messages sent through this watch.
    bool Taken() const { return taken_; }

private:
    friend void NoteMessageTakenByHook(const TMessage& message);
    TMessageTakenWatch* outer_;
    const TMessage* watched_ = nullptr;
    bool taken_ = false;
};
void NoteMessageTakenByHook(const TMessage& message);

class TBasicAction;
class TControlActionLink;

// Reading order of a control's or a menu's texts.
enum class TBiDiMode {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};
// The system's locale: MiddleEast when its script reads right to left (set at start-up).
struct TSysLocale {
    bool MiddleEast = false;
};
extern TSysLocale SysLocale;

class TControl : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // The message procedure: WindowProc starts as WndProc and may be replaced.
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& message);
    intptr_t Perform(uint32_t msg, intptr_t wParam, intptr_t lParam);
    intptr_t Perform(TMessage& message);
    // Hands the message to the handler for its number, else to DefaultHandler.
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    bool HasParent() const { return parent_ != nullptr; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int w) { SetWidth(width_ - ClientWidth() + w); }
    void SetClientHeight(int h) { SetHeight(height_ - ClientHeight() + h); }
    // The client area's top-left corner on the screen.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TFont* Font() const { return font_.get(); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);

    // Caption and Text are the same window text.
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& text) { SetText(text); }
    virtual std::string GetText() const { return text_; }
    virtual void SetText(const std::string& text);

    std::string Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // The help topic of the control; 0 for none (its parent's then counts).
    int HelpContext = 0;
    // With ParentBiDiMode (the default) the parent's mode counts, or the application's for a
    // control without a parent; setting a mode of its own clears ParentBiDiMode.
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    // Right-to-left alignment holds only on a right-to-left locale.
    bool UseRightToLeftAlignment() const;
    // Scales the bounds (and a font of its own) by m / d, as a change of screen resolution
    // would.
    virtual void ChangeScale(int m, int d);

    // The action the control shows and runs: its caption, hint, enabled state and the rest
    // follow the action, and a click without an OnClick of its own runs it.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* value);
    TControlActionLink* ActionLink() const { return actionLink_.get(); }

    TControlStyle ControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState ControlState = 0;

    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void BringToFront();
    virtual void SendToBack();

    // Drag model.
    TDragMode DragMode = TDragMode::dmManual;
    TCursor DragCursor = crDrag;
    void BeginDrag(bool immediate, int threshold = -1);
    // The pictures a drag from this control shows under the pointer; none by default.
    virtual TDragImageList* GetDragImages();
    bool Dragging() const;
    void EndDrag(bool drop);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TContextPopupEvent OnContextPopup;

    virtual void Click();
    virtual void DblClick();
    virtual void DragDrop(TObject* source, int x, int y);
    virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);

    // Which parent form holds the control (nullptr for none).
    TCustomForm* ParentForm() const;

protected:
    // The link SetAction makes; descendants that follow more of the action make their own.
    virtual std::unique_ptr<TControlActionLink> CreateActionLink();
    // Takes the action's properties; with checkDefaults only those still at their defaults.
    virtual void ActionChange(TObject* sender, bool checkDefaults);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Resize();
    virtual void DoStartDrag(TDragObject*& dragObject);

public:
    virtual void DoEndDrag(TObject* target, int x, int y);

protected:
    virtual void Changed();
    // Called by the parent when its size changed: anchors move or stretch the control.
    void AnchorToParent(int dw, int dh);
    virtual bool HandleMessage(TMessage& message);
    void Notification(TComponent* component, TOperation operation) override;

    // Message handlers (the framework's "message" methods).
    virtual void WMMouse(TMessage& message);
    virtual void CMHitTest(TMessage& message);
    virtual void CMMouseEnterLeave(TMessage& message);
    virtual void CMDrag(TMessage& message);
    virtual void WMContextMenu(TMessage& message);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string text_;

private:
    friend class TWinControl;
    TAlign align_ = TAlign::alNone;
    TAnchors anchors_ = akLeft | akTop;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TPopupMenu* popupMenu_ = nullptr;
    TCursor cursor_ = crDefault;
    std::unique_ptr<TControlActionLink> actionLink_;
    TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
    bool parentBiDiMode_ = true;
};

class TGraphicControl : public TControl {
    BV_CLASS_INFO()
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return canvas_; }

protected:
    virtual void Paint() {}
    bool HandleMessage(TMessage& message) override;
    // Valid only while painting: the parent's canvas, origin at the control's corner.
    TCanvas* canvas_ = nullptr;
};

class TWinControl : public TControl {
    BV_CLASS_INFO()
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The child at a client point: graphic controls first, as the framework looks.
    TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false) const;

    HWND Handle();
    bool HandleAllocated() const { return widget_ != nullptr; }
    // Makes the window again from a fresh CreateParams (a style bit changed); the control
    // keeps its items, text and selection. Nothing happens while there is no window.
    void RecreateWnd();
    // The style bits the window was made with.
    uint32_t WindowStyle() const { return windowStyle_; }
    uint32_t WindowExStyle() const { return windowExStyle_; }
    // The number owner-draw messages name the control by.
    uint32_t ControlId() const { return controlId_; }
    void HandleNeeded();
    QWidget* Widget();
    // Where child widgets go (a form keeps its menu bar outside it).
    virtual QWidget* ClientWidget();
    bool Showing() const override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetEnabled(bool value) override;
    TBrush* Brush() const { return brush_.get(); }
    bool DoubleBuffered = false;
    // Tab visits the windowed controls by TabOrder (equal values in the order they were
    // inserted), each container's children after it; only those with TabStop on.
    int TabOrder = 0;
    bool TabStop = false;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    virtual bool Focused() const;
    TPoint ClientOrigin() const override;
    // Every windowed control below this one, in tab order.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // The control after (or before) current in tab order; with checkTabStop only those with
    // TabStop on, with checkParent only this control's own children.
    TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                                 bool checkParent) const;
    // Moves the focus to the next control; true when one took it.
    bool SelectNext(TWinControl* current, bool forward, bool checkTabStop);
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void BringToFront() override;

    void DisableAlign() { ++alignDisabled_; }
    // Inside an alignment pass, or between DisableAlign and EnableAlign.
    bool AlignDisabled() const { return alignDisabled_ > 0; }
    void EnableAlign();
    void Realign() { AlignControls(nullptr); }
    // Scales the control and every child by m / d; a form keeps its place on the screen.
    void ScaleBy(int m, int d);
    void ChangeScale(int m, int d) override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Called from the widget: paints the control and its graphic children into canvas.
    void PaintTo(TCanvas& canvas);
    // Files dropped from other programs arrive as WM_DROPFILES only while this is on.
    void SetAcceptFiles(bool accept);
    bool AcceptFiles() const { return acceptFiles_; }
    // Turns a Qt event into the control's messages; true when the event is consumed.
    virtual bool QtEvent(QEvent* event);

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual QWidget* CreateWidget(QWidget* parent);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void AlignControls(TControl* control);
    virtual void PaintWindow(TCanvas& canvas);
    void PaintControls(TCanvas& canvas, TControl* first);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    bool IsMenuShortCut(uint16_t key, TShiftState shift);
    // Alt alone (pressed and released) and F10 select the form's menu bar.
    bool MenuBarKey(bool down, uint16_t key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char16_t& key);
    virtual void DoEnter();
    virtual void DoExit();
    bool HandleMessage(TMessage& message) override;
    void WndProc(TMessage& message) override;
    // Sends a mouse message to the graphic child under the point; true when one took it.
    bool IsControlMouseMsg(TMessage& message);
    // Reflects owner-draw and command notifications to the control they concern.
    bool DoControlMsg(TControl* control, TMessage& message);
    virtual void ApplyWidgetState();
    void CreateChildHandles();
    void TrackMouse(TControl* over);
    // Hands a message to each child in turn until one sets a result.
    void Broadcast(TMessage& message);

    std::vector<TControl*> controls_;
    QWidget* widget_ = nullptr;
    std::unique_ptr<TBrush> brush_;
    bool acceptFiles_ = false;
    TControl* mouseOver_ = nullptr;
    // What the wheel turned short of a whole line, kept for its next turn.
    int wheelRest_ = 0;
    // On while a key that the control's own text field uses (Ctrl+A, Ctrl+C, a typed
    // character, the caret keys) is delivered: the field takes it before any menu short cut.
    bool textKey_ = false;

private:
    friend class TControl;
    // Paints the parent alone (its window, not its graphic children) behind a control.
    friend void CopyParentImage(TControl* control, TCanvas* dest);
    // Lets go of the windows of the windowed children, deepest first, then of its own.
    void DestroyWindowTree();
    int alignDisabled_ = 0;
    bool creatingHandle_ = false;
    uint32_t windowStyle_ = 0;
    uint32_t windowExStyle_ = 0;
    uint32_t controlId_ = 0;
};

// A windowed control that paints itself on a canvas.
class TCustomControl : public TWinControl {
    BV_CLASS_INFO()
public:
    explicit TCustomControl(TComponent* owner);
    TCanvas* Canvas() const { return canvas_; }

protected:
    virtual void Paint() {}
    void PaintWindow(TCanvas& canvas) override;
    TCanvas* canvas_ = nullptr;
};

// The control that holds the mouse capture, when one does.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The control a drag runs for, when one runs.
TControl* DragSourceControl();
// Moves a running drag to a screen point and ends it there (drop) or cancels it.
void DragMoveTo(TPoint screenPos);
void CompleteDrag(bool drop);
// The control under a screen point on the visible forms.
TControl* FindDragTarget(TPoint screenPos, bool allowDisabled);
TControl* FindControl(HWND handle);
// Whether a control still exists (timers and posted work check before they touch one).
bool IsControlAlive(const TControl* control);
// The part of a hint before "|", and the part after it (the whole hint when there is none).
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);
TWinControl* FindControlById(uint32_t id);
bool IsChildOf(const TControl* child, const TControl* parent);
// While on, every windowed control's WM_PRINTCLIENT leaves the context's state as it found it.
void SetPrintClientKeepsState(bool value);
