// Data contexts: named alternative views a provider offers over its items, in lists that may
// nest under a parent context.
#pragma once

#include "BvDataProvider.h"

#include <string>
#include <vector>

class TBvBaseDataContext;

class TBvBaseDataContexts : public TExtensibleInterfacedPersistent, public IBvDataContexts {
    BV_CLASS_INFO()
public:
    TBvBaseDataContexts(IBvDataProvider* provider, IBvDataContext* parentContext);

    TIntf<IBvDataProvider> Provider() override { return TIntf<IBvDataProvider>(provider_); }
    TIntf<IBvDataContext> ParentContext() override { return TIntf<IBvDataContext>(parent_); }
    int Count() override = 0;
    TIntf<IBvDataContext> GetContext(int index) override = 0;
    TIntf<IBvDataContext> GetContextByName(const std::string& name) override;
    int IndexOf(IBvDataContext* context) override;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;

private:
    // Not counted: the provider (or the parent context) owns this list.
    IBvDataProvider* provider_;
    IBvDataContext* parent_;
};

class TBvDataContexts : public TBvBaseDataContexts {
    BV_CLASS_INFO()
public:
    using TBvBaseDataContexts::TBvBaseDataContexts;

    // Raises EBvDataContexts for a name already in the list (without regard to case) and for a
    // name holding "\" or "/".
    void Add(IBvDataContext* context);
    // A context that cannot be deleted stays, without error.
    void Delete(int index);
    void Remove(IBvDataContext* context);
    // Every deletable context goes, with the notices a deletion sends.
    void Clear();
    int Count() override { return static_cast<int>(contexts_.size()); }
    TIntf<IBvDataContext> GetContext(int index) override;

protected:
    void BeforeDestruction() override;

private:
    std::vector<TIntf<IBvDataContext>> contexts_;
};

class TBvBaseDataContext : public TExtensibleInterfacedPersistent, public IBvDataContext {
    BV_CLASS_INFO()
public:
    // Raises EBvDataContexts "Cannot create a context without a context list owner".
    TBvBaseDataContext(TBvBaseDataContexts* contexts, const std::string& name);

    void* ImplementingObject() override { return this; }
    TIntf<IBvDataContexts> Contexts() override;
    std::string Name() override { return GetName(); }
    bool CanDelete() override { return true; }

    // Raises EBvDataContexts when the list holds another context of that name.
    virtual void SetName(const std::string& value);
    virtual std::string GetName() const = 0;
    // The list it belonged to has gone.
    void DetachFromContexts() { contexts_ = nullptr; }

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;
    virtual void DoSetName(const std::string& value) = 0;

private:
    TBvBaseDataContexts* contexts_; // not counted: the list holds the context
};

class TBvDataContext : public TBvBaseDataContext {
    BV_CLASS_INFO()
public:
    TBvDataContext(TBvBaseDataContexts* contexts, const std::string& name);
    std::string GetName() const override { return name_; }

protected:
    void DoSetName(const std::string& value) override { name_ = value; }

private:
    std::string name_;
};

class TBvManagedDataContext : public TBvDataContext, public IBvManagedDataContext {
    BV_CLASS_INFO()
public:
    using TBvDataContext::TBvDataContext;
    void SetName(const std::string& value) override { TBvDataContext::SetName(value); }

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;
};

class TBvFixedDataContext : public TBvDataContext {
    BV_CLASS_INFO()
public:
    using TBvDataContext::TBvDataContext;
    bool CanDelete() override { return false; }
};

// Raises EBvDataContexts for a name a path lookup would split.
void CheckContextName(const std::string& name);
