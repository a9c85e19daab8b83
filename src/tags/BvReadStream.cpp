#include "BvReadStream.h"

#include "Drives.h"
#include "Files.h"
#include "SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int64_t TBvBytesStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || position_ >= Size())
        return 0;
    const int64_t n = std::min<int64_t>(count, Size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, size_t(n));
    position_ += n;
    bytesRead_ += n;
    return n;
}

int64_t TBvBytesStream::Seek(int64_t position) {
    position_ = position < 0 ? 0 : position;
    return position_;
}

namespace {

// A music file open for reading. The head of the file (the tag and the first
// frames) is read into memory and the last 128 bytes (the ID3v1 trailer) once;
// every reader of the tag, the audio information and the trailer is served from
// those, so adding a track costs one open and about two reads.
//
// The head starts as one small read, which holds the whole tag and the first
// frames of most files. When a reader asks past it, the head grows in one more
// read to what the tag's own header says it covers plus room for the first
// frames, so a tag with a large picture costs one read more and no file costs
// more copying than its readers use.
class TBvFileReadStream : public TBvReadStream {
public:
    TBvFileReadStream(const std::string& fileName, int fd) : fd_(fd) {
        struct stat st {};
        // Only a regular file (a link is followed) is read: a device such as
        // /dev/zero never ends.
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd_);
            throw EFOpenError(Format("%s is not a file", {fileName}));
        }
        size_ = st.st_size;
    }
    ~TBvFileReadStream() override { ::close(fd_); }
    TBvFileReadStream(const TBvFileReadStream&) = delete;
    TBvFileReadStream& operator=(const TBvFileReadStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override {
        if (count <= 0 || position_ >= size_)
            return 0;
        const int64_t n = std::min(count, size_ - position_);
        auto* out = static_cast<char*>(buffer);
        int64_t done = 0;
        while (done < n) {
            const int64_t at = position_ + done;
            // The head grows only from its end: a reader that jumps further ahead (to
            // an M4A file's index, say) reads there straight instead of everything before.
            if (at < MaxHead && at < size_ - TailSize && at <= headLoaded_ + FramesRoom) {
                if (at >= headLoaded_ && !GrowHead(at + (n - done)))
                    break; // the file gave fewer bytes than it said
                if (at < headLoaded_) {
                    const int64_t take = std::min(n - done, headLoaded_ - at);
                    std::memcpy(out + done, head_.get() + at, size_t(take));
                    done += take;
                    continue;
                }
            }
            if (at >= size_ - TailSize) {
                LoadTail();
                const int64_t offset = at - tailStart_;
                if (offset >= int64_t(tail_.size()))
                    break; // the file gave fewer bytes than it said
                const int64_t take = std::min(n - done, int64_t(tail_.size()) - offset);
                std::memcpy(out + done, tail_.data() + offset, size_t(take));
                done += take;
                continue;
            }
            // Past the head and before the tail: straight from the file, up to the tail.
            const int64_t want = std::min(n - done, std::max<int64_t>(1, size_ - TailSize - at));
            const int64_t got = ReadAt(out + done, want, at);
            done += got;
            if (got < want)
                break;
        }
        position_ += done;
        return done;
    }
    int64_t Seek(int64_t position) override {
        position_ = position < 0 ? 0 : position;
        return position_;
    }
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return size_; }

private:
    // The first read of the head; a tag without a picture and the first frames fit.
    static constexpr int64_t FirstHead = 16 * 1024;
    // Room behind the tag for the frame search's first look and the first frames.
    static constexpr int64_t FramesRoom = 8 * 1024;
    // Beyond this, reads go straight to the file: a huge tag is not held twice.
    static constexpr int64_t MaxHead = 1024 * 1024;
    static constexpr int64_t TailSize = 128;

    int64_t ReadAt(char* buffer, int64_t count, int64_t offset) {
        int64_t done = 0;
        while (done < count) {
            const ssize_t got =
                ::pread(fd_, buffer + done, size_t(count - done), off_t(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        return done;
    }
    // Where the ID3v2 tag at the start of the head says it ends, 0 without one.
    int64_t TagEnd() const {
        if (headLoaded_ < 10)
            return 0;
        const auto* h = reinterpret_cast<const uint8_t*>(head_.get());
        if (std::memcmp(h, "ID3", 3) != 0 || ((h[6] | h[7] | h[8] | h[9]) & 0x80))
            return 0;
        const int64_t size = (int64_t(h[6]) << 21) | (int64_t(h[7]) << 14) |
                             (int64_t(h[8]) << 7) | int64_t(h[9]);
        const bool footer = h[3] >= 4 && (h[5] & 0x10);
        return 10 + size + (footer ? 10 : 0);
    }
    // Makes the head hold the bytes up to wanted (or as many of them as there are
    // below the tail and MaxHead) with one read; false when none more came.
    bool GrowHead(int64_t wanted) {
        if (headEnded_)
            return false;
        const int64_t limit = std::min(MaxHead, size_ - TailSize);
        int64_t end = headLoaded_ == 0 ? std::max(wanted, FirstHead)
                                       : std::max({wanted, TagEnd() + FramesRoom, headLoaded_ * 2});
        end = std::min(end, limit);
        if (end <= headLoaded_)
            return false;
        // The buffer is never filled with zeros first: clearing it cost as much as reading.
        auto grown = std::make_unique_for_overwrite<char[]>(size_t(end));
        if (headLoaded_ > 0)
            std::memcpy(grown.get(), head_.get(), size_t(headLoaded_));
        head_ = std::move(grown);
        const int64_t got = ReadAt(head_.get() + headLoaded_, end - headLoaded_, headLoaded_);
        headEnded_ = got < end - headLoaded_;
        headLoaded_ += got;
        return got > 0;
    }
    void LoadTail() {
        if (tailLoaded_)
            return;
        tailLoaded_ = true;
        tailStart_ = std::max<int64_t>(0, size_ - TailSize);
        tail_.resize(size_t(size_ - tailStart_));
        tail_.resize(size_t(ReadAt(tail_.data(), int64_t(tail_.size()), tailStart_)));
    }

    int fd_ = -1;
    int64_t size_ = 0;
    int64_t position_ = 0;
    std::unique_ptr<char[]> head_;
    int64_t headLoaded_ = 0;
    bool headEnded_ = false;
    std::string tail_;
    bool tailLoaded_ = false;
    int64_t tailStart_ = 0;
};

int OpenForReading(const std::string& linuxPath) {
    // Without blocking: a named pipe would wait in open for a writer.
    return ::open(linuxPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

} // namespace

std::unique_ptr<TBvReadStream> OpenTagFile(const std::string& fileName) {
    // The name as written is tried first; only a name that is not there is looked
    // for without regard to case, so the common case costs no extra lookup.
    std::string path;
    try {
        path = ToLinuxPath(fileName);
    } catch (const EInOutError&) {
    }
    int fd = path.empty() ? -1 : OpenForReading(path);
    int err = path.empty() ? ENOENT : errno;
    if (fd < 0 && (err == ENOENT || err == ENOTDIR)) {
        std::string resolved;
        try {
            resolved = ResolvePath(fileName);
        } catch (const EInOutError&) {
        }
        if (resolved.empty())
            throw EFOpenError(Format("Cannot open file \"%s\". %s",
                                     {fileName, SysErrorMessage(ERROR_PATH_NOT_FOUND)}));
        if (resolved != path) {
            fd = OpenForReading(resolved);
            err = errno;
        }
    }
    if (fd < 0)
        throw EFOpenError(Format("Cannot open file \"%s\". %s",
                                 {fileName, SysErrorMessage(ErrnoToWinError(err))}));
    return std::make_unique<TBvFileReadStream>(fileName, fd);
}
