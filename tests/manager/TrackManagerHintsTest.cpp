// The information hint: its two delays, its text and where it goes.
#include "ListsTestSupport.h"

namespace {

using Hints = BvTest::TListsFixture;

TEST_F(Hints, RestingOnALineShowsTheSevenLines) {
    AddRow("Abba", "Waterloo", "Gold", "3:5", "4000", "C:\\music\\w.mp3", "128");
    AddRow("Cher", "Believe", "Al", "0:75", "5000", "C:\\music\\b.m4a", "96");
    AddRow("Other", "Kind", "Al", "1:0", "1", "C:\\music\\k.ogg", "1");
    Show(0);

    M->BvPlaylistGLMouseMove({10, 5});
    EXPECT_TRUE(M->TimerBeforeShow.Enabled);
    EXPECT_FALSE(M->TimerAfterShow.Enabled);
    ASSERT_TRUE(M->TimerBeforeShowTimer(0));
    EXPECT_FALSE(M->TimerBeforeShow.Enabled);
    EXPECT_TRUE(M->TimerAfterShow.Enabled);
    EXPECT_TRUE(M->Hint.Visible);
    EXPECT_EQ("Artist: Abba\r\nAlbum: Gold\r\nTitle: Waterloo\r\nTime: 03:05\r\nMPEG Audio\r\n"
              "Bitrate: 128 kbps\r\nSize: 4000 b.",
              M->Hint.Text);

    ASSERT_TRUE(M->TimerBeforeShowTimer(1));
    EXPECT_NE(std::string::npos, M->Hint.Text.find("AAC Audio"));
    EXPECT_NE(std::string::npos, M->Hint.Text.find("Time: 01:15"));
    ASSERT_TRUE(M->TimerBeforeShowTimer(2));
    EXPECT_NE(std::string::npos, M->Hint.Text.find("\r\n<type>\r\n"));

    M->TimerAfterShowTimer();
    EXPECT_FALSE(M->Hint.Visible);
    EXPECT_FALSE(M->TimerAfterShow.Enabled);
}

// A hint that cannot be built switches its delay off and is dropped, once; nothing
// escapes from the timer.
TEST_F(Hints, AFailingHintIsDroppedOnce) {
    AddRow("A", "T");
    Show(0);
    M->Model.TrackListHolder.StringsByName("Time").Put(0, "bad"); // after the view was built
    M->BvPlaylistGLMouseMove({1, 1});
    EXPECT_NO_THROW(EXPECT_FALSE(M->TimerBeforeShowTimer(0)));
    EXPECT_FALSE(M->TimerBeforeShow.Enabled);
    EXPECT_FALSE(M->Hint.Visible);
    // No line under the pointer, or the option off: nothing, and the delay stays off.
    EXPECT_FALSE(M->TimerBeforeShowTimer(-1));
    EXPECT_FALSE(M->TimerBeforeShowTimer(7));
    EXPECT_FALSE(M->TimerBeforeShow.Enabled);
}

TEST_F(Hints, MovesAlongALineKeepTheDelayAndTheOptionSwitchesThemOff) {
    AddRow("A", "T");
    Show(0);
    M->BvPlaylistGLMouseMove({5, 8});
    M->BvPlaylistGLMouseMove({40, 8}); // same line: the old position stays
    EXPECT_EQ(5, M->Model.HintMousePos.X);
    M->BvPlaylistGLMouseMove({40, 9});
    EXPECT_EQ(40, M->Model.HintMousePos.X);

    M->TimerBeforeShowTimer(0);
    M->PanelHintMouseEnter();
    EXPECT_TRUE(M->Hint.Visible);
    EXPECT_FALSE(M->TimerAfterShow.Enabled);
    M->PanelHintMouseLeave();
    EXPECT_TRUE(M->TimerAfterShow.Enabled);

    M->cbInfoHintsClick(false);
    EXPECT_FALSE(M->Options.cbInfoHints);
    M->TimerBeforeShow.Enabled = false;
    M->BvPlaylistGLMouseMove({1, 30});
    EXPECT_FALSE(M->TimerBeforeShow.Enabled);
    EXPECT_FALSE(M->TimerBeforeShowTimer(0));
}

TEST_F(Hints, DoubleClickOpensTheTagEditorOnTheLine) {
    AddRow("A", "T");
    AddRow("B", "U");
    Show(0);
    M->TimerBeforeShowTimer(1);
    M->LabelPopupTextDblClick(1);
    EXPECT_EQ("B", M->TagEditor.edArtist);
    EXPECT_EQ(1, M->BvPlaylist.ItemIndex);
    EXPECT_FALSE(M->Hint.Visible);
}

// Beside the pointer; to its left near the right edge, above it near the bottom,
// and never outside the window.
TEST(HintPlacement, BesideThePointerAndInsideTheWindow) {
    struct TCase {
        TViewPoint Mouse;
        TViewPoint At;
    };
    const TCase cases[] = {
        {{100, 100}, {310, 210}}, // view at (200, 100): right of and below the pointer
        {{700, 100}, {697, 210}}, // near the right edge: to the left
        {{100, 520}, {310, 488}}, // near the bottom: above
        {{700, 520}, {697, 488}}, {{0, 0}, {210, 110}},
    };
    for (const TCase& c : cases) {
        const TViewPoint at = PlaceHint({200, 100}, c.Mouse, 200, 120, 1024, 700);
        EXPECT_EQ(c.At.X, at.X) << c.Mouse.X << "," << c.Mouse.Y;
        EXPECT_EQ(c.At.Y, at.Y) << c.Mouse.X << "," << c.Mouse.Y;
    }
    // A panel wider than the room on either side stays inside.
    const TViewPoint at = PlaceHint({0, 0}, {50, 50}, 300, 100, 320, 200);
    EXPECT_EQ(0, at.X);
    EXPECT_GE(at.Y, 0);
}

} // namespace
