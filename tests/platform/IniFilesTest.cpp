#include "IniFiles.h"
#include "FileTestSupport.h"
#include "RtStrings.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

using IniFileTest = CardFolderTest;

TEST_F(IniFileTest, ReadsByProfileRules) {
    Put(OnCard("s.ini"), "; comment\r\n"
                         "loose=before any section\r\n"
                         "[Settings]\r\n"
                         "  UploadPath =  \\mobile\\audio\\  \r\n"
                         "Quoted=\" spaced \"\r\n"
                         "Single='x'\r\n"
                         "Half=\"x\r\n"
                         "Twice=\"\"x\"\"\r\n"
                         "Empty=\r\n"
                         "AutoEncode=1\r\n"
                         "Hex=0x1F\r\n"
                         "Bad=12a\r\n"
                         "Dup=first\r\n"
                         "dup=second\r\n"
                         "no equals sign\n"
                         "[other]\r"
                         "key=v\n"
                         "[SETTINGS]\n"
                         "Late=ignored\n");
    TIniFile ini("E:\\s.ini");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"SETTINGS", "uploadpath", "\\mobile\\audio\\"},
        {"settings", "Quoted", " spaced "},
        {"Settings", "Single", "x"},
        {"Settings", "Half", "\"x"},
        {"Settings", "Twice", "\"x\""},
        {"Settings", "Empty", ""},
        {"Settings", "Dup", "first"},
        {"Settings", "Missing", "default"},
        {"Settings", "Late", "default"},
        {"Other", "KEY", "v"},
        {"Nowhere", "key", "default"},
        {"Settings", "loose", "default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ini.ReadString(c.section, c.key, "default")) << c.key;
    EXPECT_TRUE(ini.ReadBool("Settings", "AutoEncode", false));
    EXPECT_FALSE(ini.ReadBool("Settings", "Empty", false));
    EXPECT_TRUE(ini.ReadBool("Settings", "Bad", true));
    EXPECT_EQ(31, ini.ReadInteger("Settings", "Hex", 0));
    EXPECT_EQ(7, ini.ReadInteger("Settings", "Bad", 7));
    EXPECT_EQ(7, ini.ReadInteger("Settings", "Empty", 7));

    TStringList list;
    ini.ReadSections(list);
    EXPECT_EQ("Settings\r\nother\r\nSETTINGS\r\n", list.Text());
    ini.ReadSection("settings", list);
    EXPECT_EQ(11, list.Count());
    EXPECT_EQ("UploadPath", list[0]);
    EXPECT_TRUE(ini.SectionExists("OTHER"));
    EXPECT_FALSE(ini.SectionExists("nowhere"));
    EXPECT_TRUE(ini.ValueExists("settings", "HEX"));
    EXPECT_FALSE(ini.ValueExists("settings", "late"));
}

TEST_F(IniFileTest, WritesKeepEveryOtherLine) {
    Put(OnCard("s.ini"),
        "; keep me\n[SETTINGS]\nRename=0\n; note\nRenameTo=<artist>\n\n[Other]\nx=1\n");
    TIniFile ini("E:\\s.ini");
    ini.WriteBool("settings", "RENAME", true);
    ini.WriteString("Settings", "Language", "Русский.lng");
    ini.WriteInteger("New", "Interval", -2000);
    ini.WriteString("other", "y", " padded ");
    EXPECT_EQ("; keep me\r\n[SETTINGS]\r\nRENAME=1\r\n; note\r\nRenameTo=<artist>\r\n"
              "Language=Русский.lng\r\n\r\n[Other]\r\nx=1\r\ny= padded \r\n"
              "[New]\r\nInterval=-2000\r\n",
              FileToString("E:\\s.ini"));
    EXPECT_EQ("padded", ini.ReadString("Other", "Y", ""));
    EXPECT_EQ(-2000, ini.ReadInteger("new", "interval", 0));

    ini.DeleteKey("SETTINGS", "renameto");
    ini.DeleteKey("SETTINGS", "absent");
    ini.EraseSection("other");
    ini.EraseSection("absent");
    EXPECT_EQ("; keep me\r\n[SETTINGS]\r\nRENAME=1\r\n; note\r\n"
              "Language=Русский.lng\r\n\r\n[New]\r\nInterval=-2000\r\n",
              FileToString("E:\\s.ini"));
}

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsCreatedOnWrite) {
    TIniFile ini("E:\\new.ini");
    EXPECT_EQ("d", ini.ReadString("S", "k", "d"));
    TStringList list{"stale"};
    ini.ReadSection("S", list);
    EXPECT_EQ(0, list.Count());
    ini.WriteString("SETTINGS", "MaxBitrate", "128");
    EXPECT_EQ("[SETTINGS]\r\nMaxBitrate=128\r\n", FileToString("E:\\new.ini"));

    TIniFile nowhere("Q:\\x.ini");
    EXPECT_EQ("d", nowhere.ReadString("S", "k", "d"));
    try {
        nowhere.WriteString("S", "k", "v");
        FAIL();
    } catch (const EIniFileException& e) {
        EXPECT_EQ("Unable to write to Q:\\x.ini", e.Message());
    }
}
