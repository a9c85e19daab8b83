// The phone's music database: the record encoders as plain routines, the
// assembly of a whole file from a snapshot of the track list and playlists,
// and the folder search routines of the track manager.
#pragma once

#include "Classes.h"
#include "LargeBuffers.h"
#include "SysUtils.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

BV_DECLARE_EXCEPTION(EiTunesDBError, EBvException);

// The playlists are held in fixed arrays of this many lists, the master included.
constexpr int MaxPlaylists = 101;
using TPlaylistLists = std::array<TStringList, MaxPlaylists>;

// The database file below the phone drive.
inline constexpr std::string_view iTunesDBFolder = "\\iTunes\\iTunes_Control\\iTunes\\";
inline constexpr std::string_view iTunesDBFile = "\\iTunes\\iTunes_Control\\iTunes\\iTunesDB";

// Track ids and database ids follow the row order of the moment.
constexpr int32_t FirstTrackId = 92;
constexpr int32_t FirstDbId = 143;

uint32_t SwapBytes32(uint32_t x);
std::string IntToBytesBE(int32_t x);
std::string ZeroBytes(int32_t n);

std::string BuildDbHeaderRecord(int32_t totalLength);
std::string BuildDataSetRecord(int32_t totalLength, int32_t type);
std::string BuildTrackListRecord(int32_t trackCount);
std::string BuildTrackRecord(int32_t totalLength, int32_t stringCount, int32_t trackId,
                             uint32_t size, int32_t timeMs, int32_t year, int32_t bitRate,
                             int32_t sampleRate, int32_t dbId, uint32_t typeCode);
std::string BuildStringRecord(int32_t type, std::string_view text);
std::string BuildPlaylistFixedRecords();
std::string BuildPositionRecord(int32_t position);
std::string BuildPlaylistListRecord(int32_t playlistCount);
std::string BuildPlaylistRecord(int32_t totalLength, int32_t itemCount, int32_t master);
std::string BuildPlaylistItemRecord(int32_t trackId);

// One row of the track table, its eight columns as text.
struct TTrackRowSnapshot {
    std::string Artist, Title, Album, Time, Size, FileName, BitRate, UID;
};

// Everything the assembly reads, copied when the build starts, so the build can
// run on a worker while the GUI thread goes on changing the live tables.
// The rows of a snapshot: ten thousand tracks take megabytes, first touched a large page
// at a time.
using TTrackRows = std::vector<TTrackRowSnapshot, TLargePageAllocator<TTrackRowSnapshot>>;

struct TDatabaseSnapshot {
    TTrackRows Tracks;
    std::vector<std::string> PlaylistNames;
    // Entry lists by playlist; a playlist without a list here has no items.
    std::vector<std::vector<std::string>> PlaylistEntries;
    char PhoneDrive = 'E';
    std::string UploadPath = "\\mobile\\audio\\";
};

// Playing time in milliseconds from a Time text ("3:5", "03:05"); raises
// EConvertError when the minutes or seconds are no numbers.
int32_t TimeTextToMs(std::string_view time);
// The file-type code by the file's extension.
uint32_t TypeCodeOf(std::string_view fileName);
// The size field holds 0 to 4 GiB - 1 bytes, which is also the largest file the card's
// file system keeps. False for a number outside that range; EConvertError for no number.
bool TrackSizeFits(std::string_view sizeText);

// Receives the database image piece after piece, in order; a piece's bytes are
// valid only during the call.
using TImagePieceSink = std::function<void(std::string_view piece)>;

// The size pieces of the image are handed over in: one large page. Fresh memory is
// costly page by page: a piece buffer of small pages took more page faults than one large
// page takes to clear, and smaller pieces cost more file writes.
inline constexpr size_t ImagePieceSize = size_t{2} << 20;

struct TImagePlan;

// The database image of a snapshot, written piece by piece through one reused buffer, so
// that the whole file is never held in memory. Everything that can fail on the data is
// done when the writer is made: a write raises only on a fault of the writer itself.
// The snapshot must outlive the writer.
class TDatabaseImageWriter {
public:
    // Reads every number, draws the items' random bytes and sizes every record. Raises
    // EConvertError on a malformed number and EiTunesDBError for a size that does not
    // fit (TrackSizeFits) or more playlists than the phone's lists hold.
    explicit TDatabaseImageWriter(const TDatabaseSnapshot& snapshot);
    ~TDatabaseImageWriter();
    TDatabaseImageWriter(const TDatabaseImageWriter&) = delete;
    TDatabaseImageWriter& operator=(const TDatabaseImageWriter&) = delete;

    // The image's length in bytes.
    size_t Size() const;
    // Hands the image to `write` in consecutive pieces of at most pieceSize bytes (a
    // record longer than that goes in one piece of its own). Every write of the same
    // writer gives the same bytes.
    void Write(const TImagePieceSink& write, size_t pieceSize = ImagePieceSize) const;
    // Writes the whole image at `image`, Size() bytes.
    void WriteInto(char* image) const;

private:
    std::unique_ptr<TImagePlan> plan_;
};

// The image of a snapshot handed to `write` piece by piece; raises as the writer does,
// before the first piece.
void WriteDatabaseImage(const TDatabaseSnapshot& snapshot, const TImagePieceSink& write);

// The whole database image at once, in a buffer on large pages (an update writes the
// pieces of a TDatabaseImageWriter instead). Raises as the writer does; no partial image.
TLargeBuffer BuildDatabaseImage(const TDatabaseSnapshot& snapshot);
// The same image as a string, for callers that keep or edit it as one.
std::string BuildDatabase(const TDatabaseSnapshot& snapshot);

// Clears the list and adds the names of the folder's entries with that
// extension; true when any matched.
bool FindFilesByExt(std::string_view folder, std::string_view ext, TStrings& list);
// Appends the path of every .mp3 and .m4a file below the folder, depth first.
void FindMusicFilesRecursive(std::string_view folder, TStrings& list);
