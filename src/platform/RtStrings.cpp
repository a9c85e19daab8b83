#include "RtStrings.h"
#include "ScopeExit.h"
#include "TextCodec.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// One decoded character and where its bytes lie; a byte that is no valid UTF-8
// keeps a value of its own, so it only ever matches the same byte.
struct Unit {
    char32_t folded;
    size_t offset;
    size_t length;
};

char32_t FoldUpper(char32_t c) {
    return c >= 0x110000 ? c : UnicodeToUpper(c);
}

std::vector<Unit> Decode(std::string_view s, bool fold) {
    std::vector<Unit> out;
    out.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) {
        size_t start = pos;
        char32_t c = DecodeUtf8(s, pos);
        if (c == 0xFFFD && !(pos - start == 3 && s.substr(start, 3) == "\xEF\xBF\xBD"))
            c = 0x110000 + static_cast<unsigned char>(s[start]);
        out.push_back({fold ? FoldUpper(c) : c, start, pos - start});
    }
    return out;
}

} // namespace

void StrReplace(std::string& s, std::string_view search, std::string_view replace,
                const TReplaceFlags& flags) {
    if (search.empty()) {
        if (!s.empty())
            throw ERtError("Search string cannot be blank");
        s = std::string(replace);
        return;
    }
    if (s.empty())
        return;
    const bool ignoreCase = flags.count(rfIgnoreCase) > 0;
    const bool all = flags.count(rfReplaceAll) > 0;
    std::string out;
    out.reserve(s.size());
    if (!ignoreCase) {
        size_t pos = 0;
        for (;;) {
            size_t hit = s.find(search, pos);
            if (hit == std::string::npos)
                break;
            out.append(s, pos, hit - pos);
            out.append(replace);
            pos = hit + search.size();
            if (!all)
                break;
        }
        out.append(s, pos, std::string::npos);
        s = std::move(out);
        return;
    }
    const auto text = Decode(s, true);
    const auto pat = Decode(search, true);
    size_t i = 0;
    size_t copied = 0;
    while (i + pat.size() <= text.size()) {
        bool match = true;
        for (size_t k = 0; k < pat.size() && match; ++k)
            match = text[i + k].folded == pat[k].folded;
        if (!match) {
            ++i;
            continue;
        }
        out.append(s, copied, text[i].offset - copied);
        out.append(replace);
        const Unit& last = text[i + pat.size() - 1];
        copied = last.offset + last.length;
        i += pat.size();
        if (!all)
            break;
    }
    out.append(s, copied, std::string::npos);
    s = std::move(out);
}

std::string StrReplaceChar(std::string_view s, char source, char replace) {
    std::string out(s);
    std::replace(out.begin(), out.end(), source, replace);
    return out;
}

std::string StrTrimCharLeft(std::string_view s, char c) {
    size_t i = 0;
    while (i < s.size() && s[i] == c)
        ++i;
    return std::string(s.substr(i));
}

std::string StrTrimCharRight(std::string_view s, char c) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == c)
        --n;
    return std::string(s.substr(0, n));
}

int StrCharCount(std::string_view s, char c) {
    return static_cast<int>(std::count(s.begin(), s.end(), c));
}

int StrFind(std::string_view subStr, std::string_view s, int index) {
    if (subStr.empty() || s.empty() || index < 1 || s.size() < subStr.size() ||
        static_cast<size_t>(index) > s.size() - subStr.size() + 1)
        return 0;
    const auto text = Decode(s, true);
    const auto pat = Decode(subStr, true);
    for (size_t i = 0; i + pat.size() <= text.size(); ++i) {
        if (text[i].offset + 1 < static_cast<size_t>(index))
            continue;
        bool match = true;
        for (size_t k = 0; k < pat.size() && match; ++k)
            match = text[i + k].folded == pat[k].folded;
        if (match)
            return static_cast<int>(text[i].offset) + 1;
    }
    return 0;
}

namespace {
// The byte length of the match found at pos (1-based) in s.
size_t MatchLength(std::string_view subStr, std::string_view s, int pos) {
    const auto text = Decode(s.substr(static_cast<size_t>(pos - 1)), true);
    const size_t chars = Decode(subStr, false).size();
    const Unit& last = text[chars - 1];
    return last.offset + last.length;
}
} // namespace

std::string StrAfter(std::string_view subStr, std::string_view s) {
    int p = StrFind(subStr, s);
    if (p == 0)
        return {};
    return std::string(s.substr(static_cast<size_t>(p - 1) + MatchLength(subStr, s, p)));
}

std::string StrBefore(std::string_view subStr, std::string_view s) {
    int p = StrFind(subStr, s);
    if (p == 0)
        return std::string(s);
    return std::string(s.substr(0, static_cast<size_t>(p - 1)));
}

std::string StrLeft(std::string_view s, int count) {
    if (count <= 0)
        return {};
    return std::string(s.substr(0, static_cast<size_t>(count)));
}

std::string StrRestOf(std::string_view s, int n) {
    if (n < 1)
        n = 1;
    if (static_cast<size_t>(n) > s.size())
        return {};
    return std::string(s.substr(static_cast<size_t>(n - 1)));
}

std::string StrChopRight(std::string_view s, int n) {
    if (n <= 0)
        return std::string(s);
    if (static_cast<size_t>(n) >= s.size())
        return {};
    return std::string(s.substr(0, s.size() - static_cast<size_t>(n)));
}

int PCharLength(const char* p) {
    if (!p)
        return 0;
    int n = 0;
    while (p[n])
        ++n;
    return n;
}

void StrCutAtZero(std::string& s) {
    size_t z = s.find('\0');
    if (z != std::string::npos)
        s.resize(z);
}

bool CharIsUpperCase(char c) {
    return c >= 'A' && c <= 'Z';
}
bool CharIsLowerCase(char c) {
    return c >= 'a' && c <= 'z';
}
char CharToUpper(char c) {
    return CharIsLowerCase(c) ? static_cast<char>(c - 'a' + 'A') : c;
}

char* StringsToMultiSz(char*& dest, const TStrings& source) {
    int len = 1;
    for (int i = 0; i < source.Count(); ++i) {
        if (source[i].empty())
            throw ERtError("String list passed to StringsToMultiSz cannot contain empty strings.");
        len += PCharLength(source[i].c_str()) + 1;
    }
    AllocMultiSz(dest, len);
    char* p = dest;
    for (int i = 0; i < source.Count(); ++i) {
        int n = PCharLength(source[i].c_str());
        std::copy_n(source[i].data(), n, p);
        p += n;
        *p++ = '\0';
    }
    *p = '\0';
    return dest;
}

void AllocMultiSz(char*& dest, int len) {
    dest = len < 1 ? nullptr : new char[static_cast<size_t>(len)]();
}

void ReleaseMultiSz(char*& dest) {
    delete[] dest;
    dest = nullptr;
}

void StrToStrings(std::string s, std::string_view sep, TStrings& list, bool allowEmpty) {
    list.BeginUpdate();
    TScopeExit endUpdate([&list] { list.EndUpdate(); });
    list.Clear();
    if (!sep.empty()) {
        for (size_t at; (at = s.find(sep)) != std::string::npos;) {
            if (at > 0 || allowEmpty)
                list.Add(s.substr(0, at));
            s.erase(0, at + sep.size());
        }
    }
    if (!s.empty())
        list.Add(s);
}

std::string StringsToStr(const TStrings& list, std::string_view sep, bool allowEmpty) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        if (!list[i].empty() || allowEmpty) {
            out += list[i];
            out += sep;
        }
    }
    if (list.Count() > 0 && out.size() >= sep.size())
        out.resize(out.size() - sep.size());
    return out;
}

std::string FileToString(std::string_view fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    std::string out(static_cast<size_t>(f.Size()), '\0');
    f.ReadBuffer(out.data(), static_cast<int64_t>(out.size()));
    return out;
}

void StringToFile(std::string_view fileName, std::string_view contents) {
    TFileStream f(fileName, fmCreate);
    f.WriteBuffer(contents.data(), static_cast<int64_t>(contents.size()));
}
