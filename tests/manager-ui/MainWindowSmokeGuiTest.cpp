// The main window is made over a manager whose files live in a folder of the test's own,
// shown offscreen, and closed.
#include "Drives.h"
#include "GuiTestEnvironment.h"
#include "Main.h"

#include <QTest>
#include <QWidget>

#include <filesystem>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(MainWindowSmoke, CreatedShownAndClosed) {
    char folder[] = "/tmp/bv-main-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    TManagerPaths paths;
    paths.ProgramFolder = ToWindowsPath(folder);
    paths.DataFolder = paths.ProgramFolder;
    auto* form = new TForm1(Application, paths);
    form->AfterConstruction();
    form->Manager->OptionsFormCreate();
    form->Show();
    PumpEvents();
    EXPECT_EQ(form->Caption(), "Brisvane");
    EXPECT_TRUE(form->Widget()->isVisible());
    EXPECT_EQ(form->ListBoxPlayLists->Items()->Count(), 1);
    EXPECT_FALSE(form->bvGroupActions->Collapsed());
    form->Close();
    PumpEvents();
    EXPECT_TRUE(std::filesystem::exists(std::string(folder) + "/brisvane.ini"));
    delete form;
    PumpEvents();
    std::filesystem::remove_all(folder);
}

} // namespace
