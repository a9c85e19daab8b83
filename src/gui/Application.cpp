// The application object: the main form, the run loop, exceptions and hints.
#include "Forms.h"

#include "Dialogs.h"
#include "Dispatcher.h"
#include "ExtCtrls.h"
#include "qt/WidgetBinding.h"

#include <malloc.h>
#include <unistd.h>

TApplication* Application = nullptr;

namespace {

// Blocks this large are always mapped on their own. The allocator would otherwise raise its
// threshold to the size of every large block freed, and from then on serve large blocks from
// its heap, where a block that grows (a long memo's text, a long list's rows) is copied whole
// into a new place: one such copy of tens of megabytes stops the window for a long moment. A
// mapped block grows where it stands.
constexpr int MappedBlockBytes = 4 << 20;

} // namespace

void InitGui() {
#ifdef M_MMAP_THRESHOLD
    static const bool tuned = [] {
        ::mallopt(M_MMAP_THRESHOLD, MappedBlockBytes);
        return true;
    }();
    (void)tuned;
#endif
    if (!Application) {
        Application = new TApplication(nullptr);
        Screen = new TScreen(nullptr);
        Mouse = new TMouse;
    }
    Application->Initialize();
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
        !BvQt::HasApplication())
        return;
    BvQt::StartSingleShot(hintTimer_, HintPause, [this] {
        if (hintControl_ && IsControlAlive(hintControl_) && Mouse)
            GuardedCall(hintControl_, [this] { ActivateHint(hintControl_, Mouse->CursorPos()); });
    });
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
    if (info.HideTimeout > 0)
        BvQt::StartSingleShot(hideTimer_, info.HideTimeout, [this] {
            if (hintWindow_)
                hintWindow_->ReleaseHandle();
        });
}

void TApplication::CancelHint() {
    BvQt::StopTimer(hintTimer_);
    BvQt::StopTimer(hideTimer_);
    if (hintWindow_)
        hintWindow_->ReleaseHandle();
    hintControl_ = nullptr;
}

void TApplication::HandleMessage() {
    ::ProcessMessages();
    if (!terminated_)
        BvQt::WaitForEvents();
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

bool TApplication::HelpCommand(uint16_t command, intptr_t data) {
    if (!OnHelp)
        return false;
    bool callHelp = true;
    return OnHelp(command, data, callHelp);
}

bool TApplication::HelpContext(int context) {
    return HelpCommand(HELP_CONTEXT, context);
}

std::string TApplication::ExeName() const {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

void TApplication::Minimize() {
    minimized_ = true;
    if (mainForm_ && mainForm_->HandleAllocated())
        BvQt::ShowMinimized(mainForm_->Widget());
    if (OnMinimize)
        OnMinimize(this);
}

void TApplication::Restore() {
    minimized_ = false;
    if (mainForm_ && mainForm_->HandleAllocated() && mainForm_->Visible())
        BvQt::ShowNormal(mainForm_->Widget());
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
        // Only the program's own failures are shown; anything else has no text to show.
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
