#include "TrackManager.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using BvTest::TAudioFixtureFolder;
using BvTest::WindowsPathOf;

struct TSettings {
    TAudioFixtureFolder Folder;
    TScriptedManagerUi Ui;
    std::unique_ptr<TTrackManager> Manager;
    std::vector<std::string> Languages;

    TSettings() { Restart(); }
    std::string ProgramFolder() const { return WindowsPathOf(Folder.Path()) + "\\"; }
    // A fresh manager on the same folder, as the next run of the program.
    TTrackManager& Restart() {
        Manager = std::make_unique<TTrackManager>(Ui, TManagerPaths{ProgramFolder(), {}});
        Manager->LanguageSink = [this](const std::string& file) { Languages.push_back(file); };
        return *Manager;
    }
    void WriteIni(const std::string& text) {
        BvTest::WriteWholeFile(Folder.Path("brisvane.ini"), text);
    }
    std::string Ini() { return BvTest::ReadWholeFile(Folder.Path("brisvane.ini")); }
};

// The key names of the settings file in the order they stand.
std::vector<std::string> KeysInFile(const std::string& text) {
    std::vector<std::string> keys;
    TStringList lines;
    lines.SetText(text);
    for (int i = 0; i < lines.Count(); ++i) {
        const size_t eq = lines[i].find('=');
        if (eq != std::string::npos)
            keys.push_back(lines[i].substr(0, eq));
    }
    return keys;
}

} // namespace

TEST(TrackManagerSettings, DefaultsWithoutASettingsFile) {
    TSettings s;
    TTrackManager& m = *s.Manager;
    m.Start();
    const TOptions& o = m.Options;
    EXPECT_EQ("96", o.comboM4ABitrate);
    EXPECT_EQ("128", o.cbBitrate);
    EXPECT_EQ("\\mobile\\audio\\", m.Model.UploadPath);
    EXPECT_EQ(s.ProgramFolder() + "lame.exe", o.comboConverters);
    EXPECT_EQ("<artist> - <title><ext>", o.comboRNTO);
    EXPECT_TRUE(o.cbCheckSpace && o.cbShowPanel && o.cbAutoReadDB && o.cbOnlyRemovable &&
                o.cbInfoHints && o.rbM4A_CBR);
    EXPECT_FALSE(o.cbAutoDetect || o.cbAutoEncode || o.cbRNTO || o.rbM4A_VBR);
    EXPECT_EQ(4, o.comboM4A_VBR_Quality);
    EXPECT_EQ(0, o.ComboFormat);
    EXPECT_FALSE(m.TransFlashTimer.Enabled);
    EXPECT_EQ(2000, m.TransFlashTimer.Interval);
    EXPECT_EQ(1000, m.TimerBeforeShow.Interval);
    EXPECT_EQ(4000, m.TimerAfterShow.Interval);
    EXPECT_TRUE(m.DriveComboVisible);
    EXPECT_TRUE(s.Ui.Warnings.empty());
    // No language file: nothing is applied and the saved language stays.
    EXPECT_EQ(-1, o.comboLang);
    EXPECT_TRUE(s.Languages.empty());
}

TEST(TrackManagerSettings, RoundTripKeepsEveryWrittenKeyInItsOrder) {
    TSettings s;
    TTrackManager& m = *s.Manager;
    m.Start();
    TOptions& o = m.Options;
    o.cbAutoEncode = true;
    o.cbCheckSpace = false;
    o.cbAutoDetect = true;
    o.cbShowPanel = false;
    o.cbOnlyRemovable = false;
    o.cbBitrate = "160";
    o.edUpload = "\\music\\up\\";
    o.comboConverters = "C:\\usr\\bin\\lame";
    o.edTFTime = "3000";
    o.cbHighQualityM4a = true;
    o.comboM4ABitrate = "64";
    o.rbM4A_VBR = true;
    o.rbM4A_CBR = false;
    o.comboM4A_VBR_Quality = 6;
    o.ComboFormat = 1;
    o.cbAutoReadDB = false;
    o.cbMultiLinePlaylist = true;
    o.cbRNTO = true;
    o.comboRNTO = "<#> <title><ext>";
    o.cbInfoHints = false;
    o.edHintShowAfter = "1500";
    o.edHintHide = "7000";
    o.cbChangeExt = true;
    m.SaveSettings();
    const std::vector<std::string> order = {"AutoEncode",
                                            "CheckFreeSpace",
                                            "AutoDetect",
                                            "ShowPanel",
                                            "OnlyRemovableDevices",
                                            "MaxBitrate",
                                            "UploadPath",
                                            "Converter",
                                            "TransFlashDetectInterval",
                                            "HighQualityM4a",
                                            "Bitrate",
                                            "VBR",
                                            "CBR",
                                            "VBR_QUALITY",
                                            "ConvertToFormat",
                                            "Language",
                                            "AutoReadDB",
                                            "MultiLinePlaylist",
                                            "Rename",
                                            "RenameTo",
                                            "InfoHints",
                                            "InfoHintsShowAfter",
                                            "InfoHintsHideAfter"};
    EXPECT_EQ(order, KeysInFile(s.Ini()));
    EXPECT_NE(std::string::npos, s.Ini().find("[SETTINGS]"));
    EXPECT_NE(std::string::npos, s.Ini().find("Language=English.lng"));

    TTrackManager& again = s.Restart();
    again.Start();
    const TOptions& r = again.Options;
    EXPECT_TRUE(r.cbAutoEncode);
    EXPECT_FALSE(r.cbCheckSpace);
    EXPECT_TRUE(r.cbAutoDetect);
    EXPECT_FALSE(r.cbShowPanel);
    EXPECT_FALSE(r.cbOnlyRemovable);
    EXPECT_EQ("160", r.cbBitrate);
    EXPECT_EQ("\\music\\up\\", r.edUpload);
    EXPECT_EQ("\\music\\up\\", again.Model.UploadPath);
    EXPECT_EQ("C:\\usr\\bin\\lame", r.comboConverters);
    EXPECT_EQ("3000", r.edTFTime);
    EXPECT_TRUE(r.cbHighQualityM4a);
    EXPECT_EQ("64", r.comboM4ABitrate);
    EXPECT_TRUE(r.rbM4A_VBR);
    EXPECT_FALSE(r.rbM4A_CBR);
    EXPECT_EQ(6, r.comboM4A_VBR_Quality);
    EXPECT_EQ(1, r.ComboFormat);
    EXPECT_FALSE(r.cbAutoReadDB);
    EXPECT_TRUE(r.cbMultiLinePlaylist);
    EXPECT_TRUE(r.cbRNTO);
    EXPECT_EQ("<#> <title><ext>", r.comboRNTO);
    EXPECT_FALSE(r.cbInfoHints);
    EXPECT_EQ("1500", r.edHintShowAfter);
    EXPECT_EQ("7000", r.edHintHide);
    // ChangeExt is read but never written.
    EXPECT_FALSE(r.cbChangeExt);
    // Automatic detection starts the timer with the saved interval and hides the drive box.
    EXPECT_TRUE(again.TransFlashTimer.Enabled);
    EXPECT_EQ(3000, again.TransFlashTimer.Interval);
    EXPECT_FALSE(again.DriveComboVisible);
    EXPECT_TRUE(r.cb2Step);
}

TEST(TrackManagerSettings, DamagedFileFallsBackToDefaultsAndClamps) {
    TSettings s;
    s.WriteIni("garbage line\r\n[SETTINGS\r\n[settings]\r\nAutoDetect=abc\r\n"
               "TransFlashDetectInterval=xyz\r\nVBR_QUALITY=99\r\nConvertToFormat=-3\r\n"
               "UploadPath=music\r\nCBR=0\r\nVBR=0\r\nChangeExt=1\r\nChangeExtTo=.ogg\r\n"
               "InfoHintsShowAfter=soon\r\n=\r\n");
    TTrackManager& m = *s.Manager;
    m.Start();
    EXPECT_FALSE(m.Options.cbAutoDetect);
    EXPECT_EQ("2000", m.Options.edTFTime);
    EXPECT_EQ(7, m.Options.comboM4A_VBR_Quality);
    EXPECT_EQ(0, m.Options.ComboFormat);
    EXPECT_EQ("\\music\\", m.Model.UploadPath);
    EXPECT_TRUE(m.Options.rbM4A_CBR);
    EXPECT_TRUE(m.Options.cbChangeExt);
    EXPECT_EQ(".ogg", m.Options.edChangeExt);
    // The bad delay is named once, its last valid value kept, shown and saved.
    ASSERT_EQ(1u, s.Ui.Warnings.size());
    EXPECT_NE(std::string::npos, s.Ui.Warnings[0].find("soon"));
    EXPECT_EQ(1000, m.TimerBeforeShow.Interval);
    EXPECT_EQ("1000", m.Options.edHintShowAfter);
    m.SaveSettings();
    EXPECT_NE(std::string::npos, s.Ini().find("InfoHintsShowAfter=1000"));
    EXPECT_NE(std::string::npos, s.Ini().find("VBR_QUALITY=7"));
}

TEST(TrackManagerSettings, NumberFieldsAreCheckedWhenApplied) {
    TSettings s;
    TTrackManager& m = *s.Manager;
    m.Start();
    m.Options.edTFTime = "5000";
    m.Options.edHintHide = "never";
    m.Options.cbBitrate = "fast";
    m.ApplyOptions();
    EXPECT_EQ(5000, m.TransFlashTimer.Interval);
    EXPECT_EQ(4000, m.TimerAfterShow.Interval);
    EXPECT_EQ(128, m.Applied.MaxBitrate);
    ASSERT_EQ(1u, s.Ui.Warnings.size());
    EXPECT_NE(std::string::npos, s.Ui.Warnings[0].find("never"));
    EXPECT_NE(std::string::npos, s.Ui.Warnings[0].find("fast"));
    // Out of range values are clamped: the detection interval stays between 250 ms and an hour.
    m.Options.edTFTime = "10";
    m.ApplyOptions();
    EXPECT_EQ(250, m.TransFlashTimer.Interval);
    m.Options.edTFTime = "99999999";
    m.ApplyOptions();
    EXPECT_EQ(3600000, m.TransFlashTimer.Interval);
    // A bad text typed after the last apply is not saved.
    m.Options.edTFTime = "oops";
    m.SaveSettings();
    EXPECT_NE(std::string::npos, s.Ini().find("TransFlashDetectInterval=3600000"));
}

TEST(TrackManagerSettings, LanguageFiles) {
    TSettings s;
    s.WriteIni("[SETTINGS]\r\nLanguage=russian.LNG\r\n");
    TTrackManager& first = *s.Manager;
    first.Start();
    first.SaveSettings();
    // Without a language file the saved language stays as it was.
    EXPECT_NE(std::string::npos, s.Ini().find("Language=russian.LNG"));

    BvTest::WriteWholeFile(s.Folder.Path("Deutsch.lng"), "<x/>");
    BvTest::WriteWholeFile(s.Folder.Path("Russian.lng"), "<x/>");
    BvTest::WriteWholeFile(s.Folder.Path("notes.lngx"), "");
    TTrackManager& m = s.Restart();
    m.Start();
    ASSERT_EQ(2u, m.Options.comboLangItems.size());
    EXPECT_EQ("Russian.lng", m.Options.SelectedLanguage());
    ASSERT_EQ(1u, s.Languages.size());
    EXPECT_EQ(s.ProgramFolder() + "Russian.lng", s.Languages[0]);

    // No "English.lng" among the files: the first one found is selected.
    s.WriteIni("[SETTINGS]\r\n");
    TTrackManager& other = s.Restart();
    other.Start();
    EXPECT_EQ(0, other.Options.comboLang);
}

TEST(TrackManagerSettings, DialogHandlers) {
    TSettings s;
    TTrackManager& m = *s.Manager;
    m.Start();
    m.rbM4A_VBRClick();
    EXPECT_EQ(std::vector<std::string>{"No MP3 VBR support! Yet :-)"}, s.Ui.Messages);
    EXPECT_TRUE(m.Options.rbM4A_CBR);
    EXPECT_FALSE(m.Options.rbM4A_VBR);
    m.Options.ComboFormat = 1;
    m.ComboFormatChange();
    EXPECT_TRUE(m.Options.cb2Step);
    m.rbM4A_VBRClick();
    EXPECT_TRUE(m.Options.rbM4A_VBR);
    EXPECT_FALSE(m.Options.rbM4A_CBR);

    m.Options.cbAutoDetect = true;
    m.cbAutoDetectClick();
    EXPECT_FALSE(m.OnlyRemovableVisible);
    // The drive box follows the option only when it is applied.
    EXPECT_TRUE(m.DriveComboVisible);
    s.Ui.OptionsResults.push_back(false);
    m.btnOptionsClick();
    EXPECT_TRUE(m.DriveComboVisible);
    s.Ui.OptionsResults.push_back(true);
    m.btnOptionsClick();
    EXPECT_FALSE(m.DriveComboVisible);
    EXPECT_TRUE(m.TransFlashTimer.Enabled);
    m.Options.cbAutoDetect = false;
    m.cbAutoDetectClick();
    EXPECT_TRUE(m.OnlyRemovableVisible);
    m.bvGroupActionsExpanded();
    EXPECT_TRUE(m.DriveComboVisible);
}

TEST(TrackManagerSettings, SameReencodePredicateForStatisticsAndUpdate) {
    TSettings s;
    TTrackManager& m = *s.Manager;
    m.Start();
    m.Model.PhoneDrive = 'E';
    auto add = [&](const char* file, const char* kbps) {
        return m.Model.AppendTrack({"a", "t", "b", "3:5", "1000", file, kbps, "0"});
    };
    const int high = add("C:\\m\\a.mp3", "320");
    const int low = add("C:\\m\\b.mp3", "128");
    const int m4a = add("C:\\m\\c.m4a", "320");
    const int onCard = add("E:\\mobile\\audio\\d.mp3", "320");
    const int bad = add("C:\\m\\e.MP3", "x");
    const int upper = add("C:\\m\\f.MP3", "192");
    EXPECT_FALSE(m.TrackWouldBeReencoded(high));
    m.Options.cbAutoEncode = true;
    EXPECT_TRUE(m.TrackWouldBeReencoded(high));
    EXPECT_FALSE(m.TrackWouldBeReencoded(low));
    // The codec library decodes an M4A for the encoder.
    EXPECT_TRUE(m.TrackWouldBeReencoded(m4a));
    EXPECT_FALSE(m.TrackWouldBeReencoded(onCard));
    EXPECT_FALSE(m.TrackWouldBeReencoded(bad));
    EXPECT_TRUE(m.TrackWouldBeReencoded(upper));
}
