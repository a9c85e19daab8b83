// The media header box ("mdhd") of one track: the track's own time scale and duration.
#pragma once

#include "Mp4Box.h"

#include <string>

class TMp4MediaHeader {
public:
    // Payload: the bytes after the box header. False (with Error()) when damaged.
    bool Parse(const uint8_t* payload, size_t length);
    // The whole box, header included.
    std::string Render() const;

    TMp4TimeFields Times;
    const std::string& Error() const { return error_; }

private:
    std::string error_;
};
