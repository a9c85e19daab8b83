#include "ActnList.h"

#include "Graphics.h"

#include <algorithm>

// ---- basic action ----

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
    Destroying();
    // The links outlive the action: each forgets it and tells its client.
    while (!clients_.empty()) {
        TBasicActionLink* link = clients_.back();
        link->SetAction(nullptr);
    }
}

bool TBasicAction::Execute() {
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

void TBasicAction::SetActionComponent(TComponent* value) {
    if (actionComponent_ == value)
        return;
    if (actionComponent_)
        actionComponent_->RemoveFreeNotification(this);
    actionComponent_ = value;
    if (value)
        value->FreeNotification(this);
}

void TBasicAction::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == actionComponent_)
        actionComponent_ = nullptr;
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
    if (std::find(clients_.begin(), clients_.end(), link) == clients_.end())
        clients_.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), link), clients_.end());
}

void TBasicAction::Change() {
    if (OnChange)
        OnChange(this);
}

void TBasicAction::ChangeClients() {
    // A client may let go of the action while it takes the action's properties again.
    std::vector<TBasicActionLink*> clients = clients_;
    for (TBasicActionLink* link : clients)
        if (std::find(clients_.begin(), clients_.end(), link) != clients_.end())
            link->Change();
}

// ---- custom action ----

TCustomAction::TCustomAction(TComponent* owner) : TBasicAction(owner) {}

TCustomAction::~TCustomAction() {
    // Controls watching the action let go of it first, so no link hears of a dying action.
    Destroying();
    SetActionList(nullptr);
}

namespace {
template <class F> void ForEachLink(const std::vector<TBasicActionLink*>& clients, F f) {
    std::vector<TBasicActionLink*> copy = clients;
    for (TBasicActionLink* link : copy)
        f(link);
}
} // namespace

void TCustomAction::SetCaption(const std::string& value) {
    if (value == caption_)
        return;
    ForEachLink(Clients(), [&](TBasicActionLink* l) { l->SetCaption(value); });
    caption_ = value;
    Change();
}

void TCustomAction::SetHint(const std::string& value) {
    if (value == hint_)
        return;
    ForEachLink(Clients(), [&](TBasicActionLink* l) { l->SetHint(value); });
    hint_ = value;
    Change();
}

void TCustomAction::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    ForEachLink(Clients(), [&](TBasicActionLink* l) { l->SetEnabled(value); });
    enabled_ = value;
    Change();
}

void TCustomAction::SetChecked(bool value) {
    if (value == checked_ || checking_)
        return;
    checking_ = true;
    try {
        ForEachLink(Clients(), [&](TBasicActionLink* l) { l->SetChecked(value); });
        checked_ = value;
        if (value && groupIndex_ > 0 && actionList_)
            for (int i = 0; i < actionList_->ActionCount(); ++i) {
                TCustomAction* other = actionList_->Actions(i);
                if (other != this && other->groupIndex_ == groupIndex_)
                    other->SetChecked(false);
            }
    } catch (...) {
        checking_ = false;
        throw;
    }
    checking_ = false;
    Change();
}

void TCustomAction::SetGroupIndex(int value) {
    if (value == groupIndex_)
        return;
    ForEachLink(Clients(), [&](TBasicActionLink* l) { l->SetGroupIndex(value); });
    groupIndex_ = value;
    // A checked action joining a group leaves it with only one checked member.
    if (checked_ && value > 0 && actionList_)
        for (int i = 0; i < actionList_->ActionCount(); ++i) {
            TCustomAction* other = actionList_->Actions(i);
            if (other != this && other->groupIndex_ == value)
                other->SetChecked(false);
        }
    Change();
}

void TCustomAction::SetImageIndex(int value) {
    if (value == imageIndex_)
        return;
    ForEachLink(Clients(), [&](TBasicActionLink* l) { l->SetImageIndex(value); });
    imageIndex_ = value;
    Change();
}

void TCustomAction::SetHelpContext(int value) {
    if (value == helpContext_)
        return;
    ForEachLink(Clients(), [&](TBasicActionLink* l) { l->SetHelpContext(value); });
    helpContext_ = value;
    Change();
}

void TCustomAction::SetVisible(bool value) {
    if (value == visible_)
        return;
    ForEachLink(Clients(), [&](TBasicActionLink* l) { l->SetVisible(value); });
    visible_ = value;
    Change();
}

void TCustomAction::SetActionList(TCustomActionList* value) {
    if (value == actionList_)
        return;
    if (actionList_)
        actionList_->RemoveAction(this);
    if (value)
        value->AddAction(this);
    if (!IsDestroying()) {
        // The pictures of the controls come from the list's images.
        ChangeClients();
        Change();
    }
}

int TCustomAction::Index() const {
    return actionList_ ? actionList_->IndexOf(this) : -1;
}

bool TCustomAction::Execute() {
    if (!enabled_)
        return false;
    if (AutoCheck)
        SetChecked(!checked_);
    return TBasicAction::Execute();
}

// ---- action list ----

TCustomActionList::TCustomActionList(TComponent* owner) : TComponent(owner) {}

TCustomActionList::~TCustomActionList() {
    Destroying();
    SetImages(nullptr);
    while (!actions_.empty())
        actions_.back()->SetActionList(nullptr);
}

TCustomAction* TCustomActionList::Actions(int index) const {
    if (index < 0 || index >= ActionCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return actions_[static_cast<size_t>(index)];
}

int TCustomActionList::IndexOf(const TCustomAction* action) const {
    auto it = std::find(actions_.begin(), actions_.end(), action);
    return it == actions_.end() ? -1 : static_cast<int>(it - actions_.begin());
}

void TCustomActionList::AddAction(TCustomAction* action) {
    actions_.push_back(action);
    action->actionList_ = this;
    action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TCustomAction* action) {
    actions_.erase(std::remove(actions_.begin(), actions_.end(), action), actions_.end());
    action->actionList_ = nullptr;
    action->RemoveFreeNotification(this);
}

void TCustomActionList::SetImages(TCustomImageList* value) {
    if (value == images_)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = value;
    if (value)
        value->FreeNotification(this);
    // The controls of the actions take their pictures from the list: tell them.
    std::vector<TCustomAction*> actions = actions_;
    for (TCustomAction* a : actions)
        if (!a->IsDestroying()) {
            a->ChangeClients();
            a->Change();
        }
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == images_)
        SetImages(nullptr);
    else if (auto* action = dynamic_cast<TCustomAction*>(component); action && IndexOf(action) >= 0)
        RemoveAction(action);
}

// ---- links ----

TBasicActionLink::~TBasicActionLink() {
    if (action_)
        action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
    if (value == action_)
        return;
    if (action_)
        action_->UnRegisterChanges(this);
    action_ = value;
    if (value)
        value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* component) {
    if (!action_)
        return false;
    action_->SetActionComponent(component);
    try {
        bool result = action_->Execute();
        if (action_)
            action_->SetActionComponent(nullptr);
        return result;
    } catch (...) {
        if (action_)
            action_->SetActionComponent(nullptr);
        throw;
    }
}

void TBasicActionLink::Change() {
    if (OnChange)
        OnChange(action_);
}

TCustomAction* TActionLink::CustomAction() const {
    return dynamic_cast<TCustomAction*>(Action());
}

bool TControlActionLink::IsCaptionLinked() const {
    return TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}
bool TControlActionLink::IsHintLinked() const {
    return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}
bool TControlActionLink::IsEnabledLinked() const {
    return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}
bool TControlActionLink::IsHelpContextLinked() const {
    return TActionLink::IsHelpContextLinked() &&
           client_->HelpContext == CustomAction()->HelpContext();
}
bool TControlActionLink::IsVisibleLinked() const {
    return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}

void TControlActionLink::SetCaption(const std::string& value) {
    if (IsCaptionLinked())
        client_->SetCaption(value);
}
void TControlActionLink::SetHint(const std::string& value) {
    if (IsHintLinked())
        client_->SetHint(value);
}
void TControlActionLink::SetEnabled(bool value) {
    if (IsEnabledLinked())
        client_->SetEnabled(value);
}
void TControlActionLink::SetHelpContext(int value) {
    if (IsHelpContextLinked())
        client_->HelpContext = value;
}
void TControlActionLink::SetVisible(bool value) {
    if (IsVisibleLinked())
        client_->SetVisible(value);
}

// ---- class tables ----

const TClassInfo& TBasicAction::StaticClassInfo() {
    static const TClassInfo info("TBasicAction", &TComponent::StaticClassInfo(), {}, "Classes");
    return info;
}
const TClassInfo& TCustomAction::StaticClassInfo() {
    static const TClassInfo info(
        "TCustomAction", &TBasicAction::StaticClassInfo(),
        {StrProp<TCustomAction>("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption),
         StrProp<TCustomAction>("Hint", &TCustomAction::Hint, &TCustomAction::SetHint)},
        "ActnList");
    return info;
}
const TClassInfo& TAction::StaticClassInfo() {
    static const TClassInfo info("TAction", &TCustomAction::StaticClassInfo(), {}, "ActnList");
    return info;
}
const TClassInfo& TCustomActionList::StaticClassInfo() {
    static const TClassInfo info("TCustomActionList", &TComponent::StaticClassInfo(), {},
                                 "ActnList");
    return info;
}
const TClassInfo& TActionList::StaticClassInfo() {
    static const TClassInfo info("TActionList", &TCustomActionList::StaticClassInfo(), {},
                                 "ActnList");
    return info;
}
