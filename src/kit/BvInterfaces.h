// Interfaces with identities and an intrusive count, the way the component kit's data
// providers talk to one another: every interface answers QueryInterface for the others an
// object offers, and counted references keep the object that answered alive.
#pragma once

#include "RtSysUtils.h"

#include <cstdint>
#include <string>
#include <utility>

// A GUID constant from its registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", checked
// when the constant is built.
constexpr TGUID GUIDConst(const char* text) {
    TGUID g{};
    int pos = 1;
    auto hex = [&](int digits) {
        uint32_t v = 0;
        for (int i = 0; i < digits; ++i, ++pos) {
            if (text[pos] == '-')
                ++pos;
            char c = text[pos];
            int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
            if (d < 0)
                throw "bad GUID text";
            v = v * 16 + static_cast<uint32_t>(d);
        }
        return v;
    };
    if (text[0] != '{')
        throw "bad GUID text";
    g.D1 = hex(8);
    g.D2 = static_cast<uint16_t>(hex(4));
    g.D3 = static_cast<uint16_t>(hex(4));
    for (auto& b : g.D4)
        b = static_cast<uint8_t>(hex(2));
    if (text[pos] != '}' || text[pos + 1] != 0)
        throw "bad GUID text";
    return g;
}

constexpr bool SameGUID(const TGUID& a, const TGUID& b) {
    if (a.D1 != b.D1 || a.D2 != b.D2 || a.D3 != b.D3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.D4[i] != b.D4[i])
            return false;
    return true;
}

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);

#define BV_INTERFACE(guid) static constexpr TGUID IID = GUIDConst(guid)

class IInterface {
public:
    BV_INTERFACE("{9E19FF8B-BEA1-4393-A891-92470D48B2B8}");
    virtual HRESULT QueryInterface(const TGUID& iid, void** obj) = 0;
    // The count after the change, or -1 from objects that are not counted.
    virtual int32_t _AddRef() = 0;
    virtual int32_t _Release() = 0;

protected:
    ~IInterface() = default;
};

// A counted reference to an interface.
template <class I> class TIntf {
public:
    TIntf() = default;
    TIntf(std::nullptr_t) {}
    // Takes a new reference.
    TIntf(I* p) : p_(p) {
        if (p_)
            p_->_AddRef();
    }
    TIntf(const TIntf& o) : TIntf(o.p_) {}
    TIntf(TIntf&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~TIntf() { Reset(); }
    TIntf& operator=(const TIntf& o) {
        TIntf copy(o);
        std::swap(p_, copy.p_);
        return *this;
    }
    TIntf& operator=(TIntf&& o) noexcept {
        if (this != &o) {
            Reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    TIntf& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }
    void Reset() {
        // Cleared before the release, which may free objects that look at this reference.
        if (I* p = std::exchange(p_, nullptr))
            p->_Release();
    }
    I* Get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    friend bool operator==(const TIntf& a, const TIntf& b) { return a.p_ == b.p_; }
    friend bool operator==(const TIntf& a, std::nullptr_t) { return a.p_ == nullptr; }

private:
    I* p_ = nullptr;
};

// QueryInterface for I; a null reference when the object does not offer it.
template <class I, class S> TIntf<I> Supports(S* source) {
    if (!source)
        return nullptr;
    void* obj = nullptr;
    if (source->QueryInterface(I::IID, &obj) != S_OK || !obj)
        return nullptr;
    // QueryInterface counted the reference it handed out; the new reference takes its own.
    TIntf<I> result(static_cast<I*>(obj));
    static_cast<I*>(obj)->_Release();
    return result;
}

template <class I, class S> TIntf<I> Supports(const TIntf<S>& source) {
    return Supports<I>(source.Get());
}

// The object identity of two interface references: the same object answers the same
// IInterface.
template <class A, class B> bool SameObject(A* a, B* b) {
    if (!a || !b)
        return !a && !b;
    return Supports<IInterface>(a).Get() == Supports<IInterface>(b).Get();
}
