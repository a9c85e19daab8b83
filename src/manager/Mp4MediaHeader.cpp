#include "Mp4MediaHeader.h"

bool TMp4MediaHeader::Parse(const uint8_t* payload, size_t length) {
    error_.clear();
    if (Times.Parse(payload, length, error_) == 0) {
        error_ = "media " + error_;
        return false;
    }
    return true;
}

std::string TMp4MediaHeader::Render() const {
    std::string body;
    Times.Render(body);
    body += std::string("\x55\xC4\x00\x00", 4); // language "und", quality 0
    return TMp4BoxHeader::Render("mdhd", body.size()) + body;
}
