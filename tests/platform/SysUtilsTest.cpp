#include "SysUtils.h"

#include <cerrno>
#include <cmath>

#include <gtest/gtest.h>

TEST(Format, FormatsEachTypeAsTheFrameworkDoes) {
    struct Case {
        std::string expected;
        std::string actual;
    } cases[] = {
        {"7", Format("%d", {7})},
        {"-0042", Format("%.4d", {-42})},
        {"  ab", Format("%4s", {"ab"})},
        {"ab  |", Format("%-4s|", {"ab"})},
        {"abc", Format("%.3s", {"abcdef"})},
        {"00FF", Format("%.4x", {255})},
        {"FFFFFFFF", Format("%x", {-1})},
        {"3.14", Format("%.2f", {3.14159})},
        {"1,234,567.00", Format("%n", {1234567.0})},
        {"1.50000000000000E+000", Format("%e", {1.5})},
        {"b a", Format("%1:s %0:s", {"a", "b"})},
        {"100%", Format("%d%%", {100})},
        {"   5", Format("%*d", {4, 5})},
        {"No item found with name \"x\"", Format("No item found with name \"%s\"", {"x"})},
        {"Кино!", Format("%s!", {"Кино"})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, c.actual);
}

TEST(Format, BadFormatTextRaisesInsteadOfCrashing) {
    const char* bad[] = {"%d", "%s %s", "%", "%q", "%d %"};
    for (const char* f : bad)
        EXPECT_THROW(Format(f, {"text"}), EConvertError) << f;
    EXPECT_THROW(Format("%s", {5}), EConvertError);
    EXPECT_THROW(Format("%d", {2.5}), EConvertError);
    try {
        Format("%d", {"x"});
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ("Format '%d' invalid or incompatible with argument", e.Message());
    }
}

TEST(StrToInt, IsStrict) {
    struct Case {
        const char* text;
        bool ok;
        int64_t value;
    } cases[] = {
        {"0", true, 0},
        {"123", true, 123},
        {"-17", true, -17},
        {"+5", true, 5},
        {"  42", true, 42},
        {"$1F", true, 31},
        {"0x10", true, 16},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483648LL},
        {"2147483648", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"12a", false, 0},
        {"42 ", false, 0},
        {"1.5", false, 0},
        {"-", false, 0},
        {"$", false, 0},
    };
    for (const auto& c : cases) {
        if (c.ok) {
            EXPECT_EQ(c.value, StrToInt(c.text)) << c.text;
        } else {
            EXPECT_THROW(StrToInt(c.text), EConvertError) << c.text;
        }
    }
    EXPECT_EQ(5000000000LL, StrToInt64("5000000000"));
    // Plain digits at and past the length read without the general path.
    EXPECT_EQ(999999999999999999LL, StrToInt64("999999999999999999"));
    EXPECT_EQ(9223372036854775807LL, StrToInt64("9223372036854775807"));
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_EQ(7, StrToInt64("0000000000000000007"));
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    EXPECT_EQ(-1, StrToIntDef("x", -1));
    try {
        StrToInt("abc");
    } catch (const EConvertError& e) {
        EXPECT_EQ("'abc' is not a valid integer value", e.Message());
    }
}

TEST(Round, RoundsHalvesToEven) {
    EXPECT_EQ(2, Round(2.5));
    EXPECT_EQ(4, Round(3.5));
    EXPECT_EQ(-2, Round(-2.5));
    EXPECT_EQ(3, Round(2.6));
    EXPECT_EQ(2, Trunc(2.9));
}

TEST(Trim, RemovesCodesUpTo32) {
    EXPECT_EQ("a b", Trim(std::string("\x01\t a b \r\n\0", 9)));
    EXPECT_EQ("a ", TrimLeft("  a "));
    EXPECT_EQ("  a", TrimRight("  a \x1f"));
    EXPECT_EQ("", Trim("   "));
}

TEST(CaseRules, AsciiRoutinesFoldOnlyAsciiLetters) {
    EXPECT_EQ("abc ё", LowerCase("ABC ё"));
    EXPECT_EQ("ABC Ё", UpperCase("abc Ё"));
    EXPECT_EQ("ABC ё", UpperCase("abc ё"));
    EXPECT_EQ(0, CompareText("BitRate", "bitrate"));
    EXPECT_NE(0, CompareText("ё", "Ё"));
    EXPECT_TRUE(SameText("Artist", "ARTIST"));
    EXPECT_FALSE(SameText(" Artist", "Artist"));
}

TEST(CaseRules, AnsiRoutinesFollowUnicode) {
    EXPECT_EQ("кино björk", AnsiLowerCase("КИНО BJÖRK"));
    EXPECT_EQ("ЁЖИК", AnsiUpperCase("ёжик"));
    EXPECT_TRUE(AnsiSameText("ё", "Ё"));
    EXPECT_EQ(0, AnsiCompareText("Кино", "кИНО"));
    // Alphabet order: е < ё < ж, which code point order gets wrong.
    EXPECT_LT(AnsiCompareText("еда", "ёж"), 0);
    EXPECT_LT(AnsiCompareText("ёж", "жук"), 0);
    EXPECT_LT(AnsiCompareText("а", "Б"), 0);
    EXPECT_LT(AnsiCompareText("Émile", "Frank"), 0);
    EXPECT_LT(AnsiCompareText("10", "a"), 0);
    EXPECT_LT(AnsiCompareStr("a", "A"), 0);
    EXPECT_NE(0, AnsiCompareStr("Кино", "кино"));
}

TEST(Round, ValuesOutside64BitsRaiseInsteadOfWrapping) {
    for (double v : {std::nan(""), 1e19, -1e19, HUGE_VAL, 9223372036854775808.0}) {
        EXPECT_THROW(Round(v), EInvalidOp) << v;
        EXPECT_THROW(Trunc(v), EInvalidOp) << v;
    }
    EXPECT_EQ(-9223372036854775807LL - 1, Trunc(-9223372036854775808.0));
}

TEST(Format, HugeStarWidthRaisesInsteadOfExhaustingMemory) {
    EXPECT_THROW(Format("%*d", {2000000000, 5}), EConvertError);
    EXPECT_THROW(Format("%*d", {-2147483647 - 1, 5}), EConvertError);
    EXPECT_THROW(Format("%.*d", {2000000000, 5}), EConvertError);
    EXPECT_EQ("5   |", Format("%*d|", {-4, 5}));
}

TEST(SysErrorMessage, NamesTheWindowsErrors) {
    EXPECT_EQ("The system cannot find the file specified", SysErrorMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ERROR_DISK_FULL, ErrnoToWinError(ENOSPC));
    EXPECT_EQ(ERROR_ACCESS_DENIED, ErrnoToWinError(EACCES));
    try {
        RaiseLastOSError(ERROR_ACCESS_DENIED);
    } catch (const EOSError& e) {
        EXPECT_EQ(5, e.ErrorCode);
        EXPECT_EQ("System Error.  Code: 5.\nAccess is denied", e.Message());
    }
}
