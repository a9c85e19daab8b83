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
