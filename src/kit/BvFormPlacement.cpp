#include "BvFormPlacement.h"

#include <algorithm>

// ---- min/max info ----

const TClassInfo& TBvWinMinMaxInfo::StaticClassInfo() {
    static const TClassInfo info("TBvWinMinMaxInfo", &TPersistent::StaticClassInfo(), {},
                                 "BvFormPlacement");
    return info;
}

bool TBvWinMinMaxInfo::DefaultMinMaxInfo() const {
    return std::all_of(std::begin(v_), std::end(v_), [](int v) { return v == 0; });
}

void TBvWinMinMaxInfo::Set(int index, int value) {
    if (v_[index] == value)
        return;
    v_[index] = value;
    if (owner_)
        owner_->MinMaxInfoChanged();
}

void TBvWinMinMaxInfo::Assign(const TPersistent& source) {
    auto* o = dynamic_cast<const TBvWinMinMaxInfo*>(&source);
    if (!o) {
        TPersistent::Assign(source);
        return;
    }
    std::copy(std::begin(o->v_), std::end(o->v_), std::begin(v_));
    if (owner_)
        owner_->MinMaxInfoChanged();
}

// ---- layout links ----

const TClassInfo& TBvIniLink::StaticClassInfo() {
    static const TClassInfo info("TBvIniLink", &TPersistent::StaticClassInfo(), {},
                                 "BvFormPlacement");
    return info;
}

TBvIniLink::~TBvIniLink() {
    OnSave = nullptr;
    OnLoad = nullptr;
    SetStorage(nullptr);
}

void TBvIniLink::SetStorage(TBvFormPlacement* value) {
    if (value == storage_)
        return;
    if (storage_) {
        auto& links = storage_->links_;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
    }
    storage_ = value;
    if (storage_)
        storage_->links_.push_back(this);
}

void TBvIniLink::SaveSettings() {
    if (OnSave)
        OnSave(this);
}

void TBvIniLink::LoadSettings() {
    if (OnLoad)
        OnLoad(this);
}

// ---- the placement ----

// The placement's own handlers in the form's slots; telling them apart from anyone else's is
// what lets the placement put the previous ones back only when they are still its own.
struct TBvFormPlacement::TChain {
    TBvFormPlacement* placement;
    void operator()(TObject* sender) const { placement->Show(sender); }
};

namespace {

struct TCloseQueryChain {
    TBvFormPlacement* placement;
    std::function<void(TObject*, bool&)> call;
    void operator()(TObject* sender, bool& canClose) const { call(sender, canClose); }
};

struct TDestroyChain {
    TBvFormPlacement* placement;
    std::function<void(TObject*)> call;
    void operator()(TObject* sender) const { call(sender); }
};

} // namespace

const TClassInfo& TBvFormPlacement::StaticClassInfo() {
    static const TClassInfo info("TBvFormPlacement", &TComponent::StaticClassInfo(), {},
                                 "BvFormPlacement");
    return info;
}

TBvFormPlacement::TBvFormPlacement(TComponent* owner) : TComponent(owner) {
    if (Form())
        Options = fpState | fpSize | fpLocation;
}

TBvFormPlacement::~TBvFormPlacement() {
    Destroying();
    while (!links_.empty())
        links_.back()->SetStorage(nullptr);
    if (!IsDesigning())
        Unchain();
}

void TBvFormPlacement::Unchain() {
    TCustomForm* form = Form();
    // A form on its way out takes its handlers and hooks with it.
    if (!form || form->IsDestroying())
        return;
    if (hooked_)
        UnRegisterWndProcHook(form, TBvHookMethod(this, &TBvFormPlacement::HookAfter),
                              TBvHookOrder::hoAfterMsg);
    hooked_ = false;
    if (!chained_)
        return;
    // Someone who replaced a handler after the placement keeps it.
    if (auto* c = form->OnShow.target<TChain>(); c && c->placement == this)
        form->OnShow = prevShow_;
    if (auto* c = form->OnCloseQuery.target<TCloseQueryChain>(); c && c->placement == this)
        form->OnCloseQuery = prevCloseQuery_;
    if (auto* c = form->OnDestroy.target<TDestroyChain>(); c && c->placement == this)
        form->OnDestroy = prevDestroy_;
    chained_ = false;
}

void TBvFormPlacement::ChainFormHandlers() {
    TCustomForm* form = Form();
    if (!form || chained_ || IsDesigning())
        return;
    prevShow_ = form->OnShow;
    prevCloseQuery_ = form->OnCloseQuery;
    prevDestroy_ = form->OnDestroy;
    form->OnShow = TChain{this};
    form->OnCloseQuery = TCloseQueryChain{
        this, [this](TObject* sender, bool& canClose) { CloseQuery(sender, canClose); }};
    form->OnDestroy = TDestroyChain{this, [this](TObject* sender) { Destroy(sender); }};
    chained_ = true;
    UpdateHook();
}

void TBvFormPlacement::Loaded() {
    TComponent::Loaded();
    if (!IsDesigning())
        ChainFormHandlers();
}

void TBvFormPlacement::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == storage_)
        storage_ = nullptr;
}

void TBvFormPlacement::SetAppStorage(TBvCustomAppStorage* value) {
    if (value == storage_)
        return;
    if (storage_)
        RemoveFreeNotification(storage_);
    storage_ = value;
    if (storage_)
        FreeNotification(storage_);
}

std::string TBvFormPlacement::ResolvedStoragePath() const {
    std::string path = path_;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    TCustomForm* form = Form();
    if (form && !IsDesigning()) {
        int at = Pos("%FORM_NAME%", UpperCase(path));
        if (at > 0)
            path.replace(static_cast<size_t>(at - 1), 11, form->Name());
    }
    return path;
}

std::string TBvFormPlacement::Section() const {
    std::string path = ResolvedStoragePath();
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

void TBvFormPlacement::SetPreventResize(bool value) {
    if (!Form() || value == preventResize_)
        return;
    preventResize_ = value;
    UpdatePlacement();
    UpdateHook();
}

void TBvFormPlacement::MinMaxInfoChanged() {
    UpdatePlacement();
    if (!IsLoading())
        UpdateHook();
}

void TBvFormPlacement::UpdateHook() {
    TCustomForm* form = Form();
    if (!form || !chained_ || form->IsDestroying())
        return;
    bool want = !minMax_.DefaultMinMaxInfo() || preventResize_;
    TBvHookMethod hook(this, &TBvFormPlacement::HookAfter);
    if (want && !hooked_)
        hooked_ = RegisterWndProcHook(form, hook, TBvHookOrder::hoAfterMsg);
    else if (!want && hooked_) {
        UnRegisterWndProcHook(form, hook, TBvHookOrder::hoAfterMsg);
        hooked_ = false;
    }
}

void TBvFormPlacement::UpdatePlacement() {
    TCustomForm* form = Form();
    if (!form || IsLoading() || preventResize_ || !minMax_.DefaultMinMaxInfo())
        return;
    // Where a maximized window goes: its border just off the screen's edge.
    int cx = 0, cy = 0;
    switch (form->BorderStyle) {
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow:
        cx = GetSystemMetrics(SM_CXBORDER);
        cy = GetSystemMetrics(SM_CYBORDER);
        break;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin:
        cx = GetSystemMetrics(SM_CXFRAME);
        cy = GetSystemMetrics(SM_CYFRAME);
        break;
    case TFormBorderStyle::bsDialog:
        cx = GetSystemMetrics(SM_CXDLGFRAME);
        cy = GetSystemMetrics(SM_CYDLGFRAME);
        break;
    default:
        break;
    }
    maxPosition_ = {-cx, -cy};
}

bool TBvFormPlacement::HookAfter(TMessage& message) {
    TCustomForm* form = Form();
    if (!form)
        return false;
    if (message.Msg == WM_GETMINMAXINFO && message.LParam) {
        auto* info = reinterpret_cast<TMinMaxInfo*>(message.LParam);
        if (preventResize_) {
            if (form->Visible()) {
                info->MinTrackSize = {form->Width(), form->Height()};
                info->MaxTrackSize = {form->Width(), form->Height()};
            }
        } else {
            const TBvWinMinMaxInfo& m = minMax_;
            auto take = [](int& field, int value) {
                if (value != 0)
                    field = value;
            };
            take(info->MinTrackSize.X, m.MinTrackWidth());
            take(info->MinTrackSize.Y, m.MinTrackHeight());
            take(info->MaxTrackSize.X, m.MaxTrackWidth());
            take(info->MaxTrackSize.Y, m.MaxTrackHeight());
            take(info->MaxSize.X, m.MaxSizeWidth());
            take(info->MaxSize.Y, m.MaxSizeHeight());
            take(info->MaxPosition.X, m.MaxPosLeft());
            take(info->MaxPosition.Y, m.MaxPosTop());
            if (m.DefaultMinMaxInfo())
                info->MaxPosition = {0, 0};
        }
        message.Result = 1;
    } else if (preventResize_ && message.Msg == WM_NCHITTEST) {
        // The border codes left to bottom-right: no edge can be dragged.
        if (message.Result >= 10 && message.Result <= 17)
            message.Result = 0;
    } else if (preventResize_ && message.Msg == WM_INITMENUPOPUP) {
        message.Result = 1;
    }
    return false;
}

void TBvFormPlacement::DoSavePlacement() {
    if (OnSavePlacement)
        OnSavePlacement(this);
}

void TBvFormPlacement::DoRestorePlacement() {
    if (OnRestorePlacement)
        OnRestorePlacement(this);
}

void TBvFormPlacement::SaveFormPlacement() {
    TCustomForm* form = Form();
    if (form && storage_) {
        if (Options != fpActiveControl)
            WriteWindowPlacement(form, storage_, Section(), Options);
        if ((Options & fpActiveControl) && form->ActiveControl())
            storage_->WriteString(ResolvedStoragePath() + "ActiveControl",
                                  form->ActiveControl()->Name());
    }
    auto links = links_;
    for (TBvIniLink* link : links)
        link->SaveSettings();
}

void TBvFormPlacement::RestoreFormPlacement() {
    TCustomForm* form = Form();
    if (form && storage_)
        ReadWindowPlacement(form, storage_, Section(), Options);
    auto links = links_;
    for (TBvIniLink* link : links)
        link->LoadSettings();
}

void TBvFormPlacement::SavePlacement() {
    if (!storage_)
        return;
    storage_->WriteInteger(ResolvedStoragePath() +
                               storage_->TranslatePropertyName(this, "FormVersion", false),
                           Version);
    DoSavePlacement();
    SaveFormPlacement();
    saved_ = true;
}

void TBvFormPlacement::RestorePlacement() {
    if (!storage_)
        return;
    saved_ = false;
    shownOrRestored_ = true;
    int stored = storage_->ReadInteger(
        ResolvedStoragePath() + storage_->TranslatePropertyName(this, "FormVersion", true), 0);
    bool use = VersionCheck == TBvFormPlacementVersionCheck::fpvcNocheck ||
               (VersionCheck == TBvFormPlacementVersionCheck::fpvcCheckGreaterEqual &&
                stored >= Version) ||
               (VersionCheck == TBvFormPlacementVersionCheck::fpvcCheckEqual && stored == Version);
    if (use) {
        RestoreFormPlacement();
        DoRestorePlacement();
        TCustomForm* form = Form();
        if (form && (Options & fpActiveControl)) {
            std::string name = storage_->ReadString(ResolvedStoragePath() + "ActiveControl", "");
            auto* control = dynamic_cast<TWinControl*>(form->FindComponent(name));
            if (control && control->CanFocus())
                form->SetActiveControl(control);
        }
    }
    UpdatePlacement();
}

void TBvFormPlacement::Show(TObject* sender) {
    shownOrRestored_ = true;
    if (Active && storage_) {
        try {
            RestorePlacement();
        } catch (...) {
            if (Application)
                Application->HandleException(this);
        }
    }
    if (prevShow_)
        prevShow_(sender);
}

void TBvFormPlacement::CloseQuery(TObject* sender, bool& canClose) {
    if (prevCloseQuery_)
        prevCloseQuery_(sender, canClose);
    TCustomForm* form = Form();
    if (canClose && Active && storage_ && form && form->HandleAllocated()) {
        try {
            SavePlacement();
        } catch (...) {
            if (Application)
                Application->HandleException(this);
        }
    }
}

void TBvFormPlacement::Destroy(TObject* sender) {
    // A form that was never shown or restored has nothing of its own to save, and saving its
    // built-in placement would overwrite the one stored.
    if (Active && storage_ && !saved_ && shownOrRestored_) {
        try {
            SavePlacement();
        } catch (...) {
            if (Application)
                Application->HandleException(this);
        }
    }
    if (prevDestroy_)
        prevDestroy_(sender);
}
