// Reading the card: the database on the card back into the track list and the
// playlists, dead tracks removed, and deleting the card's database folder.
//
// The reading, the file checks and the file search run on a worker over a job made
// when the command starts; the GUI thread only applies what the worker found, so the
// window stays responsive with a slow card and thousands of tracks.
#include "ScopeExit.h"
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
constexpr std::string_view MasterCutName = "db_master_cut";
constexpr std::string_view CutPlaylistName = "db_cut_playlist";

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
    m.Register(MasterCutName, "The database ends inside its master playlist; it is \"%s\" "
                              "again, with every track.");
    m.Register(CutPlaylistName, "A playlist cut short before its name was left out (%s of its "
                                "items had been read).");
    m.Register("card_absent", "The memory card %s is not there.");
    m.Register("no_phone_drive", "No phone drive is chosen.");
    m.Register("card_read_stopped", "Reading the memory card was stopped.");
    m.Register("could_not_add", "Could not add %s: %s");
    m.Register("delete_phone_db",
               "Delete the database of the mobile phone? The folder %s and everything in it "
               "are deleted for good.");
    m.Register("delete_phone_db_failed", "Could not delete the folder %s.");
    m.Register("link_refused", "%s on the memory card is a symbolic link to another place; "
                               "Brisvane writes and deletes nothing through it.");
    m.Register("card_in_use", "The memory card %s is being used by another run of Brisvane. "
                              "Try again when it has finished.");
    m.Register("link_skipped", "%s on the memory card is a symbolic link to another place; "
                               "the files behind it were not taken as the card's.");
}

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

namespace {

// Where each playlist's entries stand among the reader's rows (-1: no row has its key), so
// the GUI thread only numbers them. Worked out on the card-read worker: for a large card,
// matching the keys took long enough to stall the window.
std::vector<std::vector<int>> PlaylistRowsOf(const TBvMultiStringHolder& temp,
                                             const TPlaylistLists& uidLists) {
    const int count = std::min(temp.StringsByName(PlaylistNamesColumn).Count(), MaxPlaylists);
    // Each key's positions in every playlist: a key that stands twice fills both.
    std::unordered_map<std::string_view, std::vector<std::pair<int, int>>> positions;
    std::vector<std::vector<int>> rows(static_cast<size_t>(count));
    for (int p = 0; p < count; ++p) {
        const TStringList& uids = uidLists[static_cast<size_t>(p)];
        rows[static_cast<size_t>(p)].assign(static_cast<size_t>(uids.Count()), -1);
        for (int k = 0; k < uids.Count(); ++k)
            positions[uids[k]].push_back({p, k});
    }
    const TStringList& uidColumn = TrackColumn(temp, TTrackColumn::UID);
    for (int r = 0; r < uidColumn.Count(); ++r)
        if (auto it = positions.find(uidColumn[r]); it != positions.end())
            for (const auto& [p, k] : it->second)
                rows[static_cast<size_t>(p)][static_cast<size_t>(k)] = r;
    return rows;
}

// The reader's tracks become rows and its playlists the playlist box's items. The
// reader's table gives up its texts to the rows. Returns the first row it appended.
int BuildPlaylistsFromDB(TTrackManager& m, TBvMultiStringHolder& temp,
                         const std::vector<std::vector<int>>& playlistRows, bool masterCut) {
    TTrackModel& model = m.Model;
    const TStringList& names = temp.StringsByName(PlaylistNamesColumn);
    const int count = std::min(names.Count(), MaxPlaylists);
    if (names.Count() > MaxPlaylists)
        m.Log.AddLog(m.Messages.Fmt(ExtraPlaylistsName, {IntToStr(names.Count() - MaxPlaylists)}));
    const int rows = TrackColumn(temp, TTrackColumn::UID).Count();
    const int firstRow = model.AppendTracks(temp, rows);
    const std::string allMusic = m.Messages.Text(MessageName::AllMusic);
    for (int p = 0; p < count && p < static_cast<int>(playlistRows.size()); ++p) {
        // A master list the file ends in is rebuilt whole rather than shown half-read.
        m.ListBoxPlayLists.Items.Add(p == 0 && masterCut ? allMusic : names[p]);
        TStringList& tracks = model.PlaylistTracks[static_cast<size_t>(p)];
        tracks.BeginUpdate();
        TScopeExit done([&tracks] { tracks.EndUpdate(); });
        // An entry whose key no row has stays a placeholder, which DropNonRows takes out.
        for (int r : playlistRows[static_cast<size_t>(p)])
            tracks.Add(r >= 0 ? IntToStr(firstRow + r) : std::string(" "));
    }
    // Placeholders go before any row is deleted, so no renumbering ever meets one.
    DropNonRows(model);
    if (count == 0)
        m.ListBoxPlayLists.Items.Add(allMusic);
    if (count == 0 || masterCut)
        model.SyncAllMusic();
    m.NotifyView(TViewId::PlaylistBox);
    return firstRow;
}

bool OnDrive(const std::string& path, char drive) {
    return LowerCase(ExtractFileDrive(path)) == LowerCase(std::string(1, drive) + ":");
}

// Which of the files are gone. With the card away every card file would look dead;
// those are kept.
std::vector<bool> DeadFiles(const std::vector<std::string>& files, char drive, bool cardThere,
                            const std::atomic<uint8_t>& cancel) {
    std::vector<bool> dead(files.size(), false);
    // Each folder listed once: asking per file made a large card slow.
    TFileExistsCache exists;
    for (size_t i = 0; i < files.size() && !cancel; ++i) {
        if (!cardThere && OnDrive(files[i], drive))
            continue;
        dead[i] = !exists.Exists(files[i]);
    }
    return dead;
}

} // namespace

std::vector<std::string> ColumnOf(const TBvMultiStringHolder& table, TTrackColumn name) {
    const TStringList& column = TrackColumn(table, name);
    std::vector<std::string> values;
    values.reserve(static_cast<size_t>(column.Count()));
    for (int i = 0; i < column.Count(); ++i)
        values.push_back(column[i]);
    return values;
}

namespace {

// Deletes the rows the flags name (one per row) and drops the entries left without one.
void DeleteDeadRows(TTrackModel& model, const std::vector<bool>& dead) {
    model.DeleteTracks(dead);
    DropNonRows(model);
}

// Appends the rows the search found, passing over any the list holds by now.
void AppendFound(TTrackManager& m, std::vector<TTrackRowSnapshot>& found) {
    TFileNameSet listed(TrackColumn(m.Model.TrackListHolder, TTrackColumn::FileName));
    for (TTrackRowSnapshot& row : found) {
        if (listed.Contains(row.FileName))
            continue;
        row.UID = IntToStr(m.Model.TrackCount());
        m.Model.AppendTrack(row);
        listed.Add(row.FileName);
    }
}

} // namespace

// One card, one run: the card's lock is taken before a read's reset and held until its
// worker has ended.
bool LockCardForRead(TTrackManager& m) {
    return LockCard(m, UpdateStateOf(m).CardReadLock);
}

void StartCardJob(TTrackManager& m, std::unique_ptr<TCardReadJob> job) {
    auto& st = UpdateStateOf(m);
    job->Drive = m.Model.PhoneDrive;
    job->Texts = m.Messages;
    const TTrackManager::TRunKind kind = job->Kind;
    st.CardJob = std::move(job);
    ++st.CardBusy;
    st.BeginRun(kind);
    if (st.ThreadReadCard->Execute(nullptr) == 0) {
        st.CardJob->ReadFailed = true;
        st.CardJob->ReadError = "the card cannot be read now";
        st.ThreadReadCardFinish();
    }
}

std::unique_ptr<TCardReadJob> NewCardJob(TTrackManager::TRunKind kind) {
    auto job = std::make_unique<TCardReadJob>();
    job->Kind = kind;
    job->ReadDatabase =
        kind == TTrackManager::TRunKind::Read || kind == TTrackManager::TRunKind::Scan;
    job->SearchFiles =
        kind == TTrackManager::TRunKind::Scan || kind == TTrackManager::TRunKind::FileScan;
    return job;
}

void SearchCardFiles(TTrackManager& owner, TCardReadJob& job, TFileNameSet& listed,
                     const std::atomic<uint8_t>& cancel,
                     const std::function<void(const std::string&)>& log); // TrackManagerScan.cpp

// ---- The worker ------------------------------------------------------------------

void TTrackManager::TUpdateState::ThreadReadCardExecute() {
    TCardReadJob& job = *CardJob;
    const TManagerMessages& msg = job.Texts;
    if (CardReadStarted)
        CardReadStarted();
    job.CardThere = DriveReady(job.Drive);
    TFileNameSet listed(TStringList{});
    for (const std::string& f : job.Listed)
        listed.Add(f);

    if (job.ReadDatabase) {
        const std::string db = DriveText(job.Drive) + std::string(iTunesDBFile);
        if (FileExists(db)) {
            job.DatabaseFound = true;
            PostLog(msg.Text(MessageName::ReadingDatabase));
            TReaderContext context;
            context.PhoneDrive = job.Drive;
            context.IsInTrackList = [&listed](const std::string& p) { return listed.Contains(p); };
            try {
                TDatabaseInspector inspector;
                // Only the inspector window shows the report; the card read needs none.
                job.Scan = inspector.OpenPhoneDB(db, job.Temp, job.Uids, context, false);
            } catch (const Exception& e) {
                job.ReadFailed = true;
                job.ReadError = e.Message();
                return;
            }
            const TScanResult& result = job.Scan;
            if (result.DroppedPlaylists > 0)
                PostLog(msg.Fmt(ExtraPlaylistsName, {IntToStr(result.DroppedPlaylists)}));
            if (!result.Completed)
                PostLog(msg.Text(DbCutShortName));
            if (result.DamagedRecords > 0)
                PostLog(msg.Fmt(DamagedRecordsName, {IntToStr(result.DamagedRecords)}));
            // Tracks and items the read leaves out are said once, so none goes silently.
            if (result.RefusedLocations > 0)
                PostLog(msg.Fmt(LeftOutName,
                                {IntToStr(result.RefusedLocations), result.FirstRefusedLocation,
                                 IntToStr(result.DroppedItems)}));
            else if (result.DroppedItems > 0)
                PostLog(msg.Fmt(DroppedItemsName, {IntToStr(result.DroppedItems)}));
            if (result.MasterPlaylistCut)
                PostLog(msg.Fmt(MasterCutName, {msg.Text(MessageName::AllMusic)}));
            if (result.CutPlaylistDropped)
                PostLog(msg.Fmt(CutPlaylistName, {IntToStr(result.CutPlaylistItems)}));
            job.PlaylistRows = PlaylistRowsOf(job.Temp, job.Uids);
            PostLog(msg.Text(MessageName::BuildingPlaylists));
        }
        if (Cancel) {
            job.Stopped = true;
            return;
        }
        PostLog(msg.Text(MessageName::SearchingBadLinks));
        if (!job.CardThere)
            PostLog(msg.Fmt("card_absent", {DriveText(job.Drive)}));
        // Looked at where the read left them: a copy of a large card's paths took as much
        // memory again.
        const std::vector<std::string>& files =
            TrackColumn(job.Temp, TTrackColumn::FileName).Items();
        job.Dead = DeadFiles(files, job.Drive, job.CardThere, Cancel);
        for (size_t i = 0; i < files.size(); ++i)
            if (!job.Dead[i])
                listed.Add(files[i]);
    }
    if (!job.ReadDatabase && !job.SearchFiles) {
        PostLog(msg.Text(MessageName::SearchingBadLinks));
        if (!job.CardThere)
            PostLog(msg.Fmt("card_absent", {DriveText(job.Drive)}));
        job.Dead = DeadFiles(job.Listed, job.Drive, job.CardThere, Cancel);
    }
    if (job.SearchFiles && !Cancel)
        SearchCardFiles(Owner, job, listed, Cancel,
                        [this](const std::string& line) { PostLog(line); });
    if (Cancel)
        job.Stopped = true;
}

void TTrackManager::TUpdateState::EndCardRun() {
    --CardBusy;
    CardReadLock.Unlock();
    EndRun();
}

void TTrackManager::TUpdateState::ThreadReadCardFinish() {
    if (!*Alive)
        return;
    Flush();
    std::unique_ptr<TCardReadJob> job = std::move(CardJob);
    TTrackManager& m = Owner;
    std::string warning;
    const bool reads = job->Kind == TRunKind::Read || job->Kind == TRunKind::Scan;
    // Set when the track view is left to the next turn of the event loop, which ends the run.
    bool viewLater = false;
    {
        // The run ends however applying its result ends.
        TScopeExit ended([this, &viewLater] {
            if (!viewLater)
                EndCardRun();
        });
        if (job->Stopped || Cancel) {
            m.Log.AddLog(m.Messages.Text("card_read_stopped"));
            // A read that did not end leaves the state of the reset it began with.
            if (reads)
                ResetAfterFailedRead(m);
        } else if (reads && job->ReadFailed) {
            warning = m.Messages.Fmt(ReadFailedName, {job->ReadError});
            m.Log.AddLog(warning);
            ResetAfterFailedRead(m);
        } else if (reads) {
            if (job->DatabaseFound) {
                m.ListBoxPlayLists.Items.Clear();
                m.ListBoxPlayLists.ItemIndex = -1;
                m.Model.PhoneDBPath = DriveText(job->Drive) + std::string(iTunesDBFile);
                // The keys change hands: copying a large card's took a while.
                for (size_t p = 0; p < job->Uids.size(); ++p) {
                    m.Model.PlaylistTrackUIDs[p].Clear();
                    m.Model.PlaylistTrackUIDs[p].MoveStringsFrom(job->Uids[p]);
                }
                const int first = BuildPlaylistsFromDB(m, job->Temp, job->PlaylistRows,
                                                       job->Scan.MasterPlaylistCut);
                m.ListBoxPlayLists.ItemIndex = m.ListBoxPlayLists.Items.Count() > 0 ? 0 : -1;
                std::vector<bool> dead(static_cast<size_t>(m.Model.TrackCount()), false);
                for (size_t i = 0; i < job->Dead.size(); ++i)
                    if (job->Dead[i] && first + static_cast<int>(i) < m.Model.TrackCount())
                        dead[static_cast<size_t>(first) + i] = true;
                DeleteDeadRows(m.Model, dead);
            } else {
                DropNonRows(m.Model);
            }
            if (job->Kind == TRunKind::Scan) {
                AppendFound(m, job->Found);
                m.Model.UpdateAllMusic();
                if (m.ListBoxPlayLists.Items.Count() > 0)
                    m.ListBoxPlayLists.ItemIndex = 0;
            }
            m.NotifyView(TViewId::PlaylistBox);
            // A large card's lines fill the track view on the next turns, so the window paints
            // and answers between the pieces of the work instead of after all of it. The run,
            // and with it every held command, ends with the fill.
            viewLater = true;
            m.RefreshTrackViewInPieces([alive = Alive] {
                BV_ASSERT_GUI_THREAD();
                if (!*alive)
                    return;
                // A Stop once the read was in stops nothing, and is not left for the next run.
                (*alive)->Model.CancelRequested = 0;
                (*alive)->Update->EndCardRun();
            });
        } else if (job->Kind == TRunKind::FileScan) {
            AppendFound(m, job->Found);
            m.Model.UpdateAllMusic();
            if (m.ListBoxPlayLists.Items.Count() > 0)
                m.ListBoxPlayLists.ItemIndex = 0;
            m.RefreshTrackView();
        } else if (job->Kind == TRunKind::DeadCheck) {
            // The rows are found by serial: the dead files were looked for by file.
            std::vector<bool> dead(static_cast<size_t>(m.Model.TrackCount()), false);
            for (size_t i = 0; i < job->Dead.size() && i < job->CheckSerials.size(); ++i) {
                const int row = m.Model.RowOfSerial(job->CheckSerials[i]);
                if (job->Dead[i] && row >= 0)
                    dead[static_cast<size_t>(row)] = true;
            }
            DeleteDeadRows(m.Model, dead);
            m.RefreshTrackView();
        }
    }
    if (!warning.empty())
        m.Ui().ShowWarning(warning);
}

// ---- Commands --------------------------------------------------------------------

void TTrackManager::ReadiTuneDB1Click() {
    BV_ASSERT_GUI_THREAD();
    UpdateStateOf(*this);
    if (RefuseWhileBusy() || FloppyGuard(*this))
        return;
    if (!LockCardForRead(*this))
        return;
    btnResetProgClick();
    StartCardJob(*this, NewCardJob(TRunKind::Read));
}

void TTrackManager::btnScanClick() {
    BV_ASSERT_GUI_THREAD();
    UpdateStateOf(*this);
    if (RefuseWhileBusy() || FloppyGuard(*this))
        return;
    if (!LockCardForRead(*this))
        return;
    btnResetProgClick();
    StartCardJob(*this, NewCardJob(TRunKind::Scan));
}

void TTrackManager::Checkforbadfiles1Click() {
    BV_ASSERT_GUI_THREAD();
    UpdateStateOf(*this);
    if (RefuseWhileBusy() || !LockCardForRead(*this))
        return;
    auto job = NewCardJob(TRunKind::DeadCheck);
    job->Listed = ColumnOf(Model.TrackListHolder, TTrackColumn::FileName);
    for (int r = 0; r < Model.TrackCount(); ++r)
        job->CheckSerials.push_back(Model.RowSerial(r));
    StartCardJob(*this, std::move(job));
}

void TTrackManager::DeletephoneDB1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy() || FloppyGuard(*this))
        return;
    const std::string folder =
        ExcludeTrailingPathDelimiter(DriveText(Model.PhoneDrive) + std::string(iTunesDBFolder));
    if (!DirectoryExists(folder))
        return;
    if (!ui_.AskYesNo(Messages.Fmt("delete_phone_db", {folder})))
        return;
    TFolderLock lock;
    if (!LockCard(*this, lock))
        return;
    // Opened level by level from the card's root: a link on the way, which could lead
    // to any folder of the computer, is refused; the folder itself, when it is a link,
    // goes as a link.
    try {
        ContainedDeleteTree(folder);
    } catch (const ELinkRefused& e) {
        const std::string text = Messages.Fmt("link_refused", {e.Link});
        Log.AddLog(text);
        ui_.ShowWarning(text);
        return;
    } catch (const Exception&) {
    }
    if (DirectoryExists(folder))
        ui_.ShowWarning(Messages.Fmt("delete_phone_db_failed", {folder}));
}

void TTrackManager::ParseiTunesDB1Click() {
    BV_ASSERT_GUI_THREAD();
    // The inspector window belongs to the windows layer, which shows it.
}
