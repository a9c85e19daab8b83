#include "BvID3v2.h"
#include "BvID3BinaryFrame.h"
#include "BvID3SimpleListFrame.h"
#include "BvID3TextFrame.h"
#include "TagBuilders.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace tagtest;

namespace {

// Opens a component over bytes in memory.
struct TOpened {
    std::string bytes;
    TBvBytesStream stream{bytes};
    TBvID3v2 tag;
    explicit TOpened(std::string b) : bytes(std::move(b)), stream(bytes) { tag.OpenStream(stream); }
};

std::string Latin1(const std::string& utf8) {
    return Utf8ToSingleByte(utf8, TCodePage::Latin1);
}

std::string TextData(int encoding, const std::u16string& text) {
    switch (encoding) {
    case 0:
        return std::string(1, '\0') + Latin1(Utf16ToUtf8(text));
    case 1:
        return "\x01" + Utf16LE(text);
    case 2:
        return "\x02" + Utf16BE(text);
    default:
        return "\x03" + Utf16ToUtf8(text);
    }
}

std::string Id(int version, const char* v22, const char* v23) {
    return version == 2 ? v22 : v23;
}

} // namespace

struct EncodingCase {
    int version;
    int encoding;
    std::u16string artist, title, album;
};

TEST(BvID3v2, EveryVersionAndEncodingDeliversUtf8) {
    const EncodingCase cases[] = {
        {2, 0, u"Björk", u"Jóga", u"Homogenic"}, {2, 1, u"Кино", u"Группа крови", u"Альбом"},
        {3, 0, u"Björk", u"Jóga", u"Homogenic"}, {3, 1, u"Кино", u"Группа крови", u"Альбом"},
        {4, 0, u"Björk", u"Jóga", u"Homogenic"}, {4, 1, u"Кино", u"Звезда", u"Альбом"},
        {4, 2, u"Кино", u"Звезда", u"日本"},     {4, 3, u"Кино", u"Звезда", u"Ελληνικά"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "v2." << c.version << " encoding " << c.encoding);
        const int v = c.version;
        std::string body = V2Frame(v, Id(v, "TP1", "TPE1"), TextData(c.encoding, c.artist)) +
                           V2Frame(v, Id(v, "TT2", "TIT2"), TextData(c.encoding, c.title)) +
                           V2Frame(v, Id(v, "TAL", "TALB"), TextData(c.encoding, c.album));
        TOpened o(V2Tag(v, body, 0, 64) + CbrAudio(200) + V1Trailer("v1", "v1", "v1"));
        EXPECT_EQ(o.tag.Version(), TBvID3Version(v - 1));
        ASSERT_EQ(o.tag.Texts().LeadArtist().Count(), 1);
        EXPECT_EQ(o.tag.Texts().LeadArtist()[0], Utf16ToUtf8(c.artist));
        EXPECT_EQ(o.tag.Texts().Title(), Utf16ToUtf8(c.title));
        EXPECT_EQ(o.tag.Texts().Album(), Utf16ToUtf8(c.album));
        EXPECT_EQ(o.tag.FileInfo().BitrateKbps, 128);
        EXPECT_EQ(o.tag.FileInfo().LengthSeconds, 5);
        EXPECT_EQ(o.tag.FileInfo().FirstFrameOffset, int64_t(o.tag.Header().Size()) + 10);
        EXPECT_EQ(o.tag.FileInfo().FileByteSize, int64_t(o.bytes.size()));
    }
}

TEST(BvID3v2, Utf16Marks) {
    struct Case {
        std::string data;
        std::string expect;
    } cases[] = {
        {"\x01" + Utf16LE(u"Hi"), "Hi"},
        {"\x01" + Utf16BE(u"Hi", true), "Hi"},
        // No byte order mark: the order is read from where the zero bytes sit.
        {"\x01" + Utf16LE(u"Hi", false), "Hi"},
        {"\x01" + Utf16BE(u"Hi"), "Hi"},
        {"\x01" + Utf16LE(u"Björk", false), "Björk"},
        {"\x01" + Utf16BE(u"Björk"), "Björk"},
        {"\x01" + Utf16LE(u"Hi", false) + std::string(2, '\0') + Utf16BE(u"x"), "Hi"},
        // Nothing to tell by (no zero bytes): little-endian.
        {"\x01" + Utf16LE(u"Кино", false), "Кино"},
        {"\x01" + std::string(2, '\0') + Utf16LE(u"Hi", false), ""}, // an empty text
        {"\x02" + Utf16BE(u"Hi"), "Hi"},
        {std::string("\x00Ti\x00tle", 6), "Ti"},
        {"\x03\xC3\xA9t\xC3\xA9", "été"},
        {"\x03\xA9", "©"},                                      // a lone byte stands for itself
        {"\x01" + Utf16LE(u"A") + std::string("\x00", 1), "A"}, // odd byte at the end
    };
    for (const auto& c : cases) {
        TOpened o(V2Tag(3, V2Frame(3, "TIT2", c.data)));
        EXPECT_EQ(o.tag.Texts().Title(), c.expect);
    }
}

TEST(BvID3v2, LeadArtistKeepsSlashesAndSplitsAtZeroBytes) {
    TOpened slash(V2Tag(3, V2Frame(3, "TPE1", std::string("\0AC/DC", 6))));
    ASSERT_EQ(slash.tag.Texts().LeadArtist().Count(), 1);
    EXPECT_EQ(slash.tag.Texts().LeadArtist()[0], "AC/DC");

    TOpened zero(V2Tag(4, V2Frame(4, "TPE1", std::string("\x03Kino\0Viktor Tsoi\0", 18))));
    ASSERT_EQ(zero.tag.Texts().LeadArtist().Count(), 2);
    EXPECT_EQ(zero.tag.Texts().LeadArtist()[0], "Kino");
    EXPECT_EQ(zero.tag.Texts().LeadArtist()[1], "Viktor Tsoi");

    TOpened shortName(V2Tag(3, V2Frame(3, "TPE1", std::string("\0U2", 3))));
    ASSERT_EQ(shortName.tag.Texts().LeadArtist().Count(), 1);
    EXPECT_EQ(shortName.tag.Texts().LeadArtist()[0], "U2");

    // The other person lists still split at "/", empty pieces included.
    TOpened composers(V2Tag(3, V2Frame(3, "TCOM", std::string("\0Lennon/McCartney/", 18))));
    const TStrings& c = composers.tag.Texts().Composer();
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c[0], "Lennon");
    EXPECT_EQ(c[1], "McCartney");
    EXPECT_EQ(c[2], "");
}

TEST(BvID3v2, ZeroSeparatedArtistsInEveryEncodingKeepSlashesAndLetters) {
    // A version 2.4 list of two artists, each value in its own right (UTF-16 values carry
    // their own byte order mark); "AC/DC" stays whole in every encoding.
    for (int encoding = 0; encoding < 4; ++encoding) {
        SCOPED_TRACE(encoding);
        const std::u16string second = encoding == 0 ? u"Björk" : u"Кино";
        std::string data;
        switch (encoding) {
        case 0:
            data = std::string("\0AC/DC\0", 7) + Latin1(Utf16ToUtf8(second));
            break;
        case 1:
            data = "\x01" + Utf16LE(u"AC/DC") + std::string(2, '\0') + Utf16LE(second);
            break;
        case 2:
            data = "\x02" + Utf16BE(u"AC/DC") + std::string(2, '\0') + Utf16BE(second);
            break;
        default:
            data = std::string("\x03"
                               "AC/DC\0",
                               7) +
                   Utf16ToUtf8(second);
        }
        TOpened o(V2Tag(4, V2Frame(4, "TPE1", data)) + CbrAudio(3));
        const TStrings& artists = o.tag.Texts().LeadArtist();
        ASSERT_EQ(artists.Count(), 2);
        EXPECT_EQ(artists[0], "AC/DC");
        EXPECT_EQ(artists[1], Utf16ToUtf8(second));
        EXPECT_EQ(o.tag.FileInfo().BitrateKbps, 128);
    }
}

TEST(BvID3v2, GenresLanguagesNumbersAndTimes) {
    const std::string body = V2Frame(4, "TCON", std::string("\0(17)\0Rock\0", 11)) +
                             V2Frame(4, "TLAN", std::string("\0engrus", 7)) +
                             V2Frame(4, "TYER", std::string("\0abc", 4)) +
                             V2Frame(4, "TBPM",
                                     std::string("\0"
                                                 "120",
                                                 4)) +
                             V2Frame(4, "TDRC",
                                     std::string("\0"
                                                 "2004-05-06T13:45:59",
                                                 20)) +
                             V2Frame(4, "TDRL",
                                     std::string("\0"
                                                 "1999",
                                                 5)) +
                             V2Frame(4, "TDTG",
                                     std::string("\0"
                                                 "2004-13-01",
                                                 11)) + // invalid month: frame dropped
                             V2Frame(4, "TIT2", std::string("\0after", 6));
    TOpened o(V2Tag(4, body));
    auto& t = o.tag.Texts();
    ASSERT_EQ(t.ContentType().Count(), 2);
    EXPECT_EQ(t.ContentType()[0], "(17)");
    EXPECT_EQ(t.ContentType()[1], "Rock");
    ASSERT_EQ(t.Language().Count(), 2);
    EXPECT_EQ(t.Language()[1], "rus");
    EXPECT_EQ(t.Year(), 0u);
    EXPECT_EQ(t.BPM(), 120u);
    EXPECT_DOUBLE_EQ(t.RecordingTime(), EncodeDate(2004, 5, 6) + EncodeTime(13, 45, 59, 0));
    EXPECT_DOUBLE_EQ(t.ReleaseTime(), EncodeDate(1999, 1, 1));
    EXPECT_EQ(t.TaggingTime(), 0);
    EXPECT_EQ(t.Title(), "after");
    EXPECT_EQ(o.tag.SkippedFrames(), 1);

    TOpened five(V2Tag(3, V2Frame(3, "TLAN", std::string("\0engru", 6))));
    EXPECT_EQ(five.tag.Texts().Language().Count(), 1);
}

TEST(BvID3v2, UnsynchronisationAndExtendedHeaders) {
    // Tag-level unsynchronisation: FF 00 41 in the text reads as FF 41.
    // The frame's size counts the bytes after decoding.
    std::string frame = "TIT2" + BE32(4) + std::string(2, '\0') +
                        std::string("\0A\xFF\x00"
                                    "B",
                                    5);
    TOpened unsync(V2Tag(3, frame, 0x80) + CbrAudio(3));
    EXPECT_EQ(unsync.tag.Texts().Title(), "A\xC3\xBF"
                                          "B"); // 0xFF is ÿ in ISO-8859-1
    EXPECT_EQ(unsync.tag.FileInfo().BitrateKbps, 128);

    // Version 2.3 extended header with CRC.
    std::string ext23 = BE32(10) + std::string("\x80\x00", 2) + BE32(0) + BE32(0xDEADBEEF);
    TOpened e23(V2Tag(3, ext23 + V2Frame(3, "TIT2", std::string("\0x", 2)), 0x40));
    EXPECT_EQ(e23.tag.Texts().Title(), "x");
    EXPECT_EQ(e23.tag.ExtendedHeader().TotalFrameCRC, 0xDEADBEEFu);

    // Version 2.4 extended header with restrictions; one of size 5 is skipped unread.
    std::string ext24 = SyncSafe(8) + std::string("\x01\x10\x01\xC5", 4);
    TOpened e24(V2Tag(4, ext24 + V2Frame(4, "TIT2", std::string("\0y", 2)), 0x40));
    EXPECT_EQ(e24.tag.Texts().Title(), "y");
    EXPECT_EQ(e24.tag.ExtendedHeader().TagSizeRestriction, 3);
    EXPECT_EQ(e24.tag.ExtendedHeader().ImageEncodingRestriction, 1);
    EXPECT_EQ(e24.tag.ExtendedHeader().ImageSizeRestriction, 1);
    TOpened small(V2Tag(4, SyncSafe(5) + V2Frame(4, "TIT2", std::string("\0z", 2)), 0x40));
    EXPECT_EQ(small.tag.ExtendedHeader().Flags, 0);

    // Version 2.2 has no extended header: the bit is ignored.
    TOpened v22(V2Tag(2, V2Frame(2, "TT2", std::string("\0w", 2)), 0x40));
    EXPECT_EQ(v22.tag.Texts().Title(), "w");

    // Version 2.4 per-frame unsynchronisation with a data length indicator.
    std::string data = std::string("\0C\xFF\x00\xE0", 5);
    std::string f24 = "TIT2" + SyncSafe(uint32_t(data.size() + 4)) + std::string("\x00\x03", 2) +
                      SyncSafe(4) + data;
    TOpened frameUnsync(V2Tag(4, f24 + V2Frame(4, "TALB", std::string("\0al", 3))));
    EXPECT_EQ(frameUnsync.tag.Texts().Title(), "C\xC3\xBF\xC3\xA0");
    EXPECT_EQ(frameUnsync.tag.Texts().Album(), "al");

    // A damaged unsynchronised frame does not spoil the next one.
    std::string bad = "TALB" + SyncSafe(2) + std::string("\x00\x02", 2) + "\x09x";
    TOpened twice(V2Tag(4, bad + f24));
    EXPECT_EQ(twice.tag.Texts().Album(), "");
    EXPECT_EQ(twice.tag.Texts().Title(), "C\xC3\xBF\xC3\xA0");
}

TEST(BvID3v2, UnsyncDecoderCarriesStateAcrossChunks) {
    bool previousFF = false;
    std::string a = UnsyncDecode(std::string("x\xFF", 2), previousFF);
    std::string b = UnsyncDecode(std::string("\x00y", 2), previousFF);
    EXPECT_EQ(a + b, "x\xFFy");
    EXPECT_EQ(UnsyncEncode(std::string("\xFF\xE0", 2)), std::string("\xFF\x00\xE0", 3));
    EXPECT_EQ(UnsyncEncode(std::string("\xFF\x41", 2)), std::string("\xFF\x41", 2));
    EXPECT_EQ(UnsyncEncode(std::string("\xFF\x00", 2)), std::string("\xFF\x00\x00", 3));
}

TEST(BvID3v2, FrameLoopEndings) {
    // Padding after the last frame.
    TOpened padded(V2Tag(3, V2Frame(3, "TIT2", std::string("\0a", 2)), 0, 100));
    EXPECT_EQ(padded.tag.FrameCount(), 1);
    // A lowercase identifier ends the loop; frames before it stay.
    TOpened lower(V2Tag(3, V2Frame(3, "TIT2", std::string("\0a", 2)) +
                               V2Frame(3, "tit2", std::string("\0b", 2)) +
                               V2Frame(3, "TALB", std::string("\0c", 2))));
    EXPECT_EQ(lower.tag.FrameCount(), 1);
    EXPECT_EQ(lower.tag.Texts().Album(), "");
    // Fewer bytes left than a frame header.
    TOpened tail(V2Tag(3, V2Frame(3, "TIT2", std::string("\0a", 2)) + "TAL"));
    EXPECT_EQ(tail.tag.FrameCount(), 1);
    // A frame claiming more than the tag holds: the rest is skipped, the audio measured.
    std::string big = "TALB" + BE32(5000) + std::string(2, '\0') + std::string("\0x", 2);
    TOpened tooBig(V2Tag(3, V2Frame(3, "TIT2", std::string("\0a", 2)) + big) + CbrAudio(3));
    EXPECT_EQ(tooBig.tag.Texts().Title(), "a");
    EXPECT_EQ(tooBig.tag.Texts().Album(), "");
    EXPECT_EQ(tooBig.tag.FileInfo().BitrateKbps, 128);
}

TEST(BvID3v2, DamagedTagsStillOpen) {
    // A header size beyond the end of the file: what is there is read.
    std::string cut = V2Tag(3, V2Frame(3, "TIT2", std::string("\0cut", 4)), 0, 50000);
    cut.resize(200);
    TOpened c(cut);
    EXPECT_TRUE(c.tag.Active());
    EXPECT_EQ(c.tag.Texts().Title(), "cut");
    EXPECT_EQ(c.tag.FileInfo().FileByteSize, 200);
    EXPECT_EQ(c.tag.FileInfo().FirstFrameOffset, -1);

    // An unknown encoding drops that frame only.
    TOpened e(V2Tag(3, V2Frame(3, "TIT2", "\x07xyz") + V2Frame(3, "TALB", std::string("\0ok", 3))));
    EXPECT_EQ(e.tag.Texts().Title(), "");
    EXPECT_EQ(e.tag.Texts().Album(), "ok");

    // Versions outside 2.2-2.4 give no frames but still the audio.
    TOpened v5(V2Tag(5, V2Frame(4, "TIT2", std::string("\0q", 2))) + CbrAudio(3));
    EXPECT_EQ(v5.tag.FrameCount(), 0);
    EXPECT_TRUE(v5.tag.Header().HasTag());
    EXPECT_EQ(v5.tag.FileInfo().BitrateKbps, 128);

    // Files shorter than a header.
    TOpened tiny("ID3");
    EXPECT_FALSE(tiny.tag.Header().HasTag());
    EXPECT_EQ(tiny.tag.FileInfo().FileByteSize, 3);

    // Version 2.4 sizes written as plain numbers (a common writer's mistake).
    std::string plain = "TIT2" + BE32(0x81) + std::string(2, '\0') + '\0' + std::string(0x80, 'p');
    TOpened p(V2Tag(4, plain + V2Frame(4, "TALB", std::string("\0next", 5))));
    EXPECT_EQ(p.tag.Texts().Title(), std::string(0x80, 'p'));
    EXPECT_EQ(p.tag.Texts().Album(), "next");
}

TEST(BvID3v2, UnknownAndUnclassedFramesAreKeptAsBytes) {
    TOpened o(V2Tag(3, V2Frame(3, "ZZZZ", "abc") + V2Frame(3, "PRIV", "owner\0data") +
                           V2Frame(3, "TIT2",
                                   std::string("\x00"
                                               "t",
                                               2),
                                   0, 0x80)));
    ASSERT_EQ(o.tag.FrameCount(), 3);
    auto* unknown = dynamic_cast<TBvID3SkipFrame*>(o.tag.Frames().Items(0));
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->FrameID(), fiUnknownFrame);
    EXPECT_EQ(unknown->FrameName(), "ZZZZ");
    EXPECT_EQ(unknown->Data(), "abc");
    auto* priv = dynamic_cast<TBvID3SkipFrame*>(o.tag.Frames().Items(1));
    ASSERT_NE(priv, nullptr);
    EXPECT_EQ(priv->FrameID(), fiPrivate);
    EXPECT_EQ(priv->FrameName(), "PRIV");
    // A compressed 2.3 frame keeps its stored bytes; its 4-byte size word is not data.
    EXPECT_TRUE(o.tag.Frames().Items(2)->Flags() & fhfIsCompressed);
}

TEST(BvID3v2, ReadsOnlyTheTagTheFirstFramesAndTheTrailer) {
    std::string file = V2Tag(3, V2Frame(3, "TIT2", std::string("\0big", 4)), 0, 2000);
    file += CbrAudio(12000); // 5 MB of audio
    file += V1Trailer("t", "a", "b");
    TBvBytesStream stream(file);
    TBvID3v2 tag;
    tag.OpenStream(stream);
    EXPECT_EQ(tag.Texts().Title(), "big");
    EXPECT_EQ(tag.FileInfo().LengthSeconds, 313);
    EXPECT_LT(stream.BytesRead(), 8 * 1024);
}

TEST(BvID3v2, ComponentLifecycle) {
    TBvID3v2 tag;
    EXPECT_EQ(tag.Texts().LeadArtist().Count(), 0); // inactive: empty, no failure
    tag.Texts().SetTitle("ignored");
    EXPECT_EQ(tag.FrameCount(), 0);

    const std::string bytes = V2Tag(3, V2Frame(3, "TIT2", std::string("\0x", 2))) + CbrAudio(100);
    TBvBytesStream stream(bytes);
    tag.OpenStream(stream);
    EXPECT_EQ(tag.FrameCount(), 1);
    TStrings& first = tag.Texts().LeadArtist();
    TStrings& second = tag.Texts().LeadArtist();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(tag.FrameCount(), 2);
    EXPECT_EQ(tag.FrameCountOfID(fiLeadArtist), 1);
    EXPECT_GT(tag.FileInfo().LengthSeconds, 0);

    tag.Close();
    EXPECT_EQ(tag.Texts().Title(), "");
    EXPECT_EQ(tag.FileInfo().LengthSeconds, 0);
    EXPECT_THROW(tag.AddFrame(fiTitle), EBvID3Error);
}

TEST(BvID3v2, ComponentOpensFilesByWindowsPath) {
    const std::string dir = std::string(BV_BINARY_DIR) + "/tags_v2_test";
    std::system(("mkdir -p '" + dir + "'").c_str());
    const std::string linux = dir + "/b.mp3";
    const std::string bytes = V2Tag(3, V2Frame(3, "TIT2", std::string("\0file", 5))) + CbrAudio(50);
    FILE* f = std::fopen(linux.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    std::string windows = "C:" + linux;
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    TBvID3v2 tag;
    int notified = 0;
    tag.RegisterClient(&notified,
                       [](void* client, TBvID3Controller&, bool) { ++*static_cast<int*>(client); });
    tag.SetFileName(windows);
    tag.Open();
    EXPECT_EQ(tag.Texts().Title(), "file");
    EXPECT_EQ(notified, 1);
    tag.SetFileName(windows); // same name: not read again
    EXPECT_EQ(notified, 1);
    std::remove(linux.c_str());
    EXPECT_THROW(tag.SetFileName(windows + "2"), EStreamError);
    EXPECT_FALSE(tag.Active());
    tag.Name = "BvID3v21";
    EXPECT_THROW(tag.SetActive(true), EStreamError);
}

namespace {

// The process's read calls and bytes so far, from one look at the kernel's count;
// -1 where the kernel keeps none.
struct TIoCount {
    int64_t reads = -1, bytes = -1;
};
TIoCount ProcessIo() {
    TIoCount count;
    FILE* io = std::fopen("/proc/self/io", "r");
    if (!io)
        return count;
    char key[64];
    long long value = 0;
    while (std::fscanf(io, "%63s %lld", key, &value) == 2) {
        if (std::string(key) == "syscr:")
            count.reads = value;
        else if (std::string(key) == "rchar:")
            count.bytes = value;
    }
    std::fclose(io);
    return count;
}

} // namespace

// Each file read its first 64 KiB whatever its tag, which doubled the time of adding
// a folder of ordinary files. The head is read as far as the tag and the first
// frames go: one read for a plain tag, one more for a tag with a large picture,
// never the audio behind them. A name in another case still opens.
TEST(BvID3v2, FilesAreReadAsFarAsTheirTagAndFirstFrames) {
    const std::string dir = std::string(BV_BINARY_DIR) + "/tags_v2_reads";
    std::system(("mkdir -p '" + dir + "'").c_str());
    const std::string texts = V2Frame(3, "TPE1", std::string("\0Artist", 7)) +
                              V2Frame(3, "TIT2", std::string("\0Title", 6));
    const std::string picture =
        V2Frame(3, "APIC", std::string("\0image/jpeg\0\x03\0", 14) + std::string(200000, 'j'));
    const struct {
        const char* name;
        std::string file;
        const char* openAs;
        int maxReads;
        int64_t maxBytes;
    } cases[] = {
        {"plain.mp3", V2Tag(3, texts, 0, 1024) + CbrAudio(8000) + V1Trailer("t", "a", "b"),
         "plain.mp3", 2, 20 * 1024},
        {"cover.mp3", V2Tag(3, texts + picture, 0, 1024) + CbrAudio(8000), "cover.mp3", 3,
         240 * 1024},
        {"Case.mp3", V2Tag(3, texts) + CbrAudio(8000), "CASE.MP3", 2, 20 * 1024},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string linux = dir + "/" + c.name;
        FILE* f = std::fopen(linux.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(c.file.data(), 1, c.file.size(), f);
        std::fclose(f);
        std::string windows = "C:" + dir + "/" + c.openAs;
        for (char& ch : windows)
            if (ch == '/')
                ch = '\\';
        TBvID3v2().SetFileName(windows); // the drive map is read on first use: not counted
        const TIoCount first = ProcessIo();
        const TIoCount before = ProcessIo(); // first to before: what a look costs
        TBvID3v2 tag;
        tag.SetFileName(windows);
        tag.Open();
        const TIoCount after = ProcessIo();
        const int64_t reads = (after.reads - before.reads) - (before.reads - first.reads);
        const int64_t bytes = (after.bytes - before.bytes) - (before.bytes - first.bytes);
        EXPECT_EQ(tag.Texts().Title(), "Title");
        EXPECT_EQ(tag.FileInfo().BitrateKbps, 128);
        EXPECT_EQ(tag.FileInfo().LengthSeconds, 208);
        if (first.reads >= 0) { // a kernel without the counts leaves them unchecked
            EXPECT_LE(reads, c.maxReads);
            EXPECT_LE(bytes, c.maxBytes);
        }
        std::remove(linux.c_str());
    }
}

// A tag whose size runs past the end of the file hid all the audio: the track read
// as 0:00 and 0 kbit/s. The audio is looked for behind the last whole frame instead.
TEST(BvID3v2, TagSizePastTheEndStillFindsTheAudio) {
    const std::string frames = V2Frame(3, "TPE1", std::string("\0Artist", 7)) +
                               V2Frame(3, "TIT2", std::string("\0Title", 6));
    const auto pastEnd = [](std::string tag) {
        const std::string size = SyncSafe(0x0FFFFFFF);
        tag.replace(6, 4, size);
        return tag;
    };
    const struct {
        const char* name;
        std::string tag;
    } cases[] = {
        {"padding after the frames", pastEnd(V2Tag(3, frames, 0, 300))},
        {"audio right after the frames", pastEnd(V2Tag(3, frames))},
        {"a frame cut short before the audio",
         pastEnd(V2Tag(3, frames + "COMM" + BE32(1000000) + std::string(2, '\0') + "\0eng", 0))},
        {"unsynchronised tag", pastEnd(V2Tag(3, frames, 0x80, 40))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TOpened o(c.tag + CbrAudio(300));
        EXPECT_EQ(o.tag.Texts().Title(), "Title");
        EXPECT_EQ(o.tag.FileInfo().FirstFrameOffset, int64_t(c.tag.size()));
        EXPECT_EQ(o.tag.FileInfo().LengthSeconds, 8);
        EXPECT_EQ(o.tag.FileInfo().BitrateKbps, 128);
    }
}
