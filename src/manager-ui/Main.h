// The main window: every control and component of Brisvane's window, bound to the track
// manager that holds the state and runs the commands. The window keeps no state of its own
// beyond its controls; it shows what the manager says, hands it what the user did, and
// answers its questions (TManagerUi) with the gui layer's dialogs.
//
// Members are grouped by the source file that fills them, so that each concern has its own
// file:
//   Main.cpp            construction, creation and closing, running a row of the command map,
//                       following the manager's view notices
//   MainLayout.cpp      creating and placing the controls, menus and speed bar
//   MainCommands.cpp    the command map: one table of every menu item, speed item, button,
//                       key, timer and control event and the command it runs, and its binder
//   MainUi.cpp          the TManagerUi answers
//   MainPictures.cpp    the pictures of the menus, speed bar and buttons
//   MainTracks.cpp, MainPlaylists.cpp, MainTags.cpp, MainLibrary.cpp, MainDeleted.cpp,
//   MainStatistics.cpp, MainHints.cpp, MainCard.cpp   each box's controls and their syncing
#pragma once

#include "BvButton.h"
#include "BvDialogs.h"
#include "BvDragDrop.h"
#include "BvDriveCtrls.h"
#include "BvMenus.h"
#include "BvPanel.h"
#include "BvPlaylist.h"
#include "BvSelectDirectory.h"
#include "BvSpecialProgress.h"
#include "BvSpeedbar.h"
#include "BvSplitter.h"
#include "BvTranslator.h"
#include "BvgGroupBox.h"
#include "BvgListBox.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Mask.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TrackCommands.h"
#include "TrackManager.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What a control does that a row of the command map binds.
enum class TControlEvent {
    Click,
    DblClick,
    Change,
    Popup,
    Expanded,
    Collapsed,
    Timer,
    KeyDown,
    KeyPress,
    MouseDown,
    MouseMove,
    MouseEnter,
    MouseLeave,
    DragOver,
    DragDrop,
    StartDrag,
    EndDrag,
    FileDrop,
    Create,
    CloseQuery,
    Close
};

// The values an event brings, for the commands that read them; what a command may change (the
// key, whether a drag may drop, whether the window may close and how) goes back to the event.
struct TControlEventArgs {
    TObject* Sender = nullptr;
    TObject* Source = nullptr; // what is dragged; the target where a drag ended
    TMouseButton Button = TMouseButton::mbLeft;
    TShiftState Shift = 0;
    int X = 0;
    int Y = 0;
    uint16_t Key = 0;
    char16_t Char = 0;
    bool Accept = false; // a drop may land; the window may close
    TCloseAction Action = TCloseAction::caHide;
    std::vector<std::string> Files;
};

// One row of the command map: a control's event and the command it runs.
struct TCommandBinding {
    enum TKind { MenuItem, SpeedItem, Button, Key, Timer, Event };
    TCommand Command = TCommand::FormCreate;
    TKind Kind = Event;
    TControlEvent On = TControlEvent::Click; // the control's event
    // The menu item, speed item, control, timer, drop target or the window itself.
    TComponent* Control = nullptr;
    std::string What; // what the user sees: the caption path, the key, the event
    // The mouse and a drag passing over run as they come, often: without the reading of the
    // selections and the settling of the timers that a command has.
    bool Tracking = false;
    std::function<void(TControlEventArgs&)> Run;
};

class TForm1 : public TForm, public TManagerUi {
    BV_CLASS_INFO()
public:
    explicit TForm1(TComponent* owner, TManagerPaths paths = {});
    ~TForm1() override;

    // The state and the commands behind every control.
    std::unique_ptr<TTrackManager> Manager;

    // Set by the program block to the other windows, which this layer does not know.
    // ShowOptionsHook answers true when the dialog was closed with OK.
    std::function<bool()> ShowOptionsHook;
    std::function<void()> ShowAboutHook;
    std::function<void()> ShowInspectorHook;

    // ---- Window, menus and speed bar (MainLayout.cpp, MainCommands.cpp) ----------------
    TBvMainMenu* BvMainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* Opentracklist1 = nullptr;
    TMenuItem* Savetracklist1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* Options1 = nullptr;
    TMenuItem* Exit1 = nullptr;
    TMenuItem* Mobilephone1 = nullptr;
    TMenuItem* Scanmobile1 = nullptr;
    TMenuItem* Updatemobile1 = nullptr;
    TMenuItem* Scanmobileforfiles2 = nullptr;
    TMenuItem* ReadiTunesDB1 = nullptr;
    TMenuItem* DeletephoneDB1 = nullptr;
    TMenuItem* Tracklist1 = nullptr;
    TMenuItem* Addfiles2 = nullptr;
    TMenuItem* Adddirectory2 = nullptr;
    TMenuItem* Checkforbadfiles1 = nullptr;
    TMenuItem* Removeselected1 = nullptr;
    TMenuItem* Selectall1 = nullptr;
    TMenuItem* Inverseselection1 = nullptr;
    TMenuItem* Selectnone1 = nullptr;
    TMenuItem* Playlist1 = nullptr;
    TMenuItem* Newplaylist1 = nullptr;
    TMenuItem* Renameplaylist1 = nullptr;
    TMenuItem* Deleteplaylist1 = nullptr;
    TMenuItem* Clearplaylists2 = nullptr;
    TMenuItem* Sort1 = nullptr;
    // "Sort by Artist" ... "Sort by Length" of Tracklist > Sort.
    std::array<TMenuItem*, 6> TracklistSortItems{};
    TMenuItem* Sortall1 = nullptr;
    TMenuItem* MediaDatabase1 = nullptr;
    TMenuItem* Addfiles1 = nullptr;
    TMenuItem* Adddirectory1 = nullptr;
    TMenuItem* Deletealldeadlinks1 = nullptr;
    TMenuItem* Clear1 = nullptr;
    TMenuItem* Sort2 = nullptr;
    std::array<TMenuItem*, 6> MediaDBSortItems{};
    TMenuItem* Tools1 = nullptr;
    TMenuItem* ParseiTunesDB1 = nullptr;
    TMenuItem* Help1 = nullptr;
    TMenuItem* About1 = nullptr;

    TBvSpeedBar* BvSpeedBar1 = nullptr;
    TBvSpeedItem* spAddFiles = nullptr;     // "Add file(s)..."
    TBvSpeedItem* spAddDirectory = nullptr; // "Add Directory..."
    TBvSpeedItem* spRemove = nullptr;
    TBvSpeedItem* spMoveUp = nullptr;
    TBvSpeedItem* spMoveDown = nullptr;
    TBvSpeedItem* spScan = nullptr;
    TBvSpeedItem* spUpdate = nullptr;
    TBvSpeedItem* BvSpeedItem1 = nullptr; // "About", not visible
    TBvSpeedItem* spOptions = nullptr;    // not visible
    TBvSpeedItem* spReadDB = nullptr;     // "Read iTunesDB", not visible
    TBvSpeedItem* spOpenPlaylist = nullptr;
    TBvSpeedItem* spSavePlaylist = nullptr;
    TBvSpeedItem* BvSpeedItem2 = nullptr; // "Clear playlist", not visible
    TButton* Button2 = nullptr;           // "save", hidden
    TButton* Button3 = nullptr;           // "load", hidden

    TScrollBox* ScrollBox1 = nullptr;
    TBvSplitter* BvSplitter1 = nullptr;

    TImageList* ImageListMenu = nullptr;    // the menus'
    TImageList* ImageListBar = nullptr;     // the speed bar's
    TImageList* ImageListButtons = nullptr; // the image buttons' and the playlist box's
    // The menu pictures laid over the selection band, for a selected item of the context menus.
    TImageList* ToolbarImages = nullptr;
    TBvTranslator* BvTranslator1 = nullptr;
    TBvTranslatorStrings* Variables = nullptr;
    TBvDragDrop* BvDragDrop1 = nullptr;
    TBvOpenDialog* BvOpenDialog1 = nullptr;
    TBvOpenDialog* BvOpenDialog2 = nullptr;
    TBvSaveDialog* BvSaveDialog1 = nullptr;
    TBvSelectDirectory* BvSelectDirectory1 = nullptr;

    // ---- Actions (MainLayout.cpp) ----------------------------------------------------
    TBvgGroupBox* bvGroupActions = nullptr;
    TBvImgBtn* btnUpdateMobile = nullptr;
    TBvImgBtn* btnResetProg = nullptr;
    TBvImgBtn* btnScan = nullptr;
    TBvImgBtn* btnReadDB = nullptr;
    TBvImgBtn* btnScanMobile = nullptr;
    TBvImgBtn* btnUpdate2 = nullptr; // "!"
    TBvDriveCombo* BvDriveCombo1 = nullptr;
    TBvDriveCombo* BvDriveAll = nullptr;   // hidden: every drive type
    TBvDriveCombo* BvDriveRemov = nullptr; // hidden: removable drives

    // ---- Log, update and card (MainCard.cpp) -----------------------------------------
    TBvgGroupBox* bvGroupLog = nullptr;
    TBvSpecialProgress* ProgressBar1 = nullptr;
    TBvSpecialProgress* ProgressBar2 = nullptr;
    TBvSpecialProgress* ProgressAll = nullptr;
    TMemo* MemoLog = nullptr;
    TBvImgBtn* btnCancel = nullptr; // "Stop", hidden while nothing runs
    TTimer* TransFlashTimer = nullptr;
    // Hands the log lines gathered since its last tick to the memo in one change.
    TTimer* LogTimer = nullptr;
    // A run on the card began or ended: greys or ungreys what it holds off, shows or
    // hides "Stop", opens the boxes that show it.
    void RunChanged(TTrackManager::TRunKind run, bool running);
    // The window follows the card state after every handler: "Stop", the greyed
    // commands, the detection timer and the phone drive of the selector.
    void SyncCardState();
    // The log lines gathered so far go to the memo, which shows its last line.
    void FlushLog();
    bool AskYesNo(const std::string& text) override;

    // ---- Tracks (MainTracks.cpp) -----------------------------------------------------
    TBvPlaylist* BvPlaylist = nullptr;
    TBvPopupMenu* TrackListMenu = nullptr;
    TMenuItem* Addfiles3 = nullptr;
    TMenuItem* Removefiles2 = nullptr;
    TMenuItem* Clear2 = nullptr;
    TMenuItem* MoveUp2 = nullptr;
    TMenuItem* MoveDown2 = nullptr;
    TMenuItem* CopyToPlaylist1 = nullptr;
    TMenuItem* CopyToPlayListPopup1 = nullptr; // the hidden template item
    TMenuItem* Sort3 = nullptr;
    std::array<TMenuItem*, 6> TrackListMenuSortItems{};
    // Shows the manager's view in a list box: its lines, then the same selection, focus and
    // top line. `shown` is the rebuild count of the lines the box holds: lines not rebuilt
    // since are not handed to the box again, only the selection and focus.
    static void ShowListView(TBvPlaylist* box, const TListView& view, uint64_t& shown);
    uint64_t ShownTrackLines = UINT64_MAX;
    uint64_t ShownLibraryLines = UINT64_MAX;
    uint64_t ShownDeletedLines = UINT64_MAX;
    // A press on a list that may become a drag: the box and where the button went down.
    TBvPlaylist* DragPressBox = nullptr;
    TPoint DragPressAt;

    // ---- Tags (MainTags.cpp) ---------------------------------------------------------
    TBvgGroupBox* bvGroupBoxTags = nullptr;
    TEdit* edArtist = nullptr;
    TEdit* edTitle = nullptr;
    TEdit* edAlbum = nullptr;
    TMaskEdit* edTime = nullptr;
    TEdit* edBitrate = nullptr;
    TEdit* edSize = nullptr;
    TEdit* edFileName = nullptr;
    TLabel* lbUID = nullptr;
    std::vector<TLabel*> TagLabels;

    // ---- Playlists (MainPlaylists.cpp) -----------------------------------------------
    TBvgGroupBox* bvGroupPlaylists = nullptr;
    TBvgListBox* ListBoxPlayLists = nullptr;
    TBvPopupMenu* PopupMenuPlaylist = nullptr;
    TMenuItem* Newplaylist2 = nullptr;
    TMenuItem* Renameplaylist2 = nullptr;
    TMenuItem* Deleteplaylist2 = nullptr;
    TImageList* ImageListPlaylists = nullptr; // the playlist picture beside every name

    // ---- Media library (MainLibrary.cpp) ---------------------------------------------
    TBvgGroupBox* BvGroupMediaDB = nullptr;
    TBvPlaylist* MediaDBList = nullptr;
    TLabel* lbSearchDB = nullptr; // "Search:"
    TEdit* EditSearchDB = nullptr;
    TBvImgBtn* btnSearch = nullptr; // "Next"
    TBvPopupMenu* PopupMediaDB = nullptr;
    TMenuItem* Copytotracklist1 = nullptr;
    TMenuItem* Addfiles4 = nullptr;
    TMenuItem* Adddirectory4 = nullptr;
    TMenuItem* Deletealldeadlinks2 = nullptr;
    TMenuItem* Clear3 = nullptr;
    TMenuItem* Sort4 = nullptr;
    std::array<TMenuItem*, 6> PopupMediaDBSortItems{};

    // ---- Statistics (MainStatistics.cpp) ---------------------------------------------
    TBvgGroupBox* BvGroupStat = nullptr;
    TLabel* Label13 = nullptr; // the drive
    TBvSpecialProgress* StatusBarSpace = nullptr;
    TLabel* Label17 = nullptr; // free
    TLabel* Label14 = nullptr; // tracks
    TLabel* Label15 = nullptr; // playing time
    TLabel* Label18 = nullptr; // size of all tracks
    TLabel* Label19 = nullptr; // space needed
    std::vector<TLabel*> StatLabels;
    TBvImgBtn* btnRefreshStat = nullptr;

    // ---- Deleted (MainDeleted.cpp) ---------------------------------------------------
    TBvgGroupBox* BvGroupDeleted = nullptr;
    TBvPlaylist* DeletedList = nullptr;
    TBvPopupMenu* PopupDeleted = nullptr;
    TMenuItem* MenuItem1 = nullptr; // "Restore"
    TMenuItem* Delete1 = nullptr;
    TMenuItem* Clear4 = nullptr;

    // ---- Information hints (MainHints.cpp) -------------------------------------------
    TBvPanel* PanelHint = nullptr;
    TLabel* LabelPopupText = nullptr;
    TTimer* TimerBeforeShow = nullptr;
    TTimer* TimerAfterShow = nullptr;
    TCheckBox* cbInfoHints = nullptr;
    void TimerBeforeShowTimer();
    void TimerAfterShowTimer();
    // The window's timers follow the manager's: a delay that runs is not restarted.
    void SyncHintTimers();
    // Opens the tag editor on the line under the last mouse position; from the hint, it also
    // hides the hint.
    void OpenTagEditorAtMouse(bool fromHint);
    // Whether the pointer, at this point of the screen, has not moved since a double-click
    // put the hint away.
    bool HintDismissedHere(TPoint screen);

    // ---- The command map (MainCommands.cpp) ------------------------------------------
    // Every binding of the window, built once the controls exist; a test walks it.
    const std::vector<TCommandBinding>& Commands() const { return commands_; }
    // The rows that run a command (none when nothing does).
    std::vector<const TCommandBinding*> BindingsOf(TCommand command) const;
    // Runs a row as its event does. A command first hands the manager what the lists hold
    // (ReadSelections), and a failure reaches the user as one message box naming what the
    // user did; the event loop goes on and the timers follow the manager's.
    void RunHandler(const TCommandBinding& row, TControlEventArgs& args);

    // The window follows the manager: the views it names are shown again.
    void SyncView(TViewId view);
    void SyncAll();
    // The timers run as the manager's timer states say.
    void FollowTimers();
    // What the controls hold goes to the manager before a command reads it: the selected
    // lines of the three views and the chosen playlist.
    void ReadSelections();

    // ---- TManagerUi (MainUi.cpp) -----------------------------------------------------
    void ShowMessage(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    TQuestionResult AskYesNoCancel(const std::string& text) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    bool OpenFiles(const std::string& filter, std::vector<std::string>& files) override;
    bool SelectFolder(std::string& folder) override;
    bool ShowOptionsDialog() override;
    void CloseMainWindow() override;
    void Beep() override;
    bool SelectPhoneDrive(char letter) override;
    void SetDriveSelectorEnabled(bool enabled) override;

    // The 28 message strings, registered with Variables in this order.
    static const std::array<std::string_view, 28>& MessageStringNames();

private:
    // MainLayout.cpp
    void CreateComponents();
    void CreateMenus();
    void CreatePopupMenus();
    void CreateSpeedBar();
    void CreateColumn();
    void CreateActionsBox();
    // A box of the column; `keepsOneOpen` boxes leave one box of the column open.
    TBvgGroupBox* MakeGroupBox(const std::string& name, const std::string& caption, int fullHeight,
                               bool keepsOneOpen = true);
    TMenuItem* AddItem(TMenuItem* parent, const std::string& name, const std::string& caption,
                       TShortCut shortCut = 0, int image = -1);
    TBvImgBtn* MakeImageButton(TWinControl* parent, const std::string& name,
                               const std::string& caption, int image, int top);
    // The column's controls follow the width of their box: a stretched one keeps its right
    // margin, a pinned one keeps its place at the right.
    void StretchInBox(TControl* control, int rightMargin = kBoxMargin);
    void PinRightInBox(TControl* control, int rightMargin = kBoxMargin);
    void FitInBox(TControl* control, int rightMargin, bool pinRight);
    void FitColumn();
    // MainPictures.cpp
    void LoadPictures();
    // Each box's controls (MainTags.cpp ... MainDeleted.cpp, MainCard.cpp, MainHints.cpp).
    void CreateTagsBox();
    void CreateLogBox();
    void CreatePlaylistsBox();
    void CreateMediaDBBox();
    void CreateStatisticsBox();
    void CreateDeletedBox();
    void CreateTrackView();
    void CreateHintPanel();
    void SyncTrackView();
    void SyncPlaylistBox();
    void SyncMediaDBList();
    void SyncDeletedList();
    void SyncTagEditor();
    void SyncStatistics();
    void SyncOptions();
    void SyncProgress(TProgressBarId bar, int position, int max);
    void AddLogLine(const std::string& line);
    // MainCommands.cpp: the table, and the one binder that wires a row to its control's event.
    void BuildCommandMap();
    void Bind(TCommand command, TComponent* control, TControlEvent event,
              std::function<void(TControlEventArgs&)> run, std::string what = {});
    // The window's own commands, each run by its rows. Main.cpp:
    void FormCreate(TControlEventArgs& args);
    void FormCloseQuery(TControlEventArgs& args);
    void FormClose(TControlEventArgs& args);
    void bvGroupActionsExpanded(TControlEventArgs& args);
    void bvGroupLogExpanded(TControlEventArgs& args);
    void BvDriveCombo1Change(TControlEventArgs& args);
    void Sortall1Click(TControlEventArgs& args);
    void ParseiTunesDB1Click(TControlEventArgs& args);
    void BvSpeedItem1Click(TControlEventArgs& args);
    // MainTracks.cpp: keys, and a press that becomes a drag out of a list.
    void BvPlaylistGLKeyDown(TControlEventArgs& args);
    void ListMouseDown(TControlEventArgs& args);
    void ListMouseMove(TControlEventArgs& args);
    void ListStartDrag(TControlEventArgs& args);
    void ListEndDrag(TControlEventArgs& args);
    // MainPlaylists.cpp: the track view's menu and the drops.
    void TrackListMenuPopup(TControlEventArgs& args);
    void CopyToPlayListPopup1Click(TControlEventArgs& args);
    void ListBoxPlayListsDragOver(TControlEventArgs& args);
    void ListBoxPlayListsDragDrop(TControlEventArgs& args);
    void BvPlaylistADragOver(TControlEventArgs& args);
    void BvPlaylistGLDragDrop(TControlEventArgs& args);
    // What a drag carries, by the list it left.
    TDragSource DragSourceOf(TObject* source) const;
    // MainLibrary.cpp
    void MediaDBListKeyDown(TControlEventArgs& args);
    void MediaDBListKeyPress(TControlEventArgs& args);
    void MediaDBListDragOver(TControlEventArgs& args);
    // MainTags.cpp
    void bvGroupBoxTagsExpanded(TControlEventArgs& args);
    // MainHints.cpp
    void BvPlaylistGLMouseMove(TControlEventArgs& args);
    void BvPlaylistMouseEnter(TControlEventArgs& args);
    void BvPlaylistMouseLeave(TControlEventArgs& args);
    void PanelHintMouseEnter(TControlEventArgs& args);
    void PanelHintMouseLeave(TControlEventArgs& args);
    void PanelHintMouseMove(TControlEventArgs& args);
    void cbInfoHintsClick(TControlEventArgs& args);

    std::vector<TCommandBinding> commands_;
    // MainCard.cpp
    std::vector<std::string> pendingLog_;
    bool heldGreyed_ = false;
    struct TColumnFit {
        TControl* Control;
        int RightMargin;
        bool PinRight;
    };
    std::vector<TColumnFit> columnFits_;
    static constexpr int kBoxMargin = 8;
    bool closing_ = false;
    // A command of the map runs; the ones it fires do not read the lists again.
    bool runningCommand_ = false;
    bool hintDismissed_ = false;
    TPoint hintDismissedAt_;
};

// The main window of the running program; null when it is not made (tests make their own).
extern TForm1* Form1;
