// The command map: every menu item, speed-bar item, button, key, timer and control event of the
// main window and the handler it runs, in one table. Each binding runs through RunHandler, so a
// failure is one message box naming the handler, and the window reads the controls' selections
// into the manager before any command looks at them.
#include "Main.h"

#include "MainLayout.h"

#include <cstdlib>
#include <memory>
#include <utility>

namespace {

TDragSource SourceOf(TObject* source, const TForm1& w) {
    TObject* control = source;
    if (auto* drag = dynamic_cast<TDragControlObject*>(source))
        control = drag->Control;
    if (control == w.BvPlaylist)
        return TDragSource::TrackView;
    if (control == w.ListBoxPlayLists)
        return TDragSource::PlaylistBox;
    if (control == w.MediaDBList)
        return TDragSource::MediaDBList;
    if (control == w.DeletedList)
        return TDragSource::DeletedList;
    return control ? TDragSource::Other : TDragSource::None;
}

} // namespace

std::vector<const TCommandBinding*> TForm1::BindingsOf(const std::string& handler) const {
    std::vector<const TCommandBinding*> found;
    for (const TCommandBinding& b : commands_)
        if (b.Handler == handler)
            found.push_back(&b);
    return found;
}

void TForm1::Bind(TCommandBinding binding) {
    commands_.push_back(std::move(binding));
}

void TForm1::BindMenu(TMenuItem* item, const std::string& handler, std::function<void()> run) {
    TCommandBinding b;
    b.Kind = TCommandBinding::MenuItem;
    b.Handler = handler;
    b.Item = item;
    for (TMenuItem* i = item; i && !i->Caption().empty(); i = i->Parent())
        b.What = StripAccelerators(i->Caption()) + (b.What.empty() ? "" : " > " + b.What);
    b.Run = run;
    item->OnClick = [this, handler, run, what = b.What](TObject*) {
        RunHandler(handler, run, what);
    };
    Bind(std::move(b));
}

void TForm1::BindSpeed(TBvSpeedItem* item, const std::string& handler, std::function<void()> run) {
    TCommandBinding b;
    b.Kind = TCommandBinding::SpeedItem;
    b.Handler = handler;
    b.Speed = item;
    b.What = item->Caption();
    b.Run = run;
    item->SetOnClick(
        [this, handler, run, what = b.What](TObject*) { RunHandler(handler, run, what); });
    Bind(std::move(b));
}

void TForm1::BindButton(TControl* button, const std::string& handler, std::function<void()> run) {
    TCommandBinding b;
    b.Kind = TCommandBinding::Button;
    b.Handler = handler;
    b.Control = button;
    b.What = button->Caption();
    b.Run = run;
    button->OnClick = [this, handler, run, what = b.What](TObject*) {
        RunHandler(handler, run, what);
    };
    Bind(std::move(b));
}

void TForm1::BindTimer(TTimer* timer, const std::string& handler, std::function<void()> run) {
    TCommandBinding b;
    b.Kind = TCommandBinding::Timer;
    b.Handler = handler;
    b.TimerComponent = timer;
    b.What = "timer " + timer->Name();
    b.Run = run;
    timer->SetOnTimer([this, handler, run](TObject*) { RunHandler(handler, run); });
    Bind(std::move(b));
}

void TForm1::BindEvent(TControl* control, const std::string& what, const std::string& handler,
                       std::function<void()> run) {
    TCommandBinding b;
    b.Kind = TCommandBinding::Event;
    b.Handler = handler;
    b.Control = control;
    b.What = what;
    b.Run = std::move(run);
    Bind(std::move(b));
}

void TForm1::BuildCommandMap() {
    TTrackManager& m = *Manager;
    // A manager command, run after the controls' selections were read into the manager.
    auto cmd = [this](void (TTrackManager::*command)()) {
        return [this, command] {
            ReadSelections();
            (Manager.get()->*command)();
        };
    };
    auto nothing = [] {};

    // ---- File ----
    BindMenu(Opentracklist1, "btnOpenPlsClick", nothing);
    BindMenu(Savetracklist1, "btnSavePlsClick", nothing);
    BindMenu(Options1, "btnOptionsClick", cmd(&TTrackManager::btnOptionsClick));
    BindMenu(Exit1, "Exit1Click", [this] { Exit1Click(); });

    // ---- Mobile phone ----
    BindMenu(Scanmobile1, "btnScanClick", cmd(&TTrackManager::btnScanClick));
    BindMenu(Updatemobile1, "btnUpdateMobileClick", cmd(&TTrackManager::btnUpdateMobileClick));
    BindMenu(Scanmobileforfiles2, "btnScanMobileClick", cmd(&TTrackManager::btnScanMobileClick));
    BindMenu(ReadiTunesDB1, "ReadiTuneDB1Click", cmd(&TTrackManager::ReadiTuneDB1Click));
    BindMenu(DeletephoneDB1, "DeletephoneDB1Click", cmd(&TTrackManager::DeletephoneDB1Click));

    // ---- Tracklist ----
    BindMenu(Addfiles2, "btnAddFileClick", cmd(&TTrackManager::btnAddFileClick));
    BindMenu(Adddirectory2, "btnAddDIRClick", cmd(&TTrackManager::btnAddDIRClick));
    BindMenu(Checkforbadfiles1, "Checkforbadfiles1Click",
             cmd(&TTrackManager::Checkforbadfiles1Click));
    BindMenu(Removeselected1, "btnRemoveClick", cmd(&TTrackManager::btnRemoveClick));
    BindMenu(Selectall1, "Selectall1Click", cmd(&TTrackManager::Selectall1Click));
    BindMenu(Inverseselection1, "Inverseselection1Click",
             cmd(&TTrackManager::Inverseselection1Click));
    BindMenu(Selectnone1, "Selectnone1Click", cmd(&TTrackManager::Selectnone1Click));
    for (auto [item, handler, command] :
         {std::tuple{Newplaylist1, "mbNewPlstClick", &TTrackManager::mbNewPlstClick},
          std::tuple{Renameplaylist1, "Renameplaylist1Click", &TTrackManager::Renameplaylist1Click},
          std::tuple{Deleteplaylist1, "Deleteplaylist1Click", &TTrackManager::Deleteplaylist1Click},
          std::tuple{Clearplaylists2, "Clearplaylists2Click", &TTrackManager::Clearplaylists2Click},
          std::tuple{Newplaylist2, "mbNewPlstClick", &TTrackManager::mbNewPlstClick},
          std::tuple{Renameplaylist2, "Renameplaylist1Click", &TTrackManager::Renameplaylist1Click},
          std::tuple{Deleteplaylist2, "Deleteplaylist1Click",
                     &TTrackManager::Deleteplaylist1Click}})
        BindMenu(item, handler, cmd(command));

    using TSort = std::pair<const char*, void (TTrackManager::*)()>;
    const std::array<TSort, 6> trackSorts = {
        TSort{"SortbyArtist1Click", &TTrackManager::SortbyArtist1Click},
        TSort{"SortbyTitle1Click", &TTrackManager::SortbyTitle1Click},
        TSort{"SortbyAlbum1Click", &TTrackManager::SortbyAlbum1Click},
        TSort{"SortbyBitrate1Click", &TTrackManager::SortbyBitrate1Click},
        TSort{"SortbySize1Click", &TTrackManager::SortbySize1Click},
        TSort{"Sortbylength1Click", &TTrackManager::Sortbylength1Click}};
    const std::array<TSort, 6> librarySorts = {
        TSort{"SortbyArtist3Click", &TTrackManager::SortbyArtist3Click},
        TSort{"SortbyTitle2Click", &TTrackManager::SortbyTitle2Click},
        TSort{"SortbyAlbum2Click", &TTrackManager::SortbyAlbum2Click},
        TSort{"SortbyBitrate2Click", &TTrackManager::SortbyBitrate2Click},
        TSort{"SortbySize2Click", &TTrackManager::SortbySize2Click},
        TSort{"SortbyLength2Click", &TTrackManager::SortbyLength2Click}};
    for (size_t i = 0; i < 6; ++i) {
        BindMenu(TracklistSortItems[i], trackSorts[i].first, cmd(trackSorts[i].second));
        BindMenu(TrackListMenuSortItems[i], trackSorts[i].first, cmd(trackSorts[i].second));
        BindMenu(MediaDBSortItems[i], librarySorts[i].first, cmd(librarySorts[i].second));
        BindMenu(PopupMediaDBSortItems[i], librarySorts[i].first, cmd(librarySorts[i].second));
    }
    BindMenu(Sortall1, "Sortall1Click", [this, cmd] {
        cmd (&TTrackManager::Sortall1Click)();
        Sortall1->SetChecked(Manager->Sortall1Checked);
    });

    // ---- Media Database ----
    for (TMenuItem* item : {Addfiles1, Addfiles4})
        BindMenu(item, "Addfiles1Click", cmd(&TTrackManager::Addfiles1Click));
    for (TMenuItem* item : {Adddirectory1, Adddirectory4})
        BindMenu(item, "Adddirectory1Click", cmd(&TTrackManager::Adddirectory1Click));
    for (TMenuItem* item : {Deletealldeadlinks1, Deletealldeadlinks2})
        BindMenu(item, "Deletealldeadlinks1Click", cmd(&TTrackManager::Deletealldeadlinks1Click));
    for (TMenuItem* item : {Clear1, Clear3})
        BindMenu(item, "Clear1Click", cmd(&TTrackManager::Clear1Click));
    BindMenu(Copytotracklist1, "Copytotracklist1Click", cmd(&TTrackManager::Copytotracklist1Click));

    // ---- Tools and Help ----
    BindMenu(ParseiTunesDB1, "ParseiTunesDB1Click", [this] {
        Manager->ParseiTunesDB1Click();
        if (ShowInspectorHook)
            ShowInspectorHook();
    });
    auto about = [this] {
        if (ShowAboutHook)
            ShowAboutHook();
    };
    BindMenu(About1, "BvSpeedItem1Click", about);

    // ---- The track view's menu ----
    BindMenu(Addfiles3, "btnAddFileClick", cmd(&TTrackManager::btnAddFileClick));
    BindMenu(Removefiles2, "btnRemoveClick", cmd(&TTrackManager::btnRemoveClick));
    BindMenu(MoveUp2, "MoveUp2Click", cmd(&TTrackManager::MoveUp2Click));
    BindMenu(MoveDown2, "MoveDown2Click", cmd(&TTrackManager::MoveDown2Click));
    TrackListMenu->OnPopup = [this](TObject*) {
        RunHandler("TrackListMenuPopup", [this] {
            ReadSelections();
            Manager->TrackListMenuPopup();
            // The submenu lists the playlists after the first; the template item stays hidden.
            while (CopyToPlaylist1->Count() > 1)
                CopyToPlaylist1->Delete(CopyToPlaylist1->Count() - 1);
            const auto& captions = Manager->CopyToPlaylistItems;
            for (size_t k = 0; k < captions.size(); ++k) {
                auto* item = new TMenuItem(this);
                item->SetCaption(captions[k]);
                const int index = static_cast<int>(k);
                item->OnClick = [this, index](TObject*) {
                    RunHandler("CopyToPlayListPopup1Click", [this, index] {
                        ReadSelections();
                        Manager->CopyToPlayListPopup1Click(index);
                    });
                };
                CopyToPlaylist1->Add(item);
            }
            CopyToPlaylist1->SetEnabled(!captions.empty());
        });
    };
    BindEvent(BvPlaylist, "track view menu opens", "TrackListMenuPopup",
              [this] { TrackListMenu->OnPopup(TrackListMenu); });

    // ---- The deleted list's menu ----
    BindMenu(MenuItem1, "MenuItem1Click", cmd(&TTrackManager::MenuItem1Click));
    BindMenu(Delete1, "Delete1Click", cmd(&TTrackManager::Delete1Click));
    BindMenu(Clear4, "Clear4Click", cmd(&TTrackManager::Clear4Click));

    // ---- Speed bar ----
    BindSpeed(spAddFiles, "btnAddFileClick", cmd(&TTrackManager::btnAddFileClick));
    BindSpeed(spAddDirectory, "btnAddDIRClick", cmd(&TTrackManager::btnAddDIRClick));
    BindSpeed(spRemove, "btnRemoveClick", cmd(&TTrackManager::btnRemoveClick));
    BindSpeed(spMoveUp, "MoveUp2Click", cmd(&TTrackManager::MoveUp2Click));
    BindSpeed(spMoveDown, "MoveDown2Click", cmd(&TTrackManager::MoveDown2Click));
    BindSpeed(spScan, "btnScanClick", cmd(&TTrackManager::btnScanClick));
    BindSpeed(spUpdate, "btnUpdateMobileClick", cmd(&TTrackManager::btnUpdateMobileClick));
    BindSpeed(BvSpeedItem1, "BvSpeedItem1Click", about);
    BindSpeed(spOptions, "btnOptionsClick", cmd(&TTrackManager::btnOptionsClick));
    BindSpeed(spReadDB, "ReadiTuneDB1Click", cmd(&TTrackManager::ReadiTuneDB1Click));
    for (TBvSpeedItem* item : {spOpenPlaylist, spSavePlaylist, BvSpeedItem2})
        BindSpeed(item, "BvSpeedItem2Click", nothing);

    // ---- Buttons ----
    BindButton(btnUpdateMobile, "btnUpdateMobileClick", cmd(&TTrackManager::btnUpdateMobileClick));
    BindButton(btnUpdate2, "btnUpdateMobileClick", cmd(&TTrackManager::btnUpdateMobileClick));
    BindButton(btnResetProg, "btnResetProgClick", cmd(&TTrackManager::btnResetProgClick));
    BindButton(btnScan, "btnScanClick", cmd(&TTrackManager::btnScanClick));
    BindButton(btnReadDB, "ReadiTuneDB1Click", cmd(&TTrackManager::ReadiTuneDB1Click));
    BindButton(btnScanMobile, "btnScanMobileClick", cmd(&TTrackManager::btnScanMobileClick));
    BindButton(btnCancel, "btnCancelClick", cmd(&TTrackManager::btnCancelClick));
    BindButton(btnRefreshStat, "btnRefreshStatClick", cmd(&TTrackManager::btnRefreshStatClick));
    BindButton(btnSearch, "btnSearchClick", cmd(&TTrackManager::btnSearchClick));
    BindButton(Button3, "Button3Click", nothing);

    // ---- Keys ----
    // Ctrl+A, Ctrl+Up and Ctrl+Down are the shortcuts of their menu items; every key in the
    // track view also goes to its key handler (Delete removes).
    {
        TCommandBinding b;
        b.Kind = TCommandBinding::Key;
        b.Handler = "BvPlaylistGLKeyDown";
        b.What = "keys in the track view";
        b.Control = BvPlaylist;
        b.KeyCode = VK_DELETE;
        b.Run = [this] {
            uint16_t key = VK_DELETE;
            TrackViewKeyDown(key, 0);
        };
        Bind(b);
        BvPlaylist->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
            // Shortcuts of the menus are theirs; the view sees the rest.
            if ((shift & ssCtrl) && key == 'A')
                return;
            RunHandler("BvPlaylistGLKeyDown",
                       [this, &key, shift] { TrackViewKeyDown(key, shift); });
        };
    }

    // ---- Timers ----
    BindTimer(Timer1, "Timer1Timer", [this] { Timer1Timer(); });
    BindTimer(TransFlashTimer, "TransFlashTimerTimer", [this] {
        ReadSelections();
        Manager->TransFlashTimerTimer();
    });

    // ---- Group boxes ----
    auto expanded = [this](TBvgGroupBox* box, const std::string& handler,
                           std::function<void()> run) {
        box->OnExpanded = [this, handler, run](TObject*) { RunHandler(handler, run); };
        BindEvent(box, "expanding " + box->Caption(), handler, run);
    };
    expanded(bvGroupActions, "bvGroupActionsExpanded", [this] { bvGroupActionsExpanded(); });
    expanded(bvGroupLog, "bvGroupLogExpanded", [this] {
        // The box shows every child as it opens; "Stop" shows only while a run can be stopped.
        btnCancel->SetVisible(Manager->IsBusy());
    });
    expanded(bvGroupBoxTags, "bvGroupBoxTagsExpanded", cmd(&TTrackManager::bvGroupBoxTagsExpanded));
    bvGroupBoxTags->OnCollapsed = [this, cmd](TObject*) {
        RunHandler("bvGroupBoxTagsCollapsed", cmd(&TTrackManager::bvGroupBoxTagsCollapsed));
    };
    BindEvent(bvGroupBoxTags, "collapsing Edit tags", "bvGroupBoxTagsCollapsed",
              cmd(&TTrackManager::bvGroupBoxTagsCollapsed));
    expanded(BvGroupMediaDB, "BvGroupMediaDBExpanded", cmd(&TTrackManager::BvGroupMediaDBExpanded));
    expanded(BvGroupStat, "BvGroupStatExpanded", cmd(&TTrackManager::BvGroupStatExpanded));
    expanded(BvGroupDeleted, "BvGroupDeletedExpanded", cmd(&TTrackManager::BvGroupDeletedExpanded));

    // ---- Control events ----
    auto event = [this](TControl* control, const std::string& what, const std::string& handler,
                        std::function<void()> run) {
        BindEvent(control, what, handler, run);
        return [this, handler, run](TObject*) { RunHandler(handler, run); };
    };
    BvPlaylist->OnClick = event(BvPlaylist, "click in the track view", "BvPlaylistGLClick",
                                cmd(&TTrackManager::BvPlaylistGLClick));
    ListBoxPlayLists->OnClick =
        event(ListBoxPlayLists, "click in the playlist box", "ListBoxPlayListsClick", [this] {
            ReadSelections();
            Manager->ListBoxPlayListsClick(ListBoxPlayLists->ItemIndex());
        });
    ListBoxPlayLists->OnDblClick =
        event(ListBoxPlayLists, "double-click on the playlist box", "Renameplaylist1Click",
              cmd(&TTrackManager::Renameplaylist1Click));
    MediaDBList->OnClick = event(MediaDBList, "click in the library list", "MediaDBListClick",
                                 cmd(&TTrackManager::MediaDBListClick));
    MediaDBList->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
        RunHandler("MediaDBListKeyDown", [this, key, shift] {
            ReadSelections();
            Manager->MediaDBListKeyDown(
                key,
                TKeyShift{(shift & ssShift) != 0, (shift & ssCtrl) != 0, (shift & ssAlt) != 0});
        });
    };
    MediaDBList->OnKeyPress = [this](TObject*, char16_t& key) {
        const char16_t typed = key;
        RunHandler("MediaDBListKeyPress", [this, typed] {
            ReadSelections();
            Manager->MediaDBListKeyPress(static_cast<char32_t>(typed));
        });
        // What is typed goes to the search only: the list's own type-ahead would focus and
        // select lines of its own choosing.
        if (typed >= 32 || typed == 13)
            key = 0;
    };
    EditSearchDB->OnChange =
        event(EditSearchDB, "typing in the library search", "EditSearchDBChange", [this] {
            // The lines the user chose since the last command stay chosen.
            ReadSelections();
            Manager->EditSearchDBChange(EditSearchDB->Caption());
        });
    auto tagEdit = [&](TCustomEdit* edit, const std::string& handler,
                       void (TTrackManager::*change)(const std::string&, bool)) {
        edit->OnChange = event(edit, "typing in " + edit->Name(), handler, [this, edit, change] {
            (Manager.get()->*change)(edit->Caption(), edit->Focused());
        });
    };
    tagEdit(edArtist, "edArtistChange", &TTrackManager::edArtistChange);
    tagEdit(edTitle, "edTitleChange", &TTrackManager::edTitleChange);
    tagEdit(edAlbum, "edAlbumChange", &TTrackManager::edAlbumChange);
    tagEdit(edTime, "edTimeChange", &TTrackManager::edTimeChange);
    for (TBvDriveCombo* combo : {BvDriveCombo1, BvDriveAll, BvDriveRemov})
        combo->OnChange = event(combo, "choosing a drive", "BvDriveCombo1Change",
                                [this] { BvDriveCombo1Change(); });

    // Files dropped on the window from another program.
    BvDragDrop1->OnDrop = [this](TObject*, TPoint&, TStrings* files) {
        std::vector<std::string> paths;
        for (int i = 0; i < files->Count(); ++i)
            paths.push_back((*files)[i]);
        RunHandler("BvDragDrop1Drop", [this, paths] {
            ReadSelections();
            Manager->BvDragDrop1Drop(paths);
        });
    };
    BindEvent(this, "files dropped on the window", "BvDragDrop1Drop", nothing);

    // Dragging inside the window: tracks onto a playlist, the library onto the track view. A
    // drag starts once the mouse moves a few pixels with the button held, so that a click
    // still chooses its line and runs the view's click.
    const std::pair<TBvPlaylist*, const TListView*> sources[] = {
        {BvPlaylist, &Manager->BvPlaylist}, {MediaDBList, &Manager->MediaDBList}};
    for (auto [view, state] : sources) {
        view->DragMode = TDragMode::dmManual;
        auto pressedAt = std::make_shared<TPoint>(TPoint{-1, -1});
        view->OnMouseDown = [pressedAt](TObject*, TMouseButton button, TShiftState, int x, int y) {
            *pressedAt = button == TMouseButton::mbLeft ? TPoint{x, y} : TPoint{-1, -1};
        };
        view->OnMouseMove = [view, state, pressedAt](TObject*, TShiftState shift, int x, int y) {
            if (!(shift & ssLeft) || pressedAt->X < 0 || view->Dragging() || !state->DragEnabled)
                return;
            if (std::abs(x - pressedAt->X) + std::abs(y - pressedAt->Y) < 5)
                return;
            *pressedAt = {-1, -1};
            view->BeginDrag(true);
        };
    }
    ListBoxPlayLists->OnDragOver = [this](TObject*, TObject* source, int x, int y, TDragState,
                                          bool& accept) {
        const int item = ListBoxPlayLists->ItemAtPos(Point(x, y), true);
        accept = Manager->ListBoxPlayListsDragOver(SourceOf(source, *this), item);
    };
    ListBoxPlayLists->OnDragDrop = [this](TObject*, TObject* source, int x, int y) {
        const int item = ListBoxPlayLists->ItemAtPos(Point(x, y), true);
        RunHandler("ListBoxPlayListsDragDrop", [this, source, item] {
            ReadSelections();
            Manager->ListBoxPlayListsDragDrop(SourceOf(source, *this), item);
        });
    };
    BvPlaylist->OnDragOver = [this](TObject*, TObject* source, int, int, TDragState, bool& accept) {
        accept = Manager->BvPlaylistADragOver(SourceOf(source, *this));
    };
    BvPlaylist->OnDragDrop = [this](TObject*, TObject* source, int x, int y) {
        const int line = BvPlaylist->ItemAtPos(Point(x, y), true);
        RunHandler("BvPlaylistGLDragDrop", [this, source, line] {
            ReadSelections();
            Manager->BvPlaylistGLDragDrop(SourceOf(source, *this), line);
        });
    };
    MediaDBList->OnDragOver = [this](TObject*, TObject* source, int, int, TDragState,
                                     bool& accept) {
        accept = Manager->MediaDBListDragOver(SourceOf(source, *this));
    };
    // The boxes' own events: drags leaving a view, the hint, double-clicks (MainTracks.cpp).
    BindBoxes();
    (void)m;
}
