#include "Component.h"

#include <algorithm>

TClassInfo::TClassInfo(const char* name, const TClassInfo* parent, std::vector<TPropInfo> props,
                       const char* unitName)
    : name_(name), parent_(parent), props_(std::move(props)), unitName_(unitName) {}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        for (const auto& p : c->props_)
            if (SameText(p.Name, name))
                return &p;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const {
    std::vector<const TPropInfo*> result;
    if (parent_)
        result = parent_->AllProps();
    for (const auto& p : props_)
        result.push_back(&p);
    return result;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (c == &other)
            return true;
    return false;
}

bool TClassInfo::InheritsFrom(std::string_view className) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (SameText(c->name_, className))
            return true;
    return false;
}

const TClassInfo& TPersistent::StaticClassInfo() {
    static const TClassInfo info("TPersistent", nullptr, {}, "Classes");
    return info;
}

void TPersistent::Assign(const TPersistent& source) {
    throw EConvertError(Format("Cannot assign a %s to a %s", {source.ClassName(), ClassName()}));
}

const TClassInfo& TComponent::StaticClassInfo() {
    static const TClassInfo info(
        "TComponent", &TPersistent::StaticClassInfo(),
        {StrProp<TComponent>("Name", &TComponent::GetName, &TComponent::SetName)}, "Classes");
    return info;
}

TComponent::TComponent(TComponent* owner) {
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::Destroying() {
    if (notified_)
        return;
    notified_ = true;
    state_ |= csDestroying;
    // Everyone watching learns first, then the owned components go, as the framework orders it.
    while (!freeNotifies_.empty()) {
        TComponent* other = *freeNotifies_.begin();
        freeNotifies_.erase(freeNotifies_.begin());
        other->freeNotifies_.erase(this);
        other->Notification(this, TOperation::opRemove);
    }
    for (TComponent* c : components_)
        c->state_ |= csDestroying;
}

void TComponent::SetName(const std::string& name) {
    if (name == name_)
        return;
    if (owner_ && !name.empty()) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this)
            throw EComponentError(Format("A component named %s already exists", {name}));
    }
    name_ = name;
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return components_[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name))
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->owner_ == this)
        return;
    if (component->owner_)
        component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    NotifyOwned(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end())
        return;
    NotifyOwned(component, TOperation::opRemove);
    it = std::find(components_.begin(), components_.end(), component);
    if (it != components_.end())
        components_.erase(it);
    component->owner_ = nullptr;
}

void TComponent::NotifyOwned(TComponent* component, TOperation operation) {
    Notification(component, operation);
    // A copy: a notification may free or add components.
    auto others = components_;
    for (TComponent* c : others)
        if (c != component &&
            std::find(components_.begin(), components_.end(), c) != components_.end())
            c->Notification(component, operation);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        components_.pop_back();
        c->owner_ = nullptr;
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this)
        return;
    freeNotifies_.insert(other);
    other->freeNotifies_.insert(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other)
        return;
    freeNotifies_.erase(other);
    other->freeNotifies_.erase(this);
}

void TComponent::BeginLoading() {
    state_ |= csLoading;
    for (TComponent* c : components_)
        c->BeginLoading();
}

void TComponent::EndLoading() {
    for (TComponent* c : components_)
        c->EndLoading();
    if (state_ & csLoading) {
        state_ &= ~static_cast<uint32_t>(csLoading);
        Loaded();
    }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove)
        RemoveFreeNotification(component);
}

void TComponent::Loaded() {}
