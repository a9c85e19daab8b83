#include "TrackFileCopy.h"

#include "Drives.h"
#include "Files.h"
#include "RtFileUtils.h"
#include "SafeFiles.h"
#include "SysUtils.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    ~TFd() { Close(); }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    int Close() {
        int r = 0;
        if (fd_ >= 0)
            r = close(fd_);
        fd_ = -1;
        return r;
    }

private:
    int fd_;
};

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
    throw EInOutError(Format("%s %s: %s", {what, path, std::strerror(error)}));
}

// Deletes the temporary copy unless it was renamed into place.
class TPartialDestination {
public:
    TPartialDestination(int folderFd, std::string name)
        : folder_(folderFd), name_(std::move(name)) {}
    ~TPartialDestination() {
        if (!kept_)
            unlinkat(folder_, name_.c_str(), 0);
    }
    TPartialDestination(const TPartialDestination&) = delete;
    TPartialDestination& operator=(const TPartialDestination&) = delete;
    void Keep() { kept_ = true; }

private:
    int folder_;
    std::string name_;
    bool kept_ = false;
};

} // namespace

TFileCopyResult CopyConvertedFile(const std::string& source, const std::string& destination,
                                  const TFileCopyOptions& options) {
    if (source == destination)
        throw EInOutError("Copy error");
    const std::string linuxSource = ToLinuxPath(source);

    TFd in(open(linuxSource.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0)
        Fail("Cannot open", source, errno);
    struct stat sourceInfo {};
    if (fstat(in.Get(), &sourceInfo) != 0)
        Fail("Cannot read", source, errno);
    if (S_ISDIR(sourceInfo.st_mode))
        Fail("Cannot read", source, EISDIR);

    // The destination's folder, and the destination's name in it: a file that is there
    // under another letter case is the one the card would replace.
    TFileHandle folder;
    std::string name;
    if (options.StayOnDrive) {
        folder = TContainedRoot::OfDrive(destination).OpenParent(destination, false, name);
    } else {
        const std::string linuxDestination = ResolvePath(destination);
        const size_t slash = linuxDestination.rfind('/');
        const std::string path =
            slash == std::string::npos ? std::string(".") : linuxDestination.substr(0, slash + 1);
        name = slash == std::string::npos ? linuxDestination : linuxDestination.substr(slash + 1);
        folder = TFileHandle(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.Valid())
            Fail("Cannot create", destination, errno);
    }
    // Two texts can name one file (letter case on the card, links, "." parts); truncating
    // the destination would then destroy the source.
    struct stat destinationInfo {};
    const bool replacing = fstatat(folder.Get(), name.c_str(), &destinationInfo,
                                   options.StayOnDrive ? AT_SYMLINK_NOFOLLOW : 0) == 0;
    if (replacing && destinationInfo.st_dev == sourceInfo.st_dev &&
        destinationInfo.st_ino == sourceInfo.st_ino)
        throw EInOutError("Copy error");
    if (options.Cancel && options.Cancel->load())
        return TFileCopyResult::Cancelled;

    // The bytes go to a temporary file beside the destination, renamed over it only when
    // complete: a file already there, which the card's old database may list, is never
    // truncated, and a stopped or failed copy leaves it as it was.
    std::string temporary;
    TFd out(CreateUniqueFileIn(folder.Get(), std::string(CopyTemporaryPrefix), 0644, temporary));
    if (out.Get() < 0)
        Fail("Cannot create", destination, errno);
    TPartialDestination partial(folder.Get(), temporary);

    const int64_t size = sourceInfo.st_size;
    std::vector<char> buffer(FileCopyBlockSize);
    int64_t copied = 0;
    for (;;) {
        size_t got = 0;
        while (got < buffer.size()) {
            ssize_t n = read(in.Get(), buffer.data() + got, buffer.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                Fail("Cannot read", source, errno);
            if (n == 0)
                break;
            got += static_cast<size_t>(n);
        }
        for (size_t done = 0; done < got;) {
            ssize_t n = write(out.Get(), buffer.data() + done, got - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                Fail("Cannot write", destination, errno);
            done += static_cast<size_t>(n);
        }
        copied += static_cast<int64_t>(got);
        if (options.Progress) {
            // An empty source is complete at once.
            int percent = size > 0 ? static_cast<int>(Round(copied / (size / 100.0))) : 100;
            options.Progress(percent);
        }
        if (got < buffer.size())
            break;
        if (options.Cancel && options.Cancel->load() && copied < size)
            return TFileCopyResult::Cancelled;
    }

    const struct timespec times[2] = {{0, UTIME_OMIT}, sourceInfo.st_mtim};
    if (futimens(out.Get(), times) != 0)
        Fail("Cannot set the date of", destination, errno);
    // A file that is replaced keeps its old bytes until the new ones are on the card,
    // also across a power cut.
    if (replacing && fdatasync(out.Get()) != 0)
        Fail("Cannot write", destination, errno);
    if (out.Close() != 0)
        Fail("Cannot write", destination, errno);
    if (renameat(folder.Get(), temporary.c_str(), folder.Get(), name.c_str()) != 0)
        Fail("Cannot create", destination, errno);
    partial.Keep();
    return TFileCopyResult::Completed;
}

TFileCopyResult CopyTrackFile(const std::string& source, const std::string& destination,
                              const TFileCopyOptions& options, const TManagerLog& log,
                              const std::string& copiedText) {
    TFileCopyResult result = CopyConvertedFile(source, destination, options);
    if (result == TFileCopyResult::Completed)
        log.AddLog(destination + copiedText);
    return result;
}
