// Pictures of the main window at 1024 x 700 for a person to look at: just after start, each
// group box open in turn, each menu open. The probes check what the pictures are about: the
// accordion, texts that fit, nothing covering anything else.
#include "MainWindowFixture.h"

namespace {

TEST_F(MainWindowTest, ScreenshotsAfterStartEachBoxAndEachMenu) {
    Start();
    const std::string ratio = form->Widget()->devicePixelRatio() > 1 ? "_ratio2" : "";
    Save("main_window_start" + ratio);

    const std::pair<TBvgGroupBox*, const char*> boxes[] = {
        {form->bvGroupBoxTags, "tags"},        {form->bvGroupLog, "log"},
        {form->bvGroupPlaylists, "playlists"}, {form->BvGroupMediaDB, "mediadb"},
        {form->BvGroupStat, "statistics"},     {form->BvGroupDeleted, "deleted"},
        {form->bvGroupActions, "actions"}};
    for (auto [box, name] : boxes) {
        ClickCaption(box);
        EXPECT_FALSE(box->Collapsed()) << name;
        Save(std::string("main_window_box_") + name + ratio);
    }

    // Each menu of the bar, entered with F10 and walked with the arrow keys.
    const char* menus[] = {"file", "mobile", "tracklist", "mediadb", "help"};
    QTest::keyClick(form->Widget(), Qt::Key_F10);
    PumpEvents();
    Key(Qt::Key_Down);
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(ActiveMenuWindow(), nullptr) << menus[i];
        Save(std::string("main_window_menu_") + menus[i] + ratio);
        Key(Qt::Key_Right);
    }
    CloseMenus();
    PumpEvents();
}

} // namespace
