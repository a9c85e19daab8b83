#include "Mp4HandlerBox.h"

#include <cstring>

bool TMp4HandlerBox::Parse(const uint8_t* payload, size_t length) {
    error_.clear();
    HandlerType.clear();
    Name.clear();
    if (length < 24) {
        error_ = "handler box cut short";
        return false;
    }
    HandlerType.assign(reinterpret_cast<const char*>(payload + 8), 4);
    const char* name = reinterpret_cast<const char*>(payload + 24);
    size_t room = length - 24;
    Name.assign(name, strnlen(name, room));
    return true;
}

std::string TMp4HandlerBox::Render() const {
    std::string body(8, '\0');
    std::string type = HandlerType.substr(0, 4);
    type.resize(4, ' ');
    body += type;
    body += std::string(12, '\0');
    body += Name;
    body.push_back('\0');
    return TMp4BoxHeader::Render("hdlr", body.size()) + body;
}
