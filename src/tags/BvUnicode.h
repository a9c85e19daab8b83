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

// Code pages: 0 (the system's) and 65001 are UTF-8 here; the other Windows code
// pages (1251, 1252, 28591, 1250, 932, ...) are converted as Windows does. One
// this system does not know is taken as UTF-8.
void StringToWideString(std::string_view s, unsigned codePage, WideString& w);
void WideStringToString(std::u16string_view w, unsigned codePage, std::string& s);
void TranslateString(std::string_view s, unsigned fromCodePage, unsigned toCodePage,
                     std::string& result);
// The locale's default ANSI code page: UTF-8 (65001) for the user's and the
// system's default locale, whose text is the system's; the Windows code page of
// any other locale (1251 for Russian, 1252 for German, ...); 0, the system's,
// for a locale with Unicode text only.
unsigned CodePageFromLocale(uint32_t locale);

enum class TNormalizationForm { nfNone, nfC, nfD, nfKC, nfKD };
WideString WideNormalize(std::u16string_view s, TNormalizationForm form);
// Case-folded comparison in code point order (surrogates after the other units).
int WideCaseFoldCompare(std::u16string_view a, std::u16string_view b);
// The lists' comparison: by the locale's collation, ignoring case; negative,
// 0 or positive.
int WideCompareText(std::u16string_view a, std::u16string_view b, uint32_t locale);

class TWideStrings : public TObject {
public:
    TWideStrings();
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
    virtual void Exchange(int index1, int index2);
    // Takes the item (with its object) out and puts it in again at newIndex.
    virtual void Move(int curIndex, int newIndex);
    // The 8-bit items are text in the code page of Language.
    void AddStrings(const TStrings& strings);
    void AddStrings(const TWideStrings& strings);
    void Assign(const TStrings& strings);
    void Assign(const TWideStrings& strings);
    void AssignTo(TStrings& strings) const;
    WideString GetSeparatedText(std::u16string_view separator) const;
    WideString Text() const { return GetSeparatedText(u"\r\n"); }
    void SetText(std::u16string_view text);

    // Changes between BeginUpdate and the matching EndUpdate are told once, at the end.
    void BeginUpdate();
    void EndUpdate();
    virtual int Capacity() const { return Count(); }
    virtual void SetCapacity(int) {}

    // A Windows locale identifier; it picks the list's order and the code page
    // of its 8-bit text. The user's locale at creation.
    uint32_t Language() const { return language_; }
    virtual void SetLanguage(uint32_t value) { language_ = value; }

    // Asks OnConfirmConversion, when there is one, whether a conversion that
    // loses characters may go on; allowed is left as it is otherwise.
    virtual void ConfirmConversion(bool& allowed);
    std::function<void(TWideStrings&, bool& allowed)> OnConfirmConversion;

    // With SaveUnicode the bytes FF FE and the text in UTF-16 little-endian;
    // without it the text in the code page of Language, after asking
    // ConfirmConversion when that page lacks some of its characters (a refusal
    // saves it in UTF-16 instead, so nothing is lost).
    void SaveToBytes(std::string& out);
    void SaveToStream(TStream& stream);
    void SaveToFile(std::string_view fileName);
    // UTF-16 after FF FE (little-endian) or FE FF (big-endian), else the
    // system's 8-bit text; the rest of the stream is read.
    void LoadFromBytes(std::string_view bytes);
    void LoadFromStream(TStream& stream);
    void LoadFromFile(std::string_view fileName);
    const WideString& operator[](int index) const { return Get(index); }

    TNormalizationForm NormalizationForm = TNormalizationForm::nfC;
    bool SaveUnicode = true;
    std::function<void(TWideStrings&)> OnChange;
    std::function<void(TWideStrings&)> OnChanging;

protected:
    // Called when the first BeginUpdate starts an update and the last EndUpdate ends it.
    virtual void SetUpdateState(bool updating) { (void)updating; }
    int UpdateCount() const { return updateCount_; }

private:
    int updateCount_ = 0;
    uint32_t language_;
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
    void Exchange(int index1, int index2) override;
    int Capacity() const override { return int(items_.capacity()); }
    void SetCapacity(int value) override;
    // A sorted list is sorted again by the new locale's order.
    void SetLanguage(uint32_t value) override;
    bool Find(const WideString& s, int& index) const;
    void Sort();
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    TDuplicates Duplicates = TDuplicates::dupIgnore;

protected:
    void SetUpdateState(bool updating) override;
    // OnChanging before and OnChange after every change, outside an update.
    virtual void Changing();
    virtual void Changed();

private:
    struct TItem {
        WideString Text;
        TObject* Object = nullptr;
    };
    void CheckIndex(int index, bool allowEnd) const;
    void SortItems();
    WideString Prepared(const WideString& s) const;
    std::vector<TItem> items_;
    bool sorted_ = false;
};
