// The 128-byte ID3v1 trailer at the end of an MP3 file (ID3v1.1's track number
// included). The component only reads.
#pragma once

#include "BvReadStream.h"
#include "SysUtils.h"

#include <cstdint>
#include <string>

class TBvID3v1 : public TObject {
public:
    static constexpr int TrailerSize = 128;

    std::string Name;

    bool Active() const { return active_; }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value);

    // Tests the file for a trailer; asks the file again only after FileName changed.
    bool HasTag();

    // Reads the trailer from an open stream (the component's own open uses it too).
    void ReadFromStream(TBvReadStream& stream);

    std::string SongName, Artist, Album, Year, Comment;
    uint8_t Genre = 255;
    uint8_t AlbumTrack = 0;

    std::string GenreAsString() const;
    void SetGenreAsString(const std::string& name);

private:
    void ClearFields();

    bool active_ = false;
    std::string fileName_;
    bool hasTag_ = false;
    bool hasTagStale_ = true;
};
