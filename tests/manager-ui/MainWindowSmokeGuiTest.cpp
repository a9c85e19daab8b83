// The main window is made over a manager whose files live in a folder of the test's own,
// shown offscreen, and closed.
#include "MainWindowFixture.h"

namespace {

class MainWindowSmoke : public MainWindowTest {};

TEST_F(MainWindowSmoke, CreatedShownAndClosed) {
    Start();
    EXPECT_EQ(form->Caption(), "Brisvane");
    EXPECT_TRUE(form->Widget()->isVisible());
    EXPECT_EQ(form->ListBoxPlayLists->Items()->Count(), 1);
    EXPECT_FALSE(form->bvGroupActions->Collapsed());
    Close();
    EXPECT_TRUE(std::filesystem::exists(folder.File("brisvane.ini")));
}

} // namespace
