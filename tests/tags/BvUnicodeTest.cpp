#include "BvUnicode.h"
#include "Drives.h"
#include "Files.h"
#include "Locales.h"
#include "RtStrings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

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

TEST(BvUnicode, LocalesOrderTheListAndPickItsCodePage) {
    const uint32_t swedish = 0x041D, german = 0x0407;
    EXPECT_GT(WideCompareText(u"ö", u"z", swedish), 0); // Swedish letters follow "z"
    EXPECT_LT(WideCompareText(u"ö", u"z", german), 0);
    EXPECT_EQ(WideCompareText(u"Straße", u"STRAßE", german), 0);
    EXPECT_EQ(WideCompareText(u"кино", u"КИНО", 0x0419), 0);
    EXPECT_NE(WideCompareText(u"e", u"é", german), 0); // case is ignored, accents are not

    TWideStringList list;
    EXPECT_EQ(list.Language(), GetUserDefaultLCID());
    list.SetLanguage(swedish);
    list.SetSorted(true);
    for (const char16_t* s : {u"Örebro", u"Zürich", u"Oslo", u"Aachen"})
        list.Add(s);
    EXPECT_EQ(list.Text(), u"Aachen\r\nOslo\r\nZürich\r\nÖrebro\r\n");
    int changes = 0;
    list.OnChange = [&](TWideStrings&) { ++changes; };
    list.SetLanguage(german); // a sorted list follows its new order
    EXPECT_EQ(list.Text(), u"Aachen\r\nÖrebro\r\nOslo\r\nZürich\r\n");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.IndexOf(u"ZÜRICH"), 3);
}

TEST(BvUnicode, CodePageFromLocale) {
    struct Case {
        uint32_t locale;
        unsigned codePage;
    };
    const Case cases[] = {
        {0x0419, 1251}, {0x0422, 1251}, {0x0407, 1252}, {0x0409, 1252}, {0x040C, 1252},
        {0x0415, 1250}, {0x0405, 1250}, {0x0408, 1253}, {0x041F, 1254}, {0x040D, 1255},
        {0x0401, 1256}, {0x0426, 1257}, {0x042A, 1258}, {0x041E, 874},  {0x0411, 932},
        {0x0412, 949},  {0x0804, 936},  {0x0404, 950},  {0x0C04, 950},  {0x041A, 1250},
        {0x0C1A, 1251}, {0x042C, 1254}, {0x082C, 1251}, {0x0439, 0},    {0x042B, 0}};
    for (const Case& c : cases) {
        if (c.locale == GetUserDefaultLCID())
            continue; // the user's own locale has the system's code page
        EXPECT_EQ(CodePageFromLocale(c.locale), c.codePage) << std::hex << c.locale;
    }
    EXPECT_EQ(CodePageFromLocale(LOCALE_USER_DEFAULT), 65001u);
    EXPECT_EQ(CodePageFromLocale(LOCALE_SYSTEM_DEFAULT), 65001u);
    EXPECT_EQ(CodePageFromLocale(GetUserDefaultLCID()), 65001u);
}

TEST(BvUnicode, EightBitItemsUseTheCodePageOfTheLanguage) {
    TStringList ansi{"\xCA\xE8\xED\xEE", "Abc"};
    TWideStringList list;
    list.SetLanguage(0x0419);
    list.AddStrings(ansi);
    EXPECT_EQ(list[0], u"Кино");
    TStringList back;
    list.AssignTo(back);
    EXPECT_EQ(back[0], "\xCA\xE8\xED\xEE");

    TWideStringList polish;
    polish.SetLanguage(0x0415);
    polish.Assign(TStringList{"\xB3\xF3\x64\xBF"}); // "łódż" in windows-1250
    EXPECT_EQ(polish[0], u"łódż");
    TWideStringList user; // the user's locale: the program's own UTF-8 text
    user.Assign(TStringList{"Björk"});
    EXPECT_EQ(user[0], u"Björk");
    user.Assign(list); // wide text is copied as it is
    EXPECT_EQ(user[0], u"Кино");
}

TEST(BvUnicode, UpdatesExchangeMoveAndCapacity) {
    TWideStringList list;
    list.NormalizationForm = TNormalizationForm::nfNone;
    list.SetText(u"a\nb\nc\nd");
    TObject first, last;
    list.PutObject(0, &first);
    list.PutObject(3, &last);
    std::vector<std::string> events;
    list.OnChanging = [&](TWideStrings&) { events.push_back("changing"); };
    list.OnChange = [&](TWideStrings&) { events.push_back("change"); };

    list.Exchange(0, 3);
    EXPECT_EQ(list.Text(), u"d\r\nb\r\nc\r\na\r\n");
    EXPECT_EQ(list.GetObject(0), &last);
    EXPECT_EQ(list.GetObject(3), &first);
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));

    events.clear();
    list.Move(3, 1); // one change told for the delete and the insert together
    EXPECT_EQ(list.Text(), u"d\r\na\r\nb\r\nc\r\n");
    EXPECT_EQ(list.GetObject(1), &first);
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));

    events.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(u"e");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(events, std::vector<std::string>{"changing"});
    list.EndUpdate();
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
    EXPECT_THROW(list.Exchange(0, 9), EListError);

    list.SetCapacity(100);
    EXPECT_GE(list.Capacity(), 100);
    EXPECT_EQ(list.Count(), 4);
    list.SetSorted(true);
    EXPECT_THROW(list.Move(0, 2), EListError); // a sorted list keeps its order
}

TEST(BvUnicode, StreamsAndFilesKeepTheText) {
    const std::string folder = IncludeTrailingPathDelimiter(CreateTempFolder("bvunicode"));
    struct TRemoved {
        std::string Folder;
        ~TRemoved() {
            std::error_code ignored;
            std::filesystem::remove_all(ToLinuxPath(Folder), ignored);
        }
    } removed{folder};
    TWideStringList list;
    list.SetText(u"Кино\r\nBjörk\r\n\U0001F3B5");
    list.SaveToFile(folder + "list.txt");
    EXPECT_EQ(FileToString(folder + "list.txt").substr(0, 2), "\xFF\xFE");
    TWideStringList back;
    back.LoadFromFile(folder + "list.txt");
    EXPECT_EQ(back.Text(), list.Text());

    TMemoryStream big;
    const std::string bytes = std::string("\xFE\xFF\x04\x1A\x00\x0A\x00x", 8);
    big.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    big.SetPosition(0);
    back.LoadFromStream(big);
    EXPECT_EQ(back.Text(), u"К\r\nx\r\n");

    // 8-bit saving asks before letters are lost; a refusal keeps them in UTF-16.
    list.SaveUnicode = false;
    list.SetLanguage(0x0407);
    int asked = 0;
    list.OnConfirmConversion = [&](TWideStrings&, bool& allowed) {
        ++asked;
        allowed = false;
    };
    TMemoryStream refused;
    list.SaveToStream(refused);
    EXPECT_EQ(asked, 1);
    refused.SetPosition(0);
    back.LoadFromStream(refused);
    EXPECT_EQ(back.Text(), list.Text());
    list.OnConfirmConversion = [&](TWideStrings&, bool&) { ++asked; };
    list.SaveToFile(folder + "ansi.txt");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(FileToString(folder + "ansi.txt"), "????\r\nBj\xF6rk\r\n?\r\n");
    list.SetText(u"Björk");
    list.SaveToFile(folder + "ansi.txt"); // nothing lost: nobody asked
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(FileToString(folder + "ansi.txt"), "Bj\xF6rk\r\n");
    EXPECT_THROW(back.LoadFromFile(folder + "missing.txt"), EFOpenError);
}
