// Reading the card: the database on the card back into the track list and the
// playlists, dead tracks removed, and deleting the card's database folder.
#include "TrackManagerUpdateState.h"

#include "DatabaseInspector.h"
#include "FileExistsCache.h"
#include "Files.h"
#include "RtFileUtils.h"
#include "SafeFiles.h"

#include <unordered_map>

namespace {

constexpr std::string_view ReadFailedName = "read_failed";
constexpr std::string_view ExtraPlaylistsName = "extra_playlists";
constexpr std::string_view DbCutShortName = "db_cut_short";
constexpr std::string_view DamagedRecordsName = "db_damaged_records";
constexpr std::string_view LeftOutName = "db_left_out";
constexpr std::string_view DroppedItemsName = "db_dropped_items";

std::string DriveText(char drive) {
    return std::string(1, drive) + ":";
}

// Drops every playlist entry that is no row number of the track list.
void DropNonRows(TTrackModel& model) {
    const int count = model.TrackCount();
    for (auto& list : model.PlaylistTracks) {
        for (int j = list.Count() - 1; j >= 0; --j) {
            int32_t v = 0;
            if (!TryStrToInt(list[j], v) || v < 0 || v > count - 1)
                list.Delete(j);
        }
    }
}

void ResetAfterFailedRead(TTrackManager& m) {
    m.Model.ClearTracks();
    for (auto& list : m.Model.PlaylistTrackUIDs)
        list.Clear();
    m.ListBoxPlayLists.Items.Clear();
    m.ListBoxPlayLists.Items.Add(m.Messages.Text(MessageName::AllMusic));
    m.ListBoxPlayLists.ItemIndex = 0;
    m.NotifyView(TViewId::PlaylistBox);
    m.RefreshTrackView();
}

} // namespace

void RegisterCardMessages(TManagerMessages& m) {
    m.Register(ReadFailedName, "Could not read the database of the mobile phone: %s");
    m.Register(ExtraPlaylistsName, "The database holds more than 101 playlists; %s were left out.");
    m.Register(DbCutShortName, "The database ends early; the tracks before the damage were read.");
    m.Register(DamagedRecordsName,
               "%s damaged records of the database were skipped; the rest was read.");
    m.Register(LeftOutName,
               "%s tracks were left out: their location climbs out of its folder with \"..\" "
               "(the first: %s). %s playlist items that belong to no playlist were dropped.");
    m.Register(DroppedItemsName, "%s playlist items that belong to no playlist were dropped.");
    m.Register("card_absent", "The memory card %s is not there.");
    m.Register("no_phone_drive", "No phone drive is chosen.");
    m.Register("link_refused", "%s on the memory card is a symbolic link to another place; "
                               "Brisvane writes and deletes nothing through it.");
    m.Register("card_in_use", "The memory card %s is being used by another run of Brisvane. "
                              "Try again when it has finished.");
    m.Register("link_skipped", "%s on the memory card is a symbolic link to another place; "
                               "the files behind it were not taken as the card's.");
}

// Holds the card-busy state for one read or scan.
class TCardBusyScope {
public:
    explicit TCardBusyScope(TTrackManager::TUpdateState& st) : st_(st) { ++st_.CardBusy; }
    ~TCardBusyScope() { --st_.CardBusy; }
    TCardBusyScope(const TCardBusyScope&) = delete;
    TCardBusyScope& operator=(const TCardBusyScope&) = delete;

private:
    TTrackManager::TUpdateState& st_;
};

bool LockCard(TTrackManager& m, TFolderLock& lock) {
    const std::string drive = DriveText(m.Model.PhoneDrive);
    try {
        if (lock.TryLock(TContainedRoot::OfDrive(drive + "\\").LinuxRoot()))
            return true;
    } catch (const Exception&) {
        return true;
    }
    const std::string text = m.Messages.Fmt("card_in_use", {drive});
    m.Log.AddLog(text);
    m.Ui().ShowWarning(text);
    return false;
}

// Card commands refuse a floppy letter, and no drive at all (the selector lists none
// or its drive went away): either would send the work to some other drive.
bool FloppyGuard(TTrackManager& m) {
    const char d = static_cast<char>(std::toupper(static_cast<unsigned char>(m.Model.PhoneDrive)));
    if (d == 0) {
        m.Ui().ShowWarning(m.Messages.Text("no_phone_drive"));
        return true;
    }
    if (d != 'A' && d != 'B')
        return false;
    m.Ui().ShowWarning(m.Messages.Text(MessageName::NoFloppy));
    return true;
}

void BuildPlaylistsFromDB(TTrackManager& m) {
    TTrackModel& model = m.Model;
    const TStringList& names = model.TempStringHolder.StringsByName(PlaylistNamesColumn);
    const int count = std::min(names.Count(), MaxPlaylists);
    if (names.Count() > MaxPlaylists)
        m.Log.AddLog(m.Messages.Fmt(ExtraPlaylistsName, {IntToStr(names.Count() - MaxPlaylists)}));
    // Each key's positions in every playlist: a key that stands twice fills both.
    std::unordered_map<std::string, std::vector<std::pair<int, int>>> positions;
    for (int p = 0; p < count; ++p) {
        m.ListBoxPlayLists.Items.Add(names[p]);
        TStringList& uids = model.PlaylistTrackUIDs[static_cast<size_t>(p)];
        for (int k = 0; k < uids.Count(); ++k) {
            model.PlaylistTracks[static_cast<size_t>(p)].Add(" ");
            positions[uids[k]].push_back({p, k});
        }
    }
    const TBvMultiStringHolder& temp = model.TempStringHolder;
    const int rows = TrackColumn(temp, TTrackColumn::UID).Count();
    for (int r = 0; r < rows; ++r) {
        TTrackRowSnapshot row;
        for (TTrackColumn column : TrackColumns)
            row.*TrackRowField(column) = TrackColumn(temp, column)[r];
        const int newRow = model.AppendTrack(row);
        if (auto it = positions.find(row.UID); it != positions.end())
            for (const auto& [p, k] : it->second)
                model.PlaylistTracks[static_cast<size_t>(p)].Put(k, IntToStr(newRow));
    }
    // Placeholders go before any row is deleted, so no renumbering ever meets one.
    DropNonRows(model);
    if (count == 0) {
        m.ListBoxPlayLists.Items.Add(m.Messages.Text(MessageName::AllMusic));
        model.SyncAllMusic();
    }
    m.NotifyView(TViewId::PlaylistBox);
}

// False when the database could not be read; the reset state is then restored.
bool ReadPhoneDatabase(TTrackManager& m, const std::string& path) {
    m.ListBoxPlayLists.Items.Clear();
    m.ListBoxPlayLists.ItemIndex = -1;
    m.Model.PhoneDBPath = path;
    m.Log.AddLog(m.Messages.Text(MessageName::ReadingDatabase));
    TReaderContext context;
    context.PhoneDrive = m.Model.PhoneDrive;
    context.IsInTrackList = [&m](const std::string& p) { return m.Model.IsInTrackList(p); };
    TScanResult result;
    try {
        TDatabaseInspector inspector;
        // Only the inspector window shows the report; the card read needs none.
        result = inspector.OpenPhoneDB(path, m.Model.TempStringHolder, m.Model.PlaylistTrackUIDs,
                                       context, false);
    } catch (const Exception& e) {
        const std::string text = m.Messages.Fmt(ReadFailedName, {e.Message()});
        m.Log.AddLog(text);
        ResetAfterFailedRead(m);
        m.Ui().ShowWarning(text);
        return false;
    }
    if (result.DroppedPlaylists > 0)
        m.Log.AddLog(m.Messages.Fmt(ExtraPlaylistsName, {IntToStr(result.DroppedPlaylists)}));
    if (!result.Completed)
        m.Log.AddLog(m.Messages.Text(DbCutShortName));
    if (result.DamagedRecords > 0)
        m.Log.AddLog(m.Messages.Fmt(DamagedRecordsName, {IntToStr(result.DamagedRecords)}));
    // Tracks and items the read leaves out are said once, so none goes silently.
    if (result.RefusedLocations > 0)
        m.Log.AddLog(m.Messages.Fmt(LeftOutName,
                                    {IntToStr(result.RefusedLocations), result.FirstRefusedLocation,
                                     IntToStr(result.DroppedItems)}));
    else if (result.DroppedItems > 0)
        m.Log.AddLog(m.Messages.Fmt(DroppedItemsName, {IntToStr(result.DroppedItems)}));
    m.Log.AddLog(m.Messages.Text(MessageName::BuildingPlaylists));
    BuildPlaylistsFromDB(m);
    m.ListBoxPlayLists.ItemIndex = m.ListBoxPlayLists.Items.Count() > 0 ? 0 : -1;
    return true;
}

void RemoveDeadTracks(TTrackManager& m) {
    TTrackModel& model = m.Model;
    m.Log.AddLog(m.Messages.Text(MessageName::SearchingBadLinks));
    DropNonRows(model);
    // With the card gone every card file would look dead; its rows stay.
    const bool cardThere = DriveReady(model.PhoneDrive);
    if (!cardThere)
        m.Log.AddLog(m.Messages.Fmt("card_absent", {DriveText(model.PhoneDrive)}));
    // Every row is looked at first and the dead ones go together, each folder
    // listed once: one row at a time would renumber every playlist per row.
    const TStringList& files = TrackColumn(model.TrackListHolder, TTrackColumn::FileName);
    std::vector<bool> dead(static_cast<size_t>(files.Count()), false);
    TFileExistsCache exists;
    for (int i = 0; i < files.Count(); ++i) {
        const std::string& file = files[i];
        if (!cardThere && model.IsOnPhone(file))
            continue;
        dead[static_cast<size_t>(i)] = !exists.Exists(file);
    }
    model.DeleteTracks(dead);
    DropNonRows(model);
}

// The read shared by "Read iTunesDB" and "Scan mobile"; the caller holds the busy state.
bool ReadCard(TTrackManager& m) {
    const std::string db = DriveText(m.Model.PhoneDrive) + std::string(iTunesDBFile);
    if (FileExists(db) && !ReadPhoneDatabase(m, db))
        return false;
    RemoveDeadTracks(m);
    return true;
}

void ScanCardForFiles(TTrackManager& m); // TrackManagerScan.cpp

void TTrackManager::ReadiTuneDB1Click() {
    BV_ASSERT_GUI_THREAD();
    auto& st = UpdateStateOf(*this);
    if (RefuseWhileBusy() || FloppyGuard(*this))
        return;
    TFolderLock lock;
    if (!LockCard(*this, lock))
        return;
    btnResetProgClick();
    TCardBusyScope busy(st);
    ReadCard(*this);
    RefreshTrackView();
}

void TTrackManager::btnScanClick() {
    BV_ASSERT_GUI_THREAD();
    auto& st = UpdateStateOf(*this);
    if (RefuseWhileBusy() || FloppyGuard(*this))
        return;
    TFolderLock lock;
    if (!LockCard(*this, lock))
        return;
    btnResetProgClick();
    TCardBusyScope busy(st);
    if (ReadCard(*this))
        ScanCardForFiles(*this);
}

void TTrackManager::Checkforbadfiles1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    RemoveDeadTracks(*this);
    RefreshTrackView();
}

void TTrackManager::DeletephoneDB1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy() || FloppyGuard(*this))
        return;
    TFolderLock lock;
    if (!LockCard(*this, lock))
        return;
    std::string folder = DriveText(Model.PhoneDrive) + std::string(iTunesDBFolder);
    // Opened level by level from the card's root: a link on the way, which could lead
    // to any folder of the computer, is refused; the folder itself, when it is a link,
    // goes as a link.
    try {
        ContainedDeleteTree(ExcludeTrailingPathDelimiter(folder));
    } catch (const ELinkRefused& e) {
        const std::string text = Messages.Fmt("link_refused", {e.Link});
        Log.AddLog(text);
        ui_.ShowWarning(text);
    } catch (const Exception&) {
        // A card without the folder, or one that went away: nothing to delete.
    }
}

void TTrackManager::ParseiTunesDB1Click() {
    BV_ASSERT_GUI_THREAD();
    // The inspector window belongs to the windows layer; its menu is never visible.
}
