// Windows locale identifiers on this system: the user's locale, each locale's
// legacy ANSI code page, comparison by a locale's collation and conversion
// from and to the legacy code pages. The system's own ANSI code page is UTF-8,
// and so is the code page of the user's and the system's default locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr uint32_t LOCALE_USER_DEFAULT = 0x0400;
constexpr uint32_t LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr uint32_t NORM_IGNORECASE = 1;
constexpr unsigned CP_ACP = 0;
constexpr unsigned CP_UTF8 = 65001;

// The locale identifier of the user's locale (LC_ALL, LC_COLLATE or LANG);
// English (United States) for the C and POSIX locales.
uint32_t GetUserDefaultLCID();
unsigned GetACP();
// The default ANSI code page of a locale: the system's for the default
// locales, 0 for a locale that has Unicode text only, else the Windows one
// ("1251" for Russian, "1250" for Polish, "932" for Japanese, ...).
unsigned LocaleDefaultAnsiCodePage(uint32_t lcid);

// Compares by the locale's collation: 1 less, 2 equal, 3 greater; 0 for a
// locale that is not known. NORM_IGNORECASE ignores the letters' case.
int CompareStringW(uint32_t locale, uint32_t flags, std::u16string_view a, std::u16string_view b);

// Conversion from and to a Windows code page that is not UTF-8; false for a
// code page this system cannot convert. Unconvertible characters become '?'.
bool CodePageToUtf16(std::string_view bytes, unsigned codePage, std::u16string& out);
bool Utf16ToCodePage(std::u16string_view text, unsigned codePage, std::string& out);
