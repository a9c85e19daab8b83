// Conversions between the program's UTF-8 text, UTF-16 (WideString) and the
// single-byte code pages that old files use. Malformed input never throws:
// a byte or unit that cannot be decoded becomes U+FFFD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using WideString = std::u16string;

enum class TCodePage { Latin1 = 28591, Windows1252 = 1252, Windows1251 = 1251 };

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// Bytes in a declared single-byte encoding to UTF-8.
std::string SingleByteToUtf8(std::string_view bytes, TCodePage page);
inline std::string Latin1ToUtf8(std::string_view b) {
    return SingleByteToUtf8(b, TCodePage::Latin1);
}
inline std::string Cp1252ToUtf8(std::string_view b) {
    return SingleByteToUtf8(b, TCodePage::Windows1252);
}
inline std::string Cp1251ToUtf8(std::string_view b) {
    return SingleByteToUtf8(b, TCodePage::Windows1251);
}
// UTF-8 to a single-byte code page; characters the page lacks become `fallback`.
std::string Utf8ToSingleByte(std::string_view utf8, TCodePage page, char fallback = '?');

// Whether the bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Decodes one code point at `pos`, advancing it; a malformed sequence yields
// U+FFFD and advances by one byte.
char32_t DecodeUtf8(std::string_view s, size_t& pos);
void AppendUtf8(std::string& out, char32_t cp);
// Number of code points.
size_t Utf8Length(std::string_view s);

// Unicode simple case mapping of one code point.
char32_t UnicodeToLower(char32_t cp);
char32_t UnicodeToUpper(char32_t cp);
