#include "RtStrings.h"

#include <cstring>

#include <gtest/gtest.h>

TEST(StrReplace, ReplacesAsTheTemplatesNeed) {
    struct Case {
        std::string s;
        const char* search;
        const char* replace;
        TReplaceFlags flags;
        const char* expected;
    } cases[] = {
        {"<Artist> - <ARTIST> / <artist>",
         "<artist>",
         "Кино",
         {rfReplaceAll, rfIgnoreCase},
         "Кино - Кино / Кино"},
        {"<artist> - <artist>", "<artist>", "X", {rfIgnoreCase}, "X - <artist>"},
        {"aaaa", "aa", "a", {rfReplaceAll}, "aa"},
        {"abAB", "ab", "-", {rfReplaceAll}, "-AB"},
        {"abc", "x", "y", {rfReplaceAll, rfIgnoreCase}, "abc"},
        {"", "x", "y", {rfReplaceAll}, ""},
        {"", "", "y", {}, "y"},
        {"ab", "b", "bb", {rfReplaceAll}, "abb"},
        {"Ёлка ёлка", "ЁЛКА", "tree", {rfReplaceAll, rfIgnoreCase}, "tree tree"},
        {"a\xff"
         "b\xff",
         "\xff",
         "?",
         {rfReplaceAll, rfIgnoreCase},
         "a?b?"},
        {"<title><ext>", "<EXT>", ".mp3", {rfReplaceAll, rfIgnoreCase}, "<title>.mp3"},
    };
    for (auto& c : cases) {
        std::string s = c.s;
        StrReplace(s, c.search, c.replace, c.flags);
        EXPECT_EQ(c.expected, s) << c.s << " / " << c.search;
    }
    std::string s = "text";
    try {
        StrReplace(s, "", "y", {rfReplaceAll});
        FAIL();
    } catch (const ERtError& e) {
        EXPECT_EQ("Search string cannot be blank", e.Message());
    }
}

TEST(StrFind, FindsWithoutRegardToCase) {
    struct Case {
        const char* sub;
        const char* s;
        int index;
        int expected;
    } cases[] = {
        {"B", "abcb", 3, 4},  {"B", "abcb", 1, 2},  {"x", "abcb", 1, 0},
        {"b", "abcb", 0, 0},  {"", "abc", 1, 0},    {"abc", "ab", 1, 0},
        {"cb", "abcb", 4, 0}, {"CB", "abcb", 3, 3}, {"ЛКА", "ёлка", 1, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, StrFind(c.sub, c.s, c.index)) << c.sub << " in " << c.s;
}

TEST(StrAfterBefore, CutAtTheFirstMatch) {
    EXPECT_EQ(" Title", StrAfter("-", "Artist - Title"));
    EXPECT_EQ("", StrAfter("x", "Artist - Title"));
    EXPECT_EQ("Artist - Title", StrBefore("x", "Artist - Title"));
    EXPECT_EQ("Artist ", StrBefore("-", "Artist - Title"));
    EXPECT_EQ("c", StrAfter("ЁЛКА", "ёлкаc"));
}

TEST(StrSmallRoutines, HandleTheirEdges) {
    struct Case {
        std::string actual;
        const char* expected;
    } cases[] = {
        {StrTrimCharRight("name  ", ' '), "name"},
        {StrTrimCharLeft("____", '_'), ""},
        {StrTrimCharLeft("__a_", '_'), "a_"},
        {StrReplaceChar("a/b/c", '/', '\\'), "a\\b\\c"},
        {StrLeft("abc", 5), "abc"},
        {StrLeft("abc", 0), ""},
        {StrLeft("abc", -1), ""},
        {StrLeft("abc", 2), "ab"},
        {StrRestOf("abcdef", 3), "cdef"},
        {StrRestOf("abc", 4), ""},
        {StrChopRight("file.mp3", 4), "file"},
        {StrChopRight("ab", 5), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, c.actual);
    EXPECT_EQ(2, StrCharCount("a\\b\\", '\\'));
    EXPECT_EQ(0, PCharLength(nullptr));
    EXPECT_EQ(3, PCharLength("abc"));
    std::string z("ab\0cd", 5);
    StrCutAtZero(z);
    EXPECT_EQ("ab", z);
    EXPECT_TRUE(CharIsUpperCase('Q'));
    EXPECT_FALSE(CharIsUpperCase('q'));
    EXPECT_TRUE(CharIsLowerCase('q'));
    EXPECT_EQ('Q', CharToUpper('q'));
    EXPECT_EQ('1', CharToUpper('1'));
}

TEST(StrToStrings, SplitsAndJoins) {
    TStringList list;
    StrToStrings("a,,b,", ",", list, false);
    EXPECT_EQ("a\r\nb\r\n", list.Text());
    StrToStrings("a,,b,", ",", list, true);
    EXPECT_EQ("a\r\n\r\nb\r\n", list.Text());
    StrToStrings("", ",", list);
    EXPECT_EQ(0, list.Count());
    StrToStrings("a::b", "::", list);
    EXPECT_EQ(2, list.Count());

    TStringList parts{"a", "", "b"};
    EXPECT_EQ("a;;b", StringsToStr(parts, ";"));
    EXPECT_EQ("a;b", StringsToStr(parts, ";", false));
    EXPECT_EQ("", StringsToStr(TStringList{}, ";"));
    EXPECT_EQ("", StringsToStr(TStringList{""}, ";", false));
}

TEST(MultiSz, BuildsTheZeroSeparatedBlock) {
    TStringList env{"A=1", "B=2"};
    char* block = nullptr;
    EXPECT_EQ(block = StringsToMultiSz(block, env), block);
    EXPECT_EQ(0, std::memcmp(block, "A=1\0B=2\0\0", 9));
    ReleaseMultiSz(block);
    EXPECT_EQ(nullptr, block);
    StringsToMultiSz(block, TStringList{});
    ASSERT_NE(nullptr, block);
    EXPECT_EQ('\0', block[0]);
    ReleaseMultiSz(block);
    try {
        StringsToMultiSz(block, TStringList{"A=1", ""});
        FAIL();
    } catch (const ERtError& e) {
        EXPECT_EQ("String list passed to StringsToMultiSz cannot contain empty strings.",
                  e.Message());
    }
    EXPECT_EQ(nullptr, block);
    AllocMultiSz(block, 0);
    EXPECT_EQ(nullptr, block);
    ReleaseMultiSz(block);
}
