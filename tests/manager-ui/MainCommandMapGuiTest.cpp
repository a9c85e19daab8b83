// The command map under real input: every menu item, context-menu item, speed-bar button,
// image button, key and control event of the table is worked as a person works it (keys on the
// menu bar, right clicks and keys in the context menus, mouse clicks on buttons) and reaches its
// handler. The hidden items are hidden, and the window keeps its shape while it is worked.
#include "MainWindowFixture.h"

#include "RtStrings.h"

#include <QAbstractScrollArea>
#include <cstdlib>
#include <map>
#include <set>

namespace {

class MainCommandMapTest : public MainWindowTest {
protected:
    void SetUp() override {
        // The phone drive names a folder that is not there, so no command reaches a real card.
        setenv("BRISVANE_DRIVES", ("E=" + folder.File("no-card") + ":removable").c_str(), 1);
        RefreshDriveTable();
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
    }

    // The items of a menu a person sees, separators left out as the arrow keys leave them.
    static int VisibleIndex(TMenuItem* item) {
        const std::vector<TMenuItem*> items = VisibleMenuItems(item->Parent());
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == item)
                return static_cast<int>(i);
        return -1;
    }
    // Moves the highlight of the open menu of parent down to the item, as the arrow keys do.
    bool ArrowTo(TMenuItem* item) {
        const int target = VisibleIndex(item);
        for (int i = 0; i < 40 && HighlightedMenuIndex(item->Parent()) != target; ++i)
            Key(Qt::Key_Down);
        return HighlightedMenuIndex(item->Parent()) == target;
    }
    // Walks down from an open menu to the item through its submenus and presses Enter.
    void ChooseFromOpenMenu(const std::vector<TMenuItem*>& path) {
        for (size_t level = 0; level < path.size(); ++level) {
            ASSERT_TRUE(ArrowTo(path[level])) << path[level]->Caption();
            Key(level + 1 < path.size() ? Qt::Key_Right : Qt::Key_Return);
        }
    }
    static std::vector<TMenuItem*> PathBelow(TMenuItem* item, TMenuItem* top) {
        std::vector<TMenuItem*> path;
        for (TMenuItem* i = item; i && i != top; i = i->Parent())
            path.insert(path.begin(), i);
        return path;
    }
    // A main-menu item: F10 enters the bar, the arrows go to its menu and down to the item.
    void ChooseFromMenuBar(TMenuItem* item) {
        std::vector<TMenuItem*> path = PathBelow(item, form->BvMainMenu1->Items());
        QTest::keyClick(KeyTarget(), Qt::Key_F10);
        PumpEvents();
        const int topIndex = VisibleIndex(path.front());
        for (int i = 0; i < topIndex; ++i)
            Key(Qt::Key_Right);
        Key(Qt::Key_Down);
        ASSERT_NE(ActiveMenuWindow(), nullptr) << path.front()->Caption();
        path.erase(path.begin());
        ChooseFromOpenMenu(path);
    }
    // A context-menu item: a right click on the menu's control, then the arrows and Enter.
    void ChooseFromContextMenu(TBvPopupMenu* menu, TMenuItem* item) {
        TWinControl* owner = OwnerOf(menu);
        ASSERT_NE(owner, nullptr);
        OpenBoxOf(owner);
        QWidget* target = owner->Widget();
        if (auto* area = dynamic_cast<QAbstractScrollArea*>(target))
            target = area->viewport();
        // Through the window, as the window system delivers it, so that Qt makes the context
        // menu event of a right click.
        QWidget* top = target->window();
        const QPoint at = target->mapTo(top, QPoint(20, target->height() - 10));
        QTest::mouseClick(top->windowHandle(), Qt::RightButton, {}, at);
        PumpEvents();
        ASSERT_NE(ActiveMenuWindow(), nullptr) << menu->Name();
        ChooseFromOpenMenu(PathBelow(item, menu->Items()));
    }
    TWinControl* OwnerOf(TBvPopupMenu* menu) {
        for (TWinControl* c : {static_cast<TWinControl*>(form->BvPlaylist),
                               static_cast<TWinControl*>(form->ListBoxPlayLists),
                               static_cast<TWinControl*>(form->MediaDBList),
                               static_cast<TWinControl*>(form->DeletedList)})
            if (c->PopupMenu() == menu)
                return c;
        return nullptr;
    }
    // Opens the group box that holds the control, by its caption, when it is closed.
    void OpenBoxOf(TControl* control) {
        for (TControl* c = control; c; c = c->Parent())
            if (auto* box = dynamic_cast<TBvgGroupBox*>(c); box && box->Collapsed())
                ClickCaption(box);
    }
    void ClickSpeedItem(TBvSpeedItem* item) {
        TBvSpeedBarButton* b = item->Button();
        QTest::mouseClick(form->BvSpeedBar1->Widget(), Qt::LeftButton, {},
                          QPoint(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2));
        PumpEvents();
    }
    std::string LastHandler() const {
        return form->HandlerLog.empty() ? "" : form->HandlerLog.back();
    }
    bool Hidden(TMenuItem* item) {
        for (TMenuItem* i = item; i && i->Parent(); i = i->Parent())
            if (!i->Visible())
                return true;
        return false;
    }
    TMenu* MenuOf(TMenuItem* item) { return item->GetParentMenu(); }
    // The column's boxes from the top, "+" open and "-" closed.
    std::string BoxStates() const {
        std::string s;
        for (TBvgGroupBox* b :
             {form->bvGroupBoxTags, form->bvGroupActions, form->bvGroupLog, form->bvGroupPlaylists,
              form->BvGroupMediaDB, form->BvGroupStat, form->BvGroupDeleted})
            s += b->Collapsed() ? '-' : '+';
        return s;
    }
};

TEST_F(MainCommandMapTest, EveryBindingReachesItsHandlerThroughItsControl) {
    Start();
    // Focus in the track view, as after a click in it.
    form->BvPlaylist->SetFocus();
    PumpEvents();
    std::set<std::string> reached;
    int worked = 0;
    for (const TCommandBinding& b : form->Commands()) {
        SCOPED_TRACE(b.Handler + " <- " + b.What);
        form->HandlerLog.clear();
        switch (b.Kind) {
        case TCommandBinding::MenuItem: {
            if (b.Item == form->Exit1)
                continue; // closes the window: its own test
            if (Hidden(b.Item)) {
                // Nobody can reach a hidden item; its binding still runs its handler.
                b.Item->Click();
                PumpEvents();
                break;
            }
            if (MenuOf(b.Item) == form->BvMainMenu1)
                ChooseFromMenuBar(b.Item);
            else
                ChooseFromContextMenu(dynamic_cast<TBvPopupMenu*>(MenuOf(b.Item)), b.Item);
            break;
        }
        case TCommandBinding::SpeedItem:
            if (!b.Speed->Visible()) {
                b.Speed->ButtonClick();
                PumpEvents();
                break;
            }
            ClickSpeedItem(b.Speed);
            break;
        case TCommandBinding::Button: {
            auto* c = dynamic_cast<TWinControl*>(b.Control);
            ASSERT_NE(c, nullptr);
            OpenBoxOf(c);
            const bool shown = c->Visible();
            // "Stop" and the hidden "load" show only while they mean something.
            c->SetVisible(true);
            PumpEvents();
            Click(c);
            c->SetVisible(shown);
            break;
        }
        case TCommandBinding::Key: {
            form->BvPlaylist->SetFocus();
            PumpEvents();
            QTest::keyClick(form->BvPlaylist->Widget(), Qt::Key_Delete);
            PumpEvents();
            break;
        }
        case TCommandBinding::Timer:
            ASSERT_TRUE(b.TimerComponent->OnTimer());
            b.TimerComponent->OnTimer()(b.TimerComponent);
            break;
        case TCommandBinding::Event:
            b.Run();
            form->HandlerLog.push_back(b.Handler);
            break;
        }
        CloseMenus();
        PumpEvents();
        EXPECT_NE(std::find(form->HandlerLog.begin(), form->HandlerLog.end(), b.Handler),
                  form->HandlerLog.end())
            << "ran instead: " << (form->HandlerLog.empty() ? "nothing" : form->HandlerLog[0]);
        reached.insert(b.Handler);
        ++worked;
        EXPECT_TRUE(form->Widget()->isVisible()) << "the window stays open";
    }
    EXPECT_GE(worked, 80);
    // Every handler of the window's own concerns is in the table.
    for (const char* handler : {"btnAddFileClick",
                                "btnAddDIRClick",
                                "btnRemoveClick",
                                "Selectall1Click",
                                "Inverseselection1Click",
                                "Selectnone1Click",
                                "BvPlaylistGLKeyDown",
                                "mbNewPlstClick",
                                "Renameplaylist1Click",
                                "Deleteplaylist1Click",
                                "Clearplaylists2Click",
                                "MoveUp2Click",
                                "MoveDown2Click",
                                "SortbyArtist1Click",
                                "Sortbylength1Click",
                                "Sortall1Click",
                                "SortbyArtist3Click",
                                "SortbyLength2Click",
                                "Addfiles1Click",
                                "Adddirectory1Click",
                                "Deletealldeadlinks1Click",
                                "Clear1Click",
                                "Copytotracklist1Click",
                                "MenuItem1Click",
                                "Delete1Click",
                                "Clear4Click",
                                "btnRefreshStatClick",
                                "btnResetProgClick",
                                "btnOptionsClick",
                                "btnUpdateMobileClick",
                                "btnCancelClick",
                                "BvSpeedItem1Click",
                                "btnScanClick",
                                "ReadiTuneDB1Click",
                                "Checkforbadfiles1Click",
                                "DeletephoneDB1Click",
                                "ParseiTunesDB1Click",
                                "TransFlashTimerTimer",
                                "btnScanMobileClick",
                                "Timer1Timer",
                                "bvGroupActionsExpanded",
                                "btnOpenPlsClick",
                                "btnSavePlsClick",
                                "BvSpeedItem2Click",
                                "Button3Click",
                                "BvDriveCombo1Change",
                                "bvGroupLogExpanded"})
        EXPECT_TRUE(reached.count(handler)) << handler;
}

TEST_F(MainCommandMapTest, HiddenItemsAreHiddenAndTheSpeedBarShowsSevenButtons) {
    Start();
    for (TMenuItem* item : {form->Opentracklist1, form->Savetracklist1, form->N1, form->Tools1,
                            form->CopyToPlayListPopup1})
        EXPECT_FALSE(item->Visible()) << item->Caption();
    EXPECT_FALSE(form->Button2->Visible());
    EXPECT_FALSE(form->Button3->Visible());
    EXPECT_FALSE(form->PanelHint->Visible());
    EXPECT_FALSE(form->btnCancel->Visible());

    std::vector<std::string> shown;
    for (int s = 0; s < form->BvSpeedBar1->SectionCount(); ++s) {
        TBvSpeedBarSection* section = form->BvSpeedBar1->Sections(s);
        for (int i = 0; i < section->Count(); ++i) {
            TBvSpeedItem* item = section->Items(i);
            if (item->Visible() && item->Button()->Visible()) {
                shown.push_back(item->Caption());
                EXPECT_LE(item->Left() + item->Button()->Width(), form->BvSpeedBar1->Width());
            }
        }
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Add file(s)...", "Add Directory...", "Remove",
                                               "Move Up", "Move Down", "Scan", "Update"}));
    EXPECT_EQ(form->BvSpeedBar1->SectionCount(), 3);
    EXPECT_EQ(form->BvSpeedBar1->Sections(2)->Caption(), "Untitled (0)");
}

TEST_F(MainCommandMapTest, FileOpensWithOptionsAndExitAndTheWindowStaysOpen) {
    Start();
    QTest::keyClick(form->Widget(), Qt::Key_F, Qt::AltModifier);
    PumpEvents();
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    std::vector<std::string> captions;
    for (TMenuItem* item : VisibleMenuItems(form->File1))
        captions.push_back(item->Caption());
    EXPECT_EQ(captions, (std::vector<std::string>{"Options", "-", "Exit"}));
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    EXPECT_TRUE(form->Widget()->isVisible());
}

TEST_F(MainCommandMapTest, TheDriveSelectorShowsOnExpandingActionsExactlyWhileDetectionIsOff) {
    Start();
    for (bool detection : {true, false, true}) {
        SCOPED_TRACE(detection ? "detection on" : "detection off");
        form->Manager->Options.cbAutoDetect = detection;
        ClickCaption(form->BvGroupStat);
        ASSERT_TRUE(form->bvGroupActions->Collapsed());
        ClickCaption(form->bvGroupActions);
        ASSERT_FALSE(form->bvGroupActions->Collapsed());
        EXPECT_EQ(form->BvDriveCombo1->Visible(), !detection);
        EXPECT_TRUE(form->btnUpdateMobile->Visible());
    }
}

TEST_F(MainCommandMapTest, ExpandingOneBoxCollapsesTheOthersOfTheColumn) {
    Start();
    std::vector<TBvgGroupBox*> boxes = {
        form->bvGroupBoxTags, form->bvGroupActions, form->bvGroupLog,    form->bvGroupPlaylists,
        form->BvGroupMediaDB, form->BvGroupStat,    form->BvGroupDeleted};
    auto states = [&] { return BoxStates(); };
    EXPECT_EQ(states(), "-+-----");
    const char* expected[] = {"+------", "-+-----", "--+----", "---+---",
                              "----+--", "-----+-", "------+"};
    for (size_t i = 0; i < boxes.size(); ++i) {
        ClickCaption(boxes[i]);
        EXPECT_EQ(states(), expected[i]) << boxes[i]->Caption();
        // The open box's controls lie inside it and inside the column.
        EXPECT_LE(boxes[i]->Left() + boxes[i]->Width(), form->ScrollBox1->Width());
    }
    // An open box that keeps the group open does not close on its own caption.
    ClickCaption(form->BvGroupStat);
    EXPECT_EQ(states(), "-----+-");
    // "Deleted" may close, leaving every box of the column closed.
    ClickCaption(form->BvGroupDeleted);
    ClickCaption(form->BvGroupDeleted);
    EXPECT_EQ(states(), "-------");
}

// A box the program opens for a run follows the column's rule as a click does: the log opened
// by "Check for dead files" and the playlists opened after "Read iTunesDB" each stand open
// alone, and the column needs no scroll bar.
TEST_F(MainCommandMapTest, ABoxOpenedForARunClosesTheOthersAsAClickDoes) {
    std::filesystem::create_directories(folder.File("no-card"));
    Start();
    auto idle = [&] {
        for (int i = 0; i < 2000 && form->Manager->IsBusy(); ++i) {
            PumpEvents(1);
            QTest::qWait(5);
        }
        PumpEvents();
        return !form->Manager->IsBusy();
    };
    ClickCaption(form->BvGroupStat);
    ASSERT_EQ("-----+-", BoxStates());
    ChooseFromMenuBar(form->Checkforbadfiles1);
    ASSERT_TRUE(idle());
    EXPECT_NE(form->HandlerLog.end(), std::find(form->HandlerLog.begin(), form->HandlerLog.end(),
                                                "Checkforbadfiles1Click"));
    EXPECT_EQ("--+----", BoxStates()) << "the log alone";
    EXPECT_FALSE(form->ScrollBox1->VertScrollBarVisible());
    ClickCaption(form->bvGroupActions);
    ChooseFromMenuBar(form->ReadiTunesDB1);
    ASSERT_TRUE(idle());
    EXPECT_EQ("---+---", BoxStates()) << "the playlists alone";
    EXPECT_FALSE(form->ScrollBox1->VertScrollBarVisible());
    Save("main_window_read_opens_playlists");
}

// In a window too low for the open box and the closed ones, the column scrolls; its bar
// covered the right end of the bars and buttons. With the bar shown, every box and control of
// the column lies left of it.
TEST_F(MainCommandMapTest, AColumnThatScrollsKeepsItsControlsLeftOfTheBar) {
    Start(1024, 360);
    for (TBvgGroupBox* box : {form->bvGroupActions, form->bvGroupLog, form->BvGroupMediaDB}) {
        SCOPED_TRACE(box->Caption());
        ClickCaption(box);
        ASSERT_FALSE(box->Collapsed());
        if (box == form->bvGroupLog)
            form->btnCancel->SetVisible(true);
        PumpEvents();
        ASSERT_TRUE(form->ScrollBox1->VertScrollBarVisible());
        const int room = form->ScrollBox1->ClientWidth();
        EXPECT_LE(box->Left() + box->Width(), room);
        for (int i = 0; i < box->ControlCount(); ++i) {
            TControl* c = box->Controls(i);
            if (c->Visible()) {
                EXPECT_LE(c->Left() + c->Width(), box->ClientWidth()) << c->Name();
            }
        }
    }
    Save("main_window_column_scrolls");
}

TEST_F(MainCommandMapTest, KeysInTheTrackViewReachTheirCommands) {
    Start();
    TTrackManager& m = *form->Manager;
    // Three rows in the track list, shown in the view.
    for (const char* name : {"A - One.mp3", "B - Two.mp3", "C - Three.mp3"}) {
        TTrackRowSnapshot row;
        row.Artist = std::string(1, name[0]);
        row.Title = name + 4;
        row.FileName = "C:\\music\\" + std::string(name);
        row.Size = "1000";
        row.Time = "1:00";
        row.BitRate = "128";
        m.Model.AppendTrack(row);
        m.Model.PlaylistTracks[0].Add(IntToStr(m.Model.TrackCount() - 1));
    }
    m.RefreshTrackView();
    PumpEvents();
    ASSERT_EQ(form->BvPlaylist->Items()->Count(), 3);
    form->BvPlaylist->SetFocus();
    PumpEvents();
    QTest::keyClick(form->BvPlaylist->Widget(), Qt::Key_A, Qt::ControlModifier);
    PumpEvents();
    EXPECT_EQ(form->BvPlaylist->SelectedLines(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(LastHandler(), "Selectall1Click");

    // Ctrl+Down moves the chosen line down.
    QWidget* view = form->BvPlaylist->Widget();
    if (auto* area = dynamic_cast<QAbstractScrollArea*>(view))
        view = area->viewport();
    QTest::mouseClick(view, Qt::LeftButton, {}, Centre(form->BvPlaylist->ItemRect(0)));
    PumpEvents();
    QTest::keyClick(form->BvPlaylist->Widget(), Qt::Key_Down, Qt::ControlModifier);
    PumpEvents();
    EXPECT_EQ(std::find(form->HandlerLog.begin(), form->HandlerLog.end(), "MoveDown2Click") !=
                  form->HandlerLog.end(),
              true);
    EXPECT_NE(form->BvPlaylist->Lines()->Items()[1].find("One"), std::string::npos);

    // Delete removes the chosen line (the question about the card is not asked for a track
    // that is not on it).
    QTest::mouseClick(view, Qt::LeftButton, {}, Centre(form->BvPlaylist->ItemRect(1)));
    PumpEvents();
    QTest::keyClick(form->BvPlaylist->Widget(), Qt::Key_Delete);
    PumpEvents();
    EXPECT_EQ(form->BvPlaylist->Items()->Count(), 2);
    for (const std::string& line : form->BvPlaylist->Lines()->Items())
        EXPECT_EQ(line.find("One"), std::string::npos) << line;
}

} // namespace

namespace {

TEST_F(MainCommandMapTest, AClickInTheTrackViewShowsItsTrackInTheTagEditor) {
    Start();
    TTrackManager& m = *form->Manager;
    for (const char* artist : {"Ada Vane", "Cora Lind"}) {
        TTrackRowSnapshot row;
        row.Artist = artist;
        row.Title = "Harbour";
        row.FileName = std::string("C:\\music\\") + artist + ".mp3";
        row.Size = "1000";
        row.Time = "1:05";
        row.BitRate = "128";
        m.Model.AppendTrack(row);
        m.Model.PlaylistTracks[0].Add(IntToStr(m.Model.TrackCount() - 1));
    }
    m.RefreshTrackView();
    ClickCaption(form->bvGroupBoxTags);
    QWidget* view = form->BvPlaylist->Widget();
    if (auto* area = dynamic_cast<QAbstractScrollArea*>(view))
        view = area->viewport();
    QTest::mouseClick(view, Qt::LeftButton, {}, Centre(form->BvPlaylist->ItemRect(1)));
    PumpEvents();
    EXPECT_EQ(form->BvPlaylist->ItemIndex(), 1);
    EXPECT_NE(std::find(form->HandlerLog.begin(), form->HandlerLog.end(), "BvPlaylistGLClick"),
              form->HandlerLog.end());
    EXPECT_EQ(form->edArtist->Caption(), "Cora Lind");
    EXPECT_EQ(form->edTime->Caption(), "01:05");
    Save("main_window_tag_editor");

    // A drag of the chosen line onto a playlist puts its track there.
    m.ListBoxPlayLists.Items.Add("Road trip");
    m.NotifyView(TViewId::PlaylistBox);
    ClickCaption(form->bvGroupPlaylists);
    ASSERT_EQ(form->ListBoxPlayLists->Items()->Count(), 2);
    QWidget* lists = form->ListBoxPlayLists->Widget();
    if (auto* area = dynamic_cast<QAbstractScrollArea*>(lists))
        lists = area->viewport();
    const QPoint from = Centre(form->BvPlaylist->ItemRect(1));
    const QPoint to =
        view->mapFromGlobal(lists->mapToGlobal(Centre(form->ListBoxPlayLists->ItemRect(1))));
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(view, from + (to - from) * step / 10);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    PumpEvents();
    EXPECT_NE(
        std::find(form->HandlerLog.begin(), form->HandlerLog.end(), "ListBoxPlayListsDragDrop"),
        form->HandlerLog.end());
    ASSERT_EQ(m.Model.PlaylistTracks[1].Count(), 1);
    EXPECT_EQ(m.Model.PlaylistTracks[1][0], "1");
}

} // namespace
