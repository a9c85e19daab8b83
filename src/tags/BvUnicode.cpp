#include "BvUnicode.h"

#include "Locales.h"
#include "RtCriticalSection.h"
#include "ScopeExit.h"
#include "TextCodec.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <unordered_map>

namespace {

#include "BvUnicodeData.inc"

// Lookup tables, built from the generated data on first use.
struct TUnicodeTables {
    std::unordered_map<char16_t, uint8_t> Combining;
    std::unordered_map<char16_t, std::u16string> Canonical, Compatibility;
    std::unordered_map<uint32_t, char16_t> Composition;
    std::unordered_map<char16_t, char16_t> Fold;
};

TRtCriticalSection& DataLock() {
    static TRtCriticalSection lock;
    return lock;
}

const TUnicodeTables& Tables() {
    static std::atomic<TUnicodeTables*> loaded{nullptr};
    if (TUnicodeTables* t = loaded.load(std::memory_order_acquire))
        return *t;
    DataLock().Lock();
    TUnicodeTables* t = loaded.load(std::memory_order_relaxed);
    if (!t) {
        static TUnicodeTables tables;
        for (const auto& c : CombiningData)
            tables.Combining.emplace(char16_t(c[0]), uint8_t(c[1]));
        const size_t n = sizeof(DecompositionData) / sizeof(DecompositionData[0]);
        for (size_t i = 0; i + 1 < n;) {
            const uint32_t cp = DecompositionData[i], len = DecompositionData[i + 1];
            std::u16string seq;
            for (uint32_t k = 0; k < len && i + 2 + k < n; ++k)
                seq += char16_t(DecompositionData[i + 2 + k]);
            (cp & 0x10000 ? tables.Compatibility : tables.Canonical)
                .emplace(char16_t(cp & 0xFFFF), seq);
            i += 2 + len;
        }
        for (const auto& c : CompositionData)
            tables.Composition.emplace(c[0], char16_t(c[1]));
        for (const auto& f : CaseFoldData)
            tables.Fold.emplace(char16_t(f[0]), char16_t(f[1]));
        t = &tables;
        loaded.store(t, std::memory_order_release);
    }
    DataLock().Unlock();
    return *t;
}

uint8_t CombiningClass(const TUnicodeTables& t, char16_t c) {
    const auto it = t.Combining.find(c);
    return it == t.Combining.end() ? 0 : it->second;
}

constexpr char16_t SBase = 0xAC00, LBase = 0x1100, VBase = 0x1161, TBase = 0x11A7;
constexpr int LCount = 19, VCount = 21, TCount = 28, NCount = VCount * TCount,
              SCount = LCount * NCount;

void Decompose(const TUnicodeTables& t, char16_t c, bool compat, std::u16string& out, int depth) {
    if (c >= SBase && c < SBase + SCount) {
        const int s = c - SBase;
        out += char16_t(LBase + s / NCount);
        out += char16_t(VBase + (s % NCount) / TCount);
        if (s % TCount)
            out += char16_t(TBase + s % TCount);
        return;
    }
    if (depth < 16) {
        if (compat) {
            const auto it = t.Compatibility.find(c);
            if (it != t.Compatibility.end()) {
                for (char16_t d : it->second)
                    Decompose(t, d, compat, out, depth + 1);
                return;
            }
        }
        const auto it = t.Canonical.find(c);
        if (it != t.Canonical.end()) {
            for (char16_t d : it->second)
                Decompose(t, d, compat, out, depth + 1);
            return;
        }
    }
    out += c;
}

// The canonical composite of a pair, Hangul included; 0 when there is none.
char16_t Compose(const TUnicodeTables& t, char16_t a, char16_t b) {
    if (a >= LBase && a < LBase + LCount && b >= VBase && b < VBase + VCount)
        return char16_t(SBase + ((a - LBase) * VCount + (b - VBase)) * TCount);
    if (a >= SBase && a < SBase + SCount && (a - SBase) % TCount == 0 && b > TBase &&
        b < TBase + TCount)
        return char16_t(a + (b - TBase));
    const auto it = t.Composition.find((uint32_t(a) << 16) | b);
    return it == t.Composition.end() ? 0 : it->second;
}

char16_t Fold(const TUnicodeTables& t, char16_t c) {
    const auto it = t.Fold.find(c);
    return it == t.Fold.end() ? c : it->second;
}

// Moves surrogates above the private-use and compatibility area for code point order.
int OrderKey(char16_t c) {
    if (c >= 0xD800 && c <= 0xDFFF)
        return c + 0x2000;
    if (c >= 0xE000)
        return c - 0x800;
    return c;
}

} // namespace

namespace {

bool SingleBytePage(unsigned codePage, TCodePage& page) {
    switch (codePage) {
    case 1251:
        page = TCodePage::Windows1251;
        return true;
    case 1252:
        page = TCodePage::Windows1252;
        return true;
    case 28591:
        page = TCodePage::Latin1;
        return true;
    default:
        return false;
    }
}

} // namespace

void StringToWideString(std::string_view s, unsigned codePage, WideString& w) {
    TCodePage page;
    if (SingleBytePage(codePage, page))
        w = Utf8ToUtf16(SingleByteToUtf8(s, page));
    else if (codePage == CP_ACP || codePage == CP_UTF8 || !CodePageToUtf16(s, codePage, w))
        w = Utf8ToUtf16(s);
}

void WideStringToString(std::u16string_view w, unsigned codePage, std::string& s) {
    TCodePage page;
    if (SingleBytePage(codePage, page))
        s = Utf8ToSingleByte(Utf16ToUtf8(w), page);
    else if (codePage == CP_ACP || codePage == CP_UTF8 || !Utf16ToCodePage(w, codePage, s))
        s = Utf16ToUtf8(w);
}

unsigned CodePageFromLocale(uint32_t locale) {
    return LocaleDefaultAnsiCodePage(locale);
}

void TranslateString(std::string_view s, unsigned fromCodePage, unsigned toCodePage,
                     std::string& result) {
    WideString w;
    StringToWideString(s, fromCodePage, w);
    WideStringToString(w, toCodePage, result);
}

WideString UTF8ToWideString(std::string_view s) {
    static const uint32_t offsets[6] = {0, 0x3080, 0xE2080, 0x3C82080, 0xFA082080, 0x82082080};
    WideString out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t lead = uint8_t(s[i]);
        const int extra = lead < 0xC0   ? 0
                          : lead < 0xE0 ? 1
                          : lead < 0xF0 ? 2
                          : lead < 0xF8 ? 3
                          : lead < 0xFC ? 4
                                        : 5;
        uint32_t value = 0;
        int taken = 0;
        for (; taken <= extra && i < s.size(); ++taken, ++i) {
            value += uint8_t(s[i]);
            if (taken < extra)
                value <<= 6;
        }
        value -= offsets[extra];
        if (value <= 0xFFFF) {
            out += char16_t(value);
        } else if (value <= 0x7FFFFFFF) {
            const uint32_t v = value - 0x10000;
            out += char16_t(((v >> 10) + 0xD800) & 0xFFFF);
            out += char16_t(((v & 0x3FF) + 0xDC00) & 0xFFFF);
        } else {
            out += char16_t(0xFFFD);
        }
    }
    return out;
}

std::string WideStringToUTF8(std::u16string_view wide) {
    return Utf16ToUtf8(wide);
}

void StrSwapByteOrder(char16_t* p) {
    for (; p && *p; ++p)
        *p = char16_t((*p >> 8) | (*p << 8));
}

WideString WideNormalize(std::u16string_view s, TNormalizationForm form) {
    if (form == TNormalizationForm::nfNone || s.empty())
        return WideString(s);
    const auto& t = Tables();
    const bool compat = form == TNormalizationForm::nfKC || form == TNormalizationForm::nfKD;
    std::u16string d;
    for (char16_t c : s)
        Decompose(t, c, compat, d, 0);
    // Canonical ordering: a stable sort of each run of non-starters by class.
    for (size_t i = 1; i < d.size(); ++i) {
        size_t k = i;
        while (k > 0) {
            const uint8_t ck = CombiningClass(t, d[k]), prev = CombiningClass(t, d[k - 1]);
            if (ck == 0 || prev <= ck)
                break;
            std::swap(d[k], d[k - 1]);
            --k;
        }
    }
    if (form == TNormalizationForm::nfD || form == TNormalizationForm::nfKD)
        return d;
    std::u16string r;
    size_t starterPos = 0;
    int lastClass = -1; // -1: no starter yet
    for (char16_t c : d) {
        const int cc = CombiningClass(t, c);
        if (lastClass >= 0 && (lastClass < cc || lastClass == 0)) {
            if (char16_t composite = Compose(t, r[starterPos], c)) {
                r[starterPos] = composite;
                continue;
            }
        }
        if (cc == 0) {
            starterPos = r.size();
            lastClass = 0;
        } else if (lastClass >= 0) {
            lastClass = cc;
        }
        r += c;
    }
    return r;
}

int WideCaseFoldCompare(std::u16string_view a, std::u16string_view b) {
    const auto& t = Tables();
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ka = OrderKey(Fold(t, a[i])), kb = OrderKey(Fold(t, b[i]));
        if (ka != kb)
            return ka - kb;
    }
    return int(a.size()) - int(b.size());
}

int WideCompareText(std::u16string_view a, std::u16string_view b, uint32_t locale) {
    if (const int r = CompareStringW(locale, NORM_IGNORECASE, a, b))
        return r - 2;
    return AnsiCompareText(Utf16ToUtf8(a), Utf16ToUtf8(b));
}

TWideStrings::TWideStrings() : language_(GetUserDefaultLCID()) {}

int TWideStrings::AddObject(const WideString& s, TObject* object) {
    const int i = Add(s);
    PutObject(i, object);
    return i;
}

int TWideStrings::IndexOf(const WideString& s) const {
    for (int i = 0; i < Count(); ++i)
        if (WideCompareText(Get(i), s, language_) == 0)
            return i;
    return -1;
}

void TWideStrings::Exchange(int index1, int index2) {
    BeginUpdate();
    TScopeExit end([this] { EndUpdate(); });
    const WideString text = Get(index1);
    TObject* object = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, text);
    PutObject(index2, object);
}

void TWideStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    BeginUpdate();
    TScopeExit end([this] { EndUpdate(); });
    const WideString text = Get(curIndex);
    TObject* object = GetObject(curIndex);
    Delete(curIndex);
    Insert(newIndex, text);
    PutObject(newIndex, object);
}

void TWideStrings::AddStrings(const TStrings& strings) {
    const unsigned codePage = CodePageFromLocale(language_);
    BeginUpdate();
    TScopeExit end([this] { EndUpdate(); });
    for (int i = 0; i < strings.Count(); ++i) {
        WideString w;
        StringToWideString(strings[i], codePage, w);
        Add(w);
    }
}

// Wide text is copied as it is whatever the other list's Language: taking it
// through one 8-bit code page and back through another would turn letters the
// pages do not share into question marks.
void TWideStrings::AddStrings(const TWideStrings& strings) {
    BeginUpdate();
    TScopeExit end([this] { EndUpdate(); });
    for (int i = 0; i < strings.Count(); ++i)
        Add(strings[i]);
}

void TWideStrings::Assign(const TStrings& strings) {
    BeginUpdate();
    TScopeExit end([this] { EndUpdate(); });
    Clear();
    AddStrings(strings);
}

void TWideStrings::Assign(const TWideStrings& strings) {
    if (&strings == this)
        return;
    BeginUpdate();
    TScopeExit end([this] { EndUpdate(); });
    Clear();
    AddStrings(strings);
}

void TWideStrings::AssignTo(TStrings& strings) const {
    const unsigned codePage = CodePageFromLocale(language_);
    strings.BeginUpdate();
    TScopeExit end([&strings] { strings.EndUpdate(); });
    strings.Clear();
    for (int i = 0; i < Count(); ++i) {
        std::string s;
        WideStringToString(Get(i), codePage, s);
        strings.Add(std::move(s));
    }
}

// The update state changes while the count is still 0, so that the list's
// Changing and Changed are told.
void TWideStrings::BeginUpdate() {
    if (updateCount_ == 0)
        SetUpdateState(true);
    ++updateCount_;
}

void TWideStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0)
        SetUpdateState(false);
}

void TWideStrings::ConfirmConversion(bool& allowed) {
    if (OnConfirmConversion)
        OnConfirmConversion(*this, allowed);
}

WideString TWideStrings::GetSeparatedText(std::u16string_view separator) const {
    WideString r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += separator;
    }
    return r;
}

void TWideStrings::SetText(std::u16string_view text) {
    BeginUpdate();
    TScopeExit end([this] { EndUpdate(); });
    Clear();
    size_t start = 0;
    size_t i = 0;
    auto isBreak = [](char16_t c) {
        return c == 10 || c == 11 || c == 12 || c == 13 || c == 0x2028 || c == 0x2029;
    };
    while (i < text.size()) {
        if (isBreak(text[i])) {
            Add(WideString(text.substr(start, i - start)));
            if (text[i] == 13 && i + 1 < text.size() && text[i + 1] == 10)
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        Add(WideString(text.substr(start)));
}

void TWideStrings::SaveToBytes(std::string& out) {
    const WideString text = Text();
    if (!SaveUnicode) {
        const unsigned codePage = CodePageFromLocale(language_);
        WideStringToString(text, codePage, out);
        WideString back;
        StringToWideString(out, codePage, back);
        bool allowed = true;
        if (back != text)
            ConfirmConversion(allowed);
        if (allowed)
            return;
    }
    out = "\xFF\xFE";
    for (char16_t c : text) {
        out += char(c & 0xFF);
        out += char(c >> 8);
    }
}

void TWideStrings::SaveToStream(TStream& stream) {
    std::string bytes;
    SaveToBytes(bytes);
    stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

void TWideStrings::SaveToFile(std::string_view fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TWideStrings::LoadFromStream(TStream& stream) {
    std::string bytes;
    char buffer[65536];
    for (int64_t n; (n = stream.Read(buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, size_t(n));
    LoadFromBytes(bytes);
}

void TWideStrings::LoadFromFile(std::string_view fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(stream);
}

void TWideStrings::LoadFromBytes(std::string_view bytes) {
    WideString text;
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
    } else if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += char16_t((uint8_t(bytes[i]) << 8) | uint8_t(bytes[i + 1]));
    } else {
        text = Utf8ToUtf16(bytes);
    }
    SetText(text);
}

void TWideStringList::CheckIndex(int index, bool allowEnd) const {
    if (index < 0 || index > Count() || (!allowEnd && index == Count()))
        throw EListError(Format("List index out of bounds (%d)", {index}));
}

void TWideStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(*this);
}

void TWideStringList::Changed() {
    if (UpdateCount() == 0 && OnChange)
        OnChange(*this);
}

void TWideStringList::SetUpdateState(bool updating) {
    if (updating)
        Changing();
    else
        Changed();
}

WideString TWideStringList::Prepared(const WideString& s) const {
    return s.empty() ? s : WideNormalize(s, NormalizationForm);
}

const WideString& TWideStringList::Get(int index) const {
    CheckIndex(index, false);
    return items_[size_t(index)].Text;
}

void TWideStringList::Put(int index, const WideString& s) {
    if (sorted_)
        throw EListError("Operation not allowed on sorted list");
    CheckIndex(index, false);
    WideString text = Prepared(s);
    Changing();
    items_[size_t(index)].Text = std::move(text);
    Changed();
}

TObject* TWideStringList::GetObject(int index) const {
    CheckIndex(index, false);
    return items_[size_t(index)].Object;
}

void TWideStringList::PutObject(int index, TObject* object) {
    CheckIndex(index, false);
    Changing();
    items_[size_t(index)].Object = object;
    Changed();
}

void TWideStringList::Insert(int index, const WideString& s) {
    if (sorted_)
        throw EListError("Operation not allowed on sorted list");
    CheckIndex(index, true);
    WideString text = Prepared(s);
    Changing();
    items_.insert(items_.begin() + index, TItem{std::move(text), nullptr});
    Changed();
}

void TWideStringList::Delete(int index) {
    CheckIndex(index, false);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TWideStringList::Clear() {
    if (items_.empty())
        return;
    Changing();
    items_.clear();
    Changed();
}

int TWideStringList::Add(const WideString& s) {
    WideString text = Prepared(s);
    int index = Count();
    if (sorted_ && Find(text, index)) {
        if (Duplicates == TDuplicates::dupIgnore)
            return index;
        if (Duplicates == TDuplicates::dupError)
            throw EListError("String list does not allow duplicates");
    }
    Changing();
    items_.insert(items_.begin() + index, TItem{std::move(text), nullptr});
    Changed();
    return index;
}

void TWideStringList::Exchange(int index1, int index2) {
    CheckIndex(index1, false);
    CheckIndex(index2, false);
    Changing();
    std::swap(items_[size_t(index1)], items_[size_t(index2)]);
    Changed();
}

void TWideStringList::SetCapacity(int value) {
    if (value > Count())
        items_.reserve(size_t(value));
    else if (value == Count())
        items_.shrink_to_fit();
}

void TWideStringList::SetLanguage(uint32_t value) {
    if (value == Language())
        return;
    TWideStrings::SetLanguage(value);
    if (sorted_)
        SortItems();
}

int TWideStringList::IndexOf(const WideString& s) const {
    if (!sorted_)
        return TWideStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

bool TWideStringList::Find(const WideString& s, int& index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = WideCompareText(items_[size_t(mid)].Text, s, Language());
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (Duplicates != TDuplicates::dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TWideStringList::SortItems() {
    if (Count() < 2)
        return;
    Changing();
    const uint32_t language = Language();
    std::stable_sort(items_.begin(), items_.end(), [language](const TItem& a, const TItem& b) {
        return WideCompareText(a.Text, b.Text, language) < 0;
    });
    Changed();
}

void TWideStringList::Sort() {
    if (!sorted_)
        SortItems();
}

void TWideStringList::SetSorted(bool value) {
    if (value && !sorted_)
        SortItems();
    sorted_ = value;
}
