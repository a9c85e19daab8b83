#include "BvReadStream.h"

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
// frames) is read once, with one read, and the last 128 bytes (the ID3v1 trailer)
// once; every reader of the tag, the audio information and the trailer is served
// from those, so adding a track costs one open and about two reads.
class TBvFileReadStream : public TBvReadStream {
public:
    TBvFileReadStream(const std::string& fileName, const std::string& linuxPath) {
        // Without blocking: a named pipe would wait in open for a writer.
        fd_ = ::open(linuxPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            const int err = errno;
            throw EFOpenError(Format("Cannot open file \"%s\". %s",
                                     {fileName, SysErrorMessage(ErrnoToWinError(err))}));
        }
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
            const std::string* cache = nullptr;
            int64_t cacheStart = 0;
            if (at < HeadSize) {
                LoadHead();
                if (at >= headLoaded_)
                    break; // the file gave fewer bytes than it said
                const int64_t take = std::min(n - done, headLoaded_ - at);
                std::memcpy(out + done, head_.get() + at, size_t(take));
                done += take;
                continue;
            }
            if (at >= size_ - TailSize) {
                LoadTail();
                cache = &tail_;
                cacheStart = tailStart_;
            }
            if (cache) {
                const int64_t offset = at - cacheStart;
                if (offset >= int64_t(cache->size()))
                    break; // the file gave fewer bytes than it said
                const int64_t take = std::min(n - done, int64_t(cache->size()) - offset);
                std::memcpy(out + done, cache->data() + offset, size_t(take));
                done += take;
                continue;
            }
            // Between the head and the tail: straight from the file, up to the tail.
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
    static constexpr int64_t HeadSize = 64 * 1024;
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
    // Reads the head with one read, into a buffer that is never filled with zeros first:
    // clearing 64 KiB per file cost as much as reading it.
    void LoadHead() {
        if (head_)
            return;
        const int64_t limit = std::min(HeadSize, size_);
        head_ = std::make_unique_for_overwrite<char[]>(size_t(std::max<int64_t>(1, limit)));
        headLoaded_ = ReadAt(head_.get(), limit, 0);
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
    std::string tail_;
    bool tailLoaded_ = false;
    int64_t tailStart_ = 0;
};

} // namespace

std::unique_ptr<TBvReadStream> OpenTagFile(const std::string& fileName) {
    std::string path;
    try {
        path = ResolvePath(fileName);
    } catch (const EInOutError&) {
    }
    if (path.empty())
        throw EFOpenError(Format("Cannot open file \"%s\". %s",
                                 {fileName, SysErrorMessage(ERROR_PATH_NOT_FOUND)}));
    return std::make_unique<TBvFileReadStream>(fileName, path);
}
