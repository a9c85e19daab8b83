#include "DatabaseInspector.h"

#include "Files.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <utility>
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
    TFileDescriptor(TFileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Opens the database read-only and checks it can be one; its size in `size`.
TFileDescriptor OpenDatabaseFile(const std::string& fileName, int64_t& size) {
    // Card paths keep their Windows form; the drive table says where they lie.
    const std::string path = ResolvePath(fileName);
    // Not blocking, so a named pipe in the database's place cannot hang the open.
    TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0)
        throw EInOutError(Format("Cannot open file \"%s\". %s", {fileName, std::strerror(errno)}));
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0)
        throw EInOutError(Format("Cannot read file \"%s\". %s", {fileName, std::strerror(errno)}));
    if (!S_ISREG(st.st_mode))
        throw EInOutError(Format("%s is not a file", {fileName}));
    size = st.st_size;
    if (size > MaxDatabaseFileSize)
        throw EInOutError(Format("The database %s is %d bytes long; no phone's database is "
                                 "larger than %d bytes.",
                                 {fileName, size, MaxDatabaseFileSize}));
    return fd;
}

// Reads up to `count` bytes, fewer only at the end of the file; raises EInOutError
// when the read fails.
size_t ReadSome(const TFileDescriptor& fd, char* into, size_t count, const std::string& fileName) {
    size_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd.Get(), into + got, count - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EInOutError(
                Format("Cannot read file \"%s\". %s", {fileName, std::strerror(errno)}));
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return got;
}

// A file that gave fewer bytes than it holds was not read: half a database would pass
// for a smaller one.
[[noreturn]] void ThrowShortRead(const std::string& fileName, size_t got, int64_t size) {
    throw EInOutError(Format("Cannot read file \"%s\": only %d of its %d bytes could be read.",
                             {fileName, static_cast<int64_t>(got), size}));
}

} // namespace

TLargeBuffer ReadDatabaseFile(const std::string& fileName) {
    int64_t size = 0;
    const TFileDescriptor fd = OpenDatabaseFile(fileName, size);
    // Left unfilled: the read fills it, and a short read is refused below.
    TLargeBuffer bytes;
    try {
        bytes = TLargeBuffer(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EInOutError(
            Format("Not enough memory to read the %d bytes of %s.", {size, fileName}));
    }
    const size_t got = ReadSome(fd, bytes.Data(), bytes.Size(), fileName);
    if (got < bytes.Size())
        ThrowShortRead(fileName, got, size);
    return bytes;
}

TScanResult ScanDatabaseFile(const std::string& fileName, TDatabaseReader& reader,
                             TBvMultiStringHolder& temp, TPlaylistLists& uids,
                             const TReaderContext& context, bool withReport, size_t pieceBytes) {
    int64_t size = 0;
    const TFileDescriptor fd = OpenDatabaseFile(fileName, size);
    const auto fileSize = static_cast<size_t>(size);
    // One piece at a time in one reused buffer: the file is never held whole, and the
    // scan finds each piece in the cache the read left it in.
    size_t capacity = std::min(fileSize, std::max(pieceBytes, TDatabaseReader::MinFeedBytes));
    auto buffer = std::make_unique_for_overwrite<char[]>(std::max<size_t>(capacity, 1));
    size_t base = 0; // the file offset of the buffer's first byte
    size_t held = 0; // the bytes the buffer holds
    reader.Begin(fileSize, temp, uids, context, withReport);
    try {
        for (;;) {
            const size_t want = std::min(capacity - held, fileSize - base - held);
            const size_t got = ReadSome(fd, buffer.get() + held, want, fileName);
            held += got;
            if (got < want)
                ThrowShortRead(fileName, base + held, size);
            const size_t keepFrom = reader.Feed({buffer.get(), held}, base);
            if (base + held == fileSize)
                break;
            // The bytes from keepFrom on start the next piece; when they fill the buffer
            // (a record longer than a piece), the buffer grows to take more after them.
            const size_t keep = base + held - keepFrom;
            if (keep == capacity) {
                capacity = std::min(capacity * 2, fileSize);
                auto larger = std::make_unique_for_overwrite<char[]>(capacity);
                std::memcpy(larger.get(), buffer.get(), keep);
                buffer = std::move(larger);
            } else {
                std::memmove(buffer.get(), buffer.get() + (keepFrom - base), keep);
            }
            base = keepFrom;
            held = keep;
        }
    } catch (...) {
        // What was collected before the read failed is not the card's: none of it stays.
        reader.Scan({}, temp, uids, context, false);
        throw;
    }
    return reader.Finish();
}

TScanResult TDatabaseInspector::Open(const std::string& fileName, TBvMultiStringHolder& temp,
                                     TPlaylistLists& uids, const TReaderContext& context,
                                     bool withReport) {
    // The outputs are cleared first, so a file that cannot be read leaves none
    // of the previous card's tracks behind.
    reader_.Scan({}, temp, uids, context, false);
    Caption += " " + fileName;
    TScanResult result = ScanDatabaseFile(fileName, reader_, temp, uids, context, withReport);
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
