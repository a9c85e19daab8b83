// Components with an owner, a name and free notification, and the explicit
// class and property tables that stand in for run-time type information.
#pragma once

#include "SysUtils.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class TPersistent;
class TComponent;
class TStrings;
struct TTypeInfo;

// The type kinds with the framework's numbering.
enum class TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkArray,
    tkRecord,
    tkInterface,
    tkInt64,
    tkDynArray
};

// One published property: how to read and write it without knowing the class.
struct TPropInfo {
    std::string Name;
    TTypeKind Kind = TTypeKind::tkUnknown;
    const TTypeInfo* Type = nullptr; // enumeration or set type, when one
    std::function<int64_t(const TPersistent&)> GetOrd;
    std::function<void(TPersistent&, int64_t)> SetOrd;
    std::function<std::string(const TPersistent&)> GetStr;
    std::function<void(TPersistent&, const std::string&)> SetStr;
    std::function<TPersistent*(const TPersistent&)> GetObj;
    // A string list property (the framework's lists are not persistent objects here).
    std::function<TStrings*(const TPersistent&)> GetStrings;
    bool Writable() const { return SetOrd || SetStr || GetObj || GetStrings; }
};

class TClassInfo {
public:
    TClassInfo(const char* name, const TClassInfo* parent, std::vector<TPropInfo> props = {},
               const char* unitName = "");
    const char* Name() const { return name_; }
    const char* UnitName() const { return unitName_; }
    const TClassInfo* Parent() const { return parent_; }
    // The properties this class declares itself, in declaration order.
    const std::vector<TPropInfo>& OwnProps() const { return props_; }
    // Looks a property up by name without regard to case, walking the parents.
    const TPropInfo* FindProp(std::string_view name) const;
    // Every property, inherited ones first.
    std::vector<const TPropInfo*> AllProps() const;
    bool InheritsFrom(const TClassInfo& other) const;
    // By class name without regard to case.
    bool InheritsFrom(std::string_view className) const;

private:
    const char* name_;
    const TClassInfo* parent_;
    std::vector<TPropInfo> props_;
    const char* unitName_;
};

// Declares the class table accessors of a persistent class.
#define BV_CLASS_INFO()                                                                            \
public:                                                                                            \
    static const TClassInfo& StaticClassInfo();                                                    \
    const TClassInfo& ClassInfo() const override {                                                 \
        return StaticClassInfo();                                                                  \
    }

class TPersistent : public TObject {
public:
    static const TClassInfo& StaticClassInfo();
    virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
    std::string ClassName() const { return ClassInfo().Name(); }
    bool InheritsFrom(const TClassInfo& info) const { return ClassInfo().InheritsFrom(info); }
    virtual void Assign(const TPersistent& source);
};

// Raises EConvertError when value lies outside the enumeration's range.
void CheckOrdinalInRange(const TTypeInfo* type, int64_t value);
// The record of the Boolean type: an enumeration of False and True.
const TTypeInfo* BooleanTypeInfo();

// Property helpers for class tables.
template <class C, class V>
TPropInfo IntProp(const char* name, V (C::*get)() const, void (C::*set)(V)) {
    TPropInfo p;
    p.Name = name;
    p.Kind = TTypeKind::tkInteger;
    p.GetOrd = [get](const TPersistent& o) {
        return static_cast<int64_t>((static_cast<const C&>(o).*get)());
    };
    if (set)
        p.SetOrd = [set](TPersistent& o, int64_t v) {
            (static_cast<C&>(o).*set)(static_cast<V>(v));
        };
    return p;
}

// An ordinal property read and written through functions (for fields and conversions).
inline TPropInfo OrdProp(const char* name, TTypeKind kind, const TTypeInfo* type,
                         std::function<int64_t(const TPersistent&)> get,
                         std::function<void(TPersistent&, int64_t)> set) {
    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    p.Type = type;
    p.GetOrd = std::move(get);
    p.SetOrd = std::move(set);
    return p;
}

// A Boolean is an enumeration; any stored value other than 0 reads as True.
template <class C>
TPropInfo BoolProp(const char* name, bool (C::*get)() const, void (C::*set)(bool)) {
    return OrdProp(
        name, TTypeKind::tkEnumeration, BooleanTypeInfo(),
        [get](const TPersistent& o) { return int64_t{(static_cast<const C&>(o).*get)()}; },
        set ? std::function<void(TPersistent&, int64_t)>(
                  [set](TPersistent& o, int64_t v) { (static_cast<C&>(o).*set)(v != 0); })
            : nullptr);
}

// An enumeration property. A value outside the type's range is refused (EConvertError):
// an enum must never hold a value that names no member.
template <class C, class E>
TPropInfo EnumProp(const char* name, const TTypeInfo* type, E (C::*get)() const,
                   void (C::*set)(E)) {
    return OrdProp(
        name, TTypeKind::tkEnumeration, type,
        [get](const TPersistent& o) {
            return static_cast<int64_t>((static_cast<const C&>(o).*get)());
        },
        set ? std::function<void(TPersistent&, int64_t)>([set, type](TPersistent& o, int64_t v) {
            CheckOrdinalInRange(type, v);
            (static_cast<C&>(o).*set)(static_cast<E>(v));
        })
            : nullptr);
}

// A set property: one bit per member of the set type's element type.
template <class C, class S>
TPropInfo SetProp(const char* name, const TTypeInfo* setType, S (C::*get)() const,
                  void (C::*set)(S)) {
    return OrdProp(
        name, TTypeKind::tkSet, setType,
        [get](const TPersistent& o) {
            return static_cast<int64_t>((static_cast<const C&>(o).*get)());
        },
        set ? std::function<void(TPersistent&, int64_t)>([set](TPersistent& o, int64_t v) {
            (static_cast<C&>(o).*set)(static_cast<S>(v));
        })
            : nullptr);
}

template <class C>
TPropInfo StrProp(const char* name, std::string (C::*get)() const,
                  void (C::*set)(const std::string&)) {
    TPropInfo p;
    p.Name = name;
    p.Kind = TTypeKind::tkLString;
    p.GetStr = [get](const TPersistent& o) { return (static_cast<const C&>(o).*get)(); };
    if (set)
        p.SetStr = [set](TPersistent& o, const std::string& v) { (static_cast<C&>(o).*set)(v); };
    return p;
}

// An object property; its object is changed in place (the framework's setters assign).
template <class C, class T> TPropInfo ObjProp(const char* name, T* (C::*get)() const) {
    TPropInfo p;
    p.Name = name;
    p.Kind = TTypeKind::tkClass;
    p.GetObj = [get](const TPersistent& o) -> TPersistent* {
        return (static_cast<const C&>(o).*get)();
    };
    return p;
}

template <class C> TPropInfo StringsProp(const char* name, TStrings* (C::*get)() const) {
    TPropInfo p;
    p.Name = name;
    p.Kind = TTypeKind::tkClass;
    p.GetStrings = [get](const TPersistent& o) { return (static_cast<const C&>(o).*get)(); };
    return p;
}

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
    csLoading = 1,
    csReading = 2,
    csWriting = 4,
    csDestroying = 8,
    csDesigning = 16,
};

class TComponent : public TPersistent {
    BV_CLASS_INFO()
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    std::string GetName() const { return name_; }
    virtual void SetName(const std::string& name);
    TComponent* Owner() const { return owner_; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    // Finds an owned component by name without regard to case.
    TComponent* FindComponent(std::string_view name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    // The component is told through Notification(opRemove) when other goes away.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    uint32_t ComponentState() const { return state_; }
    bool IsDestroying() const { return (state_ & csDestroying) != 0; }
    bool IsLoading() const { return (state_ & csLoading) != 0; }
    bool IsDesigning() const { return (state_ & csDesigning) != 0; }
    // Code that builds a window marks it loading and ends with Loaded, as a stored window would.
    void BeginLoading();
    void EndLoading();

    int Tag = 0;

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void Loaded();
    // Marks the component destroying and tells everyone watching it; runs once, as early as
    // the most derived destructor that owns resources can call it.
    void Destroying();

private:
    void NotifyOwned(TComponent* component, TOperation operation);
    std::string name_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::set<TComponent*> freeNotifies_;
    uint32_t state_ = 0;
    bool notified_ = false;
};

BV_DECLARE_EXCEPTION(EComponentError, Exception);
