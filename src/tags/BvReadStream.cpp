#include "BvReadStream.h"

#include "SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
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

class TBvFileReadStream : public TBvReadStream {
public:
    TBvFileReadStream(int fd, int64_t size) : fd_(fd), size_(size) {}
    ~TBvFileReadStream() override { ::close(fd_); }
    int64_t Read(void* buffer, int64_t count) override {
        int64_t done = 0;
        while (done < count) {
            const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, size_t(count - done),
                                      off_t(position_ + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw EReadError(Format("Read error: %s", {std::strerror(errno)}));
            if (n == 0)
                break;
            done += n;
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
    int fd_;
    int64_t size_;
    int64_t position_ = 0;
};

// Drive "C:" is the Linux root; other letters come from BRISVANE_DRIVES
// ("E=/tmp/card:removable;F=/mnt/usb"). A Linux path is taken as it is.
std::string LinuxPathOf(const std::string& name) {
    if (name.size() < 2 || name[1] != ':' || !std::isalpha(static_cast<unsigned char>(name[0])))
        return name;
    const char letter = char(std::toupper(static_cast<unsigned char>(name[0])));
    std::string root = letter == 'C' ? "" : std::string();
    bool mapped = letter == 'C';
    if (const char* env = std::getenv("BRISVANE_DRIVES")) {
        std::string_view rest(env);
        while (!rest.empty()) {
            const size_t end = rest.find(';');
            std::string_view entry = rest.substr(0, end);
            if (entry.size() > 2 && std::toupper(static_cast<unsigned char>(entry[0])) == letter &&
                entry[1] == '=') {
                std::string_view folder = entry.substr(2);
                const size_t colon = folder.find(':');
                root = std::string(folder.substr(0, colon));
                while (!root.empty() && root.back() == '/')
                    root.pop_back();
                mapped = true;
            }
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
    }
    if (!mapped)
        throw EFOpenError(
            Format("Cannot open file \"%s\". Drive %s: is not mapped", {name, letter}));
    std::string path = root;
    std::string tail = name.substr(2);
    for (char& c : tail)
        if (c == '\\')
            c = '/';
    // Nothing may climb out of the drive's folder.
    size_t pos = 0;
    while (pos <= tail.size()) {
        size_t next = tail.find('/', pos);
        if (next == std::string::npos)
            next = tail.size();
        if (tail.compare(pos, next - pos, "..") == 0)
            throw EFOpenError(Format("Cannot open file \"%s\". Invalid path", {name}));
        pos = next + 1;
    }
    if (tail.empty() || tail[0] != '/')
        path += '/';
    return path + tail;
}

} // namespace

std::unique_ptr<TBvReadStream> OpenTagFile(const std::string& fileName) {
    const std::string path = LinuxPathOf(fileName);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFOpenError(Format("Cannot open file \"%s\". %s", {fileName, std::strerror(errno)}));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw EFOpenError(Format("Cannot open file \"%s\". Not a file", {fileName}));
    }
    return std::make_unique<TBvFileReadStream>(fd, int64_t(st.st_size));
}
