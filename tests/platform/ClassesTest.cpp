#include "Classes.h"

#include <gtest/gtest.h>

TEST(TStrings, TextJoinsWithCrLfAndSplitsAtAnyLineBreak) {
    TStringList l;
    l.SetText("a\r\nb\nc\rd\r\n\r\ne");
    ASSERT_EQ(6, l.Count());
    EXPECT_EQ("d", l[3]);
    EXPECT_EQ("", l[4]);
    EXPECT_EQ("a\r\nb\r\nc\r\nd\r\n\r\ne\r\n", l.Text());
    l.SetText("x\r\n");
    EXPECT_EQ(1, l.Count());
    l.SetText("");
    EXPECT_EQ(0, l.Count());
}

TEST(TStrings, EditingOperations) {
    TStringList l{"a", "b", "c"};
    l.Insert(1, "x");
    l.Delete(0);
    l.Exchange(0, 2);
    EXPECT_EQ((std::vector<std::string>{"c", "b", "x"}), l.Items());
    l.Move(0, 2);
    EXPECT_EQ((std::vector<std::string>{"b", "x", "c"}), l.Items());
    EXPECT_THROW(l.Get(3), EListError);
    EXPECT_THROW(l.Delete(-1), EListError);
    l.Insert(3, "end");
    EXPECT_EQ("end", l[3]);
    TStringList copy;
    copy.Assign(l);
    EXPECT_EQ(l.Items(), copy.Items());
}

TEST(TStrings, IndexOfIgnoresCase) {
    TStringList l{"Artist", "Кино", "BitRate"};
    EXPECT_EQ(2, l.IndexOf("bitrate"));
    EXPECT_EQ(1, l.IndexOf("КИНО"));
    EXPECT_EQ(-1, l.IndexOf(" Artist"));
}

TEST(TStringList, SortsAndFindsInLocaleOrder) {
    TStringList l{"жук", "ёж", "еда", "Б", "а"};
    l.Sort();
    EXPECT_EQ((std::vector<std::string>{"а", "Б", "еда", "ёж", "жук"}), l.Items());
    l.SetSorted(true);
    l.Add("в");
    EXPECT_EQ("в", l[2]);
    EXPECT_EQ(4, l.IndexOf("ЁЖ"));
    EXPECT_THROW(l.Insert(0, "z"), EListError);
}

TEST(TStrings, NameValuePairs) {
    TStringList l{"A=1", "b=two"};
    EXPECT_EQ("two", l.Values("B"));
    l.SetValue("c", "3");
    EXPECT_EQ("c=3", l[2]);
    l.SetValue("A", "");
    EXPECT_EQ(2, l.Count());
}

TEST(TStringList, CustomSortSurvivesAnInconsistentComparison) {
    TStringList l;
    for (int i = 0; i < 200; ++i)
        l.Add(std::to_string(i % 17));
    // Claims "less" both ways, as a sloppy column comparison might.
    l.CustomSort([](const TStringList&, int, int) { return -1; });
    EXPECT_EQ(200, l.Count());
    l.CustomSort([](const TStringList& s, int a, int b) {
        return StrToInt(s[a]) < StrToInt(s[b]) ? -1 : StrToInt(s[a]) > StrToInt(s[b]) ? 1 : 0;
    });
    for (int i = 1; i < l.Count(); ++i)
        ASSERT_LE(StrToInt(l[i - 1]), StrToInt(l[i]));
}

TEST(TStringList, SortIsStable) {
    TStringList l{"b", "A", "a", "B", "a"};
    l.PutObject(2, reinterpret_cast<TObject*>(&l));
    l.Sort();
    EXPECT_EQ((std::vector<std::string>{"A", "a", "a", "b", "B"}), l.Items());
    EXPECT_EQ(reinterpret_cast<TObject*>(&l), l.GetObject(1));
}
