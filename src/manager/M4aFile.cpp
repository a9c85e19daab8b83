#include "M4aFile.h"

#include "CodecGate.h"
#include "SysUtils.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Calls visit(header, payload) for every box laid end to end in data; a box that does
// not fit goes to damaged, which does not return.
template <typename Visit, typename Damaged>
void ForEachBox(const uint8_t* data, size_t length, Visit visit, Damaged damaged) {
    size_t offset = 0;
    while (offset < length) {
        TMp4BoxHeader header;
        if (!header.Parse(data + offset, length - offset, length - offset))
            damaged(header.Error());
        visit(header, data + offset + header.HeaderLength());
        offset += static_cast<size_t>(header.BoxSize());
    }
}

class TFileHandle {
public:
    explicit TFileHandle(int fd) : fd_(fd) {}
    ~TFileHandle() {
        if (fd_ >= 0)
            close(fd_);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

} // namespace

void TM4aFile::LoadFromFile(const std::string& linuxPath, const std::string& name) {
    // Without blocking, so a named pipe is refused below instead of waiting for a writer.
    TFileHandle file(open(linuxPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0)
        throw ECodecGateError(Format("Cannot open %s: %s", {name, std::strerror(errno)}));
    struct stat st {};
    if (fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw ECodecGateError(Format("%s is not a file", {name}));
    int fd = file.Get();
    auto readAt = [fd](uint64_t offset, void* buffer, size_t length) {
        auto* out = static_cast<uint8_t*>(buffer);
        while (length > 0) {
            ssize_t got = pread(fd, out, length, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            out += got;
            offset += static_cast<uint64_t>(got);
            length -= static_cast<size_t>(got);
        }
        return true;
    };
    Load(static_cast<uint64_t>(st.st_size), readAt, name);
}

void TM4aFile::LoadFromBytes(const std::string& bytes, const std::string& name) {
    auto readAt = [&bytes](uint64_t offset, void* buffer, size_t length) {
        if (offset > bytes.size() || length > bytes.size() - offset)
            return false;
        if (length == 0)
            return true;
        std::memcpy(buffer, bytes.data() + offset, length);
        return true;
    };
    Load(bytes.size(), readAt, name);
}

void TM4aFile::Load(uint64_t size, const TReadAt& readAt, const std::string& name) {
    name_ = name;
    hasMovieHeader_ = false;
    hasSoundTrack_ = false;
    movieHeader_ = {};
    soundHeader_ = {};
    lengthSeconds_ = 0;
    lengthMilliseconds_ = 0;

    // Top-level boxes are walked by their headers alone, so the audio data is never read.
    if (size < TMp4BoxHeader::ShortLength)
        throw ECodecGateError(Format("%s is not an M4A file", {name}));
    uint64_t offset = 0;
    bool first = true;
    bool movieFound = false;
    while (offset < size && !movieFound) {
        uint8_t raw[TMp4BoxHeader::LongLength];
        size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof raw, size - offset));
        if (!readAt(offset, raw, want))
            throw ECodecGateError(Format("Cannot read %s", {name}));
        TMp4BoxHeader header;
        bool parsed = header.Parse(raw, want, size - offset);
        if (first && !header.HasPrintableType())
            throw ECodecGateError(Format("%s is not an M4A file", {name}));
        first = false;
        if (!parsed)
            Damaged(header.Error());
        if (header.Type() == "moov") {
            if (header.PayloadLength() > MaxMovieBoxSize)
                Damaged("the movie box is implausibly large");
            std::vector<uint8_t> movie(static_cast<size_t>(header.PayloadLength()));
            if (!readAt(offset + header.HeaderLength(), movie.data(), movie.size()))
                throw ECodecGateError(Format("Cannot read %s", {name}));
            ParseMovie(movie.data(), movie.size());
            movieFound = true;
        }
        offset += header.BoxSize();
    }
    if (!movieFound)
        Damaged("it has no movie box");
    Finish();
}

void TM4aFile::ParseMovie(const uint8_t* data, size_t length) {
    auto damaged = [this](const std::string& why) { Damaged(why); };
    ForEachBox(
        data, length,
        [&](const TMp4BoxHeader& header, const uint8_t* payload) {
            size_t payloadLength = static_cast<size_t>(header.PayloadLength());
            if (header.Type() == "mvhd" && !hasMovieHeader_) {
                if (!movieHeader_.Parse(payload, payloadLength))
                    Damaged(movieHeader_.Error());
                hasMovieHeader_ = true;
            } else if (header.Type() == "trak" && !hasSoundTrack_) {
                ParseTrack(payload, payloadLength);
            }
        },
        damaged);
}

void TM4aFile::ParseTrack(const uint8_t* data, size_t length) {
    auto damaged = [this](const std::string& why) { Damaged(why); };
    ForEachBox(
        data, length,
        [&](const TMp4BoxHeader& header, const uint8_t* payload) {
            if (header.Type() != "mdia")
                return;
            bool hasMediaHeader = false;
            TMp4MediaHeader mediaHeader;
            TMp4HandlerBox handler;
            ForEachBox(
                payload, static_cast<size_t>(header.PayloadLength()),
                [&](const TMp4BoxHeader& inner, const uint8_t* innerPayload) {
                    size_t innerLength = static_cast<size_t>(inner.PayloadLength());
                    if (inner.Type() == "mdhd") {
                        if (!mediaHeader.Parse(innerPayload, innerLength))
                            Damaged(mediaHeader.Error());
                        hasMediaHeader = true;
                    } else if (inner.Type() == "hdlr") {
                        if (!handler.Parse(innerPayload, innerLength))
                            Damaged(handler.Error());
                    }
                },
                damaged);
            if (hasMediaHeader && handler.HandlerType == "soun" && !hasSoundTrack_) {
                soundHeader_ = mediaHeader;
                hasSoundTrack_ = true;
            }
        },
        damaged);
}

void TM4aFile::Finish() {
    if (!hasMovieHeader_)
        Damaged("it has no movie header");
    const TMp4TimeFields* times = &movieHeader_.Times;
    if (times->TimeScale == 0)
        Damaged("the movie's time scale is 0");
    // A movie written in fragments leaves its own duration 0 or unknown; the sound
    // track may still know it.
    if ((times->Duration == 0 || !times->DurationKnown()) && hasSoundTrack_ &&
        soundHeader_.Times.TimeScale != 0)
        times = &soundHeader_.Times;
    if (times->Duration == 0 || !times->DurationKnown())
        return;
    uint64_t seconds = times->Duration / times->TimeScale;
    uint64_t rest = times->Duration % times->TimeScale;
    if (rest >= times->TimeScale - rest)
        ++seconds;
    if (seconds > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        Damaged("its playing time is implausibly long");
    lengthSeconds_ = static_cast<int32_t>(seconds);
    lengthMilliseconds_ = static_cast<int64_t>(times->Duration / times->TimeScale * 1000 +
                                               rest * 1000 / times->TimeScale);
}

void TM4aFile::Damaged(const std::string& why) const {
    throw ECodecGateError(Format("%s is damaged: %s", {name_, why}));
}
