// Forms, the application object, the screen, the mouse, system metrics and the
// window-less message windows (AllocateHWnd, PostMessage).
#pragma once

#include "Controls.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TMainMenu;
class TMenuItem;
class QWidget;

enum class TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;
// The help commands a help hook hears (the data is the topic's context number).
constexpr uint16_t HELP_CONTEXT = 1;
constexpr uint16_t HELP_CONTEXTPOPUP = 8;
// Answers a help request; callHelp (true on entry) false means no help system should follow.
using THelpEvent = std::function<bool(uint16_t command, intptr_t data, bool& callHelp)>;

enum TBorderIcon : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint8_t;

class TCustomForm : public TWinControl {
    BV_CLASS_INFO()
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    TPosition Position() const { return position_; }
    void SetPosition(TPosition p) { position_ = p; }
    TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;
    TFormStyle FormStyle = TFormStyle::fsNormal;
    // Which title-bar buttons the form asks for; biHelp makes help requests ask for a pop-up
    // topic.
    TBorderIcons BorderIcons = biSystemMenu | biMinimize | biMaximize;
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    // The bounds the window has when it is neither maximized nor minimized: while it is,
    // those it takes again when restored; otherwise BoundsRect.
    TRect NormalBoundsRect() const;
    bool KeyPreview = false;
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    TCanvas* Canvas() const { return canvas_; }

    // Runs the creation handler once the whole form is built (CreateForm calls it).
    void AfterConstruction();
    void Show();
    void Hide() { SetVisible(false); }
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages pending for it are handled.
    void Release();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    QWidget* ClientWidget() override;
    // The control of this form that has the keyboard focus, else the one that had it last.
    TWinControl* FocusedControl() const;
    // Called when a control of the form gets the focus: it becomes the active control and
    // every control hears of it (CM_FOCUSCHANGED).
    void FocusChanged(TWinControl* control);
    void SetBounds(int left, int top, int width, int height) override;
    bool QtEvent(QEvent* event) override;
    void RefreshMenuBar();
    // As high as the painter measures the bar's items; measured again after a menu change.
    int MenuBarHeight() const;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyWidgetState() override;
    bool HandleMessage(TMessage& message) override;
    void PaintWindow(TCanvas& canvas) override;
    virtual void DoClose(TCloseAction& action);
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TWinControl;
    void LayoutFrame();
    void PlaceOnShow();
    // Moves a window that would reach past the edges of the screen it opens on back onto it.
    void KeepOnScreen();
    TPosition position_ = TPosition::poDesigned;
    TWindowState windowState_ = TWindowState::wsNormal;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool created_ = false;
    TMainMenu* menu_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    TCanvas* canvas_ = nullptr;
    QWidget* client_ = nullptr;
    QWidget* menuBar_ = nullptr;
    mutable int menuBarHeight_ = -1;
};

class TForm : public TCustomForm {
    BV_CLASS_INFO()
public:
    using TCustomForm::TCustomForm;
};

class TApplication : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // Makes the Qt application when there is none and binds the dispatcher to its loop.
    void Initialize();
    template <class T> void CreateForm(T*& reference) {
        reference = new T(this);
        if (!mainForm_)
            mainForm_ = reference;
        reference->AfterConstruction();
    }
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Pumps the dispatcher and Qt's pending events; does nothing off the GUI thread.
    void ProcessMessages();
    void HandleMessage();

    std::string Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* form) { mainForm_ = form; }
    std::string Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    TColor HintColor = clInfoBk;
    int HintPause = 500;
    int HintHidePause = 2500;
    int HintShortPause = 50;
    bool ShowHint = true;
    std::string ExeName() const;
    void Minimize();
    void Restore();
    bool Minimized() const { return minimized_; }

    // The exception now being handled goes to OnException, or to the default error box.
    void HandleException(TObject* sender);
    void ShowException(const std::exception& e);
    int MessageBox(const std::string& text, const std::string& caption, int flags);

    // Help requests go to OnHelp; the platform has no help viewer of its own, so without a
    // hook (or one that leaves callHelp set) nothing more shows. True when the hook took it.
    bool HelpCommand(uint16_t command, intptr_t data);
    bool HelpContext(int context);
    THelpEvent OnHelp;
    // The reading order of controls and menus that follow their parents to the top.
    TBiDiMode BiDiMode = TBiDiMode::bdLeftToRight;

    // Hints: the control under the mouse; after HintPause its hint shows, after
    // HintHidePause it goes. ActivateHint shows the hint of a control at once.
    void HintMouseMessage(TControl* control);
    void ActivateHint(TControl* control, TPoint cursorPos);
    void CancelHint();
    class THintWindow* HintWindow() const {
        return hintWindow_;
    }

    TExceptionEvent OnException;
    TNotifyEvent OnHint;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::string title_;
    std::string hint_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool minimized_ = false;
    TControl* hintControl_ = nullptr;
    class THintWindow* hintWindow_ = nullptr;
    class QTimer* hintTimer_ = nullptr;
    class QTimer* hideTimer_ = nullptr;
};

class TScreen : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;
    int Width() const;
    int Height() const;
    // The part of the primary screen, and of the screen under a point, that windows may
    // cover (without the desktop's panels).
    TRect WorkAreaRect() const;
    TRect WorkAreaAt(TPoint point) const;
    // The screen's logical resolution (96 when there is no screen).
    int PixelsPerInch() const;
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const { return forms_.at(static_cast<size_t>(index)); }
    TCustomForm* ActiveForm() const;
    TWinControl* ActiveControl() const;
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // Cursor slots: the stock cursors and any the program adds under its own numbers.
    int Cursors(int index) const;
    void SetCursors(int index, int cursor);
    TFont* HintFont() const { return hintFont_.get(); }
    TFont* MenuFont() const { return menuFont_.get(); }
    TFont* IconFont() const { return iconFont_.get(); }
    std::vector<std::string> Fonts() const;
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);

private:
    std::vector<TCustomForm*> forms_;
    TCursor cursor_ = crDefault;
    std::vector<std::pair<int, int>> cursors_;
    std::unique_ptr<TFont> hintFont_, menuFont_, iconFont_;
};

// A cursor the program draws itself. Its number goes into a cursor slot (TScreen::SetCursors)
// as a stock cursor's does; the picture's pixels of the transparent colour are not shown.
struct TDrawnCursor {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels; // 0xAARRGGBB, row by row
    TPoint HotSpot;
};
// Copies the picture; the cursor lives until DestroyDrawnCursor. An empty picture gives 0.
int CreateDrawnCursor(const TBitmap& picture, TColor transparent, TPoint hotSpot);
void DestroyDrawnCursor(int cursor);
// The drawn cursor of that number; nullptr for a stock cursor, a slot or a destroyed one.
const TDrawnCursor* FindDrawnCursor(int cursor);

class TMouse {
public:
    // Where the pointer is on the screen; setting it moves the pointer.
    TPoint CursorPos() const;
    void SetCursorPos(TPoint pos);
    TControl* Capture() const { return GetCaptureControl(); }
    int DragThreshold = 5;
};

extern TApplication* Application;
extern TScreen* Screen;
extern TMouse* Mouse;
// Creates the global application, screen and mouse once (tests and the program call it first).
void InitGui();

// System metrics of the classic desktop, fixed so layouts are the same everywhere.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
constexpr int SM_CXMENUCHECK = 71;
constexpr int SM_CYMENUCHECK = 72;
int GetSystemMetrics(int index);

constexpr unsigned SPI_GETNONCLIENTMETRICS = 41;
constexpr unsigned SPI_GETFLATMENU = 0x1022;
constexpr unsigned SPI_GETWHEELSCROLLLINES = 0x0068;
// Answers what this platform knows: flat menus off, the lines a wheel notch scrolls; no
// non-client metrics (callers fall back).
bool SystemParametersInfo(unsigned action, unsigned param, void* value, unsigned winIni);

// A message window without a visible control; its messages go to method.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);
bool IsWindow(HWND window);
// Posts the message; it runs when the GUI thread pumps, unless the window is gone by then.
bool PostMessage(HWND window, uint32_t msg, intptr_t wParam, intptr_t lParam);
intptr_t SendMessage(HWND window, uint32_t msg, intptr_t wParam, intptr_t lParam);
TCustomForm* GetParentForm(TControl* control);
