#include "M4aFile.h"
#include "CodecGate.h"
#include "Mp4HandlerBox.h"
#include "Mp4MediaHeader.h"
#include "Mp4MovieHeader.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

std::string Box(const std::string& type, const std::string& payload, bool longForm = false) {
    return TMp4BoxHeader::Render(type, payload.size(), longForm) + payload;
}

TMp4TimeFields Times(uint8_t version, uint32_t scale, uint64_t duration) {
    TMp4TimeFields t;
    t.Version = version;
    t.TimeScale = scale;
    t.Duration = duration;
    return t;
}

std::string Track(const TMp4TimeFields& media, const std::string& handlerType = "soun") {
    TMp4MediaHeader mdhd;
    mdhd.Times = media;
    TMp4HandlerBox hdlr;
    hdlr.HandlerType = handlerType;
    hdlr.Name = "SoundHandler";
    return Box("trak", Box("mdia", mdhd.Render() + hdlr.Render()));
}

// ftyp, a small mdat, then the movie box, as an encoder that writes the index last does.
std::string M4a(const TMp4TimeFields& movie, const std::string& tracks, bool longMovie = false) {
    TMp4MovieHeader mvhd;
    mvhd.Times = movie;
    return Box("ftyp", std::string("M4A \0\0\0\0M4A mp42isom", 20)) +
           Box("mdat", std::string(300, '\x5A')) + Box("moov", mvhd.Render() + tracks, longMovie);
}

int32_t LengthOf(const std::string& bytes) {
    TM4aFile file;
    file.LoadFromBytes(bytes, "C:\\x.m4a");
    return file.LengthSeconds();
}

} // namespace

TEST(TM4aFile, PlayingTimeFromTheBoxes) {
    struct Case {
        const char* what;
        std::string bytes;
        int32_t seconds;
    };
    const TMp4TimeFields sound = Times(0, 44100, 44100ull * 200);
    const Case cases[] = {
        {"version 0 movie header", M4a(Times(0, 1000, 185000), Track(sound)), 185},
        {"half a second rounds up", M4a(Times(0, 1000, 2500), Track(sound)), 3},
        {"just under half rounds down", M4a(Times(0, 1000, 2499), Track(sound)), 2},
        {"version 1 with a 64-bit duration", M4a(Times(1, 600, 600ull * 7000000), ""), 7000000},
        {"movie box in the long header form", M4a(Times(0, 1000, 61000), "", true), 61},
        {"movie without duration takes the sound track's", M4a(Times(0, 1000, 0), Track(sound)),
         200},
        {"unknown movie duration takes the sound track's",
         M4a(Times(0, 1000, 0xFFFFFFFF), Track(Times(0, 0, 5), "vide") + Track(sound)), 200},
        {"a video track alone is not used", M4a(Times(0, 1000, 0), Track(sound, "vide")), 0},
        {"no duration anywhere is 0", M4a(Times(1, 1000, ~uint64_t(0)), ""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.seconds, LengthOf(c.bytes)) << c.what;
}

TEST(TM4aFile, MovieBoxThatRunsToTheEndOfTheFile) {
    TMp4MovieHeader mvhd;
    mvhd.Times = Times(0, 1000, 9000);
    std::string open = std::string("\0\0\0\0moov", 8);
    EXPECT_EQ(9, LengthOf(Box("ftyp", "M4A ") + Box("mdat", "abc") + open + mvhd.Render()));
}

TEST(TM4aFile, DamagedFilesGiveClearErrors) {
    const TMp4TimeFields sound = Times(0, 44100, 44100);
    TMp4MovieHeader v2;
    v2.Times = Times(0, 1000, 1000);
    std::string version2 = v2.Render();
    version2[8] = 2;
    std::string tooSmall = Box("ftyp", "M4A ") + std::string("\0\0\0\4free", 8);
    std::string overrun =
        Box("ftyp", "M4A ") + Box("moov", std::string("\0\0\1\0trak", 8) + std::string(16, '\0'));
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"empty file", "", "C:\\x.m4a is not an M4A file"},
        {"an MP3 file", std::string("ID3\3\0\0\0\0\0\0\xFF\xFB\x90\x64", 14), "not an M4A file"},
        {"no movie box", Box("ftyp", "M4A ") + Box("mdat", "abc"), "it has no movie box"},
        {"box smaller than its header", tooSmall, "smaller than its header"},
        {"inner box runs past the movie box", overrun, "runs past the end"},
        {"movie header version 2", Box("ftyp", "M4A ") + Box("moov", version2),
         "unknown header version 2"},
        {"movie header cut short", Box("ftyp", "M4A ") + Box("moov", Box("mvhd", "\0\0\0\0abc")),
         "movie header cut short"},
        {"media header cut short",
         M4a(Times(0, 1000, 0), Box("trak", Box("mdia", Box("mdhd", std::string(8, '\0'))))),
         "media header cut short"},
        {"time scale 0", M4a(Times(0, 0, 1000), Track(sound)), "time scale is 0"},
        {"empty movie box", Box("ftyp", "M4A ") + Box("moov", ""), "no movie header"},
        {"no movie header", Box("ftyp", "M4A ") + Box("moov", Track(sound)), "no movie header"},
        {"implausibly long", M4a(Times(1, 1, uint64_t(1) << 40), ""), "implausibly long"},
    };
    for (const Case& c : cases) {
        try {
            LengthOf(c.bytes);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ECodecGateError& e) {
            EXPECT_NE(std::string::npos, e.Message().find(c.message))
                << c.what << ": " << e.Message();
        }
    }
}

TEST(TM4aFile, EveryTruncationIsAnError) {
    const std::string whole = M4a(Times(0, 1000, 185000), Track(Times(0, 44100, 44100)));
    ASSERT_EQ(185, LengthOf(whole));
    for (size_t n = 0; n < whole.size(); ++n)
        EXPECT_THROW(LengthOf(whole.substr(0, n)), ECodecGateError) << n << " bytes";
}

TEST(TM4aFile, CorruptedBytesNeverReadOutOfBounds) {
    const std::string whole = M4a(Times(1, 1000, 185000), Track(Times(1, 44100, 44100)));
    // The audio bytes of the mdat box are never read for the playing time.
    const size_t audioStart = whole.find(std::string(300, '\x5A'));
    ASSERT_NE(std::string::npos, audioStart);
    for (size_t i = 0; i < whole.size(); ++i) {
        for (unsigned char value : {0x00, 0x01, 0x7F, 0xFF}) {
            SCOPED_TRACE(std::to_string(i) + ": " + std::to_string(value));
            // An exact-size copy, so any read past its end is caught by the sanitizer.
            std::string bytes = whole;
            bytes[i] = static_cast<char>(value);
            bytes.shrink_to_fit();
            std::optional<int32_t> seconds;
            try {
                seconds = LengthOf(bytes);
            } catch (const ECodecGateError&) {
            }
            if (i >= audioStart && i < audioStart + 300) {
                EXPECT_EQ(std::optional<int32_t>(185), seconds);
            } else if (seconds) {
                EXPECT_GE(*seconds, 0);
            }
        }
    }
}
