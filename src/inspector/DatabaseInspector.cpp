#include "DatabaseInspector.h"

#include "Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

namespace {

// Scans the file from `from` on as it reads it, one piece at a time in one reused buffer:
// the file is never held whole, and the scan finds each piece in the cache the read left it
// in. `from` is where the scan needs its next bytes.
void ScanByReading(const TFileDescriptor& fd, const std::string& fileName, size_t fileSize,
                   size_t from, TDatabaseReader& reader, size_t pieceBytes) {
    if (from > 0 && ::lseek(fd.Get(), static_cast<off_t>(from), SEEK_SET) < 0)
        throw EInOutError(Format("Cannot read file \"%s\". %s", {fileName, std::strerror(errno)}));
    size_t capacity =
        std::min(fileSize - from, std::max(pieceBytes, TDatabaseReader::MinFeedBytes));
    auto buffer = std::make_unique_for_overwrite<char[]>(std::max<size_t>(capacity, 1));
    size_t base = from; // the file offset of the buffer's first byte
    size_t held = 0;    // the bytes the buffer holds
    for (;;) {
        const size_t want = std::min(capacity - held, fileSize - base - held);
        const size_t got = ReadSome(fd, buffer.get() + held, want, fileName);
        held += got;
        if (got < want)
            ThrowShortRead(fileName, base + held, static_cast<int64_t>(fileSize));
        const size_t keepFrom = reader.Feed({buffer.get(), held}, base);
        if (base + held == fileSize)
            return;
        // The bytes from keepFrom on start the next piece; when they fill the buffer
        // (a record longer than a piece), the buffer grows to take more after them.
        const size_t keep = base + held - keepFrom;
        if (keep == capacity) {
            capacity = std::min(capacity * 2, fileSize - base);
            auto larger = std::make_unique_for_overwrite<char[]>(capacity);
            std::memcpy(larger.get(), buffer.get(), keep);
            buffer = std::move(larger);
        } else {
            std::memmove(buffer.get(), buffer.get() + (keepFrom - base), keep);
        }
        base = keepFrom;
        held = keep;
    }
}

// A window of the file mapped for reading, its pages brought in by the mapping itself;
// unmapped when it goes.
class TMappedWindow {
public:
    TMappedWindow(int fd, size_t offset, size_t length) : length_(length) {
        void* at = ::mmap(nullptr, length, PROT_READ, MAP_SHARED | MAP_POPULATE, fd,
                          static_cast<off_t>(offset));
        if (at != MAP_FAILED)
            bytes_ = static_cast<const char*>(at);
    }
    ~TMappedWindow() {
        if (bytes_)
            ::munmap(const_cast<char*>(bytes_), length_);
    }
    TMappedWindow(const TMappedWindow&) = delete;
    TMappedWindow& operator=(const TMappedWindow&) = delete;

    // Whether every page is in memory: a page the mapping could not bring in (a card pulled,
    // a bad sector) would end the program when touched, where a read reports the error.
    bool Whole() const {
        if (!bytes_)
            return false;
        const size_t pages = (length_ + PageBytes() - 1) / PageBytes();
        unsigned char present[256];
        for (size_t first = 0; first < pages; first += sizeof present) {
            const size_t n = std::min(pages - first, sizeof present);
            if (::mincore(const_cast<char*>(bytes_) + first * PageBytes(), n * PageBytes(),
                          present) != 0)
                return false;
            for (size_t i = 0; i < n; ++i)
                if ((present[i] & 1) == 0)
                    return false;
        }
        return true;
    }
    const char* Bytes() const { return bytes_; }

    static size_t PageBytes() {
        static const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
        return page;
    }

private:
    const char* bytes_ = nullptr;
    size_t length_;
};

// Scans the file window by window, each mapped rather than copied: the kernel hands over
// the pages it holds of the file, and only a window's worth is mapped at a time. Returns
// where the scan still needs bytes when a window cannot be mapped whole (the rest is then
// read), the file's size when it is done.
size_t ScanMapped(const TFileDescriptor& fd, size_t fileSize, TDatabaseReader& reader,
                  size_t windowBytes) {
    const size_t page = TMappedWindow::PageBytes();
    size_t length = std::max(windowBytes, TDatabaseReader::MinFeedBytes);
    size_t from = 0; // the first byte the scan still needs
    while (from < fileSize) {
        const size_t start = from / page * page;
        const size_t n = std::min(length + (from - start), fileSize - start);
        const TMappedWindow window(fd.Get(), start, n);
        if (!window.Whole())
            return from;
        const size_t next =
            reader.Feed({window.Bytes() + (from - start), n - (from - start)}, from);
        if (start + n == fileSize)
            return fileSize;
        // A record longer than a window: the next one is longer.
        if (next == from)
            length *= 2;
        from = next;
    }
    return fileSize;
}

} // namespace

TScanResult ScanDatabaseFile(const std::string& fileName, TDatabaseReader& reader,
                             TBvMultiStringHolder& temp, TPlaylistLists& uids,
                             const TReaderContext& context, bool withReport, size_t pieceBytes,
                             TDatabaseAccess access) {
    int64_t size = 0;
    const TFileDescriptor fd = OpenDatabaseFile(fileName, size);
    const auto fileSize = static_cast<size_t>(size);
    reader.Begin(fileSize, temp, uids, context, withReport);
    try {
        size_t from = 0;
        if (access == TDatabaseAccess::Mapped && fileSize > 0) {
            from = ScanMapped(fd, fileSize, reader, pieceBytes);
            // What could not be mapped is read, in the pieces a read takes best.
            pieceBytes = std::min(pieceBytes, DatabasePieceBytes);
        }
        if (from < fileSize || fileSize == 0)
            ScanByReading(fd, fileName, fileSize, from, reader, pieceBytes);
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
