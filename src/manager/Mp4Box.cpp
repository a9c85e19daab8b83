#include "Mp4Box.h"

namespace Mp4Bytes {
uint32_t Get32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint64_t Get64(const uint8_t* p) {
    return (uint64_t(Get32(p)) << 32) | Get32(p + 4);
}

void Put32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v >> 32));
    Put32(out, static_cast<uint32_t>(v));
}
} // namespace Mp4Bytes

bool TMp4BoxHeader::Parse(const uint8_t* data, size_t available, uint64_t roomLeft) {
    type_.clear();
    boxSize_ = 0;
    headerLength_ = 0;
    error_.clear();
    if (available < ShortLength || roomLeft < ShortLength) {
        error_ = "box header cut short";
        return false;
    }
    uint32_t shortSize = Mp4Bytes::Get32(data);
    type_.assign(reinterpret_cast<const char*>(data + 4), 4);
    headerLength_ = ShortLength;
    if (shortSize == 1) {
        if (available < LongLength || roomLeft < LongLength) {
            error_ = "box header cut short";
            return false;
        }
        headerLength_ = LongLength;
        boxSize_ = Mp4Bytes::Get64(data + 8);
    } else if (shortSize == 0) {
        boxSize_ = roomLeft;
    } else {
        boxSize_ = shortSize;
    }
    if (boxSize_ < headerLength_) {
        error_ = "box '" + type_ + "' is smaller than its header";
        return false;
    }
    if (boxSize_ > roomLeft) {
        error_ = "box '" + type_ + "' runs past the end of its container";
        return false;
    }
    return true;
}

std::string TMp4BoxHeader::Render(const std::string& type, uint64_t payloadLength, bool forceLong) {
    std::string out;
    std::string code = type.substr(0, 4);
    code.resize(4, ' ');
    if (!forceLong && payloadLength + ShortLength <= 0xFFFFFFFFu) {
        Mp4Bytes::Put32(out, static_cast<uint32_t>(payloadLength + ShortLength));
        out += code;
    } else {
        Mp4Bytes::Put32(out, 1);
        out += code;
        Mp4Bytes::Put64(out, payloadLength + LongLength);
    }
    return out;
}

bool TMp4BoxHeader::HasPrintableType() const {
    if (type_.size() != 4)
        return false;
    for (unsigned char c : type_)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

size_t TMp4TimeFields::Parse(const uint8_t* payload, size_t length, std::string& error) {
    if (length < 4) {
        error = "header cut short";
        return 0;
    }
    Version = payload[0];
    if (Version > 1) {
        error = "unknown header version " + std::to_string(Version);
        return 0;
    }
    size_t need = Version == 0 ? 20 : 32;
    if (length < need) {
        error = "header cut short";
        return 0;
    }
    const uint8_t* p = payload + 4;
    if (Version == 0) {
        CreationTime = Mp4Bytes::Get32(p);
        ModificationTime = Mp4Bytes::Get32(p + 4);
        TimeScale = Mp4Bytes::Get32(p + 8);
        Duration = Mp4Bytes::Get32(p + 12);
    } else {
        CreationTime = Mp4Bytes::Get64(p);
        ModificationTime = Mp4Bytes::Get64(p + 8);
        TimeScale = Mp4Bytes::Get32(p + 16);
        Duration = Mp4Bytes::Get64(p + 20);
    }
    return need;
}

void TMp4TimeFields::Render(std::string& out) const {
    Mp4Bytes::Put32(out, uint32_t(Version) << 24);
    if (Version == 0) {
        Mp4Bytes::Put32(out, static_cast<uint32_t>(CreationTime));
        Mp4Bytes::Put32(out, static_cast<uint32_t>(ModificationTime));
        Mp4Bytes::Put32(out, TimeScale);
        Mp4Bytes::Put32(out, static_cast<uint32_t>(Duration));
    } else {
        Mp4Bytes::Put64(out, CreationTime);
        Mp4Bytes::Put64(out, ModificationTime);
        Mp4Bytes::Put32(out, TimeScale);
        Mp4Bytes::Put64(out, Duration);
    }
}

bool TMp4TimeFields::DurationKnown() const {
    return Version == 0 ? Duration != 0xFFFFFFFFu : Duration != ~uint64_t(0);
}
