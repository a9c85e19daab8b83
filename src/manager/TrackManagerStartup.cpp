// Start-up, reset and shutdown of the track manager, the library files, and the
// small view-state helpers every concern shares.
#include "TrackManager.h"
#include "TrackManagerUpdateState.h"

#include "Dispatcher.h"
#include "Drives.h"
#include "Files.h"
#include "RtFileUtils.h"
#include "RtStrings.h"
#include "SafeFiles.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace {

// The library files' column order: file i holds column MediaDBColumns[i].
constexpr std::array<TTrackColumn, 8> MediaDBColumns = {
    TTrackColumn::Artist, TTrackColumn::Title,   TTrackColumn::Album, TTrackColumn::Size,
    TTrackColumn::Time,   TTrackColumn::BitRate, TTrackColumn::UID,   TTrackColumn::FileName};

// The library's manifest, written after the eight files.
constexpr std::string_view MediaDBManifestName = "MediaDB.manifest";

// Removes the temporaries of the settings and library files, and the encoder folders,
// that a process which no longer runs left behind: a living writer keeps its temporary
// locked, so another instance's save or update is never disturbed.
void RemoveLeftoversOfEndedRuns(const std::string& dataFolder) {
    try {
        RemoveUnlockedLeftovers(ToLinuxPath(dataFolder), [](const std::string& name) {
            if (IsReplacementName(name, "brisvane.ini") ||
                IsReplacementName(name, MediaDBManifestName))
                return true;
            for (int i = 0; i < 8; ++i)
                if (IsReplacementName(name, "MediaDB.db" + IntToStr(i)))
                    return true;
            return false;
        });
    } catch (const Exception&) {
        // Clearing up is a courtesy; a folder that cannot be read keeps what it has.
    }
}

} // namespace

// ---- View state --------------------------------------------------------------

void TListView::SetLines(std::vector<TViewLine> lines) {
    Lines = std::move(lines);
    Selected.clear();
    ItemIndex = -1;
    DragEnabled = !Lines.empty();
}

void TListView::Select(int line, bool on) {
    if (line < 0 || line >= Count())
        return;
    if (on)
        Selected.insert(line);
    else
        Selected.erase(line);
}

void TListView::SelectAll() {
    for (int i = 0; i < Count(); ++i)
        Selected.insert(i);
}

void TListView::InvertSelection() {
    std::set<int> inverted;
    for (int i = 0; i < Count(); ++i)
        if (!IsSelected(i))
            inverted.insert(i);
    Selected = std::move(inverted);
}

void TListView::FocusLine(int line) {
    if (line < 0 || line >= Count()) {
        ItemIndex = -1;
        return;
    }
    ItemIndex = line;
    Selected.insert(line);
}

std::string TOptions::SelectedLanguage() const {
    if (comboLang < 0 || comboLang >= static_cast<int>(comboLangItems.size()))
        return {};
    return comboLangItems[static_cast<size_t>(comboLang)];
}

// ---- Construction and folders ------------------------------------------------

TTrackManager::TTrackManager(TManagerUi& ui, TManagerPaths paths)
    : Paths(std::move(paths)), ui_(ui) {
    if (Paths.ProgramFolder.empty())
        Paths.ProgramFolder = ProgramFolder();
    Paths.ProgramFolder = IncludeTrailingPathDelimiter(Paths.ProgramFolder);
    if (Paths.DataFolder.empty())
        Paths.DataFolder =
            FolderIsWritable(Paths.ProgramFolder) ? Paths.ProgramFolder : UserConfigFolder();
    Paths.DataFolder = IncludeTrailingPathDelimiter(Paths.DataFolder);
    Options.comboConverters = Paths.ProgramFolder + "lame.exe";
    Messages.Register(MessageName::OperationRunning,
                      "Please wait until the mobile phone has been updated or read.");
    Messages.Register(MessageName::PlaylistLimit, "No more than 100 playlists can be created.");
    Messages.Register(MessageName::FilesNotDeleted,
                      "These files could not be deleted from your MOBILE; their tracks were "
                      "moved to the deleted list:");
    RegisterUpdateMessages(Messages);
    RegisterCardMessages(Messages);
    RegisterDetectionMessages(Messages);
    Model.SettingsFile = SettingsFileName();
}

TTrackManager::~TTrackManager() = default;

std::string TTrackManager::SettingsFileName() const {
    return Paths.DataFolder + "brisvane.ini";
}

std::string TTrackManager::MediaDBFileName(int index) const {
    return Paths.DataFolder + "MediaDB.db" + IntToStr(index);
}

void TTrackManager::NotifyView(TViewId view) const {
    if (ViewSink)
        ViewSink(view);
}

bool TTrackManager::FolderIsWritable(const std::string& folder) {
    try {
        return access(ToLinuxPath(folder).c_str(), W_OK) == 0;
    } catch (const Exception&) {
        return false;
    }
}

std::string TTrackManager::UserConfigFolder() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = "/tmp";
    const std::string folder = IncludeTrailingPathDelimiter(ToWindowsPath(base + "/brisvane"));
    ForceDirectories(folder);
    return folder;
}

bool TTrackManager::RefuseWhileBusy() {
    if (!IsBusy())
        return false;
    ui_.ShowMessage(Messages.Text(MessageName::OperationRunning));
    return true;
}

// ---- Start-up ----------------------------------------------------------------

void TTrackManager::Start() {
    BV_ASSERT_GUI_THREAD();
    FormCreate();
    OptionsFormCreate();
}

void TTrackManager::FormCreate() {
    BV_ASSERT_GUI_THREAD();
    Model.ResetRunFlags();
    Model.HintMousePos = {};
    Model.UploadPath = "\\mobile\\audio\\";
    Model.SettingsFile = SettingsFileName();
    for (auto& list : Model.PlaylistTracks)
        list.Clear();
    for (auto& list : Model.PlaylistTrackUIDs)
        list.Clear();
    ListBoxPlayLists.Items.Clear();
    ListBoxPlayLists.Items.Add(Messages.Text(MessageName::AllMusic));
    ListBoxPlayLists.ItemIndex = 0;
    BvPlaylist.ItemIndex = -1;
    RemoveLeftoversOfEndedRuns(Paths.DataFolder);
    RemoveEncoderFoldersOfEndedRuns();
    LoadMediaDB();
    NotifyView(TViewId::PlaylistBox);
}

void TTrackManager::LoadMediaDB() {
    TBvMultiStringHolder& db = Model.MediaDB;
    std::string failures;
    bool anyFile = false;
    mediaDBUnread_.clear();
    for (int i = 0; i < 8; ++i) {
        TStringList& column = TrackColumn(db, MediaDBColumns[static_cast<size_t>(i)]);
        column.Clear();
        const std::string file = MediaDBFileName(i);
        if (!FileExists(file))
            continue;
        anyFile = true;
        try {
            column.SetText(FileToString(file));
        } catch (const Exception& e) {
            failures += "\r\n" + e.Message();
            mediaDBUnread_.push_back(e.Message());
        }
    }
    if (!anyFile)
        return;
    int rows = 0;
    for (TTrackColumn name : MediaDBColumns)
        rows = std::max(rows, TrackColumn(db, name).Count());
    bool uneven = false;
    for (TTrackColumn name : MediaDBColumns) {
        TStringList& column = TrackColumn(db, name);
        if (column.Count() == rows)
            continue;
        uneven = true;
        // Short columns are filled with values every reader accepts, so no row is lost.
        for (int r = column.Count(); r < rows; ++r) {
            if (name == TTrackColumn::Time)
                column.Add("0:0");
            else if (name == TTrackColumn::Size || name == TTrackColumn::BitRate)
                column.Add("0");
            else if (name == TTrackColumn::UID)
                column.Add(IntToStr(r));
            else
                column.Add("");
        }
    }
    if (uneven || !failures.empty()) {
        std::string message = "The media library files were incomplete; missing values were "
                              "filled in.";
        if (!mediaDBUnread_.empty())
            message += " Changes to the library will not be saved in this run, so that the "
                       "file that could not be read is kept.";
        ui_.ShowWarning(message + failures);
    }
}

void TTrackManager::SaveMediaDB() {
    // The eight files are one set, line i of each belonging to row i: a file kept as it
    // was beside seven rewritten ones would pair its values with other rows.
    if (!mediaDBUnread_.empty()) {
        std::string reasons;
        for (const std::string& reason : mediaDBUnread_)
            reasons += "\r\n" + reason;
        throw EInOutError("The media library was not saved, so that the files that could not "
                          "be read at start-up are kept as they were:" +
                          reasons);
    }
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 8; ++i) {
        const TStringList& column =
            TrackColumn(Model.MediaDB, MediaDBColumns[static_cast<size_t>(i)]);
        std::string contents;
        for (int r = 0; r < column.Count(); ++r) {
            std::string value = column[r];
            // A line break inside a value would split it into two rows on reading.
            std::replace(value.begin(), value.end(), '\r', ' ');
            std::replace(value.begin(), value.end(), '\n', ' ');
            contents += value;
            contents += "\r\n";
        }
        files.emplace_back(MediaDBFileName(i), std::move(contents));
    }
    try {
        AtomicReplaceFiles(files);
    } catch (const Exception& e) {
        throw EInOutError("The media library was not saved: " + e.Message());
    }
}

// ---- Shutdown ----------------------------------------------------------------

void TTrackManager::StopForClose() {
    const std::vector<std::string> left =
        StopAndWaitForWorkers(Update ? Update->CloseWaitMs : 10000);
    if (left.empty())
        return;
    std::string names;
    for (const std::string& name : left)
        names += (names.empty() ? "" : ", ") + name;
    try {
        ui_.ShowWarning(Messages.Fmt("not_ended", {names}));
    } catch (...) {
    }
}

bool TTrackManager::FormCloseQuery() {
    BV_ASSERT_GUI_THREAD();
    if (IsBusy()) {
        if (!ui_.AskYesNo(Messages.Text("stop_to_close")))
            return false;
        StopForClose();
    }
    // The close that follows saves again and reports a failure; reporting here too
    // would show it twice.
    try {
        SaveSettings();
    } catch (const Exception&) {
    }
    return true;
}

void TTrackManager::FormClose() {
    BV_ASSERT_GUI_THREAD();
    std::string failures;
    try {
        // A close that was not asked first (the program ending) stops the run too.
        if (IsBusy())
            StopForClose();
    } catch (const Exception& e) {
        failures += e.Message();
    }
    try {
        SaveSettings();
    } catch (const Exception& e) {
        failures += (failures.empty() ? "" : "\r\n") + e.Message();
    }
    try {
        SaveMediaDB();
    } catch (const Exception& e) {
        failures += (failures.empty() ? "" : "\r\n") + e.Message();
    }
    if (!failures.empty()) {
        try {
            ui_.ShowWarning(failures);
        } catch (...) {
        }
    }
}

void TTrackManager::Exit1Click() {
    BV_ASSERT_GUI_THREAD();
    ui_.CloseMainWindow();
}

void TTrackManager::Timer1Timer() {
    BV_ASSERT_GUI_THREAD();
    ProcessMessages();
}

void TTrackManager::bvGroupActionsExpanded() {
    BV_ASSERT_GUI_THREAD();
    DriveComboVisible = !Options.cbAutoDetect;
}

// ---- Reset -------------------------------------------------------------------

void TTrackManager::btnResetProgClick() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    Model.ConvertDone = 0;
    Model.CopyDone = 0;
    Model.ConverterRunning = 0;
    Model.CancelRequested = 0;
    Model.UploadPath = "\\mobile\\audio\\";
    Model.SettingsFile = SettingsFileName();
    Model.ClearTracks();
    BvPlaylist.Clear();
    ListBoxPlayLists.Items.Clear();
    ListBoxPlayLists.Items.Add(Messages.Text(MessageName::AllMusic));
    ListBoxPlayLists.ItemIndex = 0;
    TransFlashTimer.Enabled = true;
    NotifyView(TViewId::PlaylistBox);
    RefreshTrackView();
}
