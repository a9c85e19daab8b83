#include "BvID3v1.h"
#include "BvID3Tables.h"
#include "TagBuilders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace tagtest;

namespace {

TBvID3v1 Read(const std::string& bytes) {
    TBvBytesStream stream(bytes);
    TBvID3v1 tag;
    tag.ReadFromStream(stream);
    return tag;
}

} // namespace

TEST(BvID3v1, ReadsFieldsTrackAndGenre) {
    auto tag = Read(CbrAudio(2) +
                    V1Trailer("Song", "Artist", "Album", "1999", std::string(28, 'c'), 7, 17));
    EXPECT_EQ(tag.SongName, "Song");
    EXPECT_EQ(tag.Artist, "Artist");
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Year, "1999");
    EXPECT_EQ(tag.Comment, std::string(28, 'c'));
    EXPECT_EQ(tag.AlbumTrack, 7);
    EXPECT_EQ(tag.Genre, 17);
    EXPECT_EQ(tag.GenreAsString(), "Rock");

    tag = Read(V1Trailer("x", std::string(30, ' '), "", "", std::string(30, 'd'), -1, 255));
    EXPECT_EQ(tag.Artist, std::string(30, ' ')); // the caller trims
    EXPECT_EQ(tag.Comment, std::string(30, 'd'));
    EXPECT_EQ(tag.AlbumTrack, 0);
    EXPECT_EQ(tag.GenreAsString(), "");
}

TEST(BvID3v1, Latin1BytesArriveAsText) {
    const auto tag = Read(V1Trailer("Hyper", "Bj\xF6rk", "Caf\xE9"));
    EXPECT_EQ(tag.Artist, "Björk");
    EXPECT_EQ(tag.Album, "Café");
}

TEST(BvID3v1, MissingOrShortTrailer) {
    for (const std::string& bytes :
         {std::string(), std::string("TAG"), CbrAudio(1), std::string(127, 'T'),
          "tag" + V1Trailer("a", "b", "c").substr(3)}) {
        const auto tag = Read(bytes);
        EXPECT_EQ(tag.SongName, "");
        EXPECT_EQ(tag.Artist, "");
        EXPECT_EQ(tag.Genre, 255);
    }
}

TEST(BvID3v1, GenreNames) {
    TBvID3v1 tag;
    tag.SetGenreAsString("rOCK");
    EXPECT_EQ(tag.Genre, 17);
    tag.SetGenreAsString("psychadelic");
    EXPECT_EQ(tag.Genre, 67);
    tag.SetGenreAsString("No Such Genre");
    EXPECT_EQ(tag.Genre, 255);
    EXPECT_EQ(GenreToID("No Such Genre", false), 12);
    EXPECT_EQ(GenreToID("SynthPop", false), 12);
    EXPECT_EQ(GenreToID("SynthPop", true), 147);
    EXPECT_EQ(IDToGenre(80, false), "");
    EXPECT_EQ(IDToGenre(80, true), "Folk");
    EXPECT_EQ(IDToGenre(144, true), "Trash Metal");
    EXPECT_EQ(IDToGenre(148, true), "");
}

TEST(BvID3Tables, LanguagesAndFrameIds) {
    EXPECT_TRUE(IsValidLanguage("ENG"));
    EXPECT_TRUE(IsValidLanguage("rus"));
    EXPECT_FALSE(IsValidLanguage("en"));
    EXPECT_FALSE(IsValidLanguage("qqq"));
    EXPECT_EQ(LanguageIndex("aar"), 0);
    EXPECT_GT(LanguageCount(), 450);
    EXPECT_EQ(StringToFrameID("TPE1"), fiLeadArtist);
    EXPECT_EQ(StringToFrameID("TP1"), fiLeadArtist);
    EXPECT_EQ(StringToFrameID("TXXX"), fiUserText);
    EXPECT_EQ(StringToFrameID("TXX"), fiUserText);
    EXPECT_EQ(StringToFrameID("tit2"), fiErrorFrame);
    EXPECT_EQ(StringToFrameID(std::string(4, '\0')), fiPaddingFrame);
    EXPECT_EQ(StringToFrameID(""), fiPaddingFrame);
    EXPECT_EQ(StringToFrameID("ZZZZ"), fiUnknownFrame);
    EXPECT_EQ(StringToFrameID("TIT22"), fiErrorFrame);
    EXPECT_EQ(FrameIDToString(fiMetaCrypto, 4), std::string(4, '\0'));
    EXPECT_EQ(FrameIDToString(fiTitle, 3), "TT2");
    EXPECT_THROW(FrameIDToString(fiTitle, 5), EBvException);
}

TEST(BvID3v1, ComponentOpensWindowsPathsAndCachesTheTest) {
    const std::string dir = std::string(BV_BINARY_DIR) + "/tags_v1_test";
    std::system(("mkdir -p '" + dir + "'").c_str());
    const std::string linux = dir + "/a.mp3";
    {
        FILE* f = std::fopen(linux.c_str(), "wb");
        const std::string bytes = CbrAudio(2) + V1Trailer("T", "A", "B");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string windows = "C:" + linux;
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    TBvID3v1 tag;
    tag.SetFileName(windows);
    EXPECT_TRUE(tag.HasTag());
    std::remove(linux.c_str());
    EXPECT_TRUE(tag.HasTag()); // cached: the file is not asked again
    EXPECT_THROW(tag.Open(), EStreamError);
    EXPECT_FALSE(tag.Active());
    tag.SetFileName(windows + "x");
    EXPECT_THROW(tag.HasTag(), EStreamError);
}
