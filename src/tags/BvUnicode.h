// Wide (UTF-16) text for the ID3v2 code: UTF-8 conversion as tags need it, byte
// order swapping, and the wide string lists with Unicode normalization.
#pragma once

#include "Classes.h"
#include "SysUtils.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

using WideString = std::u16string;

// Lenient UTF-8 decoding: a lone byte below 0xC0 stands for itself, a sequence
// cut off by the end uses the bytes present. Tags written by careless tools decode
// to something readable rather than to replacement characters.
WideString UTF8ToWideString(std::string_view utf8);
// Well-formed UTF-8; a surrogate pair becomes one 4-byte sequence.
std::string WideStringToUTF8(std::u16string_view wide);
// Swaps the two bytes of every unit up to the first zero unit, in place.
void StrSwapByteOrder(char16_t* p);

// Code pages: 0 (the system's) and 65001 are UTF-8 here; 1251, 1252 and 28591
// are the single-byte pages old files use. Others are taken as UTF-8.
void StringToWideString(std::string_view s, unsigned codePage, WideString& w);
void WideStringToString(std::u16string_view w, unsigned codePage, std::string& s);
void TranslateString(std::string_view s, unsigned fromCodePage, unsigned toCodePage,
                     std::string& result);
// Every locale's ANSI code page is UTF-8 on this system.
inline unsigned CodePageFromLocale(unsigned) {
    return 65001;
}

enum class TNormalizationForm { nfNone, nfC, nfD, nfKC, nfKD };
WideString WideNormalize(std::u16string_view s, TNormalizationForm form);
// Case-folded comparison in code point order (surrogates after the other units).
int WideCaseFoldCompare(std::u16string_view a, std::u16string_view b);
// The lists' comparison: ignores case.
int WideCompareText(std::u16string_view a, std::u16string_view b);

class TWideStrings : public TObject {
public:
    ~TWideStrings() override = default;
    virtual int Count() const = 0;
    virtual const WideString& Get(int index) const = 0;
    virtual void Put(int index, const WideString& s) = 0;
    virtual TObject* GetObject(int index) const { return (void)index, nullptr; }
    virtual void PutObject(int index, TObject* object) = 0;
    virtual void Insert(int index, const WideString& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const WideString& s) {
        Insert(Count(), s);
        return Count() - 1;
    }
    int AddObject(const WideString& s, TObject* object);
    virtual int IndexOf(const WideString& s) const;
    void AddStrings(const TStrings& strings);
    void AddStrings(const TWideStrings& strings);
    void Assign(const TStrings& strings);
    void Assign(const TWideStrings& strings);
    void AssignTo(TStrings& strings) const;
    WideString GetSeparatedText(std::u16string_view separator) const;
    WideString Text() const { return GetSeparatedText(u"\r\n"); }
    void SetText(std::u16string_view text);
    void SaveToBytes(std::string& out) const;
    void LoadFromBytes(std::string_view bytes);
    const WideString& operator[](int index) const { return Get(index); }

    TNormalizationForm NormalizationForm = TNormalizationForm::nfC;
    bool SaveUnicode = true;
    std::function<void(TWideStrings&)> OnChange;
};

class TWideStringList : public TWideStrings {
public:
    int Count() const override { return int(items_.size()); }
    const WideString& Get(int index) const override;
    void Put(int index, const WideString& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    void Insert(int index, const WideString& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const WideString& s) override;
    int IndexOf(const WideString& s) const override;
    bool Find(const WideString& s, int& index) const;
    void Sort();
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    TDuplicates Duplicates = TDuplicates::dupIgnore;

private:
    struct TItem {
        WideString Text;
        TObject* Object = nullptr;
    };
    void CheckIndex(int index, bool allowEnd) const;
    void Changed();
    WideString Prepared(const WideString& s) const;
    std::vector<TItem> items_;
    bool sorted_ = false;
};
