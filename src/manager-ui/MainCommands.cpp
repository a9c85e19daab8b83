// The command map: every menu item, speed-bar item, button, key, timer and control event of the
// main window and the command it runs, in one table, and the one binder that wires a row to its
// control. Nothing else in the window sets a control's event.
#include "Main.h"

#include "MainLayout.h"

#include <utility>

namespace {

// What a row is, for the people and tests that read the table.
TCommandBinding::TKind KindOf(const TComponent* control, TControlEvent event) {
    if (dynamic_cast<const TMenuItem*>(control))
        return TCommandBinding::MenuItem;
    if (dynamic_cast<const TBvSpeedItem*>(control))
        return TCommandBinding::SpeedItem;
    if (dynamic_cast<const TTimer*>(control))
        return TCommandBinding::Timer;
    if (event == TControlEvent::KeyDown || event == TControlEvent::KeyPress)
        return TCommandBinding::Key;
    if (event == TControlEvent::Click && dynamic_cast<const TButtonControl*>(control))
        return TCommandBinding::Button;
    if (event == TControlEvent::Click && dynamic_cast<const TBvCustomButton*>(control))
        return TCommandBinding::Button;
    return TCommandBinding::Event;
}

// What the user sees of the row: the caption path of a menu item, a button's caption, the
// timer's name; the rows of other events say it themselves.
std::string WhatOf(const TComponent* control, TCommandBinding::TKind kind) {
    switch (kind) {
    case TCommandBinding::MenuItem: {
        std::string what;
        for (auto* i = static_cast<const TMenuItem*>(control); i && !i->Caption().empty();
             i = i->Parent())
            what = StripAccelerators(i->Caption()) + (what.empty() ? "" : " > " + what);
        return what;
    }
    case TCommandBinding::SpeedItem:
        return static_cast<const TBvSpeedItem*>(control)->Caption();
    case TCommandBinding::Button:
        return static_cast<const TControl*>(control)->Caption();
    case TCommandBinding::Timer:
        return "timer " + control->Name();
    default:
        return control->Name();
    }
}

// The control's events that take the mouse's coming and going; the kit's controls have them
// from their message layer.
TNotifyEvent* EnterLeaveEvent(TComponent* control, bool enter) {
    if (auto* list = dynamic_cast<TBvExCustomListBox*>(control))
        return enter ? &list->OnMouseEnter : &list->OnMouseLeave;
    if (auto* panel = dynamic_cast<TBvCustomPanel*>(control))
        return enter ? &panel->OnMouseEnter : &panel->OnMouseLeave;
    return nullptr;
}

TNotifyEvent* ChangeEvent(TComponent* control) {
    if (auto* edit = dynamic_cast<TCustomEdit*>(control))
        return &edit->OnChange;
    if (auto* combo = dynamic_cast<TCustomComboBox*>(control))
        return &combo->OnChange;
    return nullptr;
}

// The values most events bring: who sent it, where, and what a drag carries.
TControlEventArgs ArgsOf(TObject* sender, int x = 0, int y = 0, TObject* source = nullptr) {
    TControlEventArgs args;
    args.Sender = sender;
    args.X = x;
    args.Y = y;
    args.Source = source;
    return args;
}

} // namespace

std::vector<const TCommandBinding*> TForm1::BindingsOf(TCommand command) const {
    std::vector<const TCommandBinding*> found;
    for (const TCommandBinding& b : commands_)
        if (b.Command == command)
            found.push_back(&b);
    return found;
}

void TForm1::Bind(TCommand command, TComponent* control, TControlEvent event,
                  std::function<void(TControlEventArgs&)> run, std::string what) {
    TCommandBinding row;
    row.Command = command;
    row.Control = control;
    row.On = event;
    row.Kind = KindOf(control, event);
    row.What = what.empty() ? WhatOf(control, row.Kind) : std::move(what);
    row.Run = std::move(run);
    // The mouse and a drag passing over run often: they are followed as they come, without
    // reading the selections or settling the timers that a command needs.
    row.Tracking = event == TControlEvent::MouseDown || event == TControlEvent::MouseMove ||
                   event == TControlEvent::MouseEnter || event == TControlEvent::MouseLeave ||
                   event == TControlEvent::DragOver || event == TControlEvent::EndDrag ||
                   event == TControlEvent::CloseQuery || event == TControlEvent::Close ||
                   command == TCommand::LogTimerTimer;
    const size_t index = commands_.size();
    commands_.push_back(std::move(row));
    // The event runs the row where it stands in the table, which only grows while it is built.
    auto fire = [this, index](TControlEventArgs& args) { RunHandler(commands_[index], args); };
    auto notify = [fire](TObject* sender) {
        TControlEventArgs args = ArgsOf(sender);
        fire(args);
    };

    auto* asControl = dynamic_cast<TControl*>(control);
    auto* asWindowed = dynamic_cast<TWinControl*>(control);
    switch (event) {
    case TControlEvent::Click:
        if (auto* item = dynamic_cast<TMenuItem*>(control))
            item->OnClick = notify;
        else if (auto* speed = dynamic_cast<TBvSpeedItem*>(control))
            speed->SetOnClick(notify);
        else
            asControl->OnClick = notify;
        break;
    case TControlEvent::DblClick:
        asControl->OnDblClick = notify;
        break;
    case TControlEvent::Change:
        *ChangeEvent(control) = notify;
        break;
    case TControlEvent::Popup:
        static_cast<TPopupMenu*>(control)->OnPopup = notify;
        break;
    case TControlEvent::Expanded:
        static_cast<TBvgGroupBox*>(control)->OnExpanded = notify;
        break;
    case TControlEvent::Collapsed:
        static_cast<TBvgGroupBox*>(control)->OnCollapsed = notify;
        break;
    case TControlEvent::Timer:
        static_cast<TTimer*>(control)->SetOnTimer(notify);
        break;
    case TControlEvent::KeyDown:
        asWindowed->OnKeyDown = [fire](TObject* sender, uint16_t& key, TShiftState shift) {
            TControlEventArgs args = ArgsOf(sender);
            args.Key = key;
            args.Shift = shift;
            fire(args);
            key = args.Key;
        };
        break;
    case TControlEvent::KeyPress:
        asWindowed->OnKeyPress = [fire](TObject* sender, char16_t& key) {
            TControlEventArgs args = ArgsOf(sender);
            args.Char = key;
            fire(args);
            key = args.Char;
        };
        break;
    case TControlEvent::MouseDown:
        asControl->OnMouseDown = [fire](TObject* sender, TMouseButton button, TShiftState shift,
                                        int x, int y) {
            TControlEventArgs args = ArgsOf(sender, x, y);
            args.Button = button;
            args.Shift = shift;
            fire(args);
        };
        break;
    case TControlEvent::MouseMove:
        asControl->OnMouseMove = [fire](TObject* sender, TShiftState shift, int x, int y) {
            TControlEventArgs args = ArgsOf(sender, x, y);
            args.Shift = shift;
            fire(args);
        };
        break;
    case TControlEvent::MouseEnter:
    case TControlEvent::MouseLeave:
        *EnterLeaveEvent(control, event == TControlEvent::MouseEnter) = notify;
        break;
    case TControlEvent::DragOver:
        asControl->OnDragOver = [fire](TObject* sender, TObject* source, int x, int y, TDragState,
                                       bool& accept) {
            TControlEventArgs args = ArgsOf(sender, x, y, source);
            args.Accept = accept;
            fire(args);
            accept = args.Accept;
        };
        break;
    case TControlEvent::DragDrop:
        asControl->OnDragDrop = [fire](TObject* sender, TObject* source, int x, int y) {
            TControlEventArgs args = ArgsOf(sender, x, y, source);
            fire(args);
        };
        break;
    case TControlEvent::StartDrag:
        asControl->OnStartDrag = [fire](TObject* sender, TDragObject*&) {
            TControlEventArgs args = ArgsOf(sender);
            fire(args);
        };
        break;
    case TControlEvent::EndDrag:
        asControl->OnEndDrag = [fire](TObject* sender, TObject* target, int x, int y) {
            TControlEventArgs args = ArgsOf(sender, x, y, target);
            fire(args);
        };
        break;
    case TControlEvent::FileDrop:
        static_cast<TBvDragDrop*>(control)->OnDrop = [fire](TObject* sender, TPoint& at,
                                                            TStrings* files) {
            TControlEventArgs args = ArgsOf(sender, at.X, at.Y);
            for (int i = 0; i < files->Count(); ++i)
                args.Files.push_back((*files)[i]);
            fire(args);
        };
        break;
    case TControlEvent::Create:
        static_cast<TCustomForm*>(control)->OnCreate = notify;
        break;
    case TControlEvent::CloseQuery:
        static_cast<TCustomForm*>(control)->OnCloseQuery = [fire](TObject* sender, bool& canClose) {
            TControlEventArgs args = ArgsOf(sender);
            args.Accept = canClose;
            fire(args);
            canClose = args.Accept;
        };
        break;
    case TControlEvent::Close:
        static_cast<TCustomForm*>(control)->OnClose = [fire](TObject* sender,
                                                             TCloseAction& action) {
            TControlEventArgs args = ArgsOf(sender);
            args.Action = action;
            fire(args);
            action = args.Action;
        };
        break;
    }
}

void TForm1::BuildCommandMap() {
    using E = TControlEvent;
    using C = TCommand;
    using A = TControlEventArgs;
    // A command of the manager that takes nothing from the event.
    auto cmd = [this](void (TTrackManager::*command)()) {
        return [this, command](A&) { (Manager.get()->*command)(); };
    };
    // A command of the window itself.
    auto own = [this](void (TForm1::*handler)(A&)) {
        return [this, handler](A& args) { (this->*handler)(args); };
    };
    auto nothing = [](A&) {};

    // ---- The window ----
    Bind(C::FormCreate, this, E::Create, own(&TForm1::FormCreate), "opening the window");
    Bind(C::FormCloseQuery, this, E::CloseQuery, own(&TForm1::FormCloseQuery),
         "closing the window");
    Bind(C::FormClose, this, E::Close, own(&TForm1::FormClose), "closing the window");

    // ---- File ----
    Bind(C::btnOpenPlsClick, Opentracklist1, E::Click, nothing);
    Bind(C::btnSavePlsClick, Savetracklist1, E::Click, nothing);
    Bind(C::btnOptionsClick, Options1, E::Click, cmd(&TTrackManager::btnOptionsClick));
    Bind(C::Exit1Click, Exit1, E::Click, cmd(&TTrackManager::Exit1Click));

    // ---- Mobile phone ----
    Bind(C::btnScanClick, Scanmobile1, E::Click, cmd(&TTrackManager::btnScanClick));
    Bind(C::btnUpdateMobileClick, Updatemobile1, E::Click,
         cmd(&TTrackManager::btnUpdateMobileClick));
    Bind(C::btnScanMobileClick, Scanmobileforfiles2, E::Click,
         cmd(&TTrackManager::btnScanMobileClick));
    Bind(C::ReadiTuneDB1Click, ReadiTunesDB1, E::Click, cmd(&TTrackManager::ReadiTuneDB1Click));
    Bind(C::DeletephoneDB1Click, DeletephoneDB1, E::Click,
         cmd(&TTrackManager::DeletephoneDB1Click));

    // ---- Tracklist ----
    Bind(C::btnAddFileClick, Addfiles2, E::Click, cmd(&TTrackManager::btnAddFileClick));
    Bind(C::btnAddDIRClick, Adddirectory2, E::Click, cmd(&TTrackManager::btnAddDIRClick));
    Bind(C::Checkforbadfiles1Click, Checkforbadfiles1, E::Click,
         cmd(&TTrackManager::Checkforbadfiles1Click));
    Bind(C::btnRemoveClick, Removeselected1, E::Click, cmd(&TTrackManager::btnRemoveClick));
    Bind(C::Selectall1Click, Selectall1, E::Click, cmd(&TTrackManager::Selectall1Click));
    Bind(C::Inverseselection1Click, Inverseselection1, E::Click,
         cmd(&TTrackManager::Inverseselection1Click));
    Bind(C::Selectnone1Click, Selectnone1, E::Click, cmd(&TTrackManager::Selectnone1Click));
    // Both Playlist menus: the Tracklist menu's and the playlist box's.
    for (auto [item, command, handler] :
         {std::tuple{Newplaylist1, C::mbNewPlstClick, &TTrackManager::mbNewPlstClick},
          std::tuple{Renameplaylist1, C::Renameplaylist1Click,
                     &TTrackManager::Renameplaylist1Click},
          std::tuple{Deleteplaylist1, C::Deleteplaylist1Click,
                     &TTrackManager::Deleteplaylist1Click},
          std::tuple{Clearplaylists2, C::Clearplaylists2Click,
                     &TTrackManager::Clearplaylists2Click},
          std::tuple{Newplaylist2, C::mbNewPlstClick, &TTrackManager::mbNewPlstClick},
          std::tuple{Renameplaylist2, C::Renameplaylist1Click,
                     &TTrackManager::Renameplaylist1Click},
          std::tuple{Deleteplaylist2, C::Deleteplaylist1Click,
                     &TTrackManager::Deleteplaylist1Click}})
        Bind(command, item, E::Click, cmd(handler));

    // ---- Sort, in the four Sort menus ----
    using TSort = std::pair<TCommand, void (TTrackManager::*)()>;
    const std::array<TSort, 6> trackSorts = {
        TSort{C::SortbyArtist1Click, &TTrackManager::SortbyArtist1Click},
        TSort{C::SortbyTitle1Click, &TTrackManager::SortbyTitle1Click},
        TSort{C::SortbyAlbum1Click, &TTrackManager::SortbyAlbum1Click},
        TSort{C::SortbyBitrate1Click, &TTrackManager::SortbyBitrate1Click},
        TSort{C::SortbySize1Click, &TTrackManager::SortbySize1Click},
        TSort{C::Sortbylength1Click, &TTrackManager::Sortbylength1Click}};
    const std::array<TSort, 6> librarySorts = {
        TSort{C::SortbyArtist3Click, &TTrackManager::SortbyArtist3Click},
        TSort{C::SortbyTitle2Click, &TTrackManager::SortbyTitle2Click},
        TSort{C::SortbyAlbum2Click, &TTrackManager::SortbyAlbum2Click},
        TSort{C::SortbyBitrate2Click, &TTrackManager::SortbyBitrate2Click},
        TSort{C::SortbySize2Click, &TTrackManager::SortbySize2Click},
        TSort{C::SortbyLength2Click, &TTrackManager::SortbyLength2Click}};
    for (size_t i = 0; i < 6; ++i) {
        Bind(trackSorts[i].first, TracklistSortItems[i], E::Click, cmd(trackSorts[i].second));
        Bind(trackSorts[i].first, TrackListMenuSortItems[i], E::Click, cmd(trackSorts[i].second));
        Bind(librarySorts[i].first, MediaDBSortItems[i], E::Click, cmd(librarySorts[i].second));
        Bind(librarySorts[i].first, PopupMediaDBSortItems[i], E::Click,
             cmd(librarySorts[i].second));
    }
    Bind(C::Sortall1Click, Sortall1, E::Click, own(&TForm1::Sortall1Click));

    // ---- Media Database, in its menu and the library list's ----
    for (TMenuItem* item : {Addfiles1, Addfiles4})
        Bind(C::Addfiles1Click, item, E::Click, cmd(&TTrackManager::Addfiles1Click));
    for (TMenuItem* item : {Adddirectory1, Adddirectory4})
        Bind(C::Adddirectory1Click, item, E::Click, cmd(&TTrackManager::Adddirectory1Click));
    for (TMenuItem* item : {Deletealldeadlinks1, Deletealldeadlinks2})
        Bind(C::Deletealldeadlinks1Click, item, E::Click,
             cmd(&TTrackManager::Deletealldeadlinks1Click));
    for (TMenuItem* item : {Clear1, Clear3})
        Bind(C::Clear1Click, item, E::Click, cmd(&TTrackManager::Clear1Click));
    Bind(C::Copytotracklist1Click, Copytotracklist1, E::Click,
         cmd(&TTrackManager::Copytotracklist1Click));

    // ---- Tools and Help ----
    Bind(C::ParseiTunesDB1Click, ParseiTunesDB1, E::Click, own(&TForm1::ParseiTunesDB1Click));
    Bind(C::BvSpeedItem1Click, About1, E::Click, own(&TForm1::BvSpeedItem1Click));

    // ---- The track view's menu ----
    Bind(C::btnAddFileClick, Addfiles3, E::Click, cmd(&TTrackManager::btnAddFileClick));
    Bind(C::btnRemoveClick, Removefiles2, E::Click, cmd(&TTrackManager::btnRemoveClick));
    Bind(C::MoveUp2Click, MoveUp2, E::Click, cmd(&TTrackManager::MoveUp2Click));
    Bind(C::MoveDown2Click, MoveDown2, E::Click, cmd(&TTrackManager::MoveDown2Click));
    Bind(C::TrackListMenuPopup, TrackListMenu, E::Popup, own(&TForm1::TrackListMenuPopup),
         "opening the track view's menu");
    // The submenu's items are made as the menu opens, each a copy of the template item.
    Bind(C::CopyToPlayListPopup1Click, CopyToPlayListPopup1, E::Click,
         own(&TForm1::CopyToPlayListPopup1Click));

    // ---- The deleted list's menu ----
    Bind(C::MenuItem1Click, MenuItem1, E::Click, cmd(&TTrackManager::MenuItem1Click));
    Bind(C::Delete1Click, Delete1, E::Click, cmd(&TTrackManager::Delete1Click));
    Bind(C::Clear4Click, Clear4, E::Click, cmd(&TTrackManager::Clear4Click));

    // ---- Speed bar ----
    Bind(C::btnAddFileClick, spAddFiles, E::Click, cmd(&TTrackManager::btnAddFileClick));
    Bind(C::btnAddDIRClick, spAddDirectory, E::Click, cmd(&TTrackManager::btnAddDIRClick));
    Bind(C::btnRemoveClick, spRemove, E::Click, cmd(&TTrackManager::btnRemoveClick));
    Bind(C::MoveUp2Click, spMoveUp, E::Click, cmd(&TTrackManager::MoveUp2Click));
    Bind(C::MoveDown2Click, spMoveDown, E::Click, cmd(&TTrackManager::MoveDown2Click));
    Bind(C::btnScanClick, spScan, E::Click, cmd(&TTrackManager::btnScanClick));
    Bind(C::btnUpdateMobileClick, spUpdate, E::Click, cmd(&TTrackManager::btnUpdateMobileClick));
    Bind(C::BvSpeedItem1Click, BvSpeedItem1, E::Click, own(&TForm1::BvSpeedItem1Click));
    Bind(C::btnOptionsClick, spOptions, E::Click, cmd(&TTrackManager::btnOptionsClick));
    Bind(C::ReadiTuneDB1Click, spReadDB, E::Click, cmd(&TTrackManager::ReadiTuneDB1Click));
    for (TBvSpeedItem* item : {spOpenPlaylist, spSavePlaylist, BvSpeedItem2})
        Bind(C::BvSpeedItem2Click, item, E::Click, nothing);

    // ---- Buttons ----
    for (TControl* button : {btnUpdateMobile, btnUpdate2})
        Bind(C::btnUpdateMobileClick, button, E::Click, cmd(&TTrackManager::btnUpdateMobileClick));
    Bind(C::btnResetProgClick, btnResetProg, E::Click, cmd(&TTrackManager::btnResetProgClick));
    Bind(C::btnScanClick, btnScan, E::Click, cmd(&TTrackManager::btnScanClick));
    Bind(C::ReadiTuneDB1Click, btnReadDB, E::Click, cmd(&TTrackManager::ReadiTuneDB1Click));
    Bind(C::btnScanMobileClick, btnScanMobile, E::Click, cmd(&TTrackManager::btnScanMobileClick));
    Bind(C::btnCancelClick, btnCancel, E::Click, cmd(&TTrackManager::btnCancelClick));
    Bind(C::btnRefreshStatClick, btnRefreshStat, E::Click,
         cmd(&TTrackManager::btnRefreshStatClick));
    Bind(C::btnSearchClick, btnSearch, E::Click, cmd(&TTrackManager::btnSearchClick));
    Bind(C::Button3Click, Button3, E::Click, nothing);
    Bind(C::cbInfoHintsClick, cbInfoHints, E::Click, own(&TForm1::cbInfoHintsClick));

    // ---- Keys ----
    // Ctrl+A, Ctrl+Up and Ctrl+Down are the shortcuts of their menu items; every other key in
    // the track view goes to its key handler (Delete removes).
    Bind(C::BvPlaylistGLKeyDown, BvPlaylist, E::KeyDown, own(&TForm1::BvPlaylistGLKeyDown),
         "keys in the track view");
    Bind(C::MediaDBListKeyDown, MediaDBList, E::KeyDown, own(&TForm1::MediaDBListKeyDown),
         "keys in the library list");
    Bind(C::MediaDBListKeyPress, MediaDBList, E::KeyPress, own(&TForm1::MediaDBListKeyPress),
         "typing in the library list");

    // ---- Timers ----
    Bind(C::TransFlashTimerTimer, TransFlashTimer, E::Timer,
         cmd(&TTrackManager::TransFlashTimerTimer));
    Bind(C::TimerBeforeShowTimer, TimerBeforeShow, E::Timer,
         [this](A&) { TimerBeforeShowTimer(); });
    Bind(C::TimerAfterShowTimer, TimerAfterShow, E::Timer, [this](A&) { TimerAfterShowTimer(); });
    Bind(C::LogTimerTimer, LogTimer, E::Timer, [this](A&) { FlushLog(); });

    // ---- The boxes of the column ----
    Bind(C::bvGroupActionsExpanded, bvGroupActions, E::Expanded,
         own(&TForm1::bvGroupActionsExpanded), "expanding Actions");
    Bind(C::bvGroupLogExpanded, bvGroupLog, E::Expanded, own(&TForm1::bvGroupLogExpanded),
         "expanding Log");
    Bind(C::bvGroupBoxTagsExpanded, bvGroupBoxTags, E::Expanded,
         own(&TForm1::bvGroupBoxTagsExpanded), "expanding Edit tags");
    Bind(C::bvGroupBoxTagsCollapsed, bvGroupBoxTags, E::Collapsed,
         cmd(&TTrackManager::bvGroupBoxTagsCollapsed), "collapsing Edit tags");
    Bind(C::BvGroupMediaDBExpanded, BvGroupMediaDB, E::Expanded,
         cmd(&TTrackManager::BvGroupMediaDBExpanded), "expanding Media DB");
    Bind(C::BvGroupStatExpanded, BvGroupStat, E::Expanded, cmd(&TTrackManager::BvGroupStatExpanded),
         "expanding Statistics");
    Bind(C::BvGroupDeletedExpanded, BvGroupDeleted, E::Expanded,
         cmd(&TTrackManager::BvGroupDeletedExpanded), "expanding Deleted");

    // ---- Clicks, typing and choosing in the boxes ----
    Bind(C::BvPlaylistGLClick, BvPlaylist, E::Click, cmd(&TTrackManager::BvPlaylistGLClick),
         "click in the track view");
    Bind(
        C::ListBoxPlayListsClick, ListBoxPlayLists, E::Click,
        [this](A&) { Manager->ListBoxPlayListsClick(ListBoxPlayLists->ItemIndex()); },
        "click in the playlist box");
    Bind(C::Renameplaylist1Click, ListBoxPlayLists, E::DblClick,
         cmd(&TTrackManager::Renameplaylist1Click), "double-click on the playlist box");
    Bind(C::MediaDBListClick, MediaDBList, E::Click, cmd(&TTrackManager::MediaDBListClick),
         "click in the library list");
    Bind(
        C::EditSearchDBChange, EditSearchDB, E::Change,
        [this](A&) { Manager->EditSearchDBChange(EditSearchDB->Caption()); },
        "typing in the library search");
    using TEditRow =
        std::tuple<TCustomEdit*, TCommand, void (TTrackManager::*)(const std::string&, bool)>;
    for (auto [edit, command, change] :
         {TEditRow{edArtist, C::edArtistChange, &TTrackManager::edArtistChange},
          TEditRow{edTitle, C::edTitleChange, &TTrackManager::edTitleChange},
          TEditRow{edAlbum, C::edAlbumChange, &TTrackManager::edAlbumChange},
          TEditRow{edTime, C::edTimeChange, &TTrackManager::edTimeChange}})
        Bind(
            command, edit, E::Change,
            [this, edit, change](A&) {
                (Manager.get()->*change)(edit->Caption(), edit->Focused());
            },
            "typing in " + edit->Name());
    for (TBvDriveCombo* combo : {BvDriveCombo1, BvDriveAll, BvDriveRemov})
        Bind(C::BvDriveCombo1Change, combo, E::Change, own(&TForm1::BvDriveCombo1Change),
             "choosing a drive");

    // ---- Files dropped on the window from another program ----
    Bind(
        C::BvDragDrop1Drop, BvDragDrop1, E::FileDrop,
        [this](A& args) { Manager->BvDragDrop1Drop(args.Files); }, "files dropped on the window");

    // ---- Dragging lines inside the window ----
    // A drag starts once the pressed mouse has moved a few pixels, so that a click still
    // chooses its line and Ctrl or Shift with a click still extend the selection. A drag takes
    // what it carries from its list as it leaves it; a drop uses exactly that.
    for (TBvPlaylist* list : {BvPlaylist, MediaDBList, DeletedList}) {
        Bind(C::ListMouseDown, list, E::MouseDown, own(&TForm1::ListMouseDown),
             "pressing the mouse on " + list->Name());
        Bind(C::ListStartDrag, list, E::StartDrag, own(&TForm1::ListStartDrag),
             "dragging lines out of " + list->Name());
        Bind(C::ListEndDrag, list, E::EndDrag, own(&TForm1::ListEndDrag),
             "ending a drag from " + list->Name());
    }
    for (TBvPlaylist* list : {MediaDBList, DeletedList})
        Bind(C::ListMouseMove, list, E::MouseMove, own(&TForm1::ListMouseMove),
             "moving the pressed mouse on " + list->Name());
    Bind(C::ListBoxPlayListsDragOver, ListBoxPlayLists, E::DragOver,
         own(&TForm1::ListBoxPlayListsDragOver), "dragging over the playlist box");
    Bind(C::ListBoxPlayListsDragDrop, ListBoxPlayLists, E::DragDrop,
         own(&TForm1::ListBoxPlayListsDragDrop), "dropping on the playlist box");
    Bind(C::BvPlaylistADragOver, BvPlaylist, E::DragOver, own(&TForm1::BvPlaylistADragOver),
         "dragging over the track view");
    Bind(C::BvPlaylistGLDragDrop, BvPlaylist, E::DragDrop, own(&TForm1::BvPlaylistGLDragDrop),
         "dropping on the track view");
    Bind(C::MediaDBListDragOver, MediaDBList, E::DragOver, own(&TForm1::MediaDBListDragOver),
         "dragging over the library list");
    // The deleted list refuses drops like the library does.
    for (TControl* control :
         {static_cast<TControl*>(DeletedList), static_cast<TControl*>(BvGroupDeleted)})
        Bind(
            C::DeletedListDragOver, control, E::DragOver, [](A& args) { args.Accept = false; },
            "dragging over the deleted list");

    // ---- The information hint ----
    Bind(C::BvPlaylistGLMouseMove, BvPlaylist, E::MouseMove, own(&TForm1::BvPlaylistGLMouseMove),
         "mouse over the track view");
    Bind(C::BvPlaylistMouseEnter, BvPlaylist, E::MouseEnter, own(&TForm1::BvPlaylistMouseEnter),
         "mouse entering the track view");
    Bind(C::BvPlaylistMouseLeave, BvPlaylist, E::MouseLeave, own(&TForm1::BvPlaylistMouseLeave),
         "mouse leaving the track view");
    Bind(
        C::BvPlaylistDblClick, BvPlaylist, E::DblClick, [this](A&) { OpenTagEditorAtMouse(false); },
        "double-click on the track view");
    Bind(C::PanelHintMouseEnter, PanelHint, E::MouseEnter, own(&TForm1::PanelHintMouseEnter),
         "mouse entering the hint");
    Bind(C::PanelHintMouseLeave, PanelHint, E::MouseLeave, own(&TForm1::PanelHintMouseLeave),
         "mouse leaving the hint");
    // The leave of the panel counts for its label and check box too; any move on them keeps
    // the hint, as an entry does.
    for (TControl* control :
         {static_cast<TControl*>(PanelHint), static_cast<TControl*>(LabelPopupText),
          static_cast<TControl*>(cbInfoHints)})
        Bind(C::PanelHintMouseEnter, control, E::MouseMove, own(&TForm1::PanelHintMouseMove),
             "mouse on the hint");
    for (TControl* control :
         {static_cast<TControl*>(PanelHint), static_cast<TControl*>(LabelPopupText)})
        Bind(
            C::LabelPopupTextDblClick, control, E::DblClick,
            [this](A&) { OpenTagEditorAtMouse(true); }, "double-click on the hint");
}
