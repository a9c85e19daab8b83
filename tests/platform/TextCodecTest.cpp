#include "TextCodec.h"

#include <gtest/gtest.h>

TEST(TextCodec, Utf8AndUtf16RoundTrip) {
    const std::string samples[] = {"", "abc", "Björk", "Кино", "音楽", "emoji \xF0\x9F\x8E\xB5"};
    for (const auto& s : samples)
        EXPECT_EQ(s, Utf16ToUtf8(Utf8ToUtf16(s)));
    EXPECT_EQ(u"\xD83C\xDFB5", Utf8ToUtf16("\xF0\x9F\x8E\xB5"));
}

TEST(TextCodec, MalformedInputBecomesReplacementCharacter) {
    EXPECT_EQ("a\xEF\xBF\xBD"
              "b",
              Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}));
    EXPECT_EQ(u"\xFFFD", Utf8ToUtf16("\xC0"));           // truncated
    EXPECT_EQ(u"\xFFFD\xFFFD", Utf8ToUtf16("\xC0\xAF")); // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));           // surrogate
    EXPECT_TRUE(IsValidUtf8("Кино"));
}

TEST(TextCodec, SingleBytePagesToUtf8) {
    struct Case {
        std::string bytes;
        TCodePage page;
        std::string utf8;
    } cases[] = {
        {"Bj\xF6rk", TCodePage::Latin1, "Björk"},
        {"\x80", TCodePage::Latin1, "\xC2\x80"},
        {"\x80 \x93x\x94", TCodePage::Windows1252, "€ “x”"},
        {"\x81", TCodePage::Windows1252, "\xEF\xBF\xBD"},
        {"\xCA\xE8\xED\xEE \xB8\xA8", TCodePage::Windows1251, "Кино ёЁ"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.utf8, SingleByteToUtf8(c.bytes, c.page));
    EXPECT_EQ("Bj\xF6rk ?", Utf8ToSingleByte("Björk Ж", TCodePage::Latin1));
    EXPECT_EQ("\xCA\xE8\xED\xEE", Utf8ToSingleByte("Кино", TCodePage::Windows1251));
}

TEST(TextCodec, ReplacementCharacterEncodesAsTheFallback) {
    EXPECT_EQ("a?b", Utf8ToSingleByte("a\xEF\xBF\xBD"
                                      "b",
                                      TCodePage::Windows1252));
    EXPECT_EQ("a?", Utf8ToSingleByte("a\xFF", TCodePage::Windows1251));
}

namespace {

// The upper half of the two Windows pages, byte 0x80 upward; 0 marks a byte
// the page leaves undefined.
const char16_t Windows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
const char16_t Windows1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t Expected(TCodePage page, int byte) {
    if (byte < 0x80)
        return char16_t(byte);
    switch (page) {
    case TCodePage::Latin1:
        return char16_t(byte);
    case TCodePage::Windows1252:
        return byte < 0xA0 ? Windows1252High[byte - 0x80] : char16_t(byte);
    default:
        return byte < 0xC0 ? Windows1251High[byte - 0x80] : char16_t(0x0410 + byte - 0xC0);
    }
}

} // namespace

// Every byte of every page, both ways: a single misplaced entry shows here.
TEST(TextCodec, EveryByteOfEveryPage) {
    for (TCodePage page : {TCodePage::Latin1, TCodePage::Windows1252, TCodePage::Windows1251}) {
        for (int byte = 1; byte < 256; ++byte) {
            SCOPED_TRACE(byte);
            const std::string in(1, static_cast<char>(byte));
            const char16_t unit = Expected(page, byte);
            const std::string utf8 = Utf16ToUtf8(std::u16string(1, unit ? unit : u'\xFFFD'));
            EXPECT_EQ(utf8, SingleByteToUtf8(in, page));
            EXPECT_EQ(unit ? in : "?", Utf8ToSingleByte(utf8, page));
        }
    }
}
