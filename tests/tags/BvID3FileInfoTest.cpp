#include "BvID3FileInfo.h"
#include "TagBuilders.h"

#include <gtest/gtest.h>

using namespace tagtest;

namespace {

TBvID3FileInfo Measure(const std::string& bytes, int64_t start = 0) {
    TBvBytesStream stream(bytes);
    TBvID3FileInfo info;
    info.ReadFileInfo(stream, start);
    return info;
}

} // namespace

TEST(BvID3FileInfo, WorkedExampleReadsOnlyTheHeadAndTheTrailer) {
    std::string file(2048, 'x');
    file += Frames(FrameHeader(3, 1, 9, 0), 5000000 - 128 - 2048);
    file += V1Trailer("t", "a", "b");
    TBvBytesStream stream(file);
    TBvID3FileInfo info;
    info.ReadFileInfo(stream, 0);
    EXPECT_EQ(info.FirstFrameOffset, 2048);
    EXPECT_TRUE(info.HasV1Trailer);
    EXPECT_EQ(info.AudioByteCount, 4997824);
    EXPECT_EQ(info.LengthSeconds, 312);
    EXPECT_EQ(info.BitrateKbps, 128);
    EXPECT_EQ(info.SampleRateHz, 44100);
    EXPECT_EQ(info.FileByteSize, 5000000);
    EXPECT_EQ(info.FrameByteLength, 418); // 417.96 rounds up
    EXPECT_EQ(info.FrameTotal, 11958);
    EXPECT_LT(stream.BytesRead(), 8 * 1024);
}

TEST(BvID3FileInfo, TrailerIsExcludedOnlyWhenPresent) {
    const std::string audio = CbrAudio(300); // 125,100 bytes
    const auto with = Measure(audio + V1Trailer("t", "a", "b"));
    const auto without = Measure(audio + std::string(128, '\0'));
    EXPECT_EQ(with.AudioByteCount, 125100);
    EXPECT_EQ(without.AudioByteCount, 125228);
    EXPECT_FALSE(without.HasV1Trailer);
    EXPECT_EQ(with.LengthSeconds, 8);     // 7.82 s
    EXPECT_EQ(with.FrameByteLength, 418); // the nominal length with padding averaged in
    EXPECT_EQ(with.FrameTotal, 299);
}

TEST(BvID3FileInfo, SyncSplitAcrossReadsAndFalseSyncs) {
    // The search reads the file in pieces; a header or the next frame's header
    // across a piece's end is still seen.
    for (size_t at : {size_t(3839), size_t(4094), size_t(4095), size_t(4096 - 417 - 2)}) {
        SCOPED_TRACE(at);
        std::string file(at, '\0');
        file += CbrAudio(40);
        EXPECT_EQ(Measure(file).FirstFrameOffset, int64_t(at));
    }

    std::string none(5000, '\0');
    none[100] = char(0xFF);
    none[101] = char(0xDF);
    const auto noFrame = Measure(none);
    EXPECT_EQ(noFrame.FirstFrameOffset, -1);
    EXPECT_EQ(noFrame.LengthSeconds, 0);
    EXPECT_EQ(noFrame.BitrateKbps, 0);
    EXPECT_EQ(noFrame.FileByteSize, 5000); // the true size even without a frame

    // A sync with a reserved layer is no frame.
    std::string bad = "\xFF\xE0" + std::string(100, '\0');
    const auto badInfo = Measure(bad);
    EXPECT_EQ(badInfo.FirstFrameOffset, -1);
    EXPECT_EQ(badInfo.LayerCode, 0);
    EXPECT_EQ(badInfo.LengthSeconds, 0);

    // A sync too close to the end for a whole header copy is no frame.
    EXPECT_EQ(Measure(std::string(10, '\0') + "\xFF\xFB\x90").FirstFrameOffset, -1);
    EXPECT_EQ(Measure("").FirstFrameOffset, -1);
}

TEST(BvID3FileInfo, StartOffsetSkipsTheTag) {
    // Frames inside what the tag covers are not looked at.
    std::string file = "ID3" + CbrAudio(2) + CbrAudio(10);
    EXPECT_EQ(Measure(file, 3 + 834).FirstFrameOffset, 3 + 834);
    EXPECT_EQ(Measure(file, 0).FirstFrameOffset, 3);
}

struct VbrCase {
    const char* name;
    int version, rateIndex, channelMode;
    const char* signature;
    int32_t frames, bytes;
    int expectBitrate, expectSeconds;
};

TEST(BvID3FileInfo, VbrHeaders) {
    const VbrCase cases[] = {
        {"xing mpeg1", 3, 0, 0, "Xing", 1000, 417000, 128, 26},
        {"info mpeg1", 3, 0, 0, "Info", 1000, 417000, 128, 26},
        {"xing mpeg1 mono", 3, 0, 3, "Xing", 2000, 209000, 32, 52},
        {"xing mpeg2 22050", 2, 0, 0, "Xing", 1000, 209000, 64, 26},
        {"xing mpeg2.5 11025", 0, 0, 1, "Xing", 500, 52250, 16, 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string header = FrameHeader(c.version, 1, 5, c.rateIndex, false, c.channelMode);
        std::string file = VbrFrame(header, FrameLength(header), c.signature, c.frames, c.bytes);
        file += Frames(header, size_t(c.bytes) - file.size());
        const auto info = Measure(file);
        EXPECT_TRUE(info.IsVariableRate);
        EXPECT_EQ(info.FrameTotal, c.frames);
        EXPECT_EQ(info.AudioByteCount, c.bytes);
        EXPECT_EQ(info.BitrateKbps, c.expectBitrate);
        EXPECT_EQ(info.LengthSeconds, c.expectSeconds);
        EXPECT_FALSE(info.HasV1Trailer);
    }
}

TEST(BvID3FileInfo, VbrHeaderWithFramesOnlyTakesTheBytesFromTheFile) {
    std::string file = VbrFrame(FrameHeader(3, 1, 9, 0), 417, "Xing", 100, 0, true, false);
    file += CbrAudio(99) + V1Trailer("a", "b", "c");
    const auto info = Measure(file);
    EXPECT_TRUE(info.HasV1Trailer);
    EXPECT_EQ(info.AudioByteCount, 41700);
    EXPECT_EQ(info.FrameByteLength, 417);
    EXPECT_EQ(info.BitrateKbps, 128);
}

// A header whose fields name nothing real was taken as the first frame, and its
// marker values leaked out as a bitrate of -1 or -2 and a length of 0:00.
TEST(BvID3FileInfo, BadFirstHeaderIsNoFrame) {
    const struct {
        const char* name;
        std::string first;
    } cases[] = {
        {"free format bitrate", Frame(FrameHeader(3, 1, 0, 0), 417)},
        {"forbidden bitrate", Frame(FrameHeader(3, 1, 15, 0), 417)},
        {"reserved version", VbrFrame(FrameHeader(1, 1, 9, 0), 417, "Xing", 100, 41700)},
        {"reserved sample rate", VbrFrame(FrameHeader(3, 1, 9, 3), 417, "Xing", 100, 41700)},
        {"reserved layer", Frame(FrameHeader(3, 0, 9, 0), 417)},
        // A good header that the bytes after it do not continue: a stray sync.
        {"unconfirmed", Frame(FrameHeader(3, 1, 9, 0), 300)},
        {"next header of another rate", Frame(FrameHeader(3, 1, 9, 1), 384)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto info = Measure(c.first + CbrAudio(300) + V1Trailer("t", "a", "b"));
        EXPECT_EQ(info.FirstFrameOffset, int64_t(c.first.size()));
        EXPECT_EQ(info.BitrateKbps, 128);
        EXPECT_EQ(info.SampleRateHz, 44100);
        EXPECT_EQ(info.LengthSeconds, 8); // 125,100 bytes at 128 kbit/s
        EXPECT_FALSE(info.IsVariableRate);
    }
    // Nothing but bad headers: no frame, and no marker value leaks out.
    std::string bad;
    for (int i = 0; i < 50; ++i)
        bad += Frame(FrameHeader(3, 1, i % 2 ? 0 : 15, 0), 417);
    const auto none = Measure(bad);
    EXPECT_EQ(none.FirstFrameOffset, -1);
    EXPECT_EQ(none.BitrateKbps, 0);
    EXPECT_EQ(none.SampleRateHz, 0);
    EXPECT_EQ(none.LengthSeconds, 0);
}

// A VBR header was believed whatever it said: a huge frame count gave hundreds of
// thousands of minutes, a count of 1 some 2,800 kbit/s, and a cut file its full length.
TEST(BvID3FileInfo, VbrHeaderThatDisagreesWithTheFileIsIgnored) {
    const std::string header = FrameHeader(3, 1, 9, 0); // 128 kbit/s, 417-byte frames
    const struct {
        const char* name;
        int32_t frames, bytes;
        bool withFrames, withBytes;
        bool used;
    } cases[] = {
        {"counts that fit", 300, 125100, true, true, true},
        {"frame count of 0x7FFFFFFF", 0x7FFFFFFF, 125100, true, true, false},
        {"frame count of 1", 1, 125100, true, true, false},
        {"negative frame count", -300, 125100, true, true, false},
        {"frame count of 0x7FFFFFFF alone", 0x7FFFFFFF, 0, true, false, false},
        {"more bytes than the file holds", 10000, 4170000, true, true, false},
        {"more bytes alone", 0, 4170000, false, true, false},
        {"fewer bytes than its own frame", 300, 100, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file =
            VbrFrame(header, 417, "Xing", c.frames, c.bytes, c.withFrames, c.withBytes) +
            CbrAudio(299);
        const auto info = Measure(file);
        EXPECT_EQ(info.IsVariableRate, c.used);
        EXPECT_EQ(info.AudioByteCount, 125100);
        EXPECT_EQ(info.BitrateKbps, 128);
        EXPECT_EQ(info.LengthSeconds, 8);
    }
    // A real file cut at 1,000 bytes after its first frame.
    const std::string cut =
        (VbrFrame(header, 417, "Xing", 10000, 4170000) + CbrAudio(9999)).substr(0, 1000);
    const auto info = Measure(cut);
    EXPECT_EQ(info.AudioByteCount, 1000);
    EXPECT_EQ(info.BitrateKbps, 128);
    EXPECT_EQ(info.LengthSeconds, 0);
}

TEST(BvID3FileInfo, DamagedHeadersNeverFail) {
    // VBR header claiming negative bytes or a huge frame count.
    auto info = Measure(VbrFrame(FrameHeader(3, 1, 9, 0), 417, "Xing", 1, -5) + CbrAudio(2));
    EXPECT_EQ(info.LengthSeconds, 0);
    info = Measure(VbrFrame(FrameHeader(3, 1, 9, 0), 417, "Xing", 0x7FFFFFFF, 0x7FFFFFFF));
    EXPECT_GE(info.LengthSeconds, 0);
    // A byte count with no frame count, zero or negative: the audio is measured from the
    // file instead, never a negative length.
    for (int32_t bytes : {int32_t(-5), int32_t(-2147483647 - 1), int32_t(0)}) {
        SCOPED_TRACE(bytes);
        const std::string file =
            VbrFrame(FrameHeader(3, 1, 9, 0), 417, "Xing", 0, bytes, false, true) + CbrAudio(299);
        info = Measure(file);
        EXPECT_EQ(info.AudioByteCount, int64_t(file.size()));
        EXPECT_EQ(info.BitrateKbps, 128);
        EXPECT_EQ(info.LengthSeconds, 8);
    }
}

// A first frame behind more than the first stretch of padding or junk (a large picture,
// a second tag) is searched on to the end of the file, which is read once, in pieces,
// and never held whole.
TEST(BvID3FileInfo, FrameSearchGoesOnPastTheFirstStretch) {
    struct Case {
        const char* name;
        std::string before; // what lies between the start offset and the audio
    };
    std::string junk(size_t(3 * FrameSearchLimit + 12345), '\0');
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>(i * 7 % 251); // 0xFF never comes
    const Case cases[] = {
        {"zeros, just past the stretch", std::string(size_t(FrameSearchLimit) + 100000, '\0')},
        {"junk of three stretches and more", junk},
        {"within the stretch", std::string(size_t(FrameSearchLimit) - 1000, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = std::string(100, 'x') + c.before + CbrAudio(10);
        TBvBytesStream stream(file);
        TBvID3FileInfo info;
        info.ReadFileInfo(stream, 100);
        EXPECT_EQ(info.FirstFrameOffset, int64_t(100 + c.before.size()));
        EXPECT_EQ(info.BitrateKbps, 128);
        EXPECT_EQ(info.FileByteSize, int64_t(file.size()));
        EXPECT_LT(stream.BytesRead(), int64_t(file.size()) + 8192);
    }
    // No audio at all: the whole file is read, once, and nothing is found.
    const std::string silent(size_t(2 * FrameSearchLimit) + 777, '\0');
    TBvBytesStream stream(silent);
    TBvID3FileInfo info;
    info.ReadFileInfo(stream, 0);
    EXPECT_EQ(info.FirstFrameOffset, -1);
    EXPECT_EQ(info.LengthSeconds, 0);
    EXPECT_EQ(info.BitrateKbps, 0);
    EXPECT_LT(stream.BytesRead(), int64_t(silent.size()) + 8192);
}

TEST(BvID3FileInfo, HeaderFieldsAndPadding) {
    std::string h = FrameHeader(3, 3, 4, 1, true, 1, true); // Layer I, 128, 48000, padded
    h[2] = char(uint8_t(h[2]) | 1);
    h[3] = char(uint8_t(h[3]) | 0x0C | 0x20 | 2);
    const auto info = Measure(Frames(h, 900));
    EXPECT_EQ(info.LayerCode, 3);
    EXPECT_EQ(info.MpegVersionCode, 3);
    EXPECT_EQ(info.BitrateKbps, 128);
    EXPECT_EQ(info.SampleRateHz, 48000);
    EXPECT_EQ(info.PaddingByteCount, 4);
    EXPECT_EQ(info.ChannelModeCode, 1);
    EXPECT_EQ(info.ModeExtensionCode, 2);
    EXPECT_EQ(info.EmphasisCode, 2);
    EXPECT_EQ(info.HeaderBits, hbProtected | hbPrivate | hbRestricted | hbMaster);
}

TEST(BvID3FileInfo, ShortFileIsNotTestedForATrailer) {
    std::string file = "TAG" + FrameHeader(3, 1, 9, 0) + std::string(60, '\0');
    const auto info = Measure(file);
    EXPECT_FALSE(info.HasV1Trailer);
    EXPECT_EQ(info.AudioByteCount, int64_t(file.size()) - 3);
}

TEST(BvID3FileInfo, LengthRoundsHalvesToEven) {
    // 128 kbit/s: 16,000 bytes a second, so these sizes sit exactly on a half second.
    const struct {
        int64_t bytes;
        int seconds;
    } cases[] = {{40000, 2}, {56000, 4}, {24000, 2}, {39999, 2}, {40001, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string file = Frames(FrameHeader(3, 1, 9, 0), size_t(c.bytes));
        const auto info = Measure(file);
        EXPECT_EQ(info.BitrateKbps, 128);
        EXPECT_EQ(info.LengthSeconds, c.seconds);
    }
}
