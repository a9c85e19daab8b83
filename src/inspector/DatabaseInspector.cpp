#include "DatabaseInspector.h"

#include "Files.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

std::string ReadDatabaseFile(const std::string& fileName) {
    // Card paths keep their Windows form; the drive table says where they lie.
    std::ifstream in(ResolvePath(fileName), std::ios::binary);
    if (!in)
        throw EInOutError(Format("Cannot open file \"%s\". %s", {fileName, std::strerror(errno)}));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        throw EInOutError(Format("Cannot read file \"%s\".", {fileName}));
    return std::move(bytes).str();
}

TScanResult TDatabaseInspector::Open(const std::string& fileName, TBvMultiStringHolder& temp,
                                     TPlaylistLists& uids, const TReaderContext& context) {
    // The outputs are cleared first, so a file that cannot be read leaves none
    // of the previous card's tracks behind.
    reader_.Scan({}, temp, uids, context);
    Caption += " " + fileName;
    const std::string db = ReadDatabaseFile(fileName);
    TScanResult result = reader_.Scan(db, temp, uids, context);
    Report = result.Report;
    SizeLabel = std::to_string(static_cast<uint32_t>(result.Size));
    return result;
}

TScanResult TDatabaseInspector::OpenPhoneDB(const std::string& phoneDBPath,
                                            TBvMultiStringHolder& temp, TPlaylistLists& uids,
                                            const TReaderContext& context) {
    OpenDialogFileName = phoneDBPath;
    return Open(phoneDBPath, temp, uids, context);
}
