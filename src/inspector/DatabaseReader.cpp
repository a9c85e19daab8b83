#include "DatabaseReader.h"

#include "DataSetRecord.h"
#include "RecordReport.h"
#include "StringRecord.h"
#include "TextCodec.h"
#include "TrackColumns.h"
#include "TrackRecord.h"

TBvMultiStringHolder MakeTempStringHolder() {
    TBvMultiStringHolder table;
    for (TTrackColumn column : TrackColumns)
        table.MultipleStrings().Add().SetName(std::string(TrackColumnName(column)));
    table.MultipleStrings().Add().SetName(std::string(PlaylistNamesColumn));
    return table;
}

namespace {

// A location such as E:\mobile\..\..\x.mp3 would name a file outside the
// folders the database may point at.
bool ClimbsUp(std::string_view path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (path.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

void TDatabaseReader::Reset() {
    inTrackList_ = false;
    inPlaylist_ = false;
    mhodsLeft_ = 0;
    sectionCount_ = 0;
    playlistIndex_ = -1;
    playlistNamed_ = false;
    playlistsSeen_ = 0;
    playlistItemsCounted_ = 0;
    playlistItemsRead_ = 0;
    pending_ = {};
    using enum TTrackColumn;
    cols_ = {&TrackColumn(*temp_, Artist),
             &TrackColumn(*temp_, Title),
             &TrackColumn(*temp_, Album),
             &TrackColumn(*temp_, Time),
             &TrackColumn(*temp_, Size),
             &TrackColumn(*temp_, FileName),
             &TrackColumn(*temp_, BitRate),
             &TrackColumn(*temp_, UID),
             &temp_->StringsByName(PlaylistNamesColumn)};
    for (TStringList* list : {cols_.UID, cols_.Artist, cols_.Title, cols_.Album, cols_.Size,
                              cols_.Time, cols_.FileName, cols_.BitRate, cols_.Playlists})
        list->Clear();
    for (auto& list : *uids_)
        list.Clear();
}

void TDatabaseReader::HandOver(TScanResult& result) {
    if (pending_.UID.empty())
        return;
    std::string path = pending_.FileName;
    for (char& c : path)
        if (c == ':')
            c = '\\';
    path = std::string(1, context_->PhoneDrive) + ":" + path;
    if (ClimbsUp(path)) {
        if (result.RefusedLocations++ == 0)
            result.FirstRefusedLocation = path;
    } else if (!context_->IsInTrackList || !context_->IsInTrackList(path)) {
        cols_.Artist->Add(std::move(pending_.Artist));
        cols_.Album->Add(std::move(pending_.Album));
        cols_.Size->Add(std::move(pending_.Size));
        cols_.Title->Add(std::move(pending_.Title));
        cols_.Time->Add(std::move(pending_.Time));
        cols_.BitRate->Add(std::move(pending_.BitRate));
        cols_.FileName->Add(std::move(path));
        cols_.UID->Add(std::move(pending_.UID));
    }
    pending_ = {};
}

void TDatabaseReader::Apply(TDecodedRecord& rec, TScanResult& result) {
    switch (rec.Kind) {
    case TRecordKind::DataSet:
        HandOver(result);
        ++sectionCount_;
        break;
    case TRecordKind::TrackList:
        inTrackList_ = true;
        break;
    case TRecordKind::PlaylistList:
        inTrackList_ = false;
        break;
    case TRecordKind::Track:
        HandOver(result);
        mhodsLeft_ = static_cast<int>(rec.DataCount);
        pending_.UID = TrackKey(rec.Id);
        pending_.Size = std::to_string(rec.Size);
        pending_.Time = PlayingTimeText(rec.TimeMs);
        pending_.BitRate = std::to_string(rec.BitRate);
        break;
    case TRecordKind::Playlist:
        inPlaylist_ = true;
        // Each playlist gets a list of its own, named or not, so its items
        // never join the playlist before it.
        if (sectionCount_ < 3) {
            if (playlistsSeen_ < MaxPlaylists) {
                cols_.Playlists->Add("");
                playlistIndex_ = playlistsSeen_;
            } else {
                ++result.DroppedPlaylists;
                playlistIndex_ = MaxPlaylists;
            }
            ++playlistsSeen_;
            playlistNamed_ = false;
            playlistItemsCounted_ = rec.DataCount;
            playlistItemsRead_ = 0;
        }
        break;
    case TRecordKind::Item:
        if (sectionCount_ < 3) {
            if (playlistIndex_ >= 0 && playlistIndex_ < MaxPlaylists) {
                (*uids_)[static_cast<size_t>(playlistIndex_)].Add(TrackKey(rec.Id));
                ++playlistItemsRead_;
            } else
                ++result.DroppedItems;
        }
        break;
    case TRecordKind::Data:
        if (!rec.IsString)
            break;
        if (rec.HasText) {
            if (mhodsLeft_ > 0 && inTrackList_) {
                switch (rec.DataType) {
                case TStringRecord::stTitle:
                    pending_.Title = std::move(rec.Text);
                    break;
                case TStringRecord::stLocation:
                    pending_.FileName = std::move(rec.Text);
                    break;
                case TStringRecord::stAlbum:
                    pending_.Album = std::move(rec.Text);
                    break;
                case TStringRecord::stArtist:
                    pending_.Artist = std::move(rec.Text);
                    break;
                default:
                    break;
                }
            } else if (!inTrackList_ && rec.DataType == TStringRecord::stTitle && inPlaylist_ &&
                       sectionCount_ < 3 && playlistIndex_ >= 0 && playlistIndex_ < MaxPlaylists &&
                       !playlistNamed_) {
                cols_.Playlists->Put(playlistIndex_, std::move(rec.Text));
                playlistNamed_ = true;
            }
        }
        --mhodsLeft_;
        break;
    default:
        break;
    }
}

// A file cut inside its last playlist still parses: the playlist's record may be whole and
// its name or items simply absent. It shows by the items it lacks against its own count.
void TDatabaseReader::CheckLastPlaylist(TScanResult& result) {
    if (sectionCount_ >= 3 || playlistIndex_ < 0 || playlistIndex_ >= MaxPlaylists ||
        playlistItemsRead_ >= playlistItemsCounted_)
        return;
    if (playlistIndex_ == 0) {
        result.MasterPlaylistCut = true;
    } else if (!playlistNamed_) {
        cols_.Playlists->Delete(playlistIndex_);
        (*uids_)[static_cast<size_t>(playlistIndex_)].Clear();
        result.CutPlaylistDropped = true;
        result.CutPlaylistItems = static_cast<int>(playlistItemsRead_);
    }
}

TScanResult TDatabaseReader::Scan(std::string_view db, TBvMultiStringHolder& temp,
                                  TPlaylistLists& uids, const TReaderContext& context,
                                  bool withReport) {
    temp_ = &temp;
    uids_ = &uids;
    context_ = &context;
    Reset();
    TScanResult result;
    result.Size = db.size();
    // A report runs to about three times the file; growing it step by step
    // would copy it over and over.
    if (withReport)
        result.Report.reserve(db.size() * 3);
    // The text bytes of the last string record read: a tag there is part of its text.
    size_t textBegin = 0, textEnd = 0;
    // Every record tag ends in "hm", and only such tags get a line.
    for (size_t hm = db.find("hm", 2); hm != std::string_view::npos; hm = db.find("hm", hm + 1)) {
        const size_t i = hm - 2;
        const std::string_view tag = db.substr(i, 4);
        if (i >= textBegin && i < textEnd && IsRecordTag(tag))
            continue;
        TDecodedRecord rec;
        try {
            rec = withReport ? DecodeRecord(db, i) : DecodeRecordFields(db, i);
        } catch (const TRecordPastEnd&) {
            result.Completed = false;
            result.StopOffset = i;
            // The track before a cut-off track or data set is complete: keep it.
            if (tag == TTrackRecord::Tag || tag == TDataSetRecord::Tag)
                HandOver(result);
            break;
        }
        if (rec.Damaged) {
            ++result.DamagedRecords;
        } else {
            if (rec.TextEnd > rec.TextBegin) {
                textBegin = rec.TextBegin;
                textEnd = rec.TextEnd;
            }
            Apply(rec, result);
        }
        if (withReport) {
            result.Report += std::to_string(i);
            result.Report += '\t';
            result.Report += CleanUtf8(Cp1251ToUtf8(tag));
            result.Report += rec.SubLabel;
            result.Report += '\t';
            result.Report += rec.Details;
            result.Report += "\r\n";
        }
    }
    if (result.Completed)
        // A track that is the file's last record has nothing after it to hand it over.
        HandOver(result);
    CheckLastPlaylist(result);
    if (!result.Completed && withReport) {
        result.Report +=
            Format("Scan stopped at offset %d: the record there runs past the end of "
                   "the file (%d bytes).\r\n",
                   {static_cast<int64_t>(result.StopOffset), static_cast<int64_t>(db.size())});
    }
    temp_ = nullptr;
    uids_ = nullptr;
    context_ = nullptr;
    cols_ = {};
    return result;
}
