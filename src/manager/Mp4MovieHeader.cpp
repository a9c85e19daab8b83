#include "Mp4MovieHeader.h"

bool TMp4MovieHeader::Parse(const uint8_t* payload, size_t length) {
    error_.clear();
    if (Times.Parse(payload, length, error_) == 0) {
        error_ = "movie " + error_;
        return false;
    }
    return true;
}

std::string TMp4MovieHeader::Render() const {
    std::string body;
    Times.Render(body);
    Mp4Bytes::Put32(body, 0x00010000);  // rate 1.0
    body += std::string("\x01\x00", 2); // volume 1.0
    body += std::string(10, '\0');
    const uint32_t matrix[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (uint32_t m : matrix)
        Mp4Bytes::Put32(body, m);
    body += std::string(24, '\0');
    Mp4Bytes::Put32(body, 2); // next track id
    return TMp4BoxHeader::Render("mvhd", body.size()) + body;
}
