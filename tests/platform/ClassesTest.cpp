#include "Classes.h"

#include <algorithm>
#include <functional>
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

// A view that follows a list entry by entry must be told which entry each change touched,
// also while the list is inside BeginUpdate/EndUpdate.
TEST(TStrings, ItemChangesNameTheEntriesTheyTouch) {
    using K = TStringsChangeKind;
    struct Case {
        const char* Name;
        std::function<void(TStringList&)> Op;
        std::vector<TStringsChange> Expected;
        std::vector<std::string> After;
    };
    const std::vector<Case> cases = {
        {"add", [](TStringList& l) { l.Add("d"); }, {{K::Inserted, 3, -1}}, {"a", "b", "c", "d"}},
        {"insert",
         [](TStringList& l) { l.Insert(1, "x"); },
         {{K::Inserted, 1, -1}},
         {"a", "x", "b", "c"}},
        {"delete", [](TStringList& l) { l.Delete(0); }, {{K::Deleted, 0, -1}}, {"b", "c"}},
        {"put", [](TStringList& l) { l.Put(2, "z"); }, {{K::Replaced, 2, -1}}, {"a", "b", "z"}},
        {"exchange",
         [](TStringList& l) { l.Exchange(0, 2); },
         {{K::Exchanged, 0, 2}},
         {"c", "b", "a"}},
        {"move", [](TStringList& l) { l.Move(0, 2); }, {{K::Moved, 0, 2}}, {"b", "c", "a"}},
        {"clear", [](TStringList& l) { l.Clear(); }, {{K::Reset, -1, -1}}, {}},
        {"set text", [](TStringList& l) { l.SetText("q\r\nr"); }, {{K::Reset, -1, -1}}, {"q", "r"}},
        {"sorted add lands in order",
         [](TStringList& l) {
             l.SetSorted(true);
             l.Add("bb");
         },
         {{K::Reset, -1, -1}, {K::Inserted, 2, -1}},
         {"a", "b", "bb", "c"}},
        {"inside an update",
         [](TStringList& l) {
             l.BeginUpdate();
             l.Add("d");
             l.Delete(0);
             l.EndUpdate();
         },
         {{K::Inserted, 3, -1}, {K::Deleted, 0, -1}},
         {"b", "c", "d"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringList list{"a", "b", "c"};
        std::vector<TStringsChange> seen;
        list.OnItemChange = [&](TStrings& l, const TStringsChange& change) {
            EXPECT_EQ(&l, &list);
            seen.push_back(change);
        };
        c.Op(list);
        ASSERT_EQ(seen.size(), c.Expected.size());
        for (size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].Kind, c.Expected[i].Kind) << i;
            EXPECT_EQ(seen[i].Index, c.Expected[i].Index) << i;
            EXPECT_EQ(seen[i].Other, c.Expected[i].Other) << i;
        }
        EXPECT_EQ(list.Items(), c.After);
    }
}

// Handing a reader's thousands of texts to a track list copied each one. The entries now
// change hands, and what the receiving list promises (its order when sorted, its notices)
// still holds; the giving list is left empty and says so.
TEST(TStrings, MoveStringsFromHandsTheEntriesOver) {
    TObject marker;
    struct Case {
        const char* Name;
        std::vector<std::string> Before;
        bool Sorted;
        std::vector<std::string> After;
    };
    const std::vector<Case> cases = {
        {"into an empty list", {}, false, {"c", "a", "b"}},
        {"after entries already there", {"x", "y"}, false, {"x", "y", "c", "a", "b"}},
        {"into a sorted list", {"bb"}, true, {"a", "b", "bb", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringList to;
        for (const std::string& s : c.Before)
            to.Add(s);
        to.SetSorted(c.Sorted);
        TStringList from;
        from.Add("c");
        from.AddObject("a", &marker);
        from.Add("b");
        int toChanges = 0, fromChanges = 0;
        to.OnChange = [&](TStrings&) { ++toChanges; };
        from.OnChange = [&](TStrings&) { ++fromChanges; };
        to.MoveStringsFrom(from);
        EXPECT_EQ(c.After, to.Items());
        EXPECT_EQ(&marker, to.GetObject(to.IndexOf("a"))) << "an entry keeps its object";
        EXPECT_EQ(0, from.Count());
        EXPECT_EQ(1, toChanges);
        EXPECT_EQ(1, fromChanges);
        to.MoveStringsFrom(to); // onto itself: nothing happens
        EXPECT_EQ(c.After, to.Items());
    }
}

// The database reader collects its rows in plain vectors and hands each column over whole.
// The list takes the texts as they come (in order when sorted), with no objects, and tells
// of the change once; the vector is left empty.
TEST(TStrings, AppendMovedTakesTheTexts) {
    TObject marker;
    struct Case {
        const char* Name;
        std::vector<std::string> Before;
        bool Sorted;
        std::vector<std::string> Texts;
        std::vector<std::string> After;
        int Changes;
    };
    const std::vector<Case> cases = {
        {"into an empty list", {}, false, {"c", "a", "b"}, {"c", "a", "b"}, 1},
        {"after entries already there", {"x"}, false, {"c", "a"}, {"x", "c", "a"}, 1},
        {"into a sorted list", {"bb"}, true, {"c", "a", "b"}, {"a", "b", "bb", "c"}, 1},
        {"nothing into an empty list", {}, false, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringList to;
        for (const std::string& s : c.Before)
            to.AddObject(s, &marker);
        to.SetSorted(c.Sorted);
        int changes = 0;
        to.OnChange = [&](TStrings&) { ++changes; };
        std::vector<std::string> texts = c.Texts;
        to.AppendMoved(texts);
        EXPECT_EQ(c.After, to.Items());
        EXPECT_TRUE(texts.empty());
        EXPECT_EQ(c.Changes, changes);
        for (int i = 0; i < to.Count(); ++i) {
            const bool before = std::find(c.Before.begin(), c.Before.end(), to[i]) != c.Before.end();
            EXPECT_EQ(before ? &marker : nullptr, to.GetObject(i)) << to[i];
        }
    }
}

// A list keeps no objects while all are null, and an object set on one entry then stays with
// its entry through every change of the list.
TEST(TStrings, AnObjectStaysWithItsEntryWhetherOrNotOthersHaveOne) {
    static int markTarget = 0;
    TObject* const mark = reinterpret_cast<TObject*>(&markTarget);
    struct Case {
        const char* Name;
        std::function<void(TStringList&)> Op;
        std::vector<std::string> After;
        int MarkAt; // -1: no entry carries it
    };
    const std::vector<Case> cases = {
        {"add", [](TStringList& l) { l.Add("d"); }, {"a", "b", "c", "d"}, 1},
        {"add with an object",
         [&](TStringList& l) { l.AddObject("d", mark); },
         {"a", "b", "c", "d"},
         1},
        {"insert before it", [](TStringList& l) { l.Insert(0, "x"); }, {"x", "a", "b", "c"}, 2},
        {"delete before it", [](TStringList& l) { l.Delete(0); }, {"b", "c"}, 0},
        {"delete it", [](TStringList& l) { l.Delete(1); }, {"a", "c"}, -1},
        {"exchange", [](TStringList& l) { l.Exchange(1, 2); }, {"a", "c", "b"}, 2},
        {"move", [](TStringList& l) { l.Move(1, 0); }, {"b", "a", "c"}, 0},
        {"sort",
         [](TStringList& l) {
             l.CustomSort([](const TStringList& s, int a, int b) { return s[b].compare(s[a]); });
         },
         {"c", "b", "a"},
         1},
        {"assign to another",
         [](TStringList& l) {
             TStringList copy;
             copy.Assign(l);
             l.Clear();
             l.AddStrings(copy);
         },
         {"a", "b", "c"},
         1},
        {"put null", [](TStringList& l) { l.PutObject(1, nullptr); }, {"a", "b", "c"}, -1},
        {"load text", [](TStringList& l) { l.SetText("p\r\nq"); }, {"p", "q"}, -1},
    };
    for (const bool withObject : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (withObject ? " (b has an object)" : ""));
            TStringList l{"a", "b", "c"};
            if (withObject)
                l.PutObject(1, mark);
            c.Op(l);
            EXPECT_EQ(c.After, l.Items());
            for (int i = 0; i < l.Count(); ++i) {
                const bool carries = withObject && i == c.MarkAt;
                const bool added = std::string(c.Name) == "add with an object" && i == 3;
                EXPECT_EQ(carries || added ? mark : nullptr, l.GetObject(i)) << i;
            }
            const int marked = l.IndexOfObject(mark);
            if (std::string(c.Name) == "add with an object")
                EXPECT_EQ(withObject ? 1 : 3, marked);
            else
                EXPECT_EQ(withObject ? c.MarkAt : -1, marked);
            EXPECT_EQ(l.Count() == 0 ? -1 : (withObject && c.MarkAt == 0 ? 1 : 0),
                      l.IndexOfObject(nullptr));
        }
    }
}

// Lines of any break (CR LF, LF, CR), with or without a last break, load as before.
TEST(TStrings, SetTextSplitsEveryKindOfBreak) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\rc\r\n", {"a", "b", "c"}},
        {"\r\n\r\n", {"", ""}},
        {"\n\r", {"", ""}},
        {"a\r\rb", {"a", "", "b"}},
    };
    for (const auto& [text, lines] : cases) {
        TStringList l;
        l.SetText(text);
        EXPECT_EQ(lines, l.Items()) << text;
        EXPECT_EQ(nullptr, lines.empty() ? nullptr : l.GetObject(0));
    }
}
