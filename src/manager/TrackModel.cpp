#include "TrackModel.h"

#include "DatabaseReader.h"
#include "TextCodec.h"
#include "TrackTableRows.h"

#include <algorithm>
#include <unordered_set>

TBvMultiStringHolder MakeTrackTable() {
    TBvMultiStringHolder table;
    for (TTrackColumn column : TrackColumns)
        table.MultipleStrings().Add().SetName(std::string(TrackColumnName(column)));
    return table;
}

namespace {

std::string ExtractFileDrive(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':')
        return std::string(path.substr(0, 2));
    return "";
}

} // namespace

TTrackModel::TTrackModel()
    : TrackListHolder(MakeTrackTable()), DeletedHolder(MakeTrackTable()),
      TempStringHolder(MakeTempStringHolder()) {}

void TTrackModel::ResetRunFlags() {
    ConverterRunning = 0;
    CancelRequested = 0;
    CopyDone = 0;
    ConvertDone = 0;
    CopyingFileSize = 0;
    ConvertingFileSize = 0;
}

void TTrackModel::GetTrackField(int row, TTrackColumn column, std::string& result) const {
    result = TrackColumn(TrackListHolder, column).Get(row);
}

void TTrackModel::GetMediaDBField(int row, TTrackColumn column, std::string& result) const {
    result = TrackColumn(MediaDB, column).Get(row);
}

void TTrackModel::GetDeletedField(int row, TTrackColumn column, std::string& result) const {
    result = TrackColumn(DeletedHolder, column).Get(row);
}

int TTrackModel::TrackCount() const {
    return TrackColumn(TrackListHolder, TTrackColumn::FileName).Count();
}

int TTrackModel::StrToTrackIndex(std::string_view text) {
    return StrToInt(text);
}

std::string FileNameKey(std::string_view name) {
    // Lower case by code point; a byte that is not UTF-8 stays the byte it is
    // rather than becoming U+FFFD, which would make "x\xe9" and "x\xe8" one name.
    return AnsiLowerCase(name);
}

TFileNameSet::TFileNameSet(const TStrings& names) {
    keys_.reserve(static_cast<size_t>(names.Count()));
    for (const std::string& name : names.Items())
        keys_.insert(FileNameKey(name));
}

bool TTrackModel::IsInTrackList(std::string_view path) const {
    const std::string key = FileNameKey(path);
    for (const std::string& name : TrackColumn(TrackListHolder, TTrackColumn::FileName).Items())
        if (FileNameKey(name) == key)
            return true;
    return false;
}

bool TTrackModel::IsOnPhone(std::string_view path) const {
    return LowerCase(ExtractFileDrive(path)) == LowerCase(std::string(1, PhoneDrive) + ":");
}

void TTrackModel::SyncSerials() {
    const auto rows = static_cast<size_t>(TrackCount());
    // Rows appended column by column by the adders get their serials here.
    while (serials_.size() < rows)
        serials_.push_back(nextSerial_++);
    serials_.resize(rows);
}

int TTrackModel::AppendTrack(const TTrackRowSnapshot& r) {
    SyncSerials();
    for (TTrackColumn column : TrackColumns)
        TrackColumn(TrackListHolder, column).Add(r.*TrackRowField(column));
    SyncSerials();
    return TrackCount() - 1;
}

int TTrackModel::AppendTracks(TBvMultiStringHolder& table, int rows) {
    SyncSerials();
    const int first = TrackCount();
    // Every column is looked at before any is changed: a table that lacks one, or whose
    // column is short, changes nothing.
    std::vector<TStringList*> from;
    bool whole = true;
    for (TTrackColumn column : TrackColumns) {
        from.push_back(&TrackColumn(table, column));
        if (rows > 0)
            from.back()->Get(rows - 1);
        whole = whole && from.back()->Count() == rows;
    }
    size_t i = 0;
    for (TTrackColumn column : TrackColumns) {
        TStringList& to = TrackColumn(TrackListHolder, column);
        TStringList& source = *from[i++];
        if (whole) {
            to.MoveStringsFrom(source);
            continue;
        }
        to.BeginUpdate();
        to.Reserve(to.Count() + rows);
        for (int r = 0; r < rows; ++r)
            to.Add(source[r]);
        to.EndUpdate();
    }
    SyncSerials();
    return first;
}

void TTrackModel::DeleteTrack(int row, uint8_t toDeleted) {
    SyncSerials();
    for (TTrackColumn c : TrackColumns)
        TrackColumn(TrackListHolder, c).Get(row); // a bad row raises before anything changes

    // The renumbered lists are computed first and swapped in only when complete.
    std::vector<std::vector<std::string>> renumbered(PlaylistTracks.size());
    for (size_t i = 0; i < PlaylistTracks.size(); ++i) {
        for (const std::string& entry : PlaylistTracks[i].Items()) {
            int32_t value;
            if (!TryStrToInt(entry, value))
                renumbered[i].push_back(entry);
            else if (value > row)
                renumbered[i].push_back(std::to_string(value - 1));
            else if (value < row)
                renumbered[i].push_back(entry);
        }
    }
    if (toDeleted == 1)
        for (TTrackColumn c : TrackColumns)
            TrackColumn(DeletedHolder, c).Add(TrackColumn(TrackListHolder, c).Get(row));
    // FileName goes last: the row count is read from it.
    using enum TTrackColumn;
    for (TTrackColumn c : {UID, Artist, BitRate, Title, Album, Size, Time, FileName})
        TrackColumn(TrackListHolder, c).Delete(row);
    serials_.erase(serials_.begin() + row);
    for (size_t i = 0; i < PlaylistTracks.size(); ++i) {
        TStringList& list = PlaylistTracks[i];
        list.BeginUpdate();
        list.Clear();
        for (auto& e : renumbered[i])
            list.Add(std::move(e));
        list.EndUpdate();
    }
}

void TTrackModel::DeleteTracks(const std::vector<bool>& remove) {
    SyncSerials();
    const int rows = TrackCount();
    // The new number of every row, -1 for a removed one.
    std::vector<int> renumber(static_cast<size_t>(rows));
    int removed = 0;
    for (int r = 0; r < rows; ++r) {
        const bool gone = static_cast<size_t>(r) < remove.size() && remove[static_cast<size_t>(r)];
        renumber[static_cast<size_t>(r)] = gone ? -1 : r - removed;
        removed += gone ? 1 : 0;
    }
    if (removed == 0)
        return;
    for (auto& list : PlaylistTracks) {
        std::vector<std::string> kept;
        kept.reserve(list.Items().size());
        for (const std::string& entry : list.Items()) {
            int32_t value;
            if (!TryStrToInt(entry, value) || value < 0) {
                kept.push_back(entry);
                continue;
            }
            // Entries past the last row move down by every removed row, as one
            // DeleteTrack per row would move them.
            const int now = value < rows ? renumber[static_cast<size_t>(value)] : value - removed;
            if (now < 0)
                continue;
            kept.push_back(now == value ? entry : std::to_string(now));
        }
        if (kept.size() == list.Items().size() &&
            std::equal(kept.begin(), kept.end(), list.Items().begin()))
            continue;
        list.BeginUpdate();
        list.Clear();
        for (std::string& e : kept)
            list.Add(std::move(e));
        list.EndUpdate();
    }
    RemoveTableRows(TrackListHolder, remove);
    std::vector<uint64_t> serials;
    serials.reserve(static_cast<size_t>(rows - removed));
    for (int r = 0; r < rows; ++r)
        if (renumber[static_cast<size_t>(r)] >= 0)
            serials.push_back(serials_[static_cast<size_t>(r)]);
    serials_ = std::move(serials);
}

void TTrackModel::ExchangeTracks(int a, int b) {
    SyncSerials();
    for (TTrackColumn c : TrackColumns)
        TrackColumn(TrackListHolder, c).Exchange(a, b);
    std::swap(serials_.at(static_cast<size_t>(a)), serials_.at(static_cast<size_t>(b)));
}

void TTrackModel::ClearTracks() {
    for (auto* table : {&TrackListHolder, &DeletedHolder})
        for (int i = 0; i < table->MultipleStrings().Count(); ++i)
            table->MultipleStrings().Items(i).Strings().Clear();
    for (auto& list : PlaylistTracks)
        list.Clear();
    serials_.clear();
}

uint64_t TTrackModel::RowSerial(int row) {
    SyncSerials();
    return serials_.at(static_cast<size_t>(row));
}

int TTrackModel::RowOfSerial(uint64_t serial) {
    SyncSerials();
    for (size_t i = 0; i < serials_.size(); ++i)
        if (serials_[i] == serial)
            return static_cast<int>(i);
    return -1;
}

void TTrackModel::SyncAllMusic() {
    TStringList& master = PlaylistTracks[0];
    // Entries compare as texts, so "5" and "05" are two entries.
    std::unordered_set<std::string> held(master.Items().begin(), master.Items().end());
    auto add = [&](const std::string& entry) {
        if (held.insert(entry).second)
            master.Add(entry);
    };
    for (auto& list : PlaylistTracks) {
        const int count = list.Count();
        for (int j = 0; j < count; ++j)
            add(list[j]);
    }
    for (int r = 0; r < TrackCount(); ++r)
        add(std::to_string(r));
}

TDatabaseSnapshot TTrackModel::Snapshot(const TStrings& playlistNames) const {
    TDatabaseSnapshot s;
    const int rows = TrackCount();
    s.Tracks.resize(static_cast<size_t>(rows));
    for (TTrackColumn column : TrackColumns) {
        const TStringList& list = TrackColumn(TrackListHolder, column);
        const auto field = TrackRowField(column);
        for (int r = 0; r < rows; ++r)
            s.Tracks[static_cast<size_t>(r)].*field = list.Get(r);
    }
    s.PlaylistNames = playlistNames.Items();
    for (int p = 0; p < playlistNames.Count() && p < MaxPlaylists; ++p)
        s.PlaylistEntries.push_back(PlaylistTracks[static_cast<size_t>(p)].Items());
    s.PhoneDrive = PhoneDrive;
    s.UploadPath = UploadPath;
    return s;
}
