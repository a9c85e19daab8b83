#include "Forms.h"

#include "Dispatcher.h"
#include "Menus.h"
#include "ScopeExit.h"
#include "qt/WidgetBinding.h"

#include <algorithm>

TCustomForm* GetParentForm(TControl* control) {
    return control ? control->ParentForm() : nullptr;
}

// ---------------------------------------------------------------- TCustomForm

const TClassInfo& TCustomForm::StaticClassInfo() {
    static const TClassInfo info("TCustomForm", &TWinControl::StaticClassInfo(), {}, "Forms");
    return info;
}
const TClassInfo& TForm::StaticClassInfo() {
    static const TClassInfo info("TForm", &TCustomForm::StaticClassInfo(), {}, "Forms");
    return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    if (Screen)
        Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (created_ && OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            if (Application)
                Application->HandleException(this);
        }
    }
    Destroying();
    // The menu bar paints from the form; it goes first.
    BvQt::DeleteWidget(menuBar_);
    menuBar_ = nullptr;
    if (Screen)
        Screen->RemoveForm(this);
    if (Application && Application->MainForm() == this)
        Application->SetMainForm(nullptr);
    modalResult_ = mrCancel;
}

void TCustomForm::AfterConstruction() {
    if (created_)
        return;
    created_ = true;
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        if (component == menu_) {
            menu_ = nullptr;
            menuBarHeight_ = -1;
            if (HandleAllocated())
                RefreshMenuBar();
        }
        if (component == activeControl_)
            activeControl_ = nullptr;
    }
}

void TCustomForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_)
        return;
    if (menu_)
        menu_->RemoveFreeNotification(this);
    menu_ = menu;
    menuBarHeight_ = -1;
    if (menu)
        menu->FreeNotification(this);
    if (HandleAllocated())
        RefreshMenuBar();
    else
        // No window yet, but the client area already gained or lost the bar's height.
        Realign();
}

int TCustomForm::MenuBarHeight() const {
    if (!menu_)
        return 0;
    if (menuBarHeight_ < 0)
        menuBarHeight_ = MeasureMenuBar(const_cast<TCustomForm*>(this));
    return menuBarHeight_;
}

void TCustomForm::RefreshMenuBar() {
    menuBarHeight_ = -1;
    if (!widget_)
        return;
    if (menu_ && !menuBar_)
        menuBar_ = CreateMenuBarWidget(this, widget_);
    if (menuBar_) {
        BvQt::SetVisible(menuBar_, menu_ != nullptr);
        BvQt::Invalidate(menuBar_);
    }
    LayoutFrame();
    Realign();
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (activeControl_ && activeControl_ != control)
        activeControl_->RemoveFreeNotification(this);
    activeControl_ = control;
    if (control)
        control->FreeNotification(this);
    if (control && Visible() && control->CanFocus())
        control->SetFocus();
}

void TCustomForm::SetWindowState(TWindowState state) {
    windowState_ = state;
    if (!widget_)
        return;
    if (state == TWindowState::wsMinimized)
        BvQt::ShowMinimized(widget_);
    else if (state == TWindowState::wsMaximized)
        BvQt::ShowMaximized(widget_);
    else if (Visible())
        BvQt::ShowNormal(widget_);
}

TRect TCustomForm::NormalBoundsRect() const {
    if (widget_) {
        const TRect restored = BvQt::RestoredWindowBounds(widget_);
        if (!IsRectEmpty(restored))
            return restored;
    }
    return BoundsRect();
}

TPoint TCustomForm::ClientOrigin() const {
    if (widget_)
        return TWinControl::ClientOrigin();
    // Not on screen yet: the client area starts below the menu bar.
    return {Left(), Top() + MenuBarHeight()};
}

TWinControl* TCustomForm::FocusedControl() const {
    TWinControl* focused = BvQt::HasApplication() ? BvQt::FocusedControl() : nullptr;
    if (focused && IsChildOf(focused, this))
        return focused;
    return activeControl_;
}

void TCustomForm::FocusChanged(TWinControl* control) {
    if (control == this || !control)
        return;
    if (control != activeControl_) {
        if (activeControl_)
            activeControl_->RemoveFreeNotification(this);
        activeControl_ = control;
        control->FreeNotification(this);
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<intptr_t>(control));
}

TRect TCustomForm::ClientRect() const {
    return Rect(0, 0, Width(), std::max(0, Height() - MenuBarHeight()));
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    LayoutFrame();
}

void TCustomForm::PlaceOnShow() {
    int sw = Screen ? Screen->Width() : 1024, sh = Screen ? Screen->Height() : 768;
    TCustomForm* center = nullptr;
    switch (position_) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter:
        SetBounds((sw - Width()) / 2, (sh - Height()) / 2, Width(), Height());
        break;
    case TPosition::poMainFormCenter:
        center = Application ? Application->MainForm() : nullptr;
        break;
    case TPosition::poOwnerFormCenter:
        center = dynamic_cast<TCustomForm*>(Owner());
        break;
    default:
        break;
    }
    if (center && center != this)
        SetBounds(center->Left() + (center->Width() - Width()) / 2,
                  center->Top() + (center->Height() - Height()) / 2, Width(), Height());
    else if (!center && (position_ == TPosition::poMainFormCenter ||
                         position_ == TPosition::poOwnerFormCenter))
        SetBounds((sw - Width()) / 2, (sh - Height()) / 2, Width(), Height());
    KeepOnScreen();
}

void TCustomForm::KeepOnScreen() {
    if (Parent() || !BvQt::HasApplication())
        return;
    // The screen that holds the window's middle, or the nearest one Qt knows; the frame the
    // window system draws around it counts as part of the window.
    const TRect area = BvQt::ScreenWorkArea({Left() + Width() / 2, Top() + Height() / 2});
    const TRect frame = widget_ ? BvQt::WindowFrameMargins(widget_) : TRect{};
    const int outerWidth = Width() + frame.Left + frame.Right;
    const int outerHeight = Height() + frame.Top + frame.Bottom;
    // A window larger than the screen keeps its top-left corner (its caption and menu) on it.
    const int left = std::max(area.Left, std::min(Left(), area.Right - outerWidth));
    const int top = std::max(area.Top, std::min(Top(), area.Bottom - outerHeight));
    if (left != Left() || top != Top())
        SetBounds(left, top, Width(), Height());
}

void TCustomForm::Show() {
    SetVisible(true);
    if (widget_)
        BvQt::Raise(widget_);
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || modal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    modal_ = true;
    modalResult_ = mrNone;
    // A modal window takes the mouse from whatever held it (a press or drag in progress).
    SetCaptureControl(nullptr);
    // Qt takes a window's modality only when it is shown.
    HandleNeeded();
    BvQt::SetApplicationModal(widget_, true);
    Show();
    TCloseAction action = TCloseAction::caHide;
    for (;;) {
        ::ProcessMessages();
        if (modalResult_ == mrNone && !(Application && Application->Terminated()))
            BvQt::WaitForEvents();
        if (Application && Application->Terminated())
            modalResult_ = mrCancel;
        if (modalResult_ == mrNone)
            continue;
        // Closing asks the form; a refusal or caNone keeps it open.
        if (!CloseQuery()) {
            modalResult_ = mrNone;
            continue;
        }
        action = TCloseAction::caHide;
        DoClose(action);
        if (action == TCloseAction::caNone) {
            modalResult_ = mrNone;
            continue;
        }
        break;
    }
    TModalResult result = modalResult_;
    modal_ = false;
    Hide();
    if (widget_)
        BvQt::SetApplicationModal(widget_, false);
    if (action == TCloseAction::caFree)
        Release();
    return result;
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose)
        OnClose(this, action);
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone)
        return;
    // Closing the main form ends the application that made it.
    TApplication* app = dynamic_cast<TApplication*>(Owner());
    if (!app)
        app = Application;
    if (app && app->MainForm() == this) {
        app->Terminate();
        Hide();
        return;
    }
    if (action == TCloseAction::caHide)
        Hide();
    else if (action == TCloseAction::caMinimize)
        SetWindowState(TWindowState::wsMinimized);
    else if (action == TCloseAction::caFree)
        Release();
}

void TCustomForm::Release() {
    PostMessage(this, CM_RELEASE, 0, 0);
}

void TCustomForm::PaintWindow(TCanvas& canvas) {
    if (!OnPaint)
        return;
    TCanvas own;
    own.AttachTo(&canvas);
    own.SetFont(*Font());
    own.Brush()->SetColor(Color());
    canvas_ = &own;
    TScopeExit reset([&c = canvas_] { c = nullptr; });
    OnPaint(this);
}

bool TCustomForm::HandleMessage(TMessage& m) {
    switch (m.Msg) {
    case CM_RELEASE:
        delete this;
        return true;
    case WM_SETTEXT:
        TWinControl::HandleMessage(m);
        if (widget_)
            BvQt::SetWindowTitle(widget_, GetText());
        return true;
    case CM_VISIBLECHANGED:
        if (Visible()) {
            HandleNeeded();
            PlaceOnShow();
            BvQt::SetVisible(widget_, true);
            if (activeControl_ && activeControl_->CanFocus())
                activeControl_->SetFocus();
            if (OnShow)
                OnShow(this);
            // Shown, the window may know its frame, and its show handler may have sized it
            // anew: frame and all lie on the screen.
            KeepOnScreen();
        } else {
            if (widget_)
                BvQt::SetVisible(widget_, false);
            if (OnHide)
                OnHide(this);
        }
        return true;
    case WM_CLOSE:
        Close();
        return true;
    case CM_DIALOGKEY: {
        // Tab walks the form in tab order; the arrows walk the focused control's siblings.
        TShiftState shift = KeyDataToShiftState(m.LParam);
        if (!(shift & ssAlt)) {
            TWinControl* focused = FocusedControl();
            if (m.WParam == VK_TAB && !(shift & ssCtrl)) {
                SelectNext(focused, !(shift & ssShift), true);
                m.Result = 1;
                return true;
            }
            bool arrow = m.WParam == VK_LEFT || m.WParam == VK_RIGHT || m.WParam == VK_UP ||
                         m.WParam == VK_DOWN;
            if (arrow) {
                if (focused && focused != this && focused->Parent()) {
                    focused->Parent()->SelectNext(
                        focused, m.WParam == VK_RIGHT || m.WParam == VK_DOWN, false);
                    m.Result = 1;
                }
                return true;
            }
        }
        return TWinControl::HandleMessage(m);
    }
    case WM_COMMAND:
        // Menu commands carry no control.
        if (m.LParam == 0 && menu_ && menu_->DispatchCommand(static_cast<uint16_t>(m.WParam))) {
            m.Result = 0;
            return true;
        }
        return TWinControl::HandleMessage(m);
    case WM_SYSCOMMAND:
        if ((static_cast<intptr_t>(m.WParam) & 0xFFF0) == SC_KEYMENU && menu_ && widget_) {
            EnterMenuBar(this, static_cast<char16_t>(m.LParam));
            m.Result = 0;
            return true;
        }
        return TWinControl::HandleMessage(m);
    case WM_MENUCHAR:
        if (menu_)
            menu_->ProcessMenuChar(m);
        return true;
    case WM_INITMENUPOPUP:
        if (menu_)
            menu_->DispatchPopup(reinterpret_cast<TMenuItem*>(m.WParam));
        return true;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
        if (dis && dis->CtlType == ODT_MENU && menu_) {
            if (TMenuItem* item = menu_->FindItem(dis->itemID, TFindItemKind::fkCommand)) {
                DefaultDrawMenuItem(item, dis);
                m.Result = 1;
                return true;
            }
        }
        return TWinControl::HandleMessage(m);
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
        if (mis && mis->CtlType == ODT_MENU && menu_) {
            if (TMenuItem* item = menu_->FindItem(mis->itemID, TFindItemKind::fkCommand)) {
                DefaultMeasureMenuItem(item, mis);
                m.Result = 1;
                return true;
            }
        }
        return TWinControl::HandleMessage(m);
    }
    default:
        return TWinControl::HandleMessage(m);
    }
}
