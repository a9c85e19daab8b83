// The main window's state and commands without any control: the track tables, the
// settings, the message strings, what each view shows and which lines are selected,
// and one method per command. The windows bind their controls to this state and
// call the commands; tests drive them headless through a scripted TManagerUi.
//
// Everything here belongs to the GUI thread: every command and every result the
// workers post starts with BV_ASSERT_GUI_THREAD. Update workers take a snapshot
// and post their results back (see the update section at the end).
//
// Source files by concern (each method is defined in exactly one of them):
//   TrackManagerStartup.cpp    construction, Start, FormCreate, FormCloseQuery, FormClose,
//                              btnResetProgClick, Exit1Click,
//                              bvGroupActionsExpanded, LoadMediaDB, SaveMediaDB,
//                              NotifyView, RefuseWhileBusy, the data folder
//                              (SettingsFileName, MediaDBFileName, UserConfigFolder,
//                              FolderIsWritable)
//   TrackManagerSettings.cpp   OptionsFormCreate, LoadSettings, SaveSettings, ApplyOptions,
//                              btnOptionsClick, OptionsOkClick, cbAutoDetectClick,
//                              ComboFormatChange, comboLangChange, rbM4A_VBRClick,
//                              EffectiveMaxBitrate, TrackWouldBeReencoded
//   TrackManagerTracks.cpp     btnAddFileClick, btnAddDIRClick, BvDragDrop1Drop,
//                              AddFilesToTrackList, AddMp3ToTrackList,
//                              AddM4aToTrackList, ParseTrackFileName,
//                              BuildMp3Row, BuildM4aRow
//   TrackManagerView.cpp       ShowPlaylist, RefreshTrackView, btnRemoveClick,
//                              Selectall1Click, Inverseselection1Click,
//                              Selectnone1Click, BvPlaylistGLKeyDown,
//                              SelectedEntries
//   TrackManagerPlaylists.cpp  mbNewPlstClick, Renameplaylist1Click,
//                              Deleteplaylist1Click, Clearplaylists2Click,
//                              ListBoxPlayListsClick, ListBoxPlayListsDragOver,
//                              ListBoxPlayListsDragDrop, MoveUp2Click, MoveDown2Click,
//                              TrackListMenuPopup, CopyToPlayListPopup1Click,
//                              BvPlaylistADragOver, BvPlaylistGLDragDrop,
//                              AddToPlaylistUnique, RemovePlaylistSlot
//   TrackManagerSorting.cpp    the twelve Sortby...Click, Sortall1Click,
//                              SortPlaylist, SortMediaDB
//   TrackManagerTagEditor.cpp  BvPlaylistGLClick, ShowTrackTags, edArtistChange,
//                              edTitleChange, edAlbumChange, edTimeChange,
//                              bvGroupBoxTagsExpanded, bvGroupBoxTagsCollapsed
//   TrackManagerLibrary.cpp    Addfiles1Click, Adddirectory1Click,
//                              Deletealldeadlinks1Click, Clear1Click,
//                              Copytotracklist1Click, BvGroupMediaDBExpanded,
//                              EditSearchDBChange, btnSearchClick,
//                              MediaDBListKeyPress, MediaDBListKeyDown,
//                              MediaDBListDragOver, MediaDBListClick,
//                              AddMp3ToMediaDB, AddM4aToMediaDB, RefreshMediaDBList
//   TrackManagerDeleted.cpp    RefreshDeletedList, BvGroupDeletedExpanded,
//                              MenuItem1Click, Delete1Click, Clear4Click
//   TrackManagerStatistics.cpp RefreshStatistics, btnRefreshStatClick,
//                              BvGroupStatExpanded
//   TrackManagerUpdate.cpp     btnUpdateMobileClick, btnCancelClick, IsBusy,
//                              StopAndWaitForWorkers; the update's state, the copy
//                              worker and the database build (TrackManagerUpdateState.h)
//   TrackManagerConvert.cpp    the convert worker and the encoder's command lines
//   TrackManagerCard.cpp       ReadiTuneDB1Click, btnScanClick, Checkforbadfiles1Click,
//                              DeletephoneDB1Click, ParseiTunesDB1Click
//   TrackManagerDetection.cpp  TransFlashTimerTimer
//   TrackManagerScan.cpp       btnScanMobileClick
//   TrackManagerHints.cpp      the information hint's mouse, timer and panel handlers,
//                              HintText, PlaceHint
//   DisplayTemplate.cpp        the display template and time helpers (free functions)
// Beside them: TrackModel (the track tables), TrackTableRows (whole-row changes),
// UploadNames (the names tracks get on the card) and Placeholders (how the three
// templates are read).
#pragma once

#include "BvStringHolder.h"
#include "Classes.h"
#include "Dispatcher.h"
#include "ManagerLog.h"
#include "ManagerMessages.h"
#include "ManagerUi.h"
#include "TextColumn.h"
#include "TrackCommands.h"
#include "TrackModel.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

BV_DECLARE_EXCEPTION(ETrackManagerError, EBvException);

// The filter of the encoder-path field's file dialog: the encoder's program name here, and
// every file, since programs on this system carry no ".exe".
inline constexpr std::string_view kConverterDialogFilter = "LAME|lame|All files|*";

// The options dialog's controls, which are the live store of the settings: one
// member per control, named after it, holding what the control holds. The INI
// key of each stored value is named beside it. Text fields keep the text the
// user typed; the numbers that were last applied successfully live in
// TAppliedOptions.
struct TOptions {
    std::string edHintHide = "4000";                   // InfoHintsHideAfter
    std::string edHintShowAfter = "1000";              // InfoHintsShowAfter
    std::string comboRNTO = "<artist> - <title><ext>"; // RenameTo
    bool cbInfoHints = true;                           // InfoHints
    bool cbRNTO = false;                               // Rename
    bool cbMultiLinePlaylist = false;                  // MultiLinePlaylist
    bool cbAutoEncode = false;                         // AutoEncode
    bool cbAutoDetect = false;                         // AutoDetect
    bool cbChangeExt = false;                          // ChangeExt (never written)
    bool cbCheckSpace = true;                          // CheckFreeSpace
    bool cbShowPanel = true;                           // ShowPanel
    bool cbAutoReadDB = true;                          // AutoReadDB
    bool cbOnlyRemovable = true;                       // OnlyRemovableDevices
    std::string cbBitrate = "128";                     // MaxBitrate
    std::string edChangeExt = ".mp3";                  // ChangeExtTo (never written)
    std::string edUpload = "\\mobile\\audio\\";        // UploadPath
    std::string edTFTime = "2000";                     // TransFlashDetectInterval
    std::string comboConverters;                       // Converter (program folder + "lame.exe")
    bool cbHighQualityM4a = false;                     // HighQualityM4a
    std::string comboM4ABitrate = "96";                // Bitrate
    bool rbM4A_CBR = true;                             // CBR
    bool rbM4A_VBR = false;                            // VBR
    int comboM4A_VBR_Quality = 4;                      // VBR_QUALITY (item index)
    int ComboFormat = 0;                               // ConvertToFormat (0 "MP3", 1 "M4A")
    std::vector<std::string> comboLangItems;           // the ".lng" files found
    int comboLang = -1;                                // Language (selected item)
    // Not stored: the display template, the encoder's argument templates, the
    // hidden two-step box and the unit caption of "<bitrate>".
    std::string comboShowTracksAs = "<artist> - <title> (<time>)";
    std::string ComboConvParams = "<bitrate> -h  --tt \"<title>\"  --ta \"<artist>\"  "
                                  "--tl \"<album>\" --add-id3v2 \"<infile>\" "
                                  "\"<outdir>\\<outfile>\"";
    std::string DecodeParams = " --decode \"<infile>\" \"<outfile>\"";
    bool cb2Step = false;
    std::string Label10 = "kbps";

    // The text of the selected language item; empty when there is none.
    std::string SelectedLanguage() const;
};

// The last valid values of the number fields: a field whose text is no number
// keeps these, and they are what is saved.
struct TAppliedOptions {
    int32_t TransFlashDetectInterval = 2000; // ms, 250 ms to one hour
    int32_t InfoHintsShowAfter = 1000;       // ms
    int32_t InfoHintsHideAfter = 4000;       // ms
    int32_t MaxBitrate = 128;                // kbit/s
    int32_t M4aBitrate = 96;                 // kbit/s
    // The language last applied, saved when no language file is listed.
    std::string Language = "English.lng";
};

// The ranges of the number fields of the options; a number outside is not taken.
struct TNumberRange {
    int32_t Min;
    int32_t Max;
};
inline constexpr TNumberRange DetectIntervalRange{250, 3600000}; // ms
inline constexpr TNumberRange HintDelayRange{0, 3600000};        // ms
inline constexpr TNumberRange MaxBitrateRange{1, 100000};        // kbit/s
inline constexpr TNumberRange M4aBitrateRange{8, 320};           // kbit/s

inline constexpr std::array<std::string_view, 7> BitrateItems = {"56",  "64",  "96", "112",
                                                                 "128", "160", "192"};
inline constexpr std::array<std::string_view, 8> VbrQualityItems = {
    "lowest", "low", "medium", "medium1", "normal", "high", "higest", "ultra"};
inline constexpr std::array<std::string_view, 2> FormatItems = {"MP3", "M4A"};
inline constexpr std::array<std::string_view, 8> DisplayTemplateItems = {
    "<artist> - <title> (<time>)",
    "<artist> - <album> - <title> (<time>)",
    "<title> (<time>)",
    "<album> - <title> (<time>)",
    "<album> - <artist> - <title> (<time>)",
    "<artist> - <title> (<time>) [<size>]",
    "<artist> - <title> (<time>|<bitrate>)",
    "<filename>"};

// One line of a list view and the row it shows. For the track view, Entry is the
// position in the shown playlist and Row the track row that entry names; for the
// library and deleted views both are the table row. A row that could not be shown
// has no line, so a line always maps to the row it really shows. Serial is the
// track row's private serial in the track view and 0 in the other views.
struct TViewLine {
    std::string Text;
    int Entry = -1;
    int Row = -1;
    uint64_t Serial = 0;
};

// A line as a view holds it: its text is a view of the text of all the lines.
struct TViewLineRef {
    std::string_view Text;
    int Entry = -1;
    int Row = -1;
    uint64_t Serial = 0;
    operator TViewLine() const { return {std::string(Text), Entry, Row, Serial}; }
};

// The lines of a view: their texts in one block, as a library of a hundred thousand lines
// would otherwise hold a string per line. Entry and row take no room while each is the
// line's own index (the library, the deleted list), nor serials while all are 0.
class TViewLines {
public:
    size_t size() const { return static_cast<size_t>(texts_.Count()); }
    bool empty() const { return texts_.Empty(); }
    std::string_view Text(size_t line) const { return texts_.View(static_cast<int>(line)); }
    int Entry(size_t line) const { return placed_ ? places_[line].first : int(line); }
    int Row(size_t line) const { return placed_ ? places_[line].second : int(line); }
    uint64_t Serial(size_t line) const { return serialed_ ? serials_[line] : 0; }
    TViewLineRef operator[](size_t line) const {
        return {Text(line), Entry(line), Row(line), Serial(line)};
    }

    void Reserve(size_t lines, size_t bytes) { texts_.Reserve(static_cast<int>(lines), bytes); }
    void Add(std::string_view text, int entry, int row, uint64_t serial = 0);
    void Add(const TViewLine& line) { Add(line.Text, line.Entry, line.Row, line.Serial); }
    // Gives back the room no line uses.
    void ShrinkToFit();
    const TTextColumn& Texts() const { return texts_; }

    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = TViewLineRef;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = TViewLineRef;
        const_iterator(const TViewLines* lines, size_t at) : lines_(lines), at_(at) {}
        TViewLineRef operator*() const { return (*lines_)[at_]; }
        const_iterator& operator++() {
            ++at_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator was = *this;
            ++at_;
            return was;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

    private:
        const TViewLines* lines_;
        size_t at_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    TTextColumn texts_;
    // Whether places_ and serials_ hold one entry per line.
    bool placed_ = false;
    bool serialed_ = false;
    std::vector<std::pair<int, int>> places_;
    std::vector<uint64_t> serials_;
};

// A list view (track view, library list, deleted list): its lines, the selected
// line indexes, the focused line and the first line shown at the top.
struct TListView {
    TViewLines Lines;
    std::set<int> Selected;
    int ItemIndex = -1;
    // The first visible line; the window writes it before a refresh and scrolls
    // back to what SetLines leaves here.
    int TopIndex = 0;
    // Whether the view can be dragged from (it has lines).
    bool DragEnabled = false;
    // Counts the rebuilds, so that a drag can tell that the lines changed under it.
    uint64_t Generation = 0;

    int Count() const { return static_cast<int>(Lines.size()); }
    // Replaces the lines. With keepSelection, the lines that remain (the same track,
    // or in the other views the same text) stay selected, focused and at the top;
    // otherwise nothing stays selected or focused.
    void SetLines(TViewLines lines, bool keepSelection = false);
    void SetLines(const std::vector<TViewLine>& lines, bool keepSelection = false);
    void Clear() { SetLines(TViewLines{}); }
    bool IsSelected(int line) const { return Selected.count(line) != 0; }
    void Select(int line, bool on = true);
    void SelectAll();
    void InvertSelection();
    void SelectNone() { Selected.clear(); }
    // Focuses and selects one line, as a click does.
    void FocusLine(int line);
    // Selected line indexes in ascending order.
    std::vector<int> SelectedLines() const { return {Selected.begin(), Selected.end()}; }
    // The first line at or after `from` whose text in lower case holds `needle` (given in
    // lower case); -1 when none. Lines of plain ASCII are searched as they are, folding
    // their case as they are read, so a long library keeps no lower-case copy of itself;
    // only the lines with other characters are lowered, once after the lines change.
    int FindLower(std::string_view needle, int from) const;

private:
    // The lines that are not plain ASCII, in ascending order, and their lower case.
    mutable std::vector<int> otherLines_;
    mutable TTextColumn otherLower_;
    mutable uint64_t lowerGeneration_ = UINT64_MAX;
    mutable size_t lowerLines_ = 0;
};

// The playlist box: item i names list i of PlaylistTracks.
struct TPlaylistBox {
    TStringList Items;
    int ItemIndex = -1;
};

// A timer as the windows will run it.
struct TTimerState {
    bool Enabled = false;
    int32_t Interval = 0; // ms
};

// Where a drag started.
enum class TDragSource { None, TrackView, PlaylistBox, MediaDBList, DeletedList, Other };

// What a drag carries, taken when it leaves a view: the view's rebuild count, the
// shown playlist, the focused line and the selected lines at that moment. A drop
// uses these lines, never whatever is selected when it lands, and does nothing when
// the view was rebuilt in between.
struct TViewDrag {
    TDragSource Source = TDragSource::None;
    uint64_t Generation = 0;
    int Playlist = -1;
    int FocusedLine = -1;
    std::vector<int> Lines;
};

// The information hint over the track view.
struct THintState {
    bool Visible = false;
    // LabelPopupText: the template of LabelPopup filled in for the hinted track.
    std::string Text;
    // The hinted track view line and its track row.
    int Line = -1;
    int Row = -1;
};

// The captions of the tag editor's labels, which the hint puts before each value;
// the window keeps them in step with its labels (a language file changes them).
struct TTagLabels {
    std::string Artist = "Artist:";
    std::string Title = "Title:";
    std::string Album = "Album:";
    std::string Time = "Time:";
    std::string Size = "Size:";
    std::string Bitrate = "Bitrate:";
};

// Keys the commands look at (the platform's virtual key codes).
enum TManagerKey : uint16_t {
    KeyBack = 8,
    KeyReturn = 13,
    KeyEscape = 27,
    KeyEnd = 35,
    KeyHome = 36,
    KeyUp = 38,
    KeyDown = 40,
    KeyDelete = 46,
};

struct TKeyShift {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

// The tag editor's edits; lbUID shows the edited row's number.
struct TTagEditorState {
    std::string edArtist, edTitle, edAlbum, edTime, edBitrate, edSize, edFileName;
    std::string lbUID = "lbUIDa";
    // The edited row's private serial; 0 while no row is shown.
    uint64_t RowSerial = 0;
    bool Expanded = false;
};

// The figures of the "Statistics" group.
struct TStatistics {
    std::string Label13;        // "E:"
    bool DriveMeasured = false; // false for A, B or a drive that is not ready
    int64_t TotalKB = 0;        // StatusBarSpace maximum
    int64_t UsedKB = 0;         // StatusBarSpace position
    std::string Label17;        // free KB + " kb"
    std::string Label14;        // number of tracks
    std::string Label15;        // HH:MM:SS
    std::string Label18;        // size of all tracks + " KB"
    std::string Label19;        // needed space + " KB"
    int64_t TotalSeconds = 0;
    long double AllBytes = 0;
    long double NeededBytes = 0;
};

// The progress bars of the "Log" group.
enum class TProgressBarId { Copy, Encode, All };
using TProgressSink = std::function<void(TProgressBarId bar, int position, int max)>;
// Told which views changed, so a window can repaint them.
enum class TViewId {
    TrackView,
    PlaylistBox,
    MediaDBList,
    DeletedList,
    TagEditor,
    Statistics,
    Options
};
using TViewSink = std::function<void(TViewId view)>;
// Applies a language file (the translator, later); the message strings are
// replaced through Messages.
using TLanguageSink = std::function<void(const std::string& languageFile)>;

// Columns in the order the sort commands compare them.
using TSortKeys = std::array<TTrackColumn, 8>;

// Folders the manager keeps its files in.
struct TManagerPaths {
    // The program's folder, Windows form with a trailing "\": language files and
    // the default encoder path.
    std::string ProgramFolder;
    // Where "brisvane.ini" and the library files go: the program folder when it is
    // writable, else the user's configuration folder. Empty: chosen at creation.
    std::string DataFolder;
};

class TTrackManager {
public:
    explicit TTrackManager(TManagerUi& ui, TManagerPaths paths = {});
    ~TTrackManager();
    TTrackManager(const TTrackManager&) = delete;
    TTrackManager& operator=(const TTrackManager&) = delete;

    // ---- State -----------------------------------------------------------
    TTrackModel Model;
    TOptions Options;
    TAppliedOptions Applied;
    TManagerMessages Messages;
    TManagerLog Log;
    TManagerPaths Paths;

    TPlaylistBox ListBoxPlayLists;
    TListView BvPlaylist;     // the track view
    int BvPlaylistShows = -1; // the playlist the track view was last filled from
    TListView MediaDBList;    // the library list
    TListView DeletedList;    // the deleted list
    std::string EditSearchDB;
    TTagEditorState TagEditor;
    TStatistics Statistics;
    // "Sort all playlists".
    bool Sortall1Checked = false;
    // The "Copy to playlist" submenu: captions of playlists 1.. in order; item k
    // targets playlist k + 1.
    std::vector<std::string> CopyToPlaylistItems;

    bool SpeedBarVisible = true;   // BvSpeedBar1
    bool DriveComboVisible = true; // BvDriveCombo1
    bool DriveComboOnlyRemovable = true;
    bool OnlyRemovableVisible = true; // cbOnlyRemovable on the options dialog
    TTimerState TransFlashTimer;
    TTimerState TimerBeforeShow;
    TTimerState TimerAfterShow;

    TProgressSink ProgressSink;
    TViewSink ViewSink;
    TLanguageSink LanguageSink;

    TManagerUi& Ui() { return ui_; }
    std::string SettingsFileName() const;         // DataFolder + "brisvane.ini"
    std::string MediaDBFileName(int index) const; // DataFolder + "MediaDB.db0".."db7"
    void NotifyView(TViewId view) const;
    // The selected playlist box item, -1 for none.
    int SelectedPlaylist() const { return ListBoxPlayLists.ItemIndex; }

    // ---- Start-up, reset, shutdown (TrackManagerStartup.cpp) -------------
    // The program's start: FormCreate, then OptionsFormCreate.
    void Start();
    // The main window's creation.
    void FormCreate();
    // While a card command runs, asks whether to stop it: No keeps the window and the
    // run (false); Yes stops it and waits a bounded time for its workers and the
    // encoder, saying what did not end. Then saves the settings; true.
    bool FormCloseQuery();
    // Saves the settings and the library; what can be saved is saved and a
    // failure is reported once. Never throws.
    void FormClose();
    void btnResetProgClick();
    void Exit1Click();
    void bvGroupActionsExpanded();
    // The library files: each read on its own (a missing one is an empty column),
    // then the columns are made one length with one message. Written atomically,
    // CR and LF inside a value becoming blanks. Save raises EInOutError with every
    // file that failed.
    void LoadMediaDB();
    void SaveMediaDB();
    // The set of library files a manifest vouches for (TrackManagerStartup.cpp).
    bool LoadMediaDBSet();
    // The user's configuration folder for Brisvane, Windows form with "\".
    static std::string UserConfigFolder();
    static bool FolderIsWritable(const std::string& folder);

    // ---- Settings (TrackManagerSettings.cpp) -----------------------------
    // The options dialog's creation: LoadSettings, ApplyOptions, "All music".
    void OptionsFormCreate();
    void LoadSettings();
    // Writes the keys in their order; EInOutError when the file cannot be written.
    void SaveSettings();
    void ApplyOptions();
    // The Options command: shows the dialog; OK applies.
    void btnOptionsClick();
    // The dialog's OK: ApplyOptions, RefreshTrackView.
    void OptionsOkClick();
    void cbAutoDetectClick();
    void ComboFormatChange();
    void comboLangChange();
    void rbM4A_VBRClick();
    // The bitrate limit (kbit/s) the update encodes down to: the typed one when it
    // is a positive number, else the one last applied.
    int32_t EffectiveMaxBitrate() const;
    // Whether the update re-encodes the row: automatic encoding on, an MP3 file
    // off the card, its bitrate above EffectiveMaxBitrate. The statistics use it too.
    bool TrackWouldBeReencoded(int row) const;

    // ---- Adding tracks (TrackManagerTracks.cpp) --------------------------
    void btnAddFileClick();
    void btnAddDIRClick();
    void BvDragDrop1Drop(const std::vector<std::string>& paths);
    // The common loop of the three commands: skips other extensions (and listed
    // files when skipListed), adds to the selected user playlist, completes the
    // master list and refreshes the view. A failing file is skipped and logged.
    void AddFilesToTrackList(const std::vector<std::string>& paths, bool skipListed);
    // Adding files reads each file's tags on the GUI thread. With a piece length above 0
    // (the window sets one) a long add is cut into pieces of about that many milliseconds,
    // each on its own turn of the event loop, so the window paints and answers between them;
    // the add is a run meanwhile (commands that change the track list wait, Stop ends it
    // after its current file). With 0 every file is added before the command returns.
    int AddPieceMs = 0;
    // Append one row; return its row index, or -1 when the file could not be
    // added at all (it is logged).
    int AddMp3ToTrackList(const std::string& fileName);
    int AddM4aToTrackList(const std::string& fileName);
    // The whole rows the builders append (UID left empty); the library's builders
    // use them too. BuildM4aRow raises for a file it cannot measure.
    TTrackRowSnapshot BuildMp3Row(const std::string& fileName);
    TTrackRowSnapshot BuildM4aRow(const std::string& fileName, bool forMediaDB);
    // The file-name rule: artist and title from a file name.
    static void ParseTrackFileName(const std::string& fileName, bool m4aVariant,
                                   std::string& artist, std::string& title);

    // ---- Track view, selection, removal (TrackManagerView.cpp) -----------
    void ShowPlaylist(int index);
    void RefreshTrackView();
    // RefreshTrackView for a view of many lines: with a piece length (AddPieceMs) the lines
    // are made over several turns of the event loop and shown on a turn of their own, so the
    // window paints and answers between them; without one, all on the next turn. `done`
    // runs on the GUI thread once the view shows them (or once a refresh that came between
    // showed newer ones).
    void RefreshTrackViewInPieces(std::function<void()> done);
    void btnRemoveClick();
    void Selectall1Click();
    void Inverseselection1Click();
    void Selectnone1Click();
    void BvPlaylistGLKeyDown(uint16_t key, TKeyShift shift);
    // The playlist entries of the selected track view lines, in line order.
    std::vector<int> SelectedEntries() const;

    // ---- Playlists (TrackManagerPlaylists.cpp) ---------------------------
    void mbNewPlstClick();
    void Renameplaylist1Click();
    void Deleteplaylist1Click();
    void Clearplaylists2Click();
    void ListBoxPlayListsClick(int index);
    bool ListBoxPlayListsDragOver(TDragSource source, int item) const;
    void ListBoxPlayListsDragDrop(TDragSource source, int item);
    void MoveUp2Click();
    void MoveDown2Click();
    void TrackListMenuPopup();
    // item: index into CopyToPlaylistItems.
    void CopyToPlayListPopup1Click(int item);
    bool BvPlaylistADragOver(TDragSource source) const;
    // targetLine: the track view line under the mouse, -1 below the last.
    void BvPlaylistGLDragDrop(TDragSource source, int targetLine);
    // A drag leaving one of the views: remembers what it carries (Drag). A drop
    // without a drag begun acts on the current selection, as the commands do.
    void BeginDrag(TDragSource source);
    void EndDrag() { Drag = {}; }
    TViewDrag Drag;
    void AddToPlaylistUnique(const std::string& entry, int index);
    void RemovePlaylistSlot(int index);

    // ---- Sorting (TrackManagerSorting.cpp) -------------------------------
    void SortbyArtist1Click();
    void SortbyTitle1Click();
    void SortbyAlbum1Click();
    void SortbyBitrate1Click();
    void SortbySize1Click();
    void Sortbylength1Click();
    void Sortall1Click();
    void SortbyArtist3Click();
    void SortbyTitle2Click();
    void SortbyAlbum2Click();
    void SortbyBitrate2Click();
    void SortbySize2Click();
    void SortbyLength2Click();
    void SortPlaylist(const TSortKeys& keys, int index);
    void SortMediaDB(const TSortKeys& keys);

    // ---- Tag editor (TrackManagerTagEditor.cpp) --------------------------
    void BvPlaylistGLClick();
    void ShowTrackTags(int row);
    // Called with the control's new text; a control without focus changes nothing.
    void edArtistChange(const std::string& text, bool focused = true);
    void edTitleChange(const std::string& text, bool focused = true);
    void edAlbumChange(const std::string& text, bool focused = true);
    void edTimeChange(const std::string& text, bool focused = true);
    void bvGroupBoxTagsExpanded();
    void bvGroupBoxTagsCollapsed();

    // ---- Media library (TrackManagerLibrary.cpp) -------------------------
    void Addfiles1Click();
    void Adddirectory1Click();
    void Deletealldeadlinks1Click();
    void Clear1Click();
    void Copytotracklist1Click();
    void BvGroupMediaDBExpanded();
    void EditSearchDBChange(const std::string& text);
    void btnSearchClick();
    // A typed character (code point); 13 runs "Next".
    void MediaDBListKeyPress(char32_t key);
    void MediaDBListKeyDown(uint16_t key, TKeyShift shift);
    bool MediaDBListDragOver(TDragSource source) const;
    void MediaDBListClick();
    int AddMp3ToMediaDB(const std::string& fileName);
    int AddM4aToMediaDB(const std::string& fileName);
    void RefreshMediaDBList();

    // ---- Deleted-tracks list (TrackManagerDeleted.cpp) -------------------
    void RefreshDeletedList();
    void BvGroupDeletedExpanded();
    void MenuItem1Click(); // Restore
    void Delete1Click();
    void Clear4Click();

    // ---- Information hints (TrackManagerHints.cpp) -----------------------
    // LabelPopup: the hint template, seven lines.
    std::string LabelPopup =
        "<artist>\r\n<album>\r\n<title>\r\n<time>\r\n<type>\r\n<bitrate> kbps\r\n<size> b.";
    TTagLabels TagLabels;
    THintState Hint;
    void BvPlaylistGLMouseMove(TViewPoint pos);
    void BvPlaylistMouseEnter();
    void BvPlaylistMouseLeave();
    // The show delay elapsed; `line` is the track view line under HintMousePos, -1
    // for none. The delay is switched off first and nothing escapes, so a hint that
    // fails is dropped once instead of failing again on every tick. True when the
    // hint is to be shown (Hint holds it; the hide delay starts anew).
    bool TimerBeforeShowTimer(int line);
    void TimerAfterShowTimer();
    void PanelHintMouseEnter();
    void PanelHintMouseLeave();
    void cbInfoHintsClick(bool checked);
    // Double-click on the hint or on the track view: the tag editor on `line`.
    void LabelPopupTextDblClick(int line);
    void BvPlaylistDblClick(int line);
    // The hint of a track row; raises for a row that cannot be shown.
    std::string HintText(int row) const;

    // ---- Statistics (TrackManagerStatistics.cpp) -------------------------
    void RefreshStatistics();
    void btnRefreshStatClick();
    void BvGroupStatExpanded();

    // ==== Update, card read, detection and scan =============================
    // In TrackManagerUpdate.cpp, TrackManagerConvert.cpp, TrackManagerCard.cpp,
    // TrackManagerDetection.cpp and TrackManagerScan.cpp. Their private state lives
    // in TUpdateState (TrackManagerUpdateState.h), so it can grow without touching
    // this header.
    void btnUpdateMobileClick();
    void btnCancelClick();
    void btnScanClick();
    void ReadiTuneDB1Click();
    void Checkforbadfiles1Click();
    void DeletephoneDB1Click();
    void ParseiTunesDB1Click();
    void TransFlashTimerTimer();
    void btnScanMobileClick();
    // True while an update, card read or scan runs; commands that would change
    // the track list under it are refused with a message.
    bool IsBusy() const;
    // What runs on the card: the update, a read ("Read iTunesDB", "Scan mobile", the
    // detection's read), the card file scan, the dead-file check.
    enum class TRunKind { None, Update, Read, Scan, FileScan, DeadCheck, Add };
    TRunKind CurrentRun() const;
    // Told on the GUI thread when a run starts and when it ends (well, failed or
    // stopped), so the windows grey what a run holds off, show Stop and open boxes.
    std::function<void(TRunKind run, bool running)> RunSink;
    // The commands that a run refuses (the card commands and the commands that change
    // the track list or the playlists), for the windows to grey their controls.
    static const std::vector<TCommand>& CommandsHeldWhileBusy();
    // Whether a command may run now.
    bool CommandEnabled(TCommand command) const;
    // Stops what runs on the card and waits, at most timeoutMs, for the workers and
    // the encoder to end. Returns what did not end ("the copy worker", ...), empty
    // when everything did.
    std::vector<std::string> StopAndWaitForWorkers(int timeoutMs = 10000);
    // Shows the refusal when busy; true then.
    bool RefuseWhileBusy();
    // Stops a run for closing, says what did not end within the wait.
    void StopForClose();

    struct TUpdateState;
    std::shared_ptr<TUpdateState> Update;
    // ==== end of the update section =========================================

private:
    struct TAddJob;
    // One piece of an add: false once every file was tried (pieceMs 0: no limit).
    bool AddSomeFiles(TAddJob& job, int pieceMs);
    // AddFilesToTrackList into the given playlist; with `inRun` the add's run has begun
    // already (the folder search's) and ends with the add.
    void StartAdding(const std::vector<std::string>& paths, bool skipListed, int playlist,
                     bool inRun);
    void EndAddRun();
    // Add directory with a piece length: the folder is searched on a worker, as part of the
    // add's run, and the add goes on from what it found.
    struct TFolderSearch;
    void FolderSearchEnded(uint64_t serial);
    std::shared_ptr<TFolderSearch> folderSearch_;
    // The next piece of the add that runs, on a timer's tick: one piece a turn.
    void AddingPiece();
    void FinishAdding(TAddJob& job);
    void ShowAddFailures(const TAddJob& job);
    std::shared_ptr<TAddJob> addJob_;
    // The lines of the playlist's entries [from, to), as the track view shows them.
    void AppendPlaylistLines(int index, int from, int to, std::vector<TViewLine>& lines);
    // The tag editor follows its row after a refresh.
    void FollowTagEditorRow();
    struct TViewFill;
    void ViewFillPiece();
    void EndViewFill();
    std::shared_ptr<TViewFill> viewFill_;

    TManagerUi& ui_;
    // Why library files that exist could not be read at start-up. While any could not,
    // the library is not saved at all: the files keep what the blanks stood in for.
    std::vector<std::string> mediaDBUnread_;
};

// The message strings of the update and of the card commands, registered at
// construction with the others so that a language file applied at start-up
// reaches them (TrackManagerUpdate.cpp, TrackManagerCard.cpp).
void RegisterUpdateMessages(TManagerMessages& m);
void RegisterCardMessages(TManagerMessages& m);
void RegisterDetectionMessages(TManagerMessages& m);
// Removes the encoder's private folders of update runs whose process has ended
// (TrackManagerUpdate.cpp); the start-up calls it.
void RemoveEncoderFoldersOfEndedRuns();

// An upload folder that begins and ends with "\" (TrackManagerSettings.cpp).
std::string NormalizeUploadPath(std::string path);

// ---- Display template and times (DisplayTemplate.cpp) ----------------------

// Seconds of a Time text: the integer before the first ':' times 60 plus the
// integer of the (at most) two characters after it; "3:5" and "03:05" are 185.
// EConvertError when either part is no number.
int32_t TrackTimeSeconds(std::string_view time);
// "03:05" for 185 seconds; minutes keep all their digits ("100:00").
std::string FormatTrackTime(int32_t seconds);
// The path without the file's own extension: "C:\Mr. Big\Song" stays whole.
std::string WithoutFileExtension(std::string_view fileName);
// "<artist>", "<title>", "<album>", "<time>", "<size>", "<filename>", "<bitrate>"
// (any case) replaced in one pass by the row's values, read through `field`,
// "<filename>" without the file's own extension. bitrateSuffix follows the bitrate
// (" kbps" in the track view, empty in the other views). EConvertError when the time
// cannot be parsed.
using TFieldGetter = std::function<void(TTrackColumn column, std::string& value)>;
std::string ExpandDisplayTemplate(std::string_view displayTemplate, const TFieldGetter& field,
                                  std::string_view bitrateSuffix);

// The display template read once for showing many rows: Expand gives each row the text
// ExpandDisplayTemplate gives it, reading the values in place, so a long list costs one
// allocation a line.
class TDisplayTemplate {
public:
    TDisplayTemplate(std::string_view displayTemplate, std::string_view bitrateSuffix);
    // `field` gives the column's value of the row; EConvertError when the time cannot be
    // parsed, and what `field` raises.
    using TFieldReader = std::function<std::string_view(TTrackColumn column)>;
    std::string Expand(const TFieldReader& field) const { return std::string(ExpandView(field)); }
    // The same without a copy: valid until the thread's next expansion.
    std::string_view ExpandView(const TFieldReader& field) const;

private:
    struct TPiece {
        std::string Text; // the template's own text, when no column
        bool IsColumn = false;
        TTrackColumn Column = TTrackColumn::Artist;
    };
    std::vector<TPiece> pieces_;
    std::string bitrateSuffix_;
};

// Where the hint panel goes, in the main window's client coordinates: beside the
// pointer (view origin + mouse), to its left near the right edge and above it near
// the bottom, and always inside the window.
TViewPoint PlaceHint(TViewPoint viewOrigin, TViewPoint mouse, int panelWidth, int panelHeight,
                     int windowWidth, int windowHeight);
