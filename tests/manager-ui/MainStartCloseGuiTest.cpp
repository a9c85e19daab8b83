// Start and close of the main window: the library of the last run shows, the settings and the
// eight library files are written on closing, a folder that cannot be written is reported once
// and the window closes all the same, and a failing handler is one message box.
#include "MainWindowFixture.h"

#include "SysUtils.h"

namespace {

const char* const kColumns[8][3] = {
    {"Ada Vane", "Brisk Ensemble", "Cora Lind"},                   // Artist
    {"Harbour Lights", "North Road", "Paper Kites"},               // Title
    {"Harbour", "Roads", "Kites"},                                 // Album
    {"3000000", "4000000", "5000000"},                             // Size
    {"3:05", "4:10", "5:15"},                                      // Time
    {"128", "192", "160"},                                         // BitRate
    {"1", "2", "3"},                                               // UID
    {"C:\\music\\a.mp3", "C:\\music\\b.mp3", "C:\\music\\c.mp3"}}; // FileName

std::string ColumnFile(int column) {
    std::string text;
    for (const char* value : kColumns[column])
        text += std::string(value) + "\r\n";
    return text;
}

TEST_F(MainWindowTest, AStartShowsTheLibraryOfTheLastRunAndACloseWritesItBack) {
    for (int i = 0; i < 8; ++i)
        folder.Write("MediaDB.db" + std::to_string(i), ColumnFile(i));
    Start();
    ClickCaption(form->BvGroupMediaDB);
    ASSERT_FALSE(form->BvGroupMediaDB->Collapsed());
    TStrings* lines = form->MediaDBList->Lines();
    ASSERT_EQ(lines->Count(), 3);
    EXPECT_NE((*lines)[0].find("Ada Vane"), std::string::npos) << (*lines)[0];
    EXPECT_NE((*lines)[2].find("Paper Kites"), std::string::npos) << (*lines)[2];
    EXPECT_EQ((*lines)[0].rfind("1. ", 0), 0u) << "numbered from 1";
    Save("main_window_library_three_rows");

    std::filesystem::remove(folder.File("brisvane.ini"));
    Close();
    EXPECT_FALSE(form->Widget()->isVisible());
    EXPECT_TRUE(std::filesystem::exists(folder.File("brisvane.ini")));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(folder.Read("MediaDB.db" + std::to_string(i)), ColumnFile(i)) << i;
    EXPECT_EQ(dialogs.Messages(), 0);
}

TEST_F(MainWindowTest, AFirstRunWritesEightEmptyLibraryFiles) {
    Start();
    EXPECT_EQ(form->MediaDBList->Lines()->Count(), 0);
    Close();
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(std::filesystem::exists(folder.File("MediaDB.db" + std::to_string(i))));
        EXPECT_EQ(folder.Read("MediaDB.db" + std::to_string(i)), "");
    }
}

TEST_F(MainWindowTest, AFolderThatCannotBeWrittenIsReportedOnceAndTheWindowCloses) {
    // A file where the folder should be: nothing can be written below it, not even by root.
    folder.Write("blocker", "not a folder");
    TManagerPaths paths = PathsIn();
    paths.DataFolder = ToWindowsPath(folder.File("blocker/brisvane"));
    Start(paths);
    dialogs.Requests.clear();
    Close();
    EXPECT_FALSE(form->Widget()->isVisible()) << "the window closes all the same";
    ASSERT_EQ(dialogs.Messages(), 1) << "one message for the whole close";
    const std::string& text = dialogs.Requests[0].Text;
    EXPECT_NE(text.find("brisvane.ini"), std::string::npos) << text;
    EXPECT_NE(text.find("MediaDB"), std::string::npos) << text;
    EXPECT_EQ(dialogs.Requests[0].Caption, "Brisvane");
}

TEST_F(MainWindowTest, AFailingHandlerIsOneMessageBoxAndTheWindowGoesOn) {
    Start();
    form->ShowOptionsHook = []() -> bool { throw EInOutError("The options could not be read"); };
    dialogs.Requests.clear();
    QTest::keyClick(form->Widget(), Qt::Key_F, Qt::AltModifier);
    PumpEvents();
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    Key(Qt::Key_Return); // "Options", the first item shown
    ASSERT_EQ(dialogs.Messages(), 1);
    const std::string& text = dialogs.Requests[0].Text;
    EXPECT_NE(text.find("\"File > Options\" failed"), std::string::npos) << text;
    EXPECT_NE(text.find("The options could not be read"), std::string::npos) << text;
    EXPECT_TRUE(form->Widget()->isVisible());

    // The next command runs as ever.
    form->HandlerLog.clear();
    QTest::keyClick(form->Widget(), Qt::Key_T, Qt::AltModifier);
    PumpEvents();
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    for (int i = 0; i < 4; ++i)
        Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    EXPECT_NE(std::find(form->HandlerLog.begin(), form->HandlerLog.end(), "Selectall1Click"),
              form->HandlerLog.end());
    EXPECT_EQ(dialogs.Messages(), 1);
}

TEST_F(MainWindowTest, ResetProgramEmptiesTheListsAndKeepsAllMusic) {
    Start();
    TTrackManager& m = *form->Manager;
    m.ListBoxPlayLists.Items.Add("Road trip");
    m.NotifyView(TViewId::PlaylistBox);
    PumpEvents();
    ASSERT_EQ(form->ListBoxPlayLists->Items()->Count(), 2);
    m.Model.UploadPath = "\\elsewhere\\";
    Click(form->btnResetProg);
    EXPECT_EQ(form->ListBoxPlayLists->Items()->Count(), 1);
    EXPECT_EQ((*form->ListBoxPlayLists->Items())[0], "All music");
    EXPECT_EQ(form->ListBoxPlayLists->ItemIndex(), 0);
    EXPECT_EQ(form->BvPlaylist->Items()->Count(), 0);
    EXPECT_EQ(m.Model.UploadPath, "\\mobile\\audio\\");
    EXPECT_TRUE(form->TransFlashTimer->Enabled()) << "detection's timer runs after a reset";
}

TEST_F(MainWindowTest, TheTwentyEightMessageStringsAreRegisteredWithTheTranslator) {
    Start();
    ASSERT_EQ(form->Variables->Count(), 28);
    EXPECT_EQ(form->Variables->IndexOf("Building iTunesDB"), 0);
    EXPECT_EQ(form->Variables->IndexOf("Type name of playlist"), 27);
    // A language file's text reaches the commands that read the string.
    form->Variables->SetValue(form->Variables->IndexOf("All music"), "Alle Musik");
    Click(form->btnResetProg);
    EXPECT_EQ((*form->ListBoxPlayLists->Items())[0], "Alle Musik");
}

} // namespace
