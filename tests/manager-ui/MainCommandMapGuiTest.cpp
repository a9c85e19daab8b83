// The command map under real input: every row of the table (menu item, context-menu item,
// speed-bar button, image button, key, timer and control event) is worked as a person works it
// (keys on the menu bar, right clicks and keys in the context menus, mouse clicks, drags and
// drops, typing) and does what the user sees it do. The hidden items are hidden, and the window
// keeps its shape while it is worked.
#include "MainWindowFixture.h"

#include "RtStrings.h"

#include "TrackTableRows.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <cstdlib>
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

// ---- Every row of the table, worked and seen ----------------------------------------------

bool Has(const std::string& line, const char* part) {
    return line.find(part) != std::string::npos;
}

// What the user sees of the window, taken before and after a row is worked.
struct TSeen {
    std::vector<std::string> Tracks, Library, Deleted, Playlists;
    std::vector<int> TrackSelection, LibrarySelection;
    int LibraryFocus = -1;
    int Playlist = -1;
    std::string Search, Artist, Boxes, Memo;
    bool Hint = false, DriveShown = false, SortAll = false, Stop = false, Shown = false;
    int Dialogs = 0, CopyToItems = 0, Options = 0, About = 0, Inspector = 0;
    std::vector<std::string> Stats;
    char PhoneDrive = 0;
    bool Detecting = false;
    bool operator==(const TSeen&) const = default;
};

class MainCommandRows : public MainCommandMapTest {
protected:
    int options = 0, about = 0, inspector = 0;

    void SetUp() override {
        MainCommandMapTest::SetUp();
        Start();
        form->ShowOptionsHook = [this] {
            ++options;
            return false;
        };
        form->ShowAboutHook = [this] { ++about; };
        form->ShowInspectorHook = [this] { ++inspector; };
    }
    TTrackManager& M() { return *form->Manager; }

    static std::vector<std::string> Lines(TCustomListBox* box) { return box->Items()->Items(); }
    TSeen See() {
        PumpEvents();
        TSeen s;
        s.Tracks = Lines(form->BvPlaylist);
        s.Library = Lines(form->MediaDBList);
        s.Deleted = Lines(form->DeletedList);
        s.Playlists = Lines(form->ListBoxPlayLists);
        s.TrackSelection = form->BvPlaylist->SelectedLines();
        s.LibrarySelection = form->MediaDBList->SelectedLines();
        s.LibraryFocus = form->MediaDBList->ItemIndex();
        s.Playlist = form->ListBoxPlayLists->ItemIndex();
        s.Search = form->EditSearchDB->Caption();
        s.Artist = form->edArtist->Caption();
        for (TBvgGroupBox* b :
             {form->bvGroupBoxTags, form->bvGroupActions, form->bvGroupLog, form->bvGroupPlaylists,
              form->BvGroupMediaDB, form->BvGroupStat, form->BvGroupDeleted})
            s.Boxes += b->Collapsed() ? '-' : '+';
        s.Memo = form->MemoLog->Lines()->Text();
        s.Hint = form->PanelHint->Visible();
        s.DriveShown = form->BvDriveCombo1->Visible();
        s.SortAll = form->Sortall1->Checked();
        s.Stop = form->btnCancel->Visible();
        s.Shown = form->Widget()->isVisible();
        s.Dialogs = static_cast<int>(dialogs.Requests.size());
        s.CopyToItems = form->CopyToPlaylist1->Count();
        s.Options = options;
        s.About = about;
        s.Inspector = inspector;
        for (TLabel* l : {form->Label13, form->Label14, form->Label15, form->Label17})
            s.Stats.push_back(l->Caption());
        s.PhoneDrive = M().Model.PhoneDrive;
        s.Detecting = form->TransFlashTimer->Enabled();
        return s;
    }

    // Three tracks whose every sort key is out of order, a second playlist "Road" holding the
    // first, the same three rows in the library, two in the deleted list; line 1 chosen in each
    // list, every box but "Actions" closed, no hint, the hint's delay short.
    void Arrange() {
        CloseMenus();
        M().btnResetProgClick();
        ClearTable(M().Model.MediaDB);
        const TTrackRowSnapshot rows[] = {
            {"Cora", "Beta", "Beach", "2:00", "3000", "C:\\music\\c.mp3", "192", "0"},
            {"Ada", "Gamma", "Cliff", "3:00", "1000", "C:\\music\\a.mp3", "128", "1"},
            {"Bea", "Alpha", "Arch", "1:00", "2000", "C:\\music\\b.mp3", "160", "2"}};
        // The library's own files, not in the track list: two real ones and one gone.
        const std::string library[] = {
            ToWindowsPath(std::string(BV_TEST_DATA_DIR) + "/tags/v23_latin1_cbr.mp3"),
            ToWindowsPath(std::string(BV_TEST_DATA_DIR) + "/tags/v11_only.mp3"),
            "C:\\library\\gone.mp3"};
        for (size_t i = 0; i < 3; ++i) {
            M().Model.AppendTrack(rows[i]);
            TTrackRowSnapshot inLibrary = rows[i];
            inLibrary.FileName = library[i];
            AppendTableRow(M().Model.MediaDB, inLibrary);
        }
        for (int i : {0, 1})
            AppendTableRow(M().Model.DeletedHolder, rows[i]);
        M().Model.SyncAllMusic();
        M().ListBoxPlayLists.Items.Add("Road");
        M().Model.PlaylistTracks[1].Add("0");
        M().ListBoxPlayLists.ItemIndex = 0;
        M().EditSearchDBChange("");
        M().RefreshTrackView();
        M().RefreshMediaDBList();
        M().RefreshDeletedList();
        for (TListView* view : {&M().BvPlaylist, &M().MediaDBList, &M().DeletedList}) {
            view->Selected = {1};
            view->ItemIndex = 1;
        }
        M().NotifyView(TViewId::PlaylistBox);
        for (TViewId v : {TViewId::TrackView, TViewId::MediaDBList, TViewId::DeletedList})
            M().NotifyView(v);
        M().Options.cbInfoHints = true;
        M().TimerBeforeShow.Interval = 20;
        M().TimerAfterShow.Interval = 100000;
        form->TimerBeforeShow->SetInterval(20);
        form->TimerAfterShow->SetInterval(100000);
        M().TimerAfterShowTimer();
        // No card in the drive, and the selector showing none.
        std::error_code gone;
        if (std::filesystem::remove_all(folder.File("no-card"), gone) > 0) {
            RefreshDriveTable();
            form->BvDriveCombo1->RefreshDrives();
        }
        form->PanelHint->SetVisible(false);
        form->cbInfoHints->SetChecked(true);
        if (form->bvGroupActions->Collapsed())
            ClickCaption(form->bvGroupActions);
        PumpEvents();
    }

    QWidget* View(TWinControl* c) {
        auto* area = dynamic_cast<QAbstractScrollArea*>(c->Widget());
        return area ? area->viewport() : c->Widget();
    }
    QPoint LineAt(TCustomListBox* box, int line) { return Centre(box->ItemRect(line)); }
    // Waits, pumping, for the hint's short delays.
    void Wait(int ms = 120) {
        QTest::qWait(ms);
        PumpEvents();
    }
    // The hint over line 0 of the track view, as a pause of the mouse there shows it.
    void ShowHint() {
        QTest::mouseMove(View(form->BvPlaylist), LineAt(form->BvPlaylist, 0));
        PumpEvents();
        form->TimerBeforeShow->OnTimer()(form->TimerBeforeShow);
        PumpEvents();
    }
    // Presses on a line of one list and lets go over a line of another control.
    void DragLine(TCustomListBox* from, int line, TWinControl* onto, QPoint at) {
        QWidget* view = View(from);
        const QPoint start = LineAt(from, line);
        QTest::mousePress(view, Qt::LeftButton, {}, start);
        QTest::mouseMove(view, start + QPoint(0, 12));
        const QPoint target = view->mapFromGlobal(View(onto)->mapToGlobal(at));
        QTest::mouseMove(view, target);
        QTest::mouseRelease(view, Qt::LeftButton, {}, target);
        PumpEvents();
    }
    void Enter(TWinControl* c, bool enter) {
        if (enter) {
            QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QApplication::sendEvent(c->Widget(), &e);
        } else {
            QEvent e(QEvent::Leave);
            QApplication::sendEvent(c->Widget(), &e);
        }
        PumpEvents();
    }
    void TypeInto(TWinControl* edit, const char* text) {
        // A menu or a drag before may have taken the activation; typing goes to the window.
        QApplication::setActiveWindow(form->Widget());
        edit->SetFocus();
        PumpEvents();
        QTest::keyClicks(edit->Widget(), text);
        PumpEvents();
    }

    // Works the row as a person does; false when the row is not worked here (the window's own
    // creation and closing, seen by their own checks).
    bool Work(const TCommandBinding& b) {
        TForm1& w = *form;
        switch (b.Command) {
        case TCommand::FormCreate:
        case TCommand::FormCloseQuery:
        case TCommand::FormClose:
        case TCommand::Exit1Click:
            return false;
        default:
            break;
        }
        switch (b.Kind) {
        case TCommandBinding::MenuItem: {
            auto* item = static_cast<TMenuItem*>(b.Control);
            if (item == w.CopyToPlayListPopup1) {
                // The copies of the template the menu makes as it opens: Copy to playlist > Road.
                ChooseFromContextMenu(w.TrackListMenu, w.CopyToPlaylist1);
                Key(Qt::Key_Return);
                break;
            }
            if (Hidden(item)) {
                // Nobody can reach a hidden item; its click still runs its row.
                item->Click();
                break;
            }
            if (MenuOf(item) == w.BvMainMenu1)
                ChooseFromMenuBar(item);
            else
                ChooseFromContextMenu(dynamic_cast<TBvPopupMenu*>(MenuOf(item)), item);
            break;
        }
        case TCommandBinding::SpeedItem: {
            auto* item = static_cast<TBvSpeedItem*>(b.Control);
            if (item->Visible())
                ClickSpeedItem(item);
            else
                item->ButtonClick();
            break;
        }
        case TCommandBinding::Button: {
            auto* c = dynamic_cast<TWinControl*>(b.Control);
            if (!c) {
                ADD_FAILURE() << "a button that is no window";
                return false;
            }
            if (c == w.cbInfoHints) {
                ShowHint();
                QTest::mouseClick(c->Widget(), Qt::LeftButton, {}, QPoint(8, c->Height() / 2));
                break;
            }
            OpenBoxOf(c);
            const bool shown = c->Visible();
            // "Stop" and the hidden "load" show only while they mean something.
            c->SetVisible(true);
            PumpEvents();
            Click(c);
            c->SetVisible(shown);
            break;
        }
        case TCommandBinding::Key:
            if (b.Command == TCommand::BvPlaylistGLKeyDown) {
                w.BvPlaylist->SetFocus();
                PumpEvents();
                QTest::keyClick(w.BvPlaylist->Widget(), Qt::Key_Delete);
            } else {
                OpenBoxOf(w.MediaDBList);
                w.MediaDBList->SetFocus();
                PumpEvents();
                if (b.Command == TCommand::MediaDBListKeyPress)
                    QTest::keyClick(w.MediaDBList->Widget(), Qt::Key_G);
                else
                    QTest::keyClick(w.MediaDBList->Widget(), Qt::Key_Escape);
            }
            break;
        case TCommandBinding::Timer: {
            // No hand reaches a timer: it runs as its time comes.
            auto* timer = static_cast<TTimer*>(b.Control);
            timer->OnTimer()(timer);
            break;
        }
        case TCommandBinding::Event:
            WorkEvent(b);
            break;
        }
        PumpEvents();
        CloseMenus();
        PumpEvents();
        return true;
    }

    void WorkEvent(const TCommandBinding& b) {
        TForm1& w = *form;
        auto* control = dynamic_cast<TWinControl*>(b.Control);
        switch (b.On) {
        case TControlEvent::Popup:
            ChooseFromContextMenuOpen(w.TrackListMenu);
            break;
        case TControlEvent::Expanded:
            ClickCaption(static_cast<TBvgGroupBox*>(b.Control));
            break;
        case TControlEvent::Collapsed: {
            // No click reaches it: opening another box of the column closes this one
            // without the event, and the column keeps one box open. It runs as the box
            // reports a collapse.
            auto* box = static_cast<TBvgGroupBox*>(b.Control);
            box->OnCollapsed(box);
            break;
        }
        case TControlEvent::Click:
            // The tag editor shows the clicked track while its box is open.
            if (control == w.BvPlaylist)
                ClickCaption(w.bvGroupBoxTags);
            OpenBoxOf(control);
            QTest::mouseClick(View(control), Qt::LeftButton, {},
                              LineAt(static_cast<TCustomListBox*>(control),
                                     control == w.ListBoxPlayLists ? 1 : 2));
            break;
        case TControlEvent::DblClick:
            if (control == w.ListBoxPlayLists) {
                OpenBoxOf(control);
                QTest::mouseDClick(View(control), Qt::LeftButton, {},
                                   LineAt(w.ListBoxPlayLists, 1));
            } else if (control == w.BvPlaylist) {
                QTest::mouseMove(View(control), LineAt(w.BvPlaylist, 2));
                QTest::mouseDClick(View(control), Qt::LeftButton, {}, LineAt(w.BvPlaylist, 2));
            } else {
                ShowHint();
                QTest::mouseDClick(dynamic_cast<TWinControl*>(b.Control)
                                       ? static_cast<TWinControl*>(b.Control)->Widget()
                                       : w.PanelHint->Widget(),
                                   Qt::LeftButton, {}, QPoint(10, 10));
            }
            break;
        case TControlEvent::Change:
            if (control == w.EditSearchDB) {
                OpenBoxOf(control);
                TypeInto(control, "Alp");
            } else if (auto* combo = dynamic_cast<TBvDriveCombo*>(control)) {
                M().Model.PhoneDrive = 'Q';
                if (combo == w.BvDriveCombo1) {
                    OpenBoxOf(combo);
                    combo->SetFocus();
                    PumpEvents();
                    QTest::keyClick(combo->Widget(), Qt::Key_Home);
                } else {
                    // Hidden: nobody chooses in it, but its change runs all the same.
                    combo->OnChange(combo);
                }
            } else {
                // A tag of the chosen track, typed over in its box.
                ClickCaption(w.bvGroupBoxTags);
                QTest::mouseClick(View(w.BvPlaylist), Qt::LeftButton, {}, LineAt(w.BvPlaylist, 2));
                PumpEvents();
                TypeInto(control, "");
                QTest::keyClick(control->Widget(), Qt::Key_End);
                if (control == w.edTime)
                    QTest::keyClick(control->Widget(), Qt::Key_Backspace);
                TypeInto(control, control == w.edTime ? "4" : "Zed");
            }
            break;
        case TControlEvent::FileDrop: {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(
                QString::fromStdString(std::string(BV_TEST_DATA_DIR) + "/tags/v11_only.mp3"))});
            QDragEnterEvent enter(QPoint(400, 200), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(w.ClientWidget(), &enter);
            QDropEvent drop(QPointF(400, 200), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(w.ClientWidget(), &drop);
            break;
        }
        case TControlEvent::MouseDown:
        case TControlEvent::MouseMove:
        case TControlEvent::StartDrag:
        case TControlEvent::EndDrag:
            if (b.Command == TCommand::PanelHintMouseEnter) {
                // The hint shows; the mouse moves on it; then its hide delay is short, so a
                // hint nothing keeps goes.
                ShowHint();
                auto* on = dynamic_cast<TWinControl*>(b.Control);
                QWidget* widget = on ? on->Widget() : w.PanelHint->Widget();
                const QPoint at =
                    on ? QPoint(5, 5)
                       : QPoint(w.LabelPopupText->Left() + 5, w.LabelPopupText->Top() + 5);
                QTest::mouseMove(widget, at);
                QTest::mouseMove(widget, at + QPoint(2, 1));
                PumpEvents();
                M().TimerAfterShow.Interval = 20;
                w.TimerAfterShow->SetInterval(20);
                Wait();
            } else if (b.Command == TCommand::BvPlaylistGLMouseMove) {
                QTest::mouseMove(View(w.BvPlaylist), LineAt(w.BvPlaylist, 1));
                Wait();
            } else if (control == w.BvPlaylist) {
                // Line 1 onto "Road".
                OpenBoxOf(w.ListBoxPlayLists);
                DragLine(w.BvPlaylist, 1, w.ListBoxPlayLists, LineAt(w.ListBoxPlayLists, 1));
            } else {
                OpenBoxOf(control);
                DragLine(static_cast<TCustomListBox*>(control), 1, w.BvPlaylist,
                         LineAt(w.BvPlaylist, 0));
            }
            break;
        case TControlEvent::DragOver:
        case TControlEvent::DragDrop:
            if (control == w.BvPlaylist) {
                OpenBoxOf(w.MediaDBList);
                DragLine(w.MediaDBList, 1, w.BvPlaylist, LineAt(w.BvPlaylist, 0));
            } else {
                OpenBoxOf(b.Control == w.BvGroupDeleted ? w.DeletedList : control);
                TWinControl* onto = b.Control == w.BvGroupDeleted ? w.DeletedList : control;
                DragLine(w.BvPlaylist, 1, onto,
                         onto == w.ListBoxPlayLists ? LineAt(w.ListBoxPlayLists, 1)
                                                    : QPoint(20, 20));
            }
            break;
        case TControlEvent::MouseEnter:
        case TControlEvent::MouseLeave: {
            const bool enter = b.On == TControlEvent::MouseEnter;
            if (control == w.BvPlaylist && enter) {
                // The mouse comes in from elsewhere: its first move over the view is its entry.
                Enter(w.BvPlaylist, false);
                QTest::mouseMove(View(w.BvPlaylist), LineAt(w.BvPlaylist, 0));
                Wait();
                break;
            }
            // The hint shows and stays; the mouse comes or goes; then the hint's hide delay
            // is short, so a hint nothing keeps goes.
            ShowHint();
            M().TimerAfterShow.Enabled = false;
            w.TimerAfterShow->SetEnabled(false);
            Enter(control, enter);
            M().TimerAfterShow.Interval = 20;
            w.TimerAfterShow->SetInterval(20);
            Wait();
            break;
        }
        default:
            ADD_FAILURE() << "no hand works " << b.What;
        }
    }

    // What a row needs in place beyond the arrangement, before it is worked.
    void Prepare(const TCommandBinding& b) {
        TForm1& w = *form;
        TTrackManager& m = M();
        using C = TCommand;
        switch (b.Command) {
        case C::mbNewPlstClick:
            dialogs.Inputs.push_back("Fresh");
            break;
        case C::Renameplaylist1Click:
            dialogs.Inputs.push_back("Renamed");
            [[fallthrough]];
        case C::Deleteplaylist1Click:
            m.ListBoxPlayListsClick(1);
            break;
        case C::btnSearchClick:
            m.EditSearchDBChange("a");
            break;
        case C::MediaDBListKeyDown:
            m.EditSearchDBChange("x");
            break;
        case C::BvGroupMediaDBExpanded:
            AppendTableRow(m.Model.MediaDB, TableRow(m.Model.TrackListHolder, 0));
            break;
        case C::BvGroupDeletedExpanded:
            AppendTableRow(m.Model.DeletedHolder, TableRow(m.Model.TrackListHolder, 0));
            break;
        case C::btnRefreshStatClick:
        case C::BvGroupStatExpanded:
            for (TLabel* l : {w.Label13, w.Label14, w.Label15, w.Label17})
                l->SetCaption("");
            break;
        case C::BvPlaylistMouseEnter:
        case C::TimerBeforeShowTimer: {
            const QPoint at = LineAt(w.BvPlaylist, 0);
            m.Model.HintMousePos = {at.x(), at.y()};
            break;
        }
        case C::TimerAfterShowTimer:
            ShowHint();
            break;
        case C::PanelHintMouseLeave:
            Mouse->SetCursorPos(w.ClientToScreen({5, 5}));
            break;
        case C::btnCancelClick:
            m.TransFlashTimer.Enabled = false;
            w.TransFlashTimer->SetEnabled(false);
            break;
        case C::TransFlashTimerTimer:
            m.Options.cbAutoDetect = true;
            m.Options.cbAutoReadDB = false;
            PutCardIn();
            m.Model.PhoneDrive = 0;
            break;
        case C::BvDriveCombo1Change:
            PutCardIn();
            m.Model.PhoneDrive = 'Q';
            w.BvDriveCombo1->SetItemIndex(-1);
            break;
        case C::LogTimerTimer:
            m.Log.AddLog("A line for the log");
            break;
        case C::bvGroupActionsExpanded:
            m.Options.cbAutoDetect = false;
            ClickCaption(w.BvGroupStat);
            w.BvDriveCombo1->SetVisible(false);
            break;
        case C::bvGroupLogExpanded:
            w.btnCancel->SetVisible(true);
            break;
        case C::bvGroupBoxTagsCollapsed:
            ClickCaption(w.bvGroupBoxTags);
            break;
        default:
            break;
        }
        PumpEvents();
    }

    // "E:" holds the phone's folders and the selector lists it.
    void PutCardIn() {
        std::filesystem::create_directories(folder.File("no-card/mobile"));
        RefreshDriveTable();
        form->BvDriveCombo1->RefreshDrives();
    }

    // The row's effect, as the user sees it.
    void Check(const TCommandBinding& b, const TSeen& was, const TSeen& now) {
        TForm1& w = *form;
        TTrackManager& m = M();
        using C = TCommand;
        auto newDialog = [&](TDialogRequest::TKind kind) {
            ASSERT_EQ(now.Dialogs, was.Dialogs + 1);
            EXPECT_EQ(dialogs.Requests.back().Kind, kind);
        };
        auto firstTrackIs = [&](const char* artist) {
            ASSERT_EQ(now.Tracks.size(), 3u);
            EXPECT_TRUE(Has(now.Tracks[0], artist)) << now.Tracks[0];
        };
        auto firstLibraryIs = [&](const char* artist) {
            ASSERT_EQ(now.Library.size(), 3u);
            EXPECT_TRUE(Has(now.Library[0], artist)) << now.Library[0];
        };
        auto roadHolds = [&](size_t n) {
            EXPECT_EQ(m.Model.PlaylistTracks[1].Count(), static_cast<int>(n));
        };
        switch (b.Command) {
        // The hidden items and the buttons that do nothing.
        case C::btnOpenPlsClick:
        case C::btnSavePlsClick:
        case C::BvSpeedItem2Click:
        case C::Button3Click:
            EXPECT_EQ(now.Tracks, was.Tracks);
            EXPECT_EQ(now.Library, was.Library);
            EXPECT_EQ(now.Playlists, was.Playlists);
            EXPECT_EQ(now.Dialogs, was.Dialogs);
            EXPECT_EQ(now.Memo, was.Memo);
            EXPECT_EQ(now.Boxes, was.Boxes);
            break;
        case C::btnOptionsClick:
            EXPECT_EQ(now.Options, was.Options + 1);
            break;
        case C::BvSpeedItem1Click:
            EXPECT_EQ(now.About, was.About + 1);
            break;
        case C::ParseiTunesDB1Click:
            EXPECT_EQ(now.Inspector, was.Inspector + 1);
            break;
        // The card's commands, with no card in the drive: each says so.
        case C::btnScanClick:
        case C::btnUpdateMobileClick:
        case C::btnScanMobileClick:
        case C::ReadiTuneDB1Click:
        case C::DeletephoneDB1Click:
            EXPECT_TRUE(now.Dialogs > was.Dialogs || now.Memo != was.Memo)
                << "nothing said; the log: " << now.Memo;
            break;
        case C::Checkforbadfiles1Click:
            // None of the three files exists.
            EXPECT_TRUE(now.Tracks.empty()) << ::testing::PrintToString(now.Tracks);
            break;
        case C::btnAddFileClick:
        case C::Addfiles1Click:
            newDialog(TDialogRequest::dkOpenFile);
            break;
        case C::btnAddDIRClick:
        case C::Adddirectory1Click:
            newDialog(TDialogRequest::dkSelectFolder);
            break;
        case C::btnRemoveClick:
        case C::BvPlaylistGLKeyDown:
            ASSERT_EQ(now.Tracks.size(), 2u);
            for (const std::string& line : now.Tracks)
                EXPECT_FALSE(Has(line, "Ada")) << line;
            break;
        case C::Selectall1Click:
            EXPECT_EQ(now.TrackSelection, (std::vector<int>{0, 1, 2}));
            break;
        case C::Inverseselection1Click:
            EXPECT_EQ(now.TrackSelection, (std::vector<int>{0, 2}));
            break;
        case C::Selectnone1Click:
            EXPECT_TRUE(now.TrackSelection.empty());
            break;
        case C::BvPlaylistGLClick:
        case C::BvPlaylistDblClick:
            EXPECT_EQ(now.Artist, "Bea");
            EXPECT_EQ(now.Boxes[0], '+') << "Edit tags open";
            break;
        case C::mbNewPlstClick:
            EXPECT_EQ(now.Playlists, (std::vector<std::string>{"All music", "Road", "Fresh"}));
            break;
        case C::Renameplaylist1Click:
            EXPECT_EQ(now.Playlists, (std::vector<std::string>{"All music", "Renamed"}));
            break;
        case C::Deleteplaylist1Click:
            EXPECT_EQ(now.Playlists, (std::vector<std::string>{"All music"}));
            break;
        case C::Clearplaylists2Click:
            ASSERT_EQ(now.Playlists.size(), 1u) << "the master playlist alone";
            EXPECT_EQ(CompareText(now.Playlists[0], "All music"), 0) << now.Playlists[0];
            break;
        case C::ListBoxPlayListsClick:
            EXPECT_EQ(now.Playlist, 1);
            ASSERT_EQ(now.Tracks.size(), 1u) << "Road's one track";
            EXPECT_TRUE(Has(now.Tracks[0], "Cora"));
            break;
        case C::ListBoxPlayListsDragOver:
        case C::ListBoxPlayListsDragDrop:
        case C::CopyToPlayListPopup1Click:
            roadHolds(2);
            break;
        case C::MoveUp2Click:
            EXPECT_TRUE(Has(now.Tracks.at(0), "Ada")) << now.Tracks[0];
            break;
        case C::MoveDown2Click:
            EXPECT_TRUE(Has(now.Tracks.at(2), "Ada")) << now.Tracks[2];
            break;
        case C::TrackListMenuPopup:
            EXPECT_EQ(now.CopyToItems, 2) << "the hidden template and Road";
            break;
        case C::BvPlaylistADragOver:
        case C::BvPlaylistGLDragDrop:
        case C::BvDragDrop1Drop:
        case C::Copytotracklist1Click:
            EXPECT_EQ(now.Tracks.size(), 4u);
            break;
        case C::ListMouseDown:
        case C::ListMouseMove:
        case C::ListStartDrag:
        case C::ListEndDrag:
            if (b.Control == w.BvPlaylist) {
                roadHolds(2);
            } else {
                EXPECT_EQ(now.Tracks.size(), 4u);
                if (b.Control == w.DeletedList) {
                    EXPECT_EQ(now.Deleted.size(), 1u);
                }
            }
            break;
        case C::MediaDBListDragOver:
        case C::DeletedListDragOver:
            // Refused: nothing lands, nothing leaves.
            EXPECT_EQ(now.Library, was.Library);
            EXPECT_EQ(now.Deleted, was.Deleted);
            EXPECT_EQ(now.Tracks, was.Tracks);
            roadHolds(1);
            break;
        case C::edArtistChange:
            EXPECT_EQ(TableRow(m.Model.TrackListHolder, 2).Artist, "BeaZed");
            break;
        case C::edTitleChange:
            EXPECT_EQ(TableRow(m.Model.TrackListHolder, 2).Title, "AlphaZed");
            break;
        case C::edAlbumChange:
            EXPECT_EQ(TableRow(m.Model.TrackListHolder, 2).Album, "ArchZed");
            break;
        case C::edTimeChange:
            EXPECT_TRUE(Has(now.Tracks.at(2), "01:04")) << now.Tracks[2];
            break;
        case C::bvGroupBoxTagsExpanded:
            // The editor follows the clicks in the track view from now on.
            EXPECT_TRUE(m.TagEditor.Expanded);
            EXPECT_FALSE(w.lbUID->Visible()) << "the row number out of sight";
            break;
        case C::bvGroupBoxTagsCollapsed:
            EXPECT_FALSE(m.TagEditor.Expanded) << "clicks no longer fill the hidden editor";
            break;
        case C::SortbyArtist1Click:
        case C::SortbyBitrate1Click:
        case C::SortbySize1Click:
            firstTrackIs("Ada");
            break;
        case C::SortbyTitle1Click:
        case C::SortbyAlbum1Click:
        case C::Sortbylength1Click:
            firstTrackIs("Bea");
            break;
        case C::SortbyArtist3Click:
        case C::SortbyBitrate2Click:
        case C::SortbySize2Click:
            firstLibraryIs("Ada");
            break;
        case C::SortbyTitle2Click:
        case C::SortbyAlbum2Click:
        case C::SortbyLength2Click:
            firstLibraryIs("Bea");
            break;
        case C::Sortall1Click:
            EXPECT_NE(now.SortAll, was.SortAll);
            break;
        case C::Clear1Click:
            EXPECT_TRUE(now.Library.empty());
            break;
        case C::Deletealldeadlinks1Click:
            ASSERT_EQ(now.Library.size(), 2u) << "the gone file's line goes";
            for (const std::string& line : now.Library)
                EXPECT_FALSE(Has(line, "Bea")) << line;
            break;
        case C::EditSearchDBChange:
            EXPECT_EQ(now.Search, "Alp");
            EXPECT_EQ(m.MediaDBList.ItemIndex, 2) << "Alpha found";
            break;
        case C::btnSearchClick:
            EXPECT_NE(now.LibraryFocus, was.LibraryFocus) << "the next line holding the text";
            break;
        case C::MediaDBListKeyPress:
            EXPECT_EQ(now.Search, "g");
            break;
        case C::MediaDBListKeyDown:
            EXPECT_EQ(now.Search, "");
            break;
        case C::MediaDBListClick:
            EXPECT_EQ(now.LibrarySelection, (std::vector<int>{2}));
            EXPECT_EQ(now.Tracks, was.Tracks);
            break;
        case C::BvGroupMediaDBExpanded:
            EXPECT_EQ(now.Library.size(), 4u);
            break;
        case C::MenuItem1Click:
            EXPECT_EQ(now.Tracks.size(), 4u);
            EXPECT_EQ(now.Deleted.size(), 1u);
            break;
        case C::Delete1Click:
            EXPECT_EQ(now.Deleted.size(), 1u);
            EXPECT_EQ(now.Tracks, was.Tracks);
            break;
        case C::Clear4Click:
            EXPECT_TRUE(now.Deleted.empty());
            break;
        case C::BvGroupDeletedExpanded:
            EXPECT_EQ(now.Deleted.size(), 3u);
            break;
        case C::btnRefreshStatClick:
        case C::BvGroupStatExpanded:
            EXPECT_NE(now.Stats, was.Stats);
            EXPECT_TRUE(Has(w.Label14->Caption(), "3")) << w.Label14->Caption();
            break;
        case C::BvPlaylistMouseEnter:
        case C::BvPlaylistGLMouseMove:
        case C::TimerBeforeShowTimer:
            EXPECT_TRUE(now.Hint) << "the hint shows";
            break;
        case C::BvPlaylistMouseLeave:
        case C::TimerAfterShowTimer:
        case C::PanelHintMouseLeave:
            EXPECT_FALSE(now.Hint) << "the hint goes";
            break;
        case C::PanelHintMouseEnter:
            EXPECT_TRUE(now.Hint) << "the hint stays while the mouse is on it";
            break;
        case C::LabelPopupTextDblClick:
            EXPECT_EQ(now.Artist, "Cora");
            EXPECT_FALSE(now.Hint);
            break;
        case C::cbInfoHintsClick:
            EXPECT_FALSE(now.Hint);
            EXPECT_FALSE(m.Options.cbInfoHints);
            break;
        case C::btnResetProgClick:
            EXPECT_TRUE(now.Tracks.empty());
            EXPECT_EQ(now.Playlists, (std::vector<std::string>{"All music"}));
            break;
        case C::btnCancelClick:
            EXPECT_TRUE(now.Detecting) << "Stop switches card detection on";
            break;
        case C::TransFlashTimerTimer:
            // The card found: the selector shows it, and detection looks less often.
            EXPECT_EQ(now.PhoneDrive, 'E');
            EXPECT_EQ(w.BvDriveCombo1->Drive(), 'E');
            EXPECT_GT(w.TransFlashTimer->Interval(), 0u);
            EXPECT_EQ(static_cast<int>(w.TransFlashTimer->Interval()), m.TransFlashTimer.Interval);
            break;
        case C::LogTimerTimer:
            EXPECT_TRUE(Has(now.Memo, "A line for the log")) << now.Memo;
            break;
        case C::bvGroupActionsExpanded:
            EXPECT_TRUE(now.DriveShown);
            break;
        case C::bvGroupLogExpanded:
            EXPECT_FALSE(now.Stop) << "Stop shows only while a run can be stopped";
            break;
        case C::BvDriveCombo1Change:
            EXPECT_EQ(now.PhoneDrive, 'E') << "the selector's drive";
            break;
        case C::FormCreate:
        case C::FormCloseQuery:
        case C::FormClose:
        case C::Exit1Click:
            break;
        }
    }

    // Opens the context menu of the track view and closes it again.
    void ChooseFromContextMenuOpen(TBvPopupMenu* menu) {
        ChooseFromContextMenu(menu, nullptr);
        Key(Qt::Key_Escape);
    }
};

TEST_F(MainCommandRows, EveryRowHasAnEffectTheUserSees) {
    TForm1& w = *form;
    EXPECT_EQ(w.Variables->Count(), 28) << "the creation handler registered the message strings";
    std::set<TCommand> bound;
    for (const TCommandBinding& b : w.Commands()) {
        SCOPED_TRACE(std::string(CommandName(b.Command)) + " <- " + b.What);
        bound.insert(b.Command);
        Arrange();
        Prepare(b);
        const TSeen before = See();
        if (!Work(b))
            continue;
        const TSeen after = See();
        Check(b, before, after);
        EXPECT_TRUE(after.Shown) << "the window stays open";
        // A row whose run failed says so in a message box; none may.
        for (size_t i = before.Dialogs; i < dialogs.Requests.size(); ++i)
            EXPECT_EQ(dialogs.Requests[i].Text.find("\" failed"), std::string::npos)
                << dialogs.Requests[i].Text;
    }
    EXPECT_EQ(static_cast<int>(bound.size()), kCommandCount) << "every command has its control";

    // Last, File > Exit: the window asks whether it may close, closes and saves.
    Arrange();
    std::filesystem::remove(folder.File("brisvane.ini"));
    ChooseFromMenuBar(w.Exit1);
    closed = true;
    EXPECT_FALSE(w.Widget()->isVisible());
    EXPECT_TRUE(std::filesystem::exists(folder.File("brisvane.ini")));
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

    // Ctrl+Down moves the chosen line down.
    QWidget* view = form->BvPlaylist->Widget();
    if (auto* area = dynamic_cast<QAbstractScrollArea*>(view))
        view = area->viewport();
    QTest::mouseClick(view, Qt::LeftButton, {}, Centre(form->BvPlaylist->ItemRect(0)));
    PumpEvents();
    QTest::keyClick(form->BvPlaylist->Widget(), Qt::Key_Down, Qt::ControlModifier);
    PumpEvents();
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
    ASSERT_EQ(m.Model.PlaylistTracks[1].Count(), 1);
    EXPECT_EQ(m.Model.PlaylistTracks[1][0], "1");
}

} // namespace
