// The options dialog as a person uses it: it shows the settings file, every kind of control
// changed with the mouse and the keys writes what the settings model saves and reads back,
// OK applies it to the main window, a field that holds no number refuses OK, and choosing a
// language file changes the windows' captions and the message strings but never a setting.
#include "OptionsDialogSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>

using namespace OptionsTest;

namespace {

class OptionsDialog : public TOptionsFixture {};

const char* kSettings = "[SETTINGS]\r\n"
                        "InfoHintsHideAfter=3000\r\n"
                        "InfoHintsShowAfter=1500\r\n"
                        "RenameTo=<title><ext>\r\n"
                        "InfoHints=0\r\n"
                        "Rename=1\r\n"
                        "MultiLinePlaylist=0\r\n"
                        "AutoEncode=1\r\n"
                        "AutoDetect=0\r\n"
                        "CheckFreeSpace=1\r\n"
                        "ShowPanel=1\r\n"
                        "AutoReadDB=0\r\n"
                        "OnlyRemovableDevices=1\r\n"
                        "MaxBitrate=160\r\n"
                        "UploadPath=\\music\\\r\n"
                        "TransFlashDetectInterval=3000\r\n"
                        "Converter=C:\\usr\\bin\\lame\r\n"
                        "HighQualityM4a=1\r\n"
                        "Bitrate=112\r\n"
                        "CBR=1\r\n"
                        "VBR=0\r\n"
                        "VBR_QUALITY=6\r\n"
                        "ConvertToFormat=0\r\n"
                        "Language=English.lng\r\n";

} // namespace

TEST_F(OptionsDialog, ShowsTheSettingsFileValues) {
    WriteLanguages();
    WriteIni(kSettings);
    Start();
    TForm2& d = *Dialog;
    EXPECT_EQ("3000", d.edHintHide->GetText());
    EXPECT_EQ("1500", d.edHintShowAfter->GetText());
    EXPECT_EQ("<title><ext>", d.comboRNTO->GetText());
    EXPECT_FALSE(d.cbInfoHints->Checked());
    EXPECT_TRUE(d.cbRNTO->Checked());
    EXPECT_TRUE(d.cbAutoEncode->Checked());
    EXPECT_FALSE(d.cbAutoDetect->Checked());
    EXPECT_FALSE(d.cbAutoReadDB->Checked());
    EXPECT_EQ("160", d.cbBitrate->GetText());
    EXPECT_EQ("\\music\\", d.edUpload->GetText());
    EXPECT_EQ("3000", d.edTFTime->GetText());
    EXPECT_EQ("C:\\usr\\bin\\lame", d.comboConverters->GetText());
    EXPECT_TRUE(d.cbHighQualityM4a->Checked());
    EXPECT_EQ("112", d.comboM4ABitrate->GetText());
    EXPECT_TRUE(d.rbM4A_CBR->Checked());
    EXPECT_FALSE(d.rbM4A_VBR->Checked());
    EXPECT_EQ(6, d.comboM4A_VBR_Quality->ItemIndex());
    EXPECT_EQ("higest", d.comboM4A_VBR_Quality->GetText());
    EXPECT_EQ(0, d.ComboFormat->ItemIndex());
    ASSERT_EQ(2, d.comboLang->Items()->Count());
    EXPECT_EQ("English.lng", d.comboLang->GetText());
    // The shipped language was applied at start-up: the built-in texts stay.
    ASSERT_EQ(1u, AppliedLanguages.size());
    EXPECT_EQ(ProgramFolder() + "English.lng", AppliedLanguages[0]);
    EXPECT_EQ("Options", d.Caption());
    EXPECT_EQ("All music", Manager->Messages.Text(MessageName::AllMusic));
}

TEST_F(OptionsDialog, EachKindOfControlWritesWhatTheSettingsReadBackAndOkApplies) {
    WriteLanguages();
    WriteIni(kSettings);
    Start();
    ASSERT_TRUE(Manager->SpeedBarVisible);
    ASSERT_TRUE(Manager->DriveComboVisible);
    const std::string lame = folder_ + "/lame";
    WriteFile(lame, "#!/bin/sh\n");
    TDialogAnswer chosen;
    chosen.Accepted = true;
    chosen.Paths = {lame};
    Answers.push_back(chosen);
    TForm2& d = *Dialog;
    RunOptionsCommand([&] {
        ASSERT_TRUE(d.Showing());
        Click(d.cbShowPanel);         // off
        Click(d.cbAutoDetect);        // on
        Click(d.cbMultiLinePlaylist); // on
        TypeInto(d.edHintShowAfter, "2500");
        TypeInto(d.edTFTime, "4000");
        TypeInto(d.cbBitrate, "192");
        TypeInto(d.edUpload, "\\audio\\new\\");
        ChooseWithKeys(d.ComboFormat, 1); // M4A
        Click(d.rbM4A_VBR);
        ChooseWithKeys(d.comboM4A_VBR_Quality, 2); // medium
        // The file-name edit's button opens the file dialog with the encoder's filter.
        auto* line = LineOf(d.comboConverters);
        d.comboConverters->SetFocus();
        PumpEvents();
        QTest::keyClick(line, Qt::Key_Down, Qt::AltModifier);
        PumpEvents();
        Click(d.Button1, QPoint(d.Button1->Width() / 2, d.Button1->Height() / 2));
    });
    ASSERT_FALSE(Requests.empty());
    EXPECT_EQ(TDialogRequest::dkOpenFile, Requests.back().Kind);
    EXPECT_EQ(std::string(kConverterDialogFilter), Requests.back().Filter);
    EXPECT_FALSE(d.Showing()) << "OK closes the dialog";

    // The main window follows: no speed bar, the detection timer instead of the drive
    // selector, word wrap in the track view, the hint timer.
    EXPECT_FALSE(Manager->SpeedBarVisible);
    EXPECT_FALSE(Manager->DriveComboVisible);
    EXPECT_TRUE(Manager->TransFlashTimer.Enabled);
    EXPECT_EQ(4000, Manager->TransFlashTimer.Interval);
    EXPECT_TRUE(Manager->Options.cbMultiLinePlaylist);
    EXPECT_EQ(2500, Manager->TimerBeforeShow.Interval);
    EXPECT_EQ("\\audio\\new\\", Manager->Model.UploadPath);
    EXPECT_TRUE(Ui.Messages.empty()) << "VBR is accepted for M4A";

    // What the settings file gets is what the next run shows.
    Manager->SaveSettings();
    DeleteWindows();
    Start();
    TForm2& again = *Dialog;
    EXPECT_FALSE(again.cbShowPanel->Checked());
    EXPECT_TRUE(again.cbAutoDetect->Checked());
    EXPECT_TRUE(again.cbMultiLinePlaylist->Checked());
    EXPECT_EQ("2500", again.edHintShowAfter->GetText());
    EXPECT_EQ("4000", again.edTFTime->GetText());
    EXPECT_EQ("192", again.cbBitrate->GetText());
    EXPECT_EQ("\\audio\\new\\", again.edUpload->GetText());
    EXPECT_EQ(1, again.ComboFormat->ItemIndex());
    EXPECT_TRUE(again.rbM4A_VBR->Checked());
    EXPECT_FALSE(again.rbM4A_CBR->Checked());
    EXPECT_EQ(2, again.comboM4A_VBR_Quality->ItemIndex());
    EXPECT_EQ(ToWindowsPath(lame), again.comboConverters->GetText());
}

TEST_F(OptionsDialog, NumberFieldsTakeDigitsOnly) {
    WriteLanguages();
    Start();
    TForm2& d = *Dialog;
    d.Show();
    PumpEvents();
    TypeInto(d.edHintHide, "12ab-3 ");
    EXPECT_EQ("123", d.edHintHide->GetText()) << "letters, signs and blanks are not taken";
    EXPECT_EQ("123", Manager->Options.edHintHide);
    // Pasted text keeps its digits only.
    QApplication::clipboard()->setText("4x5");
    LineOf(d.edTFTime)->selectAll();
    d.edTFTime->SetFocus();
    PumpEvents();
    QTest::keyClick(LineOf(d.edTFTime), Qt::Key_V, Qt::ControlModifier);
    PumpEvents();
    EXPECT_EQ("45", d.edTFTime->GetText());
    TypeInto(d.cbBitrate, "1k9x2");
    EXPECT_EQ("192", d.cbBitrate->GetText());
    d.Hide();
}

TEST_F(OptionsDialog, AnEmptyNumberRefusesOkNamingTheFieldAndAppliesNothing) {
    WriteLanguages();
    WriteIni(kSettings);
    Start();
    TForm2& d = *Dialog;
    const std::string iniBefore = ReadFile(Path("brisvane.ini"));
    RunOptionsCommand([&] {
        Click(d.cbShowPanel); // off, but must not be applied
        TypeInto(d.edHintShowAfter, "900");
        TypeInto(d.edHintHide, "");
        Requests.clear();
        Click(d.Button1, QPoint(d.Button1->Width() / 2, d.Button1->Height() / 2));
        ASSERT_EQ(1u, Requests.size());
        EXPECT_EQ(TDialogRequest::dkMessage, Requests[0].Kind);
        EXPECT_NE(std::string::npos, Requests[0].Text.find("\"Hide after:\"")) << Requests[0].Text;
        EXPECT_TRUE(d.Showing()) << "the dialog stays open";
        EXPECT_TRUE(d.edHintHide->Focused()) << "the bad field gets the focus";
        // The user gives up and closes the dialog.
    });
    EXPECT_TRUE(Manager->SpeedBarVisible) << "nothing was applied";
    EXPECT_EQ(1500, Manager->TimerBeforeShow.Interval);
    EXPECT_EQ(3000, Manager->TimerAfterShow.Interval);
    EXPECT_EQ(iniBefore, ReadFile(Path("brisvane.ini")));
    // Saving never fails on the empty field: it keeps the last valid value.
    Manager->SaveSettings();
    EXPECT_NE(std::string::npos, ReadFile(Path("brisvane.ini")).find("InfoHintsHideAfter=3000"));
}

// A number of digits alone that its setting does not take (more than 32 bits hold, or outside
// the setting's own range) is refused with a message that names the range, not one asking for
// digits.
TEST_F(OptionsDialog, ANumberOutOfRangeRefusesOkNamingTheRange) {
    WriteLanguages();
    WriteIni(kSettings);
    Start();
    TForm2& d = *Dialog;
    const struct {
        TWinControl* Field;
        const char* Typed;
        const char* Message;
    } cases[] = {
        {d.cbBitrate, "99999999999",
         "\"If bitrate is higher than\" takes a whole number from 1 to 100000."},
        {d.cbBitrate, "0", "\"If bitrate is higher than\" takes a whole number from 1 to 100000."},
        {d.edTFTime, "100",
         "\"Use auto TransFlash(r) detection every\" takes a whole number from 250 to 3600000."},
        {d.edHintHide, "9999999", "\"Hide after:\" takes a whole number from 0 to 3600000."},
        {d.comboM4ABitrate, "999",
         "\"Encode with CONSTANT bitrate:\" takes a whole number from 8 to 320."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Field->Name()) + " " + c.Typed);
        RunOptionsCommand([&] {
            TypeInto(c.Field, c.Typed);
            EXPECT_EQ(c.Typed, c.Field->GetText()) << "digits are taken as typed";
            Requests.clear();
            Click(d.Button1, QPoint(d.Button1->Width() / 2, d.Button1->Height() / 2));
            ASSERT_EQ(1u, Requests.size());
            EXPECT_EQ(c.Message, Requests[0].Text);
            EXPECT_TRUE(d.Showing()) << "the dialog stays open";
        });
    }
    EXPECT_EQ(160, Manager->Applied.MaxBitrate) << "nothing was applied";
    EXPECT_EQ(3000, Manager->TransFlashTimer.Interval);
}

// Closing the dialog with its close box drops what was typed and chosen: nothing is applied,
// nothing typed is saved at exit, and the dialog shows the applied values the next time.
TEST_F(OptionsDialog, ClosingWithoutOkKeepsTheAppliedValuesAndSavesNothingTyped) {
    WriteLanguages();
    WriteIni(kSettings);
    Start();
    TForm2& d = *Dialog;
    RunOptionsCommand([&] {
        TypeInto(d.edHintShowAfter, "2500");
        TypeInto(d.edUpload, "\\typed\\");
        Click(d.cbShowPanel);             // off
        Click(d.cbAutoDetect);            // on
        ChooseWithKeys(d.ComboFormat, 1); // M4A
        ASSERT_FALSE(d.cbOnlyRemovable->Visible());
        // The close box: the window system asks the window to close.
        d.Widget()->windowHandle()->close();
        PumpEvents();
        EXPECT_EQ(mrCancel, d.ModalResult()) << "the close box ends the dialog";
    });
    EXPECT_FALSE(d.Showing());
    EXPECT_TRUE(Manager->SpeedBarVisible) << "nothing was applied";
    EXPECT_EQ(1500, Manager->TimerBeforeShow.Interval);
    EXPECT_EQ("\\music\\", Manager->Model.UploadPath);

    // What the window saves at exit is what was applied.
    Manager->SaveSettings();
    const std::string ini = ReadFile(Path("brisvane.ini"));
    for (const char* line : {"InfoHintsShowAfter=1500", "UploadPath=\\music\\", "ShowPanel=1",
                             "AutoDetect=0", "ConvertToFormat=0"})
        EXPECT_NE(std::string::npos, ini.find(line)) << line << "\n" << ini;

    // The next time the dialog shows the applied values.
    RunOptionsCommand([&] {
        EXPECT_EQ("1500", d.edHintShowAfter->GetText());
        EXPECT_EQ("\\music\\", d.edUpload->GetText());
        EXPECT_TRUE(d.cbShowPanel->Checked());
        EXPECT_FALSE(d.cbAutoDetect->Checked());
        EXPECT_TRUE(d.cbOnlyRemovable->Visible());
        EXPECT_EQ(0, d.ComboFormat->ItemIndex());
    });
}

TEST_F(OptionsDialog, VbrForMp3ShowsTheMessageAndKeepsCbr) {
    WriteLanguages();
    Start();
    TForm2& d = *Dialog;
    d.Show();
    PumpEvents();
    ASSERT_EQ(0, d.ComboFormat->ItemIndex());
    Click(d.rbM4A_VBR);
    ASSERT_EQ(1u, Ui.Messages.size());
    EXPECT_EQ("No MP3 VBR support! Yet :-)", Ui.Messages[0]);
    EXPECT_TRUE(d.rbM4A_CBR->Checked());
    EXPECT_FALSE(d.rbM4A_VBR->Checked());
    EXPECT_TRUE(Manager->Options.rbM4A_CBR);
    // With M4A chosen, VBR is taken; the hidden two-step box follows the format.
    ChooseWithKeys(d.ComboFormat, 1);
    EXPECT_TRUE(d.cb2Step->Checked());
    Click(d.rbM4A_VBR);
    EXPECT_EQ(1u, Ui.Messages.size());
    EXPECT_TRUE(d.rbM4A_VBR->Checked());
    EXPECT_TRUE(Manager->Options.rbM4A_VBR);
    d.Hide();
}

TEST_F(OptionsDialog, AutoDetectionHidesTheRemovableDevicesBox) {
    WriteLanguages();
    Start();
    TForm2& d = *Dialog;
    d.Show();
    PumpEvents();
    ASSERT_TRUE(d.cbOnlyRemovable->Visible());
    Click(d.cbAutoDetect);
    EXPECT_FALSE(d.cbOnlyRemovable->Visible());
    Click(d.cbAutoDetect);
    EXPECT_TRUE(d.cbOnlyRemovable->Visible());
    d.Hide();
}

TEST_F(OptionsDialog, ChoosingALanguageChangesCaptionsAndMessagesNeverTheEncoderPath) {
    WriteLanguages();
    WriteIni(kSettings);
    Start();
    TForm2& d = *Dialog;
    d.Show();
    PumpEvents();
    ASSERT_EQ("English.lng", d.comboLang->GetText());
    const int german = d.comboLang->Items()->IndexOf("Deutsch.lng");
    ASSERT_GE(german, 0);
    ChooseWithKeys(d.comboLang, german);
    EXPECT_EQ("Einstellungen", d.Caption());
    EXPECT_EQ("Brisvane (Deutsch)", Main->Caption());
    EXPECT_EQ("Schaltflächenleiste im Hauptfenster zeigen", d.cbShowPanel->Caption());
    EXPECT_EQ("Alle Musik", Manager->Messages.Text(MessageName::AllMusic));
    EXPECT_EQ("Handy aktualisiert!", Manager->Messages.Text(MessageName::MobileUpdated));
    EXPECT_EQ("kbit/s", Manager->Options.Label10);
    // The encoder's path is the user's, whatever a language file says.
    EXPECT_EQ("C:\\usr\\bin\\lame", d.comboConverters->GetText());
    EXPECT_EQ("C:\\usr\\bin\\lame", Manager->Options.comboConverters);
    // The longer caption still fits: the check box is as wide as its text needs.
    EXPECT_LE(d.cbShowPanel->Left() + d.cbShowPanel->Width(), d.gbView->ClientWidth());
    // Back to English.
    ChooseWithKeys(d.comboLang, d.comboLang->Items()->IndexOf("English.lng"));
    EXPECT_EQ("Options", d.Caption());
    EXPECT_EQ("All music", Manager->Messages.Text(MessageName::AllMusic));
    d.Hide();
    Manager->SaveSettings();
    EXPECT_NE(std::string::npos, ReadFile(Path("brisvane.ini")).find("Language=English.lng"));
}

TEST_F(OptionsDialog, WithoutLanguageFilesTheSavedLanguageStaysAndNoneIsApplied) {
    WriteIni("[SETTINGS]\r\nLanguage=Deutsch.lng\r\n");
    Start();
    TForm2& d = *Dialog;
    EXPECT_EQ(0, d.comboLang->Items()->Count());
    EXPECT_TRUE(AppliedLanguages.empty());
    RunOptionsCommand([&] { Click(d.Button1, QPoint(10, 10)); });
    EXPECT_TRUE(AppliedLanguages.empty());
    EXPECT_EQ("Brisvane", Main->Caption());
    Manager->SaveSettings();
    EXPECT_NE(std::string::npos, ReadFile(Path("brisvane.ini")).find("Language=Deutsch.lng"));
}

TEST_F(OptionsDialog, TheShippedEnglishFileHoldsTheBuiltInTexts) {
    WriteLanguages();
    Start();
    // Applying it changes nothing: every message string keeps its built-in text.
    Manager->LanguageSink(ProgramFolder() + "English.lng");
    for (int i = 0; i < Manager->Messages.Count(); ++i) {
        const std::string name = Manager->Messages.Name(i);
        EXPECT_EQ(Manager->Messages.DefaultText(name), Manager->Messages.Text(name)) << name;
    }
    EXPECT_EQ("Options", Dialog->Caption());
    EXPECT_EQ("Show buttons panel in main window", Dialog->cbShowPanel->Caption());
    // And it names each of the 28 strings.
    const std::string english = ShippedEnglish();
    for (int i = 0; i < 28; ++i)
        EXPECT_NE(std::string::npos, english.find("Name=\"" + Manager->Messages.Name(i) + "\""))
            << Manager->Messages.Name(i);
}

TEST_F(OptionsDialog, LanguageFilesInWindowsCodePagesShowTheirLetters) {
    WriteLanguages();
    // "Schaltflächen" with ä as the single byte E4 of Windows-1252; "Настройки" in
    // Windows-1251, one byte per letter.
    WriteFile(Path("Deutsch1252.lng"),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<Language><Form2 "
              "Caption=\"Einstellungen\"><cbShowPanel Caption=\"Schaltfl\xE4"
              "chen zeigen\"/></Form2></Language>");
    WriteFile(Path("Russian.lng"),
              "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<Language><Form2 "
              "Caption=\"\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8\"/></Language>");
    Start();
    TForm2& d = *Dialog;
    d.Show();
    PumpEvents();
    ChooseWithKeys(d.comboLang, d.comboLang->Items()->IndexOf("Deutsch1252.lng"));
    EXPECT_EQ("Einstellungen", d.Caption());
    EXPECT_EQ("Schaltflächen zeigen", d.cbShowPanel->Caption());
    ChooseWithKeys(d.comboLang, d.comboLang->Items()->IndexOf("Russian.lng"));
    EXPECT_EQ("Настройки", d.Caption());
    d.Hide();
}
