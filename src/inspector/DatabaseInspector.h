// The inspector's state without its window: the caption that grows by every
// opened path, the report text, the size label, and the file name its open
// dialog starts with. The card read runs it on the phone's database.
#pragma once

#include "DatabaseReader.h"
#include "LargeBuffers.h"

#include <string>

class TDatabaseInspector {
public:
    // Opens the file read-only, scans it piece by piece as it reads it and keeps
    // the report; raises EInOutError when the file cannot be read, leaving the
    // outputs cleared and the previous report shown.
    // `temp` is the reader's table (MakeTempStringHolder), `uids` its key lists.
    // Without `withReport` no report is made and the previous one stays.
    TScanResult Open(const std::string& fileName, TBvMultiStringHolder& temp, TPlaylistLists& uids,
                     const TReaderContext& context, bool withReport = true);
    // The card read: opens the phone's database without asking.
    TScanResult OpenPhoneDB(const std::string& phoneDBPath, TBvMultiStringHolder& temp,
                            TPlaylistLists& uids, const TReaderContext& context,
                            bool withReport = true);

    std::string Caption = "BD decoder";
    std::string Report;
    std::string SizeLabel = "0";
    std::string OpenDialogFileName;

private:
    TDatabaseReader reader_;
};

// A database larger than this is no phone's: its tracks would not fit any card
// the phone takes. Reading one whole would only exhaust memory.
constexpr int64_t MaxDatabaseFileSize = 256 * 1024 * 1024;

// The whole file, read-only, read straight into a buffer of its size (not mapped:
// a card pulled or a file cut short while it is scanned would end the program).
// Raises EInOutError when it is no regular file, is larger than MaxDatabaseFileSize,
// or cannot be read whole.
TLargeBuffer ReadDatabaseFile(const std::string& fileName);

// The same file scanned piece by piece as it is read, never held whole; the result is
// the reader's Scan of the whole file. Raises what ReadDatabaseFile raises, at the
// latest when the piece that cannot be read is reached, with the outputs cleared.
// The piece of the file read at a time: small enough to stay in the processor's cache
// while it is scanned, large enough that the reads cost little.
constexpr size_t DatabasePieceBytes = 64 * 1024;

// The same file scanned piece by piece as it is read, never held whole; the result is
// the reader's Scan of the whole file. Raises what ReadDatabaseFile raises, at the
// latest when the piece that cannot be read is reached, with the outputs cleared.
// `pieceBytes` is the read's first piece; never less than the reader takes.
TScanResult ScanDatabaseFile(const std::string& fileName, TDatabaseReader& reader,
                             TBvMultiStringHolder& temp, TPlaylistLists& uids,
                             const TReaderContext& context, bool withReport,
                             size_t pieceBytes = DatabasePieceBytes);
