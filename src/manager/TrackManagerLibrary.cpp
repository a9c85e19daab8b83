// The media library: adding files and folders, dead links, clearing, copying to
// the track list, its list view and the search box.
#include "TrackManager.h"

#include "Files.h"
#include "RtFileUtils.h"
#include "TextCodec.h"
#include "TrackTableRows.h"
#include "iTunesDB.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace {

constexpr std::string_view MediaFilter = "Media files (*.mp3;*.m4a)|*.mp3;*.m4a";

std::string ExtOf(const std::string& fileName) {
    return LowerCase(ExtractFileExt(fileName));
}

void WarnNotAdded(TManagerUi& ui, const std::vector<std::string>& failed) {
    if (failed.empty())
        return;
    std::string list;
    for (const std::string& f : failed)
        list += "\r\n" + f;
    ui.ShowWarning("These files could not be added:" + list);
}

// Adds the music files among the paths to the library; a file that fails is
// skipped and named once at the end, so one bad file never stops the rest.
void AddFilesToMediaDB(TTrackManager& m, const std::vector<std::string>& paths) {
    std::vector<std::string> failed;
    for (const std::string& path : paths) {
        const std::string ext = ExtOf(path);
        int row = 0;
        if (ext == ".mp3")
            row = m.AddMp3ToMediaDB(path);
        else if (ext == ".m4a")
            row = m.AddM4aToMediaDB(path);
        if (row < 0)
            failed.push_back(path);
    }
    m.RefreshMediaDBList();
    WarnNotAdded(m.Ui(), failed);
}

// The first line at or after `from` whose text holds the search text, compared
// in lower case; -1 when none. An empty text matches nothing.
int FindLine(const TListView& view, const std::string& text, int from) {
    if (text.empty())
        return -1;
    return view.FindLower(AnsiLowerCase(text), std::max(from, 0));
}

// The text without its last character (a whole UTF-8 sequence).
std::string DropLastCharacter(const std::string& text) {
    size_t end = text.size();
    if (end == 0)
        return text;
    --end;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

// ---- Row builders ------------------------------------------------------------

int TTrackManager::AddMp3ToMediaDB(const std::string& fileName) {
    try {
        TTrackRowSnapshot row = BuildMp3Row(fileName);
        row.UID = IntToStr(TableRowCount(Model.MediaDB));
        return AppendTableRow(Model.MediaDB, row);
    } catch (const Exception& e) {
        Log.AddLog(Format("Could not add %s: %s", {fileName, e.Message()}));
        return -1;
    }
}

int TTrackManager::AddM4aToMediaDB(const std::string& fileName) {
    try {
        TTrackRowSnapshot row = BuildM4aRow(fileName, true);
        row.UID = IntToStr(TableRowCount(Model.MediaDB));
        return AppendTableRow(Model.MediaDB, row);
    } catch (const Exception& e) {
        Log.AddLog(Format("Could not add %s: %s", {fileName, e.Message()}));
        return -1;
    }
}

// ---- Commands ----------------------------------------------------------------

void TTrackManager::Addfiles1Click() {
    BV_ASSERT_GUI_THREAD();
    std::vector<std::string> files;
    if (!ui_.OpenFiles(std::string(MediaFilter), files))
        files.clear();
    AddFilesToMediaDB(*this, files);
}

void TTrackManager::Adddirectory1Click() {
    BV_ASSERT_GUI_THREAD();
    std::string folder;
    if (!ui_.SelectFolder(folder))
        return;
    TStringList found;
    try {
        FindMusicFilesRecursive(folder, found);
    } catch (const Exception& e) {
        // What was found before the failure is still added.
        ui_.ShowWarning(e.Message());
    }
    AddFilesToMediaDB(*this, found.Items());
}

void TTrackManager::Deletealldeadlinks1Click() {
    BV_ASSERT_GUI_THREAD();
    const TTextColumn& names = TrackColumn(Model.MediaDB, TTrackColumn::FileName);
    std::vector<bool> dead(static_cast<size_t>(names.Count()), false);
    bool any = false;
    for (int i = 0; i < names.Count(); ++i) {
        bool exists = false;
        try {
            exists = FileExists(names.Get(i));
        } catch (const Exception&) {
            // A path on a drive that is not there is as dead as a missing file.
        }
        dead[static_cast<size_t>(i)] = !exists;
        any = any || !exists;
    }
    if (any)
        RemoveTableRows(Model.MediaDB, dead);
    RefreshMediaDBList();
}

void TTrackManager::Clear1Click() {
    BV_ASSERT_GUI_THREAD();
    ClearTable(Model.MediaDB);
    RefreshMediaDBList();
}

void TTrackManager::Copytotracklist1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    const int playlist = SelectedPlaylist();
    const TTextColumn& names = TrackColumn(Model.MediaDB, TTrackColumn::FileName);
    // One set of the listed names, kept up to date as files are added, instead of a
    // search of the whole track list per line.
    TFileNameSet listed(TrackColumn(Model.TrackListHolder, TTrackColumn::FileName));
    std::vector<std::string> failed;
    for (int line : MediaDBList.SelectedLines()) {
        const int row = MediaDBList.Lines[static_cast<size_t>(line)].Row;
        if (row < 0 || row >= names.Count())
            continue;
        const std::string fileName = names.Get(row);
        const std::string ext = ExtOf(fileName);
        if ((ext != ".mp3" && ext != ".m4a") || listed.Contains(fileName))
            continue;
        const int added = ext == ".mp3" ? AddMp3ToTrackList(fileName) : AddM4aToTrackList(fileName);
        if (added < 0) {
            failed.push_back(fileName);
            continue;
        }
        listed.Add(fileName);
        if (playlist >= 1 && playlist < MaxPlaylists)
            Model.PlaylistTracks[static_cast<size_t>(playlist)].Add(IntToStr(added));
    }
    Model.UpdateAllMusic();
    RefreshTrackView();
    WarnNotAdded(ui_, failed);
}

void TTrackManager::BvGroupMediaDBExpanded() {
    BV_ASSERT_GUI_THREAD();
    RefreshMediaDBList();
}

void TTrackManager::MediaDBListClick() {
    BV_ASSERT_GUI_THREAD();
}

bool TTrackManager::MediaDBListDragOver(TDragSource) const {
    BV_ASSERT_GUI_THREAD();
    return false;
}

// ---- The view ----------------------------------------------------------------

void TTrackManager::RefreshMediaDBList() {
    const TPackedTable& db = Model.MediaDB;
    const int rows = TableRowCount(db);
    int row = 0;
    const TDisplayTemplate::TFieldReader field = [&](TTrackColumn column) {
        return TrackColumn(db, column).View(row);
    };
    const TDisplayTemplate shown(Options.comboShowTracksAs, "");
    // The lines go straight into one block, made once at about its size and trimmed after.
    TViewLines lines;
    size_t guess = 0;
    if (rows > 0) {
        row = 0;
        try {
            guess = shown.ExpandView(field).size() * static_cast<size_t>(rows);
        } catch (const Exception&) {
        }
    }
    lines.Reserve(static_cast<size_t>(rows), guess + guess / 8);
    for (int r = 0; r < rows; ++r) {
        row = r;
        try {
            lines.Add(shown.ExpandView(field), r, r);
        } catch (const Exception&) {
            // A row that cannot be shown has no line; the others keep their rows.
        }
    }
    lines.ShrinkToFit();
    MediaDBList.SetLines(std::move(lines), true);
    NotifyView(TViewId::MediaDBList);
}

// ---- Search ------------------------------------------------------------------

void TTrackManager::EditSearchDBChange(const std::string& text) {
    BV_ASSERT_GUI_THREAD();
    EditSearchDB = text;
    const int found = MediaDBList.Count() == 0 ? -1 : FindLine(MediaDBList, EditSearchDB, 0);
    if (found >= 0) {
        MediaDBList.ItemIndex = found;
        Model.SearchPos = found + 1;
    }
    // The search box shows the text also when nothing matches (Escape empties it).
    NotifyView(TViewId::MediaDBList);
}

void TTrackManager::btnSearchClick() {
    BV_ASSERT_GUI_THREAD();
    int from = MediaDBList.ItemIndex + 1;
    if (MediaDBList.ItemIndex < 0 || MediaDBList.ItemIndex >= MediaDBList.Count() - 1)
        from = 0;
    const int found = FindLine(MediaDBList, EditSearchDB, from);
    if (found < 0)
        return;
    MediaDBList.ItemIndex = found;
    Model.SearchPos = found + 1;
    NotifyView(TViewId::MediaDBList);
}

void TTrackManager::MediaDBListKeyPress(char32_t key) {
    BV_ASSERT_GUI_THREAD();
    if (key == KeyReturn) {
        btnSearchClick();
        return;
    }
    if (key < 32)
        return;
    std::string text = EditSearchDB;
    AppendUtf8(text, key);
    EditSearchDBChange(text);
}

void TTrackManager::MediaDBListKeyDown(uint16_t key, TKeyShift) {
    BV_ASSERT_GUI_THREAD();
    std::string text = EditSearchDB;
    switch (key) {
    case KeyBack:
        text = DropLastCharacter(text);
        break;
    case KeyEscape:
    case KeyUp:
    case KeyDown:
    case KeyHome:
    case KeyEnd:
        text.clear();
        break;
    default:
        return;
    }
    // An edit reports a change only when its text really changes.
    if (text != EditSearchDB)
        EditSearchDBChange(text);
}
