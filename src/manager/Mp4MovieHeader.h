// The movie header box ("mvhd"): the time scale and duration of the whole movie.
#pragma once

#include "Mp4Box.h"

#include <string>

class TMp4MovieHeader {
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
