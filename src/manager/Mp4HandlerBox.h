// The handler reference box ("hdlr") that tells what kind of track holds it
// ("soun" for sound).
#pragma once

#include "Mp4Box.h"

#include <string>

class TMp4HandlerBox {
public:
    // Payload: the bytes after the box header. False (with Error()) when damaged.
    bool Parse(const uint8_t* payload, size_t length);
    // The whole box, header included.
    std::string Render() const;

    std::string HandlerType;
    std::string Name;
    const std::string& Error() const { return error_; }

private:
    std::string error_;
};
