// The framework's streams over the drive table's files.
#include "Classes.h"
#include "Files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void TStream::ReadBuffer(void* buffer, int64_t count) {
    lastError_ = 0;
    if (count > 0 && Read(buffer, count) != count) {
        std::string msg = "Stream read error";
        if (lastError_)
            msg += ". " + SysErrorMessage(lastError_);
        throw EReadError(msg);
    }
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    lastError_ = 0;
    if (count > 0 && Write(buffer, count) != count) {
        std::string msg = "Stream write error";
        if (lastError_)
            msg += ". " + SysErrorMessage(lastError_);
        throw EWriteError(msg);
    }
}

int64_t TStream::Size() {
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) {}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const int64_t total = count;
    std::string buf(static_cast<size_t>(std::min<int64_t>(count, 0xF000)), '\0');
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, static_cast<int64_t>(buf.size()));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        count -= n;
    }
    return total;
}

int64_t THandleStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(handle_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            lastError_ = SetLastErrorFromErrno();
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

int64_t THandleStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    auto* p = static_cast<const char*>(buffer);
    while (done < count) {
        ssize_t n = ::write(handle_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            lastError_ = SetLastErrorFromErrno();
            break;
        }
        done += n;
    }
    return done;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(handle_, static_cast<off_t>(offset), whence);
    if (r < 0) {
        lastError_ = SetLastErrorFromErrno();
        return -1;
    }
    return static_cast<int64_t>(r);
}

void THandleStream::SetSize(int64_t size) {
    int64_t pos = Position();
    if (::ftruncate(handle_, static_cast<off_t>(size)) != 0) {
        int code = SetLastErrorFromErrno();
        throw EStreamError("Stream write error. " + SysErrorMessage(code));
    }
    if (pos > size)
        Seek(size, soBeginning);
}

TFileStream::TFileStream(std::string_view fileName, uint16_t mode)
    : THandleStream(-1), fileName_(fileName) {
    const bool create = mode == fmCreate;
    auto fail = [&](int code) {
        SetLastError(code);
        if (create)
            throw EFCreateError(
                Format("Cannot create file \"%s\". %s", {fileName_, SysErrorMessage(code)}));
        throw EFOpenError(
            Format("Cannot open file \"%s\". %s", {fileName_, SysErrorMessage(code)}));
    };
    std::string path;
    try {
        path = ResolvePath(fileName);
    } catch (const EInOutError&) {
        fail(ERROR_PATH_NOT_FOUND);
    }
    if (path.empty())
        fail(ERROR_PATH_NOT_FOUND);
    const int access = mode & 3;
    int flags = O_CLOEXEC;
    if (create)
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    else if (access == fmOpenWrite)
        flags |= O_WRONLY;
    else if (access == fmOpenReadWrite)
        flags |= O_RDWR;
    else
        flags |= O_RDONLY;

    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            fail(ERROR_ACCESS_DENIED);
        // Windows refuses to write a read-only file even to its owner (and to root).
        if ((create || access != fmOpenRead) && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
            fail(ERROR_ACCESS_DENIED);
    }
    handle_ = ::open(path.c_str(), flags, 0666);
    if (handle_ < 0) {
        int err = errno;
        if (err == ENOENT && !create) {
            // Windows tells a missing file from a missing folder.
            std::string parent = path.substr(0, path.rfind('/') + 1);
            struct stat pst;
            fail(parent.empty() || ::stat(parent.c_str(), &pst) == 0 ? ERROR_FILE_NOT_FOUND
                                                                     : ERROR_PATH_NOT_FOUND);
        }
        fail(err == ENOENT ? ERROR_PATH_NOT_FOUND : ErrnoToWinError(err));
    }
}

TFileStream::~TFileStream() {
    if (handle_ >= 0)
        ::close(handle_);
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t avail = Size() - position_;
    int64_t n = std::max<int64_t>(0, std::min(count, avail));
    if (n > 0)
        std::copy_n(data_.data() + position_, n, static_cast<char*>(buffer));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    if (position_ + count > Size())
        data_.resize(static_cast<size_t>(position_ + count));
    std::copy_n(static_cast<const char*>(buffer), count, data_.data() + position_);
    position_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : Size();
    if (base + offset < 0)
        return -1;
    position_ = base + offset;
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    int64_t n = source.Size();
    data_.assign(static_cast<size_t>(n), '\0');
    source.ReadBuffer(data_.data(), n);
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) {
    dest.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::LoadFromFile(std::string_view fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TMemoryStream::SaveToFile(std::string_view fileName) {
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

void TStrings::LoadFromFile(std::string_view fileName) {
    TMemoryStream m;
    m.LoadFromFile(fileName);
    SetText(m.Data());
}

void TStrings::SaveToFile(std::string_view fileName) const {
    std::string text = Text();
    TFileStream f(fileName, fmCreate);
    f.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}
