#include "TrackManager.h"

#include "AudioFixtures.h"
#include "DriveSpace.h"
#include "Drives.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct TStatisticsFixture {
    TScriptedManagerUi Ui;
    TTrackManager Manager{Ui,
                          {"C:\\nonexistent-brisvane-test\\", "C:\\nonexistent-brisvane-test\\"}};

    void Add(const std::string& time, const std::string& size, const std::string& fileName,
             const std::string& bitRate = "128") {
        Manager.Model.AppendTrack({"A", "T", "Al", time, size, fileName, bitRate, "0"});
    }
};

TEST(Statistics, DurationAndCountWithDriveAUntouched) {
    TStatisticsFixture f;
    f.Manager.RefreshStatistics();
    EXPECT_EQ("0", f.Manager.Statistics.Label14);
    EXPECT_EQ("00:00:00", f.Manager.Statistics.Label15);
    EXPECT_EQ("0 KB", f.Manager.Statistics.Label18);

    f.Manager.Model.PhoneDrive = 'a';
    f.Manager.Statistics.Label17 = "kept";
    f.Manager.Statistics.TotalKB = 7;
    f.Manager.Statistics.UsedKB = 3;
    f.Add("3:5", "100", "C:\\a.mp3");
    f.Add("2:55", "100", "C:\\b.mp3");
    f.Manager.btnRefreshStatClick();
    EXPECT_EQ("a:", f.Manager.Statistics.Label13);
    EXPECT_FALSE(f.Manager.Statistics.DriveMeasured);
    EXPECT_EQ("kept", f.Manager.Statistics.Label17);
    EXPECT_EQ(7, f.Manager.Statistics.TotalKB);
    EXPECT_EQ(3, f.Manager.Statistics.UsedKB);
    EXPECT_EQ("2", f.Manager.Statistics.Label14);
    EXPECT_EQ("00:06:00", f.Manager.Statistics.Label15);

    // Hours beyond two digits keep them all; 64-bit sums.
    f.Add("6000000:00", "100", "C:\\c.mp3");
    f.Manager.RefreshStatistics();
    EXPECT_EQ("100000:06:00", f.Manager.Statistics.Label15);
    EXPECT_EQ(360000360, f.Manager.Statistics.TotalSeconds);
}

TEST(Statistics, EstimatesWithAndWithoutEncoding) {
    struct TCase {
        bool AutoEncode;
        std::string Limit;
        std::string Label18, Label19;
    };
    // Off-card: a 2,048,000-byte MP3 at 320 kbit/s, 100 s. On the card: 1,024,000 bytes.
    // Off-card M4A at 320 kbit/s, 1,024,000 bytes: re-encoded like the MP3. 3 GB off-card:
    // 64-bit sizes.
    const TCase cases[] = {
        {false, "128", "3,144,625 KB", "3,143,625 KB"},
        {true, "128", "3,144,825 KB", "3,143,825 KB"},
        // A limit that is not a number: the one last applied (128).
        {true, "fast", "3,144,825 KB", "3,143,825 KB"},
        {true, "320", "3,144,625 KB", "3,143,625 KB"},
    };
    for (const TCase& c : cases) {
        TStatisticsFixture f;
        f.Manager.Model.PhoneDrive = 'A';
        f.Add("1:40", "2048000", "C:\\music\\song.mp3", "320");
        f.Add("1:40", "1024000", "a:\\mobile\\audio\\song.mp3", "320");
        f.Add("1:40", "1024000", "C:\\music\\song.m4a", "320");
        f.Add("1:40", "3216000000", "C:\\music\\long.mp3", "96");
        f.Manager.Options.cbAutoEncode = c.AutoEncode;
        f.Manager.Options.cbBitrate = c.Limit;
        f.Manager.RefreshStatistics();
        EXPECT_EQ(c.Label18, f.Manager.Statistics.Label18) << c.AutoEncode << c.Limit;
        EXPECT_EQ(c.Label19, f.Manager.Statistics.Label19) << c.AutoEncode << c.Limit;
        // Each estimate counts exactly as the update decides.
        EXPECT_EQ(c.AutoEncode && c.Limit != "320", f.Manager.TrackWouldBeReencoded(0));
        EXPECT_FALSE(f.Manager.TrackWouldBeReencoded(1));
        EXPECT_EQ(c.AutoEncode && c.Limit != "320", f.Manager.TrackWouldBeReencoded(2));
    }
}

TEST(Statistics, TheLimitIsTheTypedPositiveNumberElseTheAppliedOne) {
    const std::pair<std::string, int32_t> cases[] = {{"192", 192}, {" 256 ", 256}, {"fast", 160},
                                                     {"", 160},    {"0", 160},     {"-64", 160}};
    for (const auto& [typed, limit] : cases) {
        TStatisticsFixture f;
        f.Manager.Applied.MaxBitrate = 160;
        f.Manager.Options.cbBitrate = typed;
        EXPECT_EQ(limit, f.Manager.EffectiveMaxBitrate()) << typed;
        // The estimate of an encoded track is made at that same limit.
        f.Manager.Model.PhoneDrive = 'B';
        f.Manager.Options.cbAutoEncode = true;
        f.Add("1:40", "4000000", "C:\\x.mp3", "320");
        f.Manager.RefreshStatistics();
        EXPECT_EQ(limit / 8.0L * 100 * 1024, f.Manager.Statistics.AllBytes) << typed;
    }
}

TEST(Statistics, OneEncodedTrackAsTheFigureShows) {
    TStatisticsFixture f;
    f.Manager.Model.PhoneDrive = 'B';
    f.Manager.Options.cbAutoEncode = true;
    f.Add("1:40", "4000000", "C:\\x.mp3", "320");
    f.Manager.RefreshStatistics();
    EXPECT_EQ(1638400.0L, f.Manager.Statistics.AllBytes);
    EXPECT_EQ("1,600 KB", f.Manager.Statistics.Label18);
    EXPECT_EQ("1,600 KB", f.Manager.Statistics.Label19);
}

TEST(Statistics, MeasuresTheMappedCard) {
    BvTest::TAudioFixtureFolder card;
    setenv("BRISVANE_DRIVES", ("E=" + card.Path() + ":removable").c_str(), 1);
    RefreshDriveTable();
    TStatisticsFixture f;
    f.Manager.Model.PhoneDrive = 'E';
    f.Manager.RefreshStatistics();
    EXPECT_TRUE(f.Manager.Statistics.DriveMeasured);
    EXPECT_EQ("E:", f.Manager.Statistics.Label13);
    EXPECT_EQ(DriveTotalSpace('E') / 1024, f.Manager.Statistics.TotalKB);
    EXPECT_GE(f.Manager.Statistics.UsedKB, 0);
    EXPECT_LE(f.Manager.Statistics.UsedKB, f.Manager.Statistics.TotalKB);
    const int64_t freeKB = f.Manager.Statistics.TotalKB - f.Manager.Statistics.UsedKB;
    EXPECT_EQ(IntToStr(freeKB) + " kb", f.Manager.Statistics.Label17);

    // A drive that is not ready shows nothing, not the last card's figures.
    f.Manager.Model.PhoneDrive = 'Q';
    f.Manager.RefreshStatistics();
    EXPECT_FALSE(f.Manager.Statistics.DriveMeasured);
    EXPECT_EQ(0, f.Manager.Statistics.TotalKB);
    EXPECT_EQ("0 kb", f.Manager.Statistics.Label17);
    unsetenv("BRISVANE_DRIVES");
    RefreshDriveTable();
}

TEST(Statistics, BadValueIsReportedAndTheFiguresBeforeItStay) {
    TStatisticsFixture f;
    f.Manager.Model.PhoneDrive = 'A';
    f.Add("1:0", "not a size", "C:\\x.mp3");
    std::vector<TViewId> notified;
    f.Manager.ViewSink = [&](TViewId v) { notified.push_back(v); };
    f.Manager.BvGroupStatExpanded();
    ASSERT_EQ(1u, f.Ui.Warnings.size());
    EXPECT_EQ("1", f.Manager.Statistics.Label14);
    EXPECT_EQ("00:01:00", f.Manager.Statistics.Label15);
    EXPECT_EQ((std::vector<TViewId>{TViewId::Statistics}), notified);
    EXPECT_THROW(f.Manager.RefreshStatistics(), EConvertError);
}

} // namespace
