#include "BvUnicode.h"

#include <gtest/gtest.h>

TEST(BvUnicode, LenientUtf8Decoding) {
    EXPECT_EQ(UTF8ToWideString("\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(UTF8ToWideString("\xA9"), u"\u00A9");
    EXPECT_EQ(UTF8ToWideString("\xF0\x9F\x8E\xB5"), u"\U0001F3B5");
    EXPECT_EQ(UTF8ToWideString("a\xE2\x82"),
              u"a" + std::u16string(1, UTF8ToWideString("a\xE2\x82")[1]));
    EXPECT_EQ(UTF8ToWideString("").size(), 0u);
    EXPECT_EQ(WideStringToUTF8(u"\U0001F3B5"), "\xF0\x9F\x8E\xB5");
    char16_t text[] = {0x4100, 0x4200, 0, 0x4300};
    StrSwapByteOrder(text);
    EXPECT_EQ(text[0], 0x41);
    EXPECT_EQ(text[1], 0x42);
    EXPECT_EQ(text[3], 0x4300); // stops at the first zero unit
}

TEST(BvUnicode, Normalization) {
    EXPECT_EQ(WideNormalize(u"e\u0301", TNormalizationForm::nfC), u"\u00E9");
    EXPECT_EQ(WideNormalize(u"\u00E9", TNormalizationForm::nfD), u"e\u0301");
    EXPECT_EQ(WideNormalize(u"\uFB01", TNormalizationForm::nfKC), u"fi");
    EXPECT_EQ(WideNormalize(u"\uFB01", TNormalizationForm::nfC), u"\uFB01");
    EXPECT_EQ(WideNormalize(u"\uAC00", TNormalizationForm::nfD), u"\u1100\u1161");
    EXPECT_EQ(WideNormalize(u"\u1100\u1161\u11A8", TNormalizationForm::nfC), u"\uAC01");
    // Canonical order: dot below (220) before acute (230), then composed.
    EXPECT_EQ(WideNormalize(u"e\u0301\u0323", TNormalizationForm::nfC), u"\u1EB9\u0301");
    EXPECT_EQ(WideNormalize(u"Й", TNormalizationForm::nfD), u"И\u0306");
    EXPECT_EQ(WideNormalize(u"И\u0306", TNormalizationForm::nfC), u"Й");
}

TEST(BvUnicode, WideStringList) {
    TWideStringList list;
    list.Add(u"e\u0301");
    EXPECT_EQ(list[0], u"\u00E9");
    list.SetSorted(true);
    list.Duplicates = TDuplicates::dupError;
    list.Add(u"Кино");
    EXPECT_THROW(list.Add(u"КИНО"), EListError);
    EXPECT_THROW(list.Insert(0, u"x"), EListError);
    list.Add(u"abc");
    EXPECT_EQ(list[0], u"abc");
    EXPECT_EQ(list.IndexOf(u"кино"), 2);
    EXPECT_THROW(list.Get(5), EListError);
    TWideStringList text;
    text.SetText(u"a\r\nb\nc\u2028d");
    EXPECT_EQ(text.Count(), 4);
    std::string bytes;
    text.SaveToBytes(bytes);
    TWideStringList back;
    back.LoadFromBytes(bytes);
    EXPECT_EQ(back.Count(), 4);
    EXPECT_EQ(back[3], u"d");
    EXPECT_LT(WideCaseFoldCompare(u"abc", u"ABD"), 0);
    EXPECT_EQ(WideCaseFoldCompare(u"Straße", u"STRAßE"), 0);
    EXPECT_GT(WideCaseFoldCompare(u"\U0001F3B5", u"\uFFFD"), 0); // surrogates after BMP units
}

TEST(BvUnicode, CodePageConversions) {
    WideString w;
    StringToWideString("\xCA\xE8\xED\xEE", 1251, w);
    EXPECT_EQ(w, u"Кино");
    StringToWideString("Björk", 0, w);
    EXPECT_EQ(w, u"Björk");
    std::string s;
    WideStringToString(u"Björk", 28591, s);
    EXPECT_EQ(s, "Bj\xF6rk");
    TranslateString("\xCA\xE8\xED\xEE", 1251, 0, s);
    EXPECT_EQ(s, "Кино");
}
