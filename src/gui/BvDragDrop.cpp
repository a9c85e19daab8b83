#include "BvDragDrop.h"

#include "ShellAPI.h"

#include <vector>

const TClassInfo& TBvDragDrop::StaticClassInfo() {
    static const TClassInfo info("TBvDragDrop", &TComponent::StaticClassInfo(), {}, "BvDragDrop");
    return info;
}

TBvDragDrop::TBvDragDrop(TComponent* owner)
    : TComponent(owner), files_(std::make_unique<TStringList>()) {}

TBvDragDrop::~TBvDragDrop() {
    Destroying();
    if (dropTarget_ && hooked_)
        UnRegisterWndProcHook(dropTarget_, {this, &TBvDragDrop::WndProcHook},
                              TBvHookOrder::hoBeforeMsg);
    if (dropTarget_ && !dropTarget_->IsDestroying())
        DragAcceptFiles(dropTarget_, false);
}

void TBvDragDrop::SetAcceptDrag(bool value) {
    if (IsLoading()) {
        acceptDrag_ = value;
        return;
    }
    acceptDrag_ = value;
    if (value != accepting_)
        ApplyAccept(value);
}

void TBvDragDrop::ApplyAccept(bool value) {
    accepting_ = value;
    if (!dropTarget_ || IsDesigning() || dropTarget_->IsDestroying())
        return;
    DragAcceptFiles(dropTarget_, value);
    TBvHookMethod hook(this, &TBvDragDrop::WndProcHook);
    if (value && !hooked_)
        hooked_ = RegisterWndProcHook(dropTarget_, hook, TBvHookOrder::hoBeforeMsg);
    else if (!value && hooked_) {
        UnRegisterWndProcHook(dropTarget_, hook, TBvHookOrder::hoBeforeMsg);
        hooked_ = false;
    }
}

void TBvDragDrop::Loaded() {
    TComponent::Loaded();
    if (acceptDrag_ != accepting_)
        ApplyAccept(acceptDrag_);
}

void TBvDragDrop::SetDropTarget(TWinControl* target) {
    if (target == dropTarget_)
        return;
    if (IsLoading()) {
        dropTarget_ = target;
        if (target)
            target->FreeNotification(this);
        return;
    }
    if (accepting_)
        ApplyAccept(false);
    if (dropTarget_)
        dropTarget_->RemoveFreeNotification(this);
    dropTarget_ = target;
    if (target)
        target->FreeNotification(this);
    // What the new target takes is what AcceptDrag says, not what the old one took: a
    // component made in code has accepted nothing yet when its target is set.
    if (acceptDrag_)
        ApplyAccept(true);
}

void TBvDragDrop::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == dropTarget_) {
        dropTarget_ = nullptr;
        hooked_ = false;
    }
}

bool TBvDragDrop::WndProcHook(TMessage& msg) {
    if (msg.Msg != WM_DROPFILES)
        return false;
    auto drop = reinterpret_cast<HDROP>(msg.WParam);
    // The drop handle is released whatever the handler does.
    struct Finish {
        HDROP d;
        ~Finish() { DragFinish(d); }
    } finish{drop};
    files_->Clear();
    unsigned count = DragQueryFile(drop, kDragQueryFileCount, nullptr, 0);
    std::vector<char> name(260);
    for (unsigned i = 0; i < count; ++i) {
        unsigned len = DragQueryFile(drop, i, nullptr, 0);
        if (len + 1 > name.size())
            name.resize(len + 1);
        DragQueryFile(drop, i, name.data(), static_cast<unsigned>(name.size()));
        files_->Add(std::string(name.data(), len));
    }
    if (OnDrop) {
        TPoint pos;
        DragQueryPoint(drop, &pos);
        OnDrop(this, pos, files_.get());
    }
    return true;
}
