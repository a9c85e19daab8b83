#include "BvID3Header.h"

#include "BvID3Controller.h"

#include <cstring>

TBvID3Version VersionOfMajor(uint8_t major) {
    return major < 2    ? iveLowerThan2_2
           : major == 2 ? ive2_2
           : major == 3 ? ive2_3
           : major == 4 ? ive2_4
                        : iveHigherThan2_4;
}

void TBvID3Header::Reset() {
    majorVersion_ = revisionNumber_ = 0;
    hasTag_ = false;
    flags_ = 0;
    size_ = 0;
}

TBvID3Version TBvID3Header::Version() const {
    return VersionOfMajor(majorVersion_);
}

void TBvID3Header::Read(TBvID3Stream& s) {
    Reset();
    s.BeginReadFrame(HeaderSize);
    uint8_t h[HeaderSize];
    if (s.Read(h, HeaderSize) == HeaderSize && std::memcmp(h, "ID3", 3) == 0) {
        hasTag_ = true;
        majorVersion_ = h[3];
        revisionNumber_ = h[4];
        if (h[5] & 0x80)
            flags_ |= hfUnsynchronisation;
        // Version 2.2 used this bit for compression, which nobody implemented.
        if ((h[5] & 0x40) && majorVersion_ != 2)
            flags_ |= hfExtendedHeader;
        if (h[5] & 0x20)
            flags_ |= hfExperimentalIndicator;
        if (h[5] & 0x10)
            flags_ |= hfFooterPresent;
        size_ = 0;
        for (int i = 6; i < 10; ++i)
            size_ = (size_ << 7) | (h[i] & 0x7F);
    }
    s.EndReadFrame();
}

void TBvID3Header::Write(TBvID3Stream& s) {
    if (size_ > MaxSize)
        throw EBvID3Error("Tag is too big");
    const TBvID3Version v = Controller() ? Controller()->WriteVersion() : Version();
    s.Write("ID3", 3);
    s.WriteByte(v == ive2_2 || v == iveLowerThan2_2 ? 2 : v == ive2_3 ? 3 : 4);
    s.WriteByte(0);
    uint8_t f = 0;
    if (flags_ & hfUnsynchronisation)
        f |= 0x80;
    if (v != ive2_2 && v != iveLowerThan2_2) {
        if (flags_ & hfExtendedHeader)
            f |= 0x40;
        if (flags_ & hfExperimentalIndicator)
            f |= 0x20;
        if ((flags_ & hfFooterPresent) && v == ive2_4)
            f |= 0x10;
    }
    s.WriteByte(f);
    s.WriteSyncSafe(size_, 4);
}

void TBvID3Header::SetFlags(uint8_t flags) {
    if ((flags & hfFooterPresent) && !(flags_ & hfFooterPresent))
        throw EBvID3Error("Controller does not support footer");
    flags_ = flags;
}

void TBvID3Header::ChangeToVersion(TBvID3Version v) {
    switch (v) {
    case ive2_2:
        majorVersion_ = 2;
        flags_ &= hfUnsynchronisation;
        break;
    case ive2_3:
        majorVersion_ = 3;
        flags_ &= uint8_t(~hfFooterPresent);
        break;
    case ive2_4:
        majorVersion_ = 4;
        break;
    default:
        throw EBvID3Error("Version not supported");
    }
    revisionNumber_ = 0;
}
