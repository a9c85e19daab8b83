// Reads the committed real files (made by tests/data/tags/make_fixtures.sh) the
// way the track manager does: artist, title, album, length, bitrate and size.
#include "BvID3v1.h"
#include "BvID3v2.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string WindowsPath(const std::string& name) {
    std::string path = "C:" + std::string(BV_TEST_DATA_DIR) + "/tags/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

int64_t FileSize(const std::string& name) {
    struct stat st {};
    stat((std::string(BV_TEST_DATA_DIR) + "/tags/" + name).c_str(), &st);
    return st.st_size;
}

} // namespace

struct FixtureCase {
    const char* file;
    const char* artist;
    const char* title;
    const char* album;
    int seconds, kbps;
    bool variable;
};

TEST(BvTagFixtures, RealFilesReadAsTheTrackManagerReadsThem) {
    const FixtureCase cases[] = {
        // An "Info" header: the rate comes from its byte count, which includes the
        // header's own frame, so a 128 kbit/s file reads as 130.
        {"v23_latin1_cbr.mp3", "Björk", "Jóga", "Homogenic", 2, 130, true},
        {"v23_utf16_cbr_noheader.mp3", "Кино", "Группа крови", "Группа крови", 2, 128, false},
        {"v24_utf8_vbr.mp3", "AC/DC", "Thunderstruck", "The Razors Edge", 2, 36, true},
        {"v24_utf16be_mpeg2.mp3", "Ελληνικά", "Τίτλος", "Δίσκος", 2, 32, false},
        {"v24_multi_artist_mpeg25.mp3", "Kino", "Song", "Album", 2, 16, false},
        {"v11_only.mp3", "", "", "", 2, 130, true},
        {"bad_encoding_frame.mp3", "", "Jóga", "Homogenic", 2, 130, true},
        // A tag size past the end of the file: the audio is found behind the last
        // whole frame. The cut copy holds 0.03 s of it, behind an "Info" header that
        // counts the bytes of the whole file and is therefore ignored.
        {"tag_size_past_end.mp3", "Björk", "Jóga", "Homogenic", 2, 130, true},
        {"truncated_tag_size.mp3", "Björk", "Jóga", "Homogenic", 0, 128, false},
        {"no_audio_frames.mp3", "Björk", "Jóga", "Homogenic", 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TBvID3v2 tag;
        tag.SetFileName(WindowsPath(c.file));
        ASSERT_NO_THROW(tag.Open());
        const TStrings& artists = tag.Texts().LeadArtist();
        EXPECT_EQ(artists.Count() > 0 ? artists[0] : std::string(), c.artist);
        EXPECT_EQ(tag.Texts().Title(), c.title);
        EXPECT_EQ(tag.Texts().Album(), c.album);
        EXPECT_EQ(tag.FileInfo().LengthSeconds, c.seconds);
        EXPECT_EQ(tag.FileInfo().BitrateKbps, c.kbps);
        EXPECT_EQ(tag.FileInfo().IsVariableRate, c.variable);
        EXPECT_EQ(tag.FileInfo().FileByteSize, FileSize(c.file));
    }
}

// 400 KiB of zeros between the tag and the first frame: more than the first stretch
// searched, and the time and bitrate are still read.
TEST(BvTagFixtures, PaddingOfHundredsOfKilobytesBeforeTheAudio) {
    std::FILE* in =
        std::fopen((std::string(BV_TEST_DATA_DIR) + "/tags/v23_latin1_cbr.mp3").c_str(), "rb");
    ASSERT_NE(nullptr, in);
    std::string bytes;
    for (int c; (c = std::fgetc(in)) != EOF;)
        bytes += static_cast<char>(c);
    std::fclose(in);
    ASSERT_EQ("ID3", bytes.substr(0, 3));
    size_t tagEnd = 10;
    for (int i = 6; i < 10; ++i)
        tagEnd += size_t(uint8_t(bytes[size_t(i)]) & 0x7F) << (7 * (9 - i));
    bytes.insert(tagEnd, std::string(400 * 1024, '\0'));
    char folder[] = "/tmp/bv-padding-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string path = std::string(folder) + "/padded.mp3";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, out);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    TBvID3v2 tag;
    std::string windows = "C:" + path;
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    tag.SetFileName(windows);
    ASSERT_NO_THROW(tag.Open());
    EXPECT_EQ(tag.Texts().Title(), "Jóga");
    EXPECT_EQ(tag.FileInfo().FirstFrameOffset, int64_t(tagEnd + 400 * 1024));
    EXPECT_EQ(tag.FileInfo().LengthSeconds, 2);
    EXPECT_EQ(tag.FileInfo().BitrateKbps, 130);
    std::remove(path.c_str());
    rmdir(folder);
}

TEST(BvTagFixtures, Id3v1Trailer) {
    TBvID3v1 v1;
    v1.SetFileName(WindowsPath("v11_only.mp3"));
    ASSERT_TRUE(v1.HasTag());
    v1.Open();
    EXPECT_EQ(v1.SongName, "Café");
    EXPECT_EQ(v1.Artist, "Sigur Rós");
    EXPECT_EQ(v1.Album, "Ágætis byrjun");
    EXPECT_EQ(v1.AlbumTrack, 5);
    EXPECT_EQ(v1.GenreAsString(), "Rock");
    v1.SetFileName(WindowsPath("v23_latin1_cbr.mp3"));
    EXPECT_FALSE(v1.HasTag());
}

TEST(BvTagFixtures, SecondArtistOfAVersion24List) {
    TBvID3v2 tag;
    tag.SetFileName(WindowsPath("v24_multi_artist_mpeg25.mp3"));
    tag.Open();
    ASSERT_EQ(tag.Texts().LeadArtist().Count(), 2);
    EXPECT_EQ(tag.Texts().LeadArtist()[1], "Viktor Tsoi");
    EXPECT_EQ(tag.FileInfo().SampleRateHz, 8000);
    EXPECT_EQ(tag.FileInfo().MpegVersionCode, 0);
}

TEST(BvTagFixtures, TagsCarryNoEncoderNameOrAddress) {
    const char* files[] = {
        "v23_latin1_cbr.mp3",     "v23_utf16_cbr_noheader.mp3",  "v24_utf8_vbr.mp3",
        "v24_utf16be_mpeg2.mp3",  "v24_multi_artist_mpeg25.mp3", "v11_only.mp3",
        "bad_encoding_frame.mp3", "no_audio_frames.mp3"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        TBvID3v2 tag;
        tag.SetFileName(WindowsPath(file));
        tag.Open();
        TBvID3Frame* frame = nullptr;
        EXPECT_FALSE(tag.FindFrame(fiEncodedBy, frame));
        EXPECT_FALSE(tag.FindFrame(fiEncoderSettings, frame));
        // The raw tag bytes (ID3v2 and the ID3v1 trailer) name no program and no address.
        FILE* f = std::fopen((std::string(BV_TEST_DATA_DIR) + "/tags/" + file).c_str(), "rb");
        ASSERT_NE(f, nullptr);
        std::string bytes(size_t(FileSize(file)), '\0');
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
        std::string tags =
            bytes.substr(0, size_t(tag.Header().HasTag() ? tag.Header().Size() + 10 : 0));
        if (bytes.size() >= 128 && bytes.compare(bytes.size() - 128, 3, "TAG") == 0)
            tags += bytes.substr(bytes.size() - 128);
        for (const char* word : {"LAME", "lame", "Lavf", "mutagen", "http", "www.", ".com", ".org"})
            EXPECT_EQ(tags.find(word), std::string::npos) << word;
    }
}
