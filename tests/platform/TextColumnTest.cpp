#include "TextColumn.h"

#include "Classes.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

// The column and a string list given the same text hold the same entries and write the
// same text back.
void ExpectSameAsStringList(const TTextColumn& column, std::string_view text) {
    TStringList list;
    list.SetText(text);
    ASSERT_EQ(list.Count(), column.Count());
    EXPECT_EQ(list.Items(), column.Items());
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list[i], column.View(i)) << i;
    EXPECT_EQ(list.Text(), column.Text());
}

} // namespace

TEST(TTextColumn, SplitsLinesExactlyAsAStringList) {
    const std::string texts[] = {
        "",
        "one",
        "one\r\n",
        "one\r\ntwo",
        "one\ntwo\rthree\r\nfour",
        "\r\n",
        "\n\n",
        "\r\r",
        "\r\n\r\n",
        "\n\r",
        "a\r\n\r\nb\r\n",
        "trailing\r",
        "\r\nleading",
        "x\r\r\ny\n\r\nz",
        std::string("nul\0inside\r\n", 13),
        "caf\xc3\xa9\r\n\xff\xfe not UTF-8\n\x80\r",
        "  spaces kept  \r\n\t\r\n",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(testing::PrintToString(text));
        TTextColumn column;
        column.Add("left over");
        column.SetText(text);
        ExpectSameAsStringList(column, text);
    }
    // A loaded column keeps no room beyond its text and one end per entry.
    std::string file;
    for (int i = 0; i < 1000; ++i)
        file += "line " + std::to_string(i) + (i % 3 == 0 ? "\n" : "\r\n");
    TTextColumn column;
    column.SetText(file);
    ExpectSameAsStringList(column, file);
    EXPECT_EQ(column.Chars().size() + 1000 * sizeof(uint32_t), column.HeldBytes());
}

TEST(TTextColumn, RemoveDeleteAndPermuteKeepEachEntryWhole) {
    TTextColumn column;
    TStringList list;
    const char* values[] = {"", "alpha", "b", "", "gamma ray", "\xe9t\xe9", "z", ""};
    for (const char* v : values) {
        column.Add(v);
        list.Add(v);
    }
    // Every other one removed, the first and the last among them.
    std::vector<bool> remove = {true, false, true, false, true, false, false, true};
    column.Remove(remove);
    for (int i = static_cast<int>(remove.size()) - 1; i >= 0; --i)
        if (remove[static_cast<size_t>(i)])
            list.Delete(i);
    EXPECT_EQ(list.Items(), column.Items());
    // A flag list shorter than the column keeps the entries past its end.
    column.Remove({true});
    list.Delete(0);
    EXPECT_EQ(list.Items(), column.Items());
    column.Delete(1);
    list.Delete(1);
    column.Delete(column.Count() - 1);
    list.Delete(list.Count() - 1);
    EXPECT_EQ(list.Items(), column.Items());
    EXPECT_THROW(column.Delete(column.Count()), EListError);
    EXPECT_THROW(column.View(-1), EListError);

    TTextColumn sorted;
    for (const char* v : {"c", "", "aa", "b", "dddd"})
        sorted.Add(v);
    std::vector<int> order = {2, 3, 0, 4, 1};
    sorted.Permute(order);
    EXPECT_EQ((std::vector<std::string>{"aa", "b", "c", "dddd", ""}), sorted.Items());
    EXPECT_EQ("aa\r\nb\r\nc\r\ndddd\r\n\r\n", sorted.Text());

    sorted.Clear();
    EXPECT_EQ(0, sorted.Count());
    EXPECT_EQ(0u, sorted.Chars().size());
    EXPECT_EQ(0, sorted.Add("again"));
    EXPECT_EQ("again", sorted.View(0));
}

TEST(TTextColumn, FindsTheEntryOfEachCharacter) {
    TTextColumn column;
    for (const char* v : {"ab", "", "", "c", "def"})
        column.Add(v);
    const int expected[] = {0, 0, 3, 4, 4, 4};
    for (size_t offset = 0; offset < column.Chars().size(); ++offset) {
        EXPECT_EQ(expected[offset], column.IndexAt(offset)) << offset;
        const int at = expected[offset];
        EXPECT_LE(column.Start(at), offset);
        EXPECT_LT(offset, column.Start(at + 1));
    }
}
