#include "BvStringHolder.h"

#include <gtest/gtest.h>

namespace {
TBvMultiStringHolder TrackTable() {
    return TBvMultiStringHolder{"Artist", "Title",    "Album",   "Time",
                                "Size",   "FileName", "BitRate", "UID"};
}
} // namespace

TEST(TBvMultiStringHolder, LooksUpColumnsWithoutRegardToAsciiCase) {
    auto h = TrackTable();
    for (const char* name : {"BitRate", "bitrate", "BITRATE"})
        EXPECT_EQ(&h.StringsByName("BitRate"), &h.StringsByName(name)) << name;
    EXPECT_NE(&h.StringsByName("Artist"), &h.StringsByName("Title"));
}

TEST(TBvMultiStringHolder, UnknownOrUntrimmedNameIsAnError) {
    auto h = TrackTable();
    for (const char* name : {" Artist", "Genre", ""}) {
        try {
            h.StringsByName(name);
            FAIL() << name;
        } catch (const EBvMultiStringHolderException& e) {
            EXPECT_EQ(std::string("No item found with name \"") + name + "\"", e.Message());
        }
    }
}

TEST(TBvMultiStringHolder, NamesAreTrimmedAndMustBeUnique) {
    TBvMultiStringHolder h;
    auto& a = h.MultipleStrings().Add();
    a.SetName("  Title  ");
    EXPECT_EQ("Title", a.Name());
    auto& b = h.MultipleStrings().Add();
    try {
        b.SetName("title");
        FAIL() << "duplicate accepted";
    } catch (const EBvException& e) {
        EXPECT_EQ("String list does not allow duplicates", e.Message());
    }
    EXPECT_EQ("", b.Name());
    // Only "a" to "z" fold: names differing in other letters' case are distinct.
    b.SetName("Ёлка");
    auto& c = h.MultipleStrings().Add();
    EXPECT_NO_THROW(c.SetName("ёлка"));
    EXPECT_EQ(&b, &h.ItemByName("Ёлка"));
    EXPECT_EQ(&c, &h.ItemByName("ёлка"));
    // Giving an item its own name again is refused as well.
    EXPECT_THROW(a.SetName("TITLE"), EBvException);
    EXPECT_EQ("Title", a.Name());
}

TEST(TBvMultiStringHolder, UnnamedItems) {
    TBvMultiStringHolder h;
    auto& a = h.MultipleStrings().Add();
    auto& b = h.MultipleStrings().Add();
    a.SetName("  ");
    b.SetName("");
    EXPECT_EQ("(unnamed)", a.GetDisplayName());
    EXPECT_EQ("(unnamed)", b.GetDisplayName());
    EXPECT_EQ(&a, &h.ItemByName(""));
}

TEST(TBvMultiStringHolder, AssigningStringsKeepsTheListObject) {
    auto h = TrackTable();
    TStringList& artists = h.StringsByName("Artist");
    TStringList other{"Кино", "Björk"};
    h.ItemByName("artist").SetStrings(other);
    EXPECT_EQ(2, artists.Count());
    EXPECT_EQ("Björk", artists[1]);
    TBvMultiStringHolder copy = h;
    copy.StringsByName("Artist").Clear();
    EXPECT_EQ(2, h.StringsByName("Artist").Count());
}
