#include "Locales.h"

#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <cstdlib>
#include <map>
#include <memory>

namespace {

uint32_t ResolveLocale(uint32_t lcid) {
    if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT || lcid == 0)
        return GetUserDefaultLCID();
    return lcid;
}

struct TCollatorClose {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// A collator is used by one thread at a time, so each thread keeps its own.
UCollator* CollatorFor(uint32_t lcid, bool ignoreCase) {
    thread_local std::map<uint64_t, std::unique_ptr<UCollator, TCollatorClose>> collators;
    const uint64_t key = (uint64_t(lcid) << 1) | (ignoreCase ? 1 : 0);
    auto it = collators.find(key);
    if (it != collators.end())
        return it->second.get();
    char name[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_getLocaleForLCID(lcid, name, sizeof name, &status);
    UCollator* collator = nullptr;
    if (U_SUCCESS(status) && name[0]) {
        status = U_ZERO_ERROR;
        collator = ucol_open(name, &status);
        if (U_FAILURE(status)) {
            ucol_close(collator);
            collator = nullptr;
        } else if (ignoreCase) {
            ucol_setStrength(collator, UCOL_SECONDARY);
        }
    }
    return collators.emplace(key, collator).first->second.get();
}

struct TConverterClose {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

std::unique_ptr<UConverter, TConverterClose> ConverterFor(unsigned codePage) {
    const std::string name = "windows-" + std::to_string(codePage);
    UErrorCode status = U_ZERO_ERROR;
    UConverter* c = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status)) {
        ucnv_close(c);
        c = nullptr;
    }
    return std::unique_ptr<UConverter, TConverterClose>(c);
}

} // namespace

uint32_t GetUserDefaultLCID() {
    static const uint32_t lcid = [] {
        std::string name;
        for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"})
            if (const char* v = std::getenv(var); v && *v) {
                name = v;
                break;
            }
        name = name.substr(0, name.find_first_of(".@"));
        const uint32_t id =
            name.empty() || name == "C" || name == "POSIX" ? 0 : uloc_getLCID(name.c_str());
        return id ? id : uint32_t(0x0409);
    }();
    return lcid;
}

unsigned GetACP() {
    return CP_UTF8;
}

unsigned LocaleDefaultAnsiCodePage(uint32_t lcid) {
    if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT || lcid == 0 ||
        lcid == GetUserDefaultLCID())
        return GetACP();
    const unsigned language = lcid & 0x3FF;
    switch (language) {
    case 0x04: // Chinese: simplified in the PRC and Singapore, else traditional
        return lcid == 0x0804 || lcid == 0x1004 ? 936 : 950;
    case 0x1A: // Croatian, Serbian and Bosnian: Latin or Cyrillic by sublanguage
        return lcid == 0x0C1A || lcid == 0x1C1A || lcid == 0x201A ? 1251 : 1250;
    case 0x2C: // Azeri
    case 0x43: // Uzbek
        return (lcid >> 10) == 2 ? 1251 : 1254;
    default:
        break;
    }
    static const std::map<unsigned, unsigned> pages = {
        // Central European
        {0x05, 1250},
        {0x0E, 1250},
        {0x15, 1250},
        {0x18, 1250},
        {0x1B, 1250},
        {0x1C, 1250},
        {0x24, 1250},
        // Cyrillic
        {0x02, 1251},
        {0x19, 1251},
        {0x22, 1251},
        {0x23, 1251},
        {0x2F, 1251},
        {0x3F, 1251},
        {0x40, 1251},
        {0x44, 1251},
        {0x50, 1251},
        {0x6D, 1251},
        {0x28, 1251},
        // Western European and the other Latin-script languages
        {0x03, 1252},
        {0x06, 1252},
        {0x07, 1252},
        {0x09, 1252},
        {0x0A, 1252},
        {0x0B, 1252},
        {0x0C, 1252},
        {0x0F, 1252},
        {0x10, 1252},
        {0x13, 1252},
        {0x14, 1252},
        {0x16, 1252},
        {0x1D, 1252},
        {0x21, 1252},
        {0x2D, 1252},
        {0x36, 1252},
        {0x38, 1252},
        {0x3E, 1252},
        {0x41, 1252},
        {0x56, 1252},
        {0x62, 1252},
        {0x6E, 1252},
        {0x3C, 1252},
        {0x52, 1252},
        // Greek, Turkish, Hebrew, Arabic script, Baltic, Vietnamese, Thai
        {0x08, 1253},
        {0x1F, 1254},
        {0x0D, 1255},
        {0x01, 1256},
        {0x20, 1256},
        {0x29, 1256},
        {0x25, 1257},
        {0x26, 1257},
        {0x27, 1257},
        {0x2A, 1258},
        {0x1E, 874},
        // Japanese, Korean
        {0x11, 932},
        {0x12, 949}};
    const auto it = pages.find(language);
    return it == pages.end() ? 0 : it->second;
}

int CompareStringW(uint32_t locale, uint32_t flags, std::u16string_view a, std::u16string_view b) {
    UCollator* collator = CollatorFor(ResolveLocale(locale), (flags & NORM_IGNORECASE) != 0);
    if (!collator)
        return 0;
    switch (ucol_strcoll(collator, a.data(), int32_t(a.size()), b.data(), int32_t(b.size()))) {
    case UCOL_LESS:
        return 1;
    case UCOL_EQUAL:
        return 2;
    default:
        return 3;
    }
}

bool CodePageToUtf16(std::string_view bytes, unsigned codePage, std::u16string& out) {
    auto converter = ConverterFor(codePage);
    if (!converter)
        return false;
    out.assign(bytes.size() * 2 + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter.get(), out.data(), int32_t(out.size()), bytes.data(),
                                    int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return false;
    out.resize(size_t(n));
    return true;
}

bool Utf16ToCodePage(std::u16string_view text, unsigned codePage, std::string& out) {
    auto converter = ConverterFor(codePage);
    if (!converter)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    status = U_ZERO_ERROR;
    out.assign(text.size() * 4 + 1, '\0');
    const int32_t n = ucnv_fromUChars(converter.get(), out.data(), int32_t(out.size()), text.data(),
                                      int32_t(text.size()), &status);
    if (U_FAILURE(status))
        return false;
    out.resize(size_t(n));
    return true;
}
