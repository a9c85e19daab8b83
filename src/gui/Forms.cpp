#include "Forms.h"

#include "Dialogs.h"
#include "Dispatcher.h"
#include "ExtCtrls.h"
#include "Menus.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <unistd.h>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;

namespace {

QTimer* gDispatchTimer = nullptr;

// Runs what the dispatcher holds and re-arms the timer for its next due timer.
void PumpDispatcher() {
    CheckSynchronize();
    FireDueTimers();
    if (!gDispatchTimer)
        return;
    int ms = NextTimerDueMs();
    if (ms >= 0)
        gDispatchTimer->start(ms);
    else
        gDispatchTimer->stop();
}

class TBvUtilWindow : public TWinControl {
public:
    explicit TBvUtilWindow(TWndMethod method) : TWinControl(nullptr), method_(std::move(method)) {
        SetVisible(false);
    }
    void WndProc(TMessage& m) override {
        if (method_)
            method_(m);
    }

private:
    TWndMethod method_;
};

} // namespace

void InitGui() {
    if (!Application) {
        Application = new TApplication(nullptr);
        Screen = new TScreen(nullptr);
        Mouse = new TMouse;
    }
    Application->Initialize();
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
        return Screen ? Screen->Width() : 1024;
    case SM_CYSCREEN:
        return Screen ? Screen->Height() : 768;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 16;
    case SM_CYCAPTION:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 19;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    default:
        return 0;
    }
}

bool SystemParametersInfo(unsigned action, unsigned, void* value, unsigned) {
    if (action == SPI_GETFLATMENU) {
        if (value)
            *static_cast<int*>(value) = 0;
        return true;
    }
    return false;
}

HWND AllocateHWnd(TWndMethod method) {
    return new TBvUtilWindow(std::move(method));
}
void DeallocateHWnd(HWND window) {
    if (IsWindow(window))
        delete window;
}

bool PostMessage(HWND window, uint32_t msg, intptr_t wParam, intptr_t lParam) {
    if (!IsWindow(window))
        return false;
    Queue([window, msg, wParam, lParam] {
        if (IsWindow(window))
            window->Perform(msg, wParam, lParam);
    });
    return true;
}

intptr_t SendMessage(HWND window, uint32_t msg, intptr_t wParam, intptr_t lParam) {
    return IsWindow(window) ? window->Perform(msg, wParam, lParam) : 0;
}

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
    delete menuBar_;
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
    if (menu)
        menu->FreeNotification(this);
    if (HandleAllocated())
        RefreshMenuBar();
}

int TCustomForm::MenuBarHeight() const {
    return menu_ ? GetSystemMetrics(SM_CYMENU) + 1 : 0;
}

void TCustomForm::RefreshMenuBar() {
    if (!widget_)
        return;
    if (menu_ && !menuBar_)
        menuBar_ = CreateMenuBarWidget(this, widget_);
    if (menuBar_) {
        menuBar_->setVisible(menu_ != nullptr);
        menuBar_->update();
    }
    LayoutFrame();
    Realign();
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    activeControl_ = control;
    if (control && Visible() && control->CanFocus())
        control->SetFocus();
}

void TCustomForm::SetWindowState(TWindowState state) {
    windowState_ = state;
    if (!widget_)
        return;
    if (state == TWindowState::wsMinimized)
        widget_->showMinimized();
    else if (state == TWindowState::wsMaximized)
        widget_->showMaximized();
    else if (Visible())
        widget_->showNormal();
}

TRect TCustomForm::ClientRect() const {
    return Rect(0, 0, Width(), std::max(0, Height() - MenuBarHeight()));
}

QWidget* TCustomForm::ClientWidget() {
    HandleNeeded();
    return client_ ? client_ : widget_;
}

QWidget* TCustomForm::CreateWidget(QWidget* parent) {
    auto* frame = new QWidget(parent, parent ? Qt::Widget : Qt::Window);
    client_ = new TBvWidget(this, frame);
    if (menu_)
        menuBar_ = CreateMenuBarWidget(this, frame);
    return frame;
}

void TCustomForm::ApplyWidgetState() {
    TWinControl::ApplyWidgetState();
    if (!widget_)
        return;
    widget_->setWindowTitle(ToQ(GetText()));
    client_->setFont(Font()->ToQFont());
    client_->setMouseTracking(true);
    client_->setAcceptDrops(AcceptFiles());
    LayoutFrame();
    widget_->setVisible(Visible());
}

void TCustomForm::LayoutFrame() {
    if (!widget_)
        return;
    int bar = MenuBarHeight();
    if (menuBar_)
        menuBar_->setGeometry(0, 0, Width(), bar);
    if (client_)
        client_->setGeometry(0, bar, Width(), std::max(0, Height() - bar));
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
}

void TCustomForm::Show() {
    SetVisible(true);
    if (widget_)
        widget_->raise();
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || modal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    modal_ = true;
    modalResult_ = mrNone;
    Show();
    if (widget_)
        widget_->setWindowModality(Qt::ApplicationModal);
    TCloseAction action = TCloseAction::caHide;
    for (;;) {
        ::ProcessMessages();
        if (modalResult_ == mrNone && !(Application && Application->Terminated()))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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
    if (widget_)
        widget_->setWindowModality(Qt::NonModal);
    Hide();
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
    struct Reset {
        TCanvas*& c;
        ~Reset() { c = nullptr; }
    } reset{canvas_};
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
            widget_->setWindowTitle(ToQ(GetText()));
        return true;
    case CM_VISIBLECHANGED:
        if (Visible()) {
            HandleNeeded();
            PlaceOnShow();
            widget_->show();
            if (activeControl_ && activeControl_->CanFocus())
                activeControl_->SetFocus();
            if (OnShow)
                OnShow(this);
        } else {
            if (widget_)
                widget_->hide();
            if (OnHide)
                OnHide(this);
        }
        return true;
    case WM_CLOSE:
        Close();
        return true;
    case WM_COMMAND:
        // Menu commands carry no control.
        if (m.LParam == 0 && menu_ && menu_->DispatchCommand(static_cast<uint16_t>(m.WParam))) {
            m.Result = 0;
            return true;
        }
        return TWinControl::HandleMessage(m);
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

bool TCustomForm::QtEvent(QEvent* event) {
    if (event->type() == QEvent::Close) {
        // The window's own close button asks the form, which decides.
        event->ignore();
        Close();
        return true;
    }
    if (event->type() == QEvent::WindowActivate) {
        if (OnActivate)
            OnActivate(this);
        return false;
    }
    if (event->type() == QEvent::WindowDeactivate) {
        if (OnDeactivate)
            OnDeactivate(this);
        return false;
    }
    return TWinControl::QtEvent(event);
}

// ---------------------------------------------------------------- TApplication

const TClassInfo& TApplication::StaticClassInfo() {
    static const TClassInfo info("TApplication", &TComponent::StaticClassInfo(), {}, "Forms");
    return info;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}
TApplication::~TApplication() {
    Destroying();
    DestroyComponents();
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == mainForm_)
        mainForm_ = nullptr;
}

void TApplication::Initialize() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char arg0[] = "brisvane";
        static char* argv[] = {arg0, nullptr};
        new QApplication(argc, argv);
    }
    SetMainThread();
    if (!gDispatchTimer) {
        gDispatchTimer = new QTimer;
        gDispatchTimer->setSingleShot(true);
        QObject::connect(gDispatchTimer, &QTimer::timeout, [] { PumpDispatcher(); });
    }
    SetWakeMainThread([] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { PumpDispatcher(); }, Qt::QueuedConnection);
    });
    SetProcessMessagesHook([] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    SetApplicationExceptionHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (...) {
            if (Application)
                Application->HandleException(nullptr);
        }
    });
}

void TApplication::ProcessMessages() {
    ::ProcessMessages();
}

void TApplication::HintMouseMessage(TControl* control) {
    if (control == hintControl_)
        return;
    CancelHint();
    hintControl_ = control;
    SetHint(control ? GetLongHint(control->Hint()) : std::string());
    if (!control || !ShowHint || !control->ShowHint() || control->Hint().empty() ||
        !QCoreApplication::instance())
        return;
    if (!hintTimer_) {
        hintTimer_ = new QTimer;
        hintTimer_->setSingleShot(true);
        QObject::connect(hintTimer_, &QTimer::timeout, [this] {
            if (hintControl_ && IsControlAlive(hintControl_) && Mouse)
                GuardedCall(hintControl_, [this] { ActivateHint(hintControl_, Mouse->CursorPos); });
        });
    }
    hintTimer_->start(HintPause);
}

void TApplication::ActivateHint(TControl* control, TPoint cursorPos) {
    if (!control || !IsControlAlive(control) || control->Hint().empty())
        return;
    THintInfo info;
    info.HintControl = control;
    info.HintPos = {cursorPos.X, cursorPos.Y + 20};
    info.HintMaxWidth = Screen ? Screen->Width() : 1024;
    info.HintColor = HintColor;
    info.CursorPos = control->ScreenToClient(cursorPos);
    info.CursorRect = control->ClientRect();
    info.HideTimeout = HintHidePause;
    info.HintStr = GetShortHint(control->Hint());
    // A control may refuse its hint or change its text, colour and place.
    if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<intptr_t>(&info)) != 0 ||
        info.HintStr.empty())
        return;
    if (!hintWindow_)
        hintWindow_ = new THintWindow(this);
    hintWindow_->SetColor(info.HintColor);
    TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr);
    OffsetRect(r, info.HintPos.X, info.HintPos.Y);
    hintWindow_->ActivateHint(r, info.HintStr);
    if (!hideTimer_) {
        hideTimer_ = new QTimer;
        hideTimer_->setSingleShot(true);
        QObject::connect(hideTimer_, &QTimer::timeout, [this] {
            if (hintWindow_)
                hintWindow_->ReleaseHandle();
        });
    }
    if (info.HideTimeout > 0)
        hideTimer_->start(info.HideTimeout);
}

void TApplication::CancelHint() {
    if (hintTimer_)
        hintTimer_->stop();
    if (hideTimer_)
        hideTimer_->stop();
    if (hintWindow_)
        hintWindow_->ReleaseHandle();
    hintControl_ = nullptr;
}

void TApplication::HandleMessage() {
    ::ProcessMessages();
    if (!terminated_)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::Run() {
    if (mainForm_)
        mainForm_->Show();
    while (!terminated_ && mainForm_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::Terminate() {
    terminated_ = true;
}

void TApplication::SetHint(const std::string& hint) {
    if (hint == hint_)
        return;
    hint_ = hint;
    if (OnHint)
        OnHint(this);
}

std::string TApplication::ExeName() const {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

void TApplication::Minimize() {
    minimized_ = true;
    if (mainForm_ && mainForm_->HandleAllocated())
        mainForm_->Widget()->showMinimized();
    if (OnMinimize)
        OnMinimize(this);
}

void TApplication::Restore() {
    minimized_ = false;
    if (mainForm_ && mainForm_->HandleAllocated() && mainForm_->Visible())
        mainForm_->Widget()->showNormal();
    if (OnRestore)
        OnRestore(this);
}

void TApplication::HandleException(TObject* sender) {
    std::exception_ptr error = std::current_exception();
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        // A silent exception ends the work without a box.
    } catch (const std::exception& e) {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (...) {
    }
}

void TApplication::ShowException(const std::exception& e) {
    std::string msg;
    if (auto* ex = dynamic_cast<const Exception*>(&e))
        msg = ex->Message();
    else
        msg = e.what();
    if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.')
        msg += '.';
    MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, int flags) {
    return ShowMessageBox(text, caption, flags);
}

// ---------------------------------------------------------------- TScreen

const TClassInfo& TScreen::StaticClassInfo() {
    static const TClassInfo info("TScreen", &TComponent::StaticClassInfo(), {}, "Forms");
    return info;
}

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), hintFont_(std::make_unique<TFont>()), menuFont_(std::make_unique<TFont>()),
      iconFont_(std::make_unique<TFont>()) {
    hintFont_->SetColor(clInfoText);
    menuFont_->SetColor(clMenuText);
}
TScreen::~TScreen() {
    Destroying();
}

int TScreen::Width() const {
    if (auto* s = QGuiApplication::primaryScreen())
        return s->geometry().width();
    return 1024;
}
int TScreen::Height() const {
    if (auto* s = QGuiApplication::primaryScreen())
        return s->geometry().height();
    return 768;
}

TCustomForm* TScreen::ActiveForm() const {
    QWidget* w = QApplication::activeWindow();
    for (TCustomForm* f : forms_)
        if (f->HandleAllocated() && f->Widget() == w)
            return f;
    return nullptr;
}

TWinControl* TScreen::ActiveControl() const {
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return nullptr;
    if (auto* bw = dynamic_cast<TBvWidget*>(w))
        return bw->Control;
    for (QObject* child : w->children())
        if (auto* filter = dynamic_cast<TBvEventFilter*>(child))
            return filter->Control;
    return nullptr;
}

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    if (!QGuiApplication::instance())
        return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (cursor == crHourGlass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (cursor != crDefault)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
}

int TScreen::Cursors(int index) const {
    for (const auto& [slot, cursor] : cursors_)
        if (slot == index)
            return cursor;
    return index;
}

void TScreen::SetCursors(int index, int cursor) {
    for (auto& entry : cursors_)
        if (entry.first == index) {
            entry.second = cursor;
            return;
        }
    cursors_.push_back({index, cursor});
}

std::vector<std::string> TScreen::Fonts() const {
    std::vector<std::string> out;
    for (const QString& f : QFontDatabase::families())
        out.push_back(FromQ(f));
    return out;
}

void TScreen::AddForm(TCustomForm* form) {
    forms_.push_back(form);
}
void TScreen::RemoveForm(TCustomForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}
