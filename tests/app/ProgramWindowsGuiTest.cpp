// The program's four windows as the program block makes them: in their order, the saved
// language on every one of them, and the main window's commands showing the other three.
#include "GuiTestEnvironment.h"
#include "LanguageFiles.h"
#include "Main.h"
#include "ProgramWindows.h"
#include "Unit1.h"
#include "UnitAbout.h"
#include "UnitOptions.h"

#include "Dialogs.h"
#include "Drives.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char* kGerman = R"xml(<?xml version="1.0" encoding="utf-8"?>
<Language>
  <Form1 Caption="Brisvane (Deutsch)">
    <Variables><Item Name="All music" Value="Alle Musik"/></Variables>
  </Form1>
  <Form2 Caption="Einstellungen"/>
  <FormDecrypt Caption="DB-Leser"><Button1 Caption="DB öffnen"/></FormDecrypt>
  <AboutBox Caption="Über"/>
</Language>)xml";

class ProgramWindows : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "bvprogram-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        folder_ = tmpl;
        std::ifstream english(std::string(BV_SOURCE_DIR) + "/src/manager-ui/English.lng");
        std::stringstream text;
        text << english.rdbuf();
        Write("English.lng", text.str());
        Write("Deutsch.lng", kGerman);
        SetDialogResponder([](const TDialogRequest&) {
            TDialogAnswer ok;
            ok.Accepted = true;
            ok.Button = IDOK;
            return ok;
        });
    }
    void TearDown() override {
        DestroyProgramWindows();
        PumpEvents();
        SetDialogResponder({});
        fs::remove_all(folder_);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(folder_ + "/" + name, std::ios::binary) << text;
    }
    void Create() {
        const std::string home = ToWindowsPath(folder_) + "\\";
        CreateProgramWindows(TManagerPaths{home, home});
        Form1->Show();
        PumpEvents();
    }
    // Runs a command that shows a modal window; `steps` runs once it is up.
    static void WithModal(const std::function<void()>& command,
                          const std::function<void()>& steps) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            PumpEvents();
            steps();
            ran = true;
        });
        command();
        PumpEvents();
        EXPECT_TRUE(ran);
    }
    static void ClickAt(TWinControl* control, QPoint at) {
        QTest::mouseClick(control->Widget(), Qt::LeftButton, Qt::NoModifier, at);
        PumpEvents();
    }

    std::string folder_;
};

} // namespace

TEST_F(ProgramWindows, FourWindowsInTheirOrderEachInTheSavedLanguage) {
    Write("brisvane.ini", "[SETTINGS]\r\nLanguage=Deutsch.lng\r\n");
    Create();
    std::vector<std::string> names;
    for (int i = 0; i < Screen->FormCount(); ++i)
        names.push_back(Screen->Forms(i)->Name());
    const std::vector<std::string> order = {"Form1", "Form2", "FormDecrypt", "AboutBox"};
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(order, std::vector<std::string>(names.end() - 4, names.end()));
    EXPECT_EQ("Brisvane (Deutsch)", Form1->Caption());
    EXPECT_EQ("Einstellungen", Form2->Caption());
    // The windows made after the options dialog take the language too.
    EXPECT_EQ("DB-Leser", FormDecrypt->Caption());
    EXPECT_EQ("DB öffnen", FormDecrypt->Button1->Caption());
    EXPECT_EQ("Über", AboutBox->Caption());
    EXPECT_EQ("Alle Musik", Form1->Manager->Messages.Text(MessageName::AllMusic));
}

TEST_F(ProgramWindows, OkInTheOptionsDialogMakesTheMainWindowFollow) {
    Write("brisvane.ini", "[SETTINGS]\r\nAutoDetect=1\r\nShowPanel=1\r\nMultiLinePlaylist=0\r\n");
    Create();
    ASSERT_TRUE(Form1->BvSpeedBar1->Visible());
    ASSERT_FALSE(Form1->BvDriveCombo1->Visible());
    ASSERT_FALSE(Form1->BvPlaylist->MultiLine());
    WithModal([] { Form1->Options1->Click(); },
              [] {
                  ASSERT_TRUE(Form2->Showing());
                  for (TCheckBox* box :
                       {Form2->cbShowPanel, Form2->cbAutoDetect, Form2->cbMultiLinePlaylist})
                      ClickAt(box, QPoint(8, box->Height() / 2));
                  EXPECT_TRUE(Form1->Manager->Options.cbMultiLinePlaylist);
                  EXPECT_TRUE(Form2->cbMultiLinePlaylist->Checked());
                  ClickAt(Form2->Button1, QPoint(20, 12));
              });
    EXPECT_FALSE(Form2->Showing());
    EXPECT_FALSE(Form1->BvSpeedBar1->Visible()) << "speed bar hidden";
    EXPECT_TRUE(Form1->BvDriveCombo1->Visible()) << "drive selector shown";
    EXPECT_TRUE(Form1->BvPlaylist->MultiLine()) << "word wrap on";
}

TEST_F(ProgramWindows, ParseITunesDBShowsTheInspectorAndAboutShowsTheBox) {
    Create();
    ASSERT_FALSE(FormDecrypt->Visible());
    EXPECT_FALSE(Form1->Tools1->Visible()) << "its menu stays hidden";
    Form1->ParseiTunesDB1->Click();
    PumpEvents();
    EXPECT_TRUE(FormDecrypt->Showing());
    FormDecrypt->Hide();
    bool shown = false;
    WithModal([] { Form1->About1->Click(); },
              [&] {
                  shown = AboutBox->Showing();
                  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                              : AboutBox->Widget(),
                                  Qt::Key_Escape);
                  PumpEvents();
              });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(AboutBox->Showing());
}

TEST_F(ProgramWindows, TheShippedEnglishFileHoldsEveryWindowsBuiltInTexts) {
    // No language is applied: the windows keep the texts they were made with.
    fs::remove(folder_ + "/English.lng");
    fs::remove(folder_ + "/Deutsch.lng");
    Create();
    std::vector<std::string_view> names(TForm1::MessageStringNames().begin(),
                                        TForm1::MessageStringNames().end());
    const std::string generated =
        BuiltInLanguageText({Form1, Form2, FormDecrypt, AboutBox}, *Form1->Manager, names,
                            {Form1->lbUID, FormDecrypt->Label1});
    std::ifstream shippedFile(std::string(BV_SOURCE_DIR) + "/src/manager-ui/English.lng",
                              std::ios::binary);
    std::stringstream shipped;
    shipped << shippedFile.rdbuf();
    // When a window's texts change, this is the file to ship.
    std::ofstream(std::string(BV_BINARY_DIR) + "/English.lng.generated", std::ios::binary)
        << generated;
    EXPECT_EQ(shipped.str(), generated);
}

TEST_F(ProgramWindows, EnglishAfterAnotherLanguageGivesEveryWindowItsTextsBack) {
    Create();
    const std::string mainCaption = Form1->Caption();
    const std::string optionsCaption = Form1->Options1->Caption();
    Form1->Manager->LanguageSink(ToWindowsPath(folder_) + "\\Deutsch.lng");
    ASSERT_EQ("DB-Leser", FormDecrypt->Caption());
    Form1->Manager->LanguageSink(ToWindowsPath(folder_) + "\\English.lng");
    EXPECT_EQ(mainCaption, Form1->Caption());
    EXPECT_EQ(optionsCaption, Form1->Options1->Caption());
    EXPECT_EQ("BD decoder", FormDecrypt->Caption());
    EXPECT_EQ("Open DB", FormDecrypt->Button1->Caption());
    EXPECT_EQ("About", AboutBox->Caption());
    EXPECT_EQ("All music", Form1->Manager->Messages.Text(MessageName::AllMusic));
}
