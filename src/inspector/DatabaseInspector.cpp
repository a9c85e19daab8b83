#include "DatabaseInspector.h"

#include "Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor however the read ends.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    ~TFileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

} // namespace

TLargeBuffer ReadDatabaseFile(const std::string& fileName) {
    // Card paths keep their Windows form; the drive table says where they lie.
    const std::string path = ResolvePath(fileName);
    // Not blocking, so a named pipe in the database's place cannot hang the open.
    const TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0)
        throw EInOutError(Format("Cannot open file \"%s\". %s", {fileName, std::strerror(errno)}));
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0)
        throw EInOutError(Format("Cannot read file \"%s\". %s", {fileName, std::strerror(errno)}));
    if (!S_ISREG(st.st_mode))
        throw EInOutError(Format("%s is not a file", {fileName}));
    const int64_t size = st.st_size;
    if (size > MaxDatabaseFileSize)
        throw EInOutError(Format("The database %s is %d bytes long; no phone's database is "
                                 "larger than %d bytes.",
                                 {fileName, size, MaxDatabaseFileSize}));
    // Left unfilled: the read fills it, and a short read is refused below.
    TLargeBuffer bytes;
    try {
        bytes = TLargeBuffer(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EInOutError(
            Format("Not enough memory to read the %d bytes of %s.", {size, fileName}));
    }
    size_t got = 0;
    while (got < bytes.Size()) {
        const ssize_t n = ::read(fd.Get(), bytes.Data() + got, bytes.Size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EInOutError(
                Format("Cannot read file \"%s\". %s", {fileName, std::strerror(errno)}));
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    // A file that gave fewer bytes than it holds was not read: half a database
    // would pass for a smaller one.
    if (got < bytes.Size())
        throw EInOutError(Format("Cannot read file \"%s\": only %d of its %d bytes could be read.",
                                 {fileName, static_cast<int64_t>(got), size}));
    return bytes;
}

TScanResult TDatabaseInspector::Open(const std::string& fileName, TBvMultiStringHolder& temp,
                                     TPlaylistLists& uids, const TReaderContext& context,
                                     bool withReport) {
    // The outputs are cleared first, so a file that cannot be read leaves none
    // of the previous card's tracks behind.
    reader_.Scan({}, temp, uids, context, false);
    Caption += " " + fileName;
    const TLargeBuffer db = ReadDatabaseFile(fileName);
    TScanResult result = reader_.Scan(db, temp, uids, context, withReport);
    if (withReport)
        Report = result.Report;
    SizeLabel = std::to_string(static_cast<uint32_t>(result.Size));
    return result;
}

TScanResult TDatabaseInspector::OpenPhoneDB(const std::string& phoneDBPath,
                                            TBvMultiStringHolder& temp, TPlaylistLists& uids,
                                            const TReaderContext& context, bool withReport) {
    OpenDialogFileName = phoneDBPath;
    return Open(phoneDBPath, temp, uids, context, withReport);
}
