#include "BvID3v1.h"

#include "BvID3Tables.h"
#include "ScopeExit.h"
#include "TextCodec.h"

#include <cstring>

namespace {

// A text area ends at its first zero byte; the bytes are ISO-8859-1.
std::string Field(const uint8_t* p, size_t length) {
    const void* zero = std::memchr(p, 0, length);
    const size_t n = zero ? size_t(static_cast<const uint8_t*>(zero) - p) : length;
    return Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(p), n));
}

bool TrailerPresent(TBvReadStream& stream) {
    const int64_t size = stream.Size();
    if (size < TBvID3v1::TrailerSize)
        return false;
    char tag[3];
    stream.Seek(size - TBvID3v1::TrailerSize);
    return stream.Read(tag, 3) == 3 && std::memcmp(tag, "TAG", 3) == 0;
}

} // namespace

void TBvID3v1::SetActive(bool value) {
    if (value == active_)
        return;
    if (!value) {
        active_ = false;
        ClearFields();
        return;
    }
    auto stream = OpenTagFile(fileName_);
    active_ = true;
    TScopeExit inactive([this] {
        active_ = false;
        ClearFields();
    });
    ReadFromStream(*stream);
    inactive.Release();
}

void TBvID3v1::SetFileName(const std::string& value) {
    if (value == fileName_)
        return;
    const bool wasActive = active_;
    SetActive(false);
    hasTagStale_ = true;
    fileName_ = value;
    if (wasActive)
        SetActive(true);
}

bool TBvID3v1::HasTag() {
    if (hasTagStale_) {
        auto stream = OpenTagFile(fileName_);
        hasTag_ = TrailerPresent(*stream);
        hasTagStale_ = false;
    }
    return hasTag_;
}

void TBvID3v1::ReadFromStream(TBvReadStream& stream) {
    uint8_t t[TrailerSize];
    const int64_t size = stream.Size();
    bool present = false;
    if (size >= TrailerSize) {
        stream.Seek(size - TrailerSize);
        present = stream.Read(t, TrailerSize) == TrailerSize && std::memcmp(t, "TAG", 3) == 0;
    }
    hasTag_ = present;
    hasTagStale_ = false;
    if (!present) {
        ClearFields();
        return;
    }
    SongName = Field(t + 3, 30);
    Artist = Field(t + 33, 30);
    Album = Field(t + 63, 30);
    Year = Field(t + 93, 4);
    Comment = Field(t + 97, 30);
    Genre = t[127];
    AlbumTrack = t[125] == 0 ? t[126] : 0;
}

void TBvID3v1::ClearFields() {
    SongName.clear();
    Artist.clear();
    Album.clear();
    Year.clear();
    Comment.clear();
    Genre = 255;
}

std::string TBvID3v1::GenreAsString() const {
    return IDToGenre(Genre, true);
}

void TBvID3v1::SetGenreAsString(const std::string& name) {
    Genre = uint8_t(GenreToID(name, true));
}
