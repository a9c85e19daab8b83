#include "CodecGate.h"
#include "AudioFixtures.h"
#include "Drives.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <cstdlib>
#include <filesystem>

using BvTest::TAudioFixtureFolder;
using BvTest::WindowsPathOf;

namespace {

// What FFmpeg itself makes of a file.
struct TProbe {
    std::string Container;
    AVCodecID Codec = AV_CODEC_ID_NONE;
    int SampleRate = 0;
    int Channels = 0;
    double Seconds = 0;
};

TProbe Probe(const std::string& linuxPath) {
    TProbe probe;
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, linuxPath.c_str(), nullptr, nullptr) < 0)
        return probe;
    if (avformat_find_stream_info(in, nullptr) >= 0 && in->nb_streams == 1) {
        probe.Container = in->iformat->name;
        const AVCodecParameters* par = in->streams[0]->codecpar;
        probe.Codec = par->codec_id;
        probe.SampleRate = par->sample_rate;
        probe.Channels = par->ch_layout.nb_channels;
        probe.Seconds = in->duration / double(AV_TIME_BASE);
    }
    avformat_close_input(&in);
    return probe;
}

double KbpsOf(const std::string& linuxPath, double seconds) {
    return std::filesystem::file_size(linuxPath) * 8.0 / seconds / 1000.0;
}

TCodecConvertOptions Cbr(int kbps, bool high = false) {
    TCodecConvertOptions o;
    o.Mode = TCodecBitrateMode::Cbr;
    o.BitrateKbps = kbps;
    o.HighQuality = high;
    return o;
}

TCodecConvertOptions Vbr(int index) {
    TCodecConvertOptions o;
    o.Mode = TCodecBitrateMode::Vbr;
    o.VbrQualityIndex = index;
    return o;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CodecGateTest : public ::testing::Test {
protected:
    std::string Wav(double seconds, int rate = 44100, int channels = 2) {
        std::string path = dir.Path("in.wav");
        BvTest::WriteSineWav(path, seconds, rate, channels);
        return path;
    }
    TAudioFixtureFolder dir;
};

} // namespace

TEST_F(CodecGateTest, CbrGivesAacInMp4WithTheAskedBitrate) {
    const std::string wav = Wav(4);
    for (int kbps : {64, 96, 128, 192}) {
        SCOPED_TRACE(kbps);
        const std::string out = dir.Path("out.m4a");
        // The program passes its paths in double quotes.
        CodecGate::convert("\"" + WindowsPathOf(wav) + "\"", "\"" + WindowsPathOf(out) + "\"",
                           Cbr(kbps));
        TProbe probe = Probe(out);
        EXPECT_NE(std::string::npos, probe.Container.find("mp4"));
        EXPECT_EQ(AV_CODEC_ID_AAC, probe.Codec);
        EXPECT_EQ(44100, probe.SampleRate);
        EXPECT_EQ(2, probe.Channels);
        EXPECT_NEAR(4.0, probe.Seconds, 0.1);
        EXPECT_EQ(4, CodecGate::gettime("\"" + WindowsPathOf(out) + "\""));
        EXPECT_EQ(4, CodecGate::gettime(WindowsPathOf(out)));
        EXPECT_NEAR(kbps, KbpsOf(out, 4.0), kbps * 0.2);
    }
    EXPECT_EQ((std::vector<std::string>{"in.wav", "out.m4a"}), FilesIn(dir.Path()));
}

TEST_F(CodecGateTest, VbrQualityRisesWithThePositionInTheList) {
    const std::string wav = Wav(4);
    double previous = 0, lowest = 0;
    for (int index = 0; index < CodecGate::VbrQualityCount; index += 1) {
        SCOPED_TRACE(index);
        const std::string out = dir.Path("vbr" + std::to_string(index) + ".m4a");
        CodecGate::convert(WindowsPathOf(wav), WindowsPathOf(out), Vbr(index));
        EXPECT_EQ(AV_CODEC_ID_AAC, Probe(out).Codec);
        EXPECT_EQ(4, CodecGate::gettime(WindowsPathOf(out)));
        double kbps = KbpsOf(out, 4.0);
        EXPECT_GT(kbps, previous);
        previous = kbps;
        if (index == 0)
            lowest = kbps;
    }
    EXPECT_GT(previous, 3 * lowest);
    // A position outside the list is taken as its nearest end.
    EXPECT_EQ(CodecGate::VbrQualityScale(0), CodecGate::VbrQualityScale(-3));
    EXPECT_EQ(CodecGate::VbrQualityScale(7), CodecGate::VbrQualityScale(8));
}

TEST_F(CodecGateTest, HighQualityChoiceChangesTheEncoding) {
    const std::string wav = Wav(3);
    const std::string fast = dir.Path("fast.m4a");
    const std::string high = dir.Path("high.m4a");
    CodecGate::convert(WindowsPathOf(wav), WindowsPathOf(fast), Cbr(128, false));
    CodecGate::convert(WindowsPathOf(wav), WindowsPathOf(high), Cbr(128, true));
    EXPECT_EQ(AV_CODEC_ID_AAC, Probe(high).Codec);
    EXPECT_EQ(3, CodecGate::gettime(WindowsPathOf(high)));
    EXPECT_NE(BvTest::ReadWholeFile(fast), BvTest::ReadWholeFile(high));
}

TEST_F(CodecGateTest, SampleRatesAndChannels) {
    struct Case {
        int rate, channels, outRate, outChannels;
    } cases[] = {
        {44100, 1, 44100, 1}, {48000, 2, 48000, 2},
        {22050, 2, 22050, 2}, {11000, 2, 44100, 2}, // not an AAC rate: resampled
        {44100, 6, 44100, 2},                       // more than two channels are mixed down
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + "/" + std::to_string(c.channels));
        const std::string wav = Wav(2, c.rate, c.channels);
        const std::string out = dir.Path("out.m4a");
        CodecGate::convert(WindowsPathOf(wav), WindowsPathOf(out), Cbr(96));
        TProbe probe = Probe(out);
        EXPECT_EQ(AV_CODEC_ID_AAC, probe.Codec);
        EXPECT_EQ(c.outRate, probe.SampleRate);
        EXPECT_EQ(c.outChannels, probe.Channels);
        EXPECT_EQ(2, CodecGate::gettime(WindowsPathOf(out)));
    }
}

TEST_F(CodecGateTest, FailedConversionLeavesNoTargetAndKeepsAnOldOne) {
    const std::string out = dir.Path("out.m4a");
    const std::string garbage = dir.Path("garbage.wav");
    BvTest::WriteWholeFile(garbage, "RIFF\x10\0\0\0WAVEjunkjunkjunk");
    const std::string cut = dir.Path("cut.wav");
    BvTest::WriteWholeFile(cut, BvTest::ReadWholeFile(Wav(1)).substr(0, 30));
    struct Case {
        const char* what;
        std::string source, target;
        TCodecConvertOptions options;
        const char* message;
    } cases[] = {
        {"missing source", dir.Path("none.wav"), out, Cbr(128), "Cannot open"},
        {"not a WAV file", garbage, out, Cbr(128), "Cannot convert"},
        {"WAV header cut short", cut, out, Cbr(128), "Cannot convert"},
        {"source is a folder", dir.Path(""), out, Cbr(128), "is not a file"},
        {"bitrate 0", dir.Path("in.wav"), out, Cbr(0), "out of range"},
        {"target folder missing", dir.Path("in.wav"), dir.Path("no/out.m4a"), Cbr(128),
         "Cannot create"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            CodecGate::convert(WindowsPathOf(c.source), WindowsPathOf(c.target), c.options);
            ADD_FAILURE() << "no error";
        } catch (const ECodecGateError& e) {
            EXPECT_NE(std::string::npos, e.Message().find(c.message)) << e.Message();
        }
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    // A failing run over an existing target leaves the old file as it was.
    BvTest::WriteWholeFile(out, "old");
    EXPECT_THROW(CodecGate::convert(WindowsPathOf(garbage), WindowsPathOf(out), Cbr(128)),
                 ECodecGateError);
    EXPECT_EQ("old", BvTest::ReadWholeFile(out));
    EXPECT_EQ((std::vector<std::string>{"cut.wav", "garbage.wav", "in.wav", "out.m4a"}),
              FilesIn(dir.Path()));
}

TEST_F(CodecGateTest, CancelStopsWithoutATarget) {
    const std::string wav = Wav(2);
    std::atomic<uint8_t> cancel{1};
    TCodecConvertOptions options = Cbr(128);
    options.Cancel = &cancel;
    EXPECT_THROW(
        CodecGate::convert(WindowsPathOf(wav), WindowsPathOf(dir.Path("out.m4a")), options),
        EAbort);
    EXPECT_EQ((std::vector<std::string>{"in.wav"}), FilesIn(dir.Path()));
}

TEST_F(CodecGateTest, GetTimeOfDamagedAndMissingFiles) {
    const std::string good = dir.Path("good.m4a");
    BvTest::WriteM4aFixture(good, 5, 128);
    ASSERT_EQ(5, CodecGate::gettime(WindowsPathOf(good)));
    const std::string bytes = BvTest::ReadWholeFile(good);

    const std::string cut = dir.Path("cut.m4a");
    BvTest::WriteWholeFile(cut, bytes.substr(0, bytes.size() / 2));
    std::string smashed = bytes;
    size_t moov = smashed.rfind("moov");
    ASSERT_NE(std::string::npos, moov);
    for (size_t i = moov + 4; i < smashed.size(); ++i)
        smashed[i] = '\xFF';
    const std::string broken = dir.Path("broken.m4a");
    BvTest::WriteWholeFile(broken, smashed);
    const std::string mp3 = dir.Path("song.m4a");
    BvTest::WriteWholeFile(mp3, std::string("ID3\3\0\0\0\0\0\0", 10) + std::string(400, '\xFF'));

    struct Case {
        std::string path;
        const char* message;
    } cases[] = {
        {WindowsPathOf(cut), "is damaged"},
        {WindowsPathOf(broken), "is damaged"},
        {WindowsPathOf(mp3), "is not an M4A file"},
        {WindowsPathOf(dir.Path("none.m4a")), "Cannot open"},
        {WindowsPathOf(dir.Path("")), "is not a file"},
        {"\"" + WindowsPathOf(dir.Path("none.m4a")) + "\"", "none.m4a"},
        {"Q:\\unmapped.m4a", "Q:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            CodecGate::gettime(c.path);
            ADD_FAILURE() << "no error";
        } catch (const ECodecGateError& e) {
            EXPECT_NE(std::string::npos, e.Message().find(c.message)) << e.Message();
        }
    }
}

TEST_F(CodecGateTest, WorksOnACardDrive) {
    std::filesystem::create_directories(dir.Path("card/mobile"));
    setenv("BRISVANE_DRIVES", ("E=" + dir.Path("card") + ":removable").c_str(), 1);
    RefreshDriveTable();
    Wav(2);
    CodecGate::convert(WindowsPathOf(dir.Path("in.wav")), "\"E:\\mobile\\song.m4a\"", Cbr(96));
    EXPECT_EQ(AV_CODEC_ID_AAC, Probe(dir.Path("card/mobile/song.m4a")).Codec);
    EXPECT_EQ(2, CodecGate::gettime("\"E:\\mobile\\song.m4a\""));
    unsetenv("BRISVANE_DRIVES");
    RefreshDriveTable();
}

// An M4A decoded back to WAV keeps its length, rate and channels; a file that is no audio
// raises and leaves no target, also none of the temporary ones.
TEST_F(CodecGateTest, DecodeGivesAWavOfTheSameLength) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const std::string m4a = dir.Path("in.m4a");
        CodecGate::convert(WindowsPathOf(Wav(3, 48000, channels)), WindowsPathOf(m4a), Cbr(128));
        const std::string out = dir.Path("back.wav");
        CodecGate::decode("\"" + WindowsPathOf(m4a) + "\"", "\"" + WindowsPathOf(out) + "\"");
        TProbe probe = Probe(out);
        EXPECT_EQ("wav", probe.Container);
        EXPECT_EQ(AV_CODEC_ID_PCM_S16LE, probe.Codec);
        EXPECT_EQ(48000, probe.SampleRate);
        EXPECT_EQ(channels, probe.Channels);
        EXPECT_NEAR(3.0, probe.Seconds, 0.05);
        std::filesystem::remove(out);
    }
    const std::string noise = dir.Path("noise.m4a");
    BvTest::WriteWholeFile(noise, std::string(5000, '\x55'));
    EXPECT_THROW(CodecGate::decode(WindowsPathOf(noise), WindowsPathOf(dir.Path("no.wav"))),
                 ECodecGateError);
    EXPECT_THROW(CodecGate::decode(WindowsPathOf(dir.Path("missing.m4a")),
                                   WindowsPathOf(dir.Path("no.wav"))),
                 ECodecGateError);
    EXPECT_EQ((std::vector<std::string>{"in.m4a", "in.wav", "noise.m4a"}), FilesIn(dir.Path()));
}
