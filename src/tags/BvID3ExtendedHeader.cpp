#include "BvID3ExtendedHeader.h"

#include "BvID3Controller.h"

void TBvID3ExtendedHeader::Reset() {
    TotalFrameCRC = 0;
    sizeOfPadding_ = 0;
    Flags = 0;
    TagSizeRestriction = TextEncodingRestriction = TextFieldSizeRestriction =
        ImageEncodingRestriction = ImageSizeRestriction = 0;
}

void TBvID3ExtendedHeader::Read(TBvID3Stream& s) {
    Reset();
    const TBvID3Version v = Controller()->ReadVersion();
    if (v == ive2_3) {
        const uint32_t size = s.ReadBE32();
        s.BeginReadFrame(size);
        if (s.ReadByte() & 0x80)
            Flags |= hefCRCDataPresent;
        s.ReadByte();
        sizeOfPadding_ = s.ReadBE32();
        if (Flags & hefCRCDataPresent)
            TotalFrameCRC = s.ReadBE32();
        s.EndReadFrame();
    } else if (v == ive2_4) {
        const uint32_t size = uint32_t(s.ReadSyncSafe(4));
        if (size < 6)
            return;
        s.BeginReadFrame(size - 4);
        s.ReadByte();
        const uint8_t f = s.ReadByte();
        if (f & 0x40)
            Flags |= hefTagIsAnUpdate;
        if (f & 0x20)
            Flags |= hefCRCDataPresent;
        if (f & 0x10)
            Flags |= hefTagRestrictions;
        if (Flags & hefTagIsAnUpdate)
            s.ReadByte();
        if (Flags & hefCRCDataPresent) {
            s.ReadByte();
            TotalFrameCRC = uint32_t(s.ReadSyncSafe(5));
        }
        if (Flags & hefTagRestrictions) {
            s.ReadByte();
            const uint8_t r = s.ReadByte();
            TagSizeRestriction = r >> 6;
            TextEncodingRestriction = (r >> 5) & 1;
            TextFieldSizeRestriction = (r >> 3) & 3;
            ImageEncodingRestriction = (r >> 2) & 1;
            ImageSizeRestriction = r & 3;
        }
        s.EndReadFrame();
    }
}

uint32_t TBvID3ExtendedHeader::SizeFor(TBvID3Version v) const {
    switch (v) {
    case ive2_2:
        return 0;
    case ive2_3:
        return (Flags & hefCRCDataPresent) ? 10 : 6;
    case ive2_4:
        return 6 + ((Flags & hefTagIsAnUpdate) ? 1 : 0) + ((Flags & hefCRCDataPresent) ? 6 : 0) +
               ((Flags & hefTagRestrictions) ? 2 : 0);
    default:
        throw EBvID3Error("Unknown version");
    }
}

void TBvID3ExtendedHeader::Write(TBvID3Stream& s) {
    const TBvID3Version v = Controller()->WriteVersion();
    const uint32_t size = SizeFor(v);
    if (v == ive2_3) {
        s.WriteBE32(size);
        s.WriteByte((Flags & hefCRCDataPresent) ? 0x80 : 0);
        s.WriteByte(0);
        s.WriteBE32(sizeOfPadding_);
        if (Flags & hefCRCDataPresent)
            s.WriteBE32(TotalFrameCRC);
    } else if (v == ive2_4) {
        s.WriteSyncSafe(size, 4);
        s.WriteByte(1);
        s.WriteByte(uint8_t(((Flags & hefTagIsAnUpdate) ? 0x40 : 0) |
                            ((Flags & hefCRCDataPresent) ? 0x20 : 0) |
                            ((Flags & hefTagRestrictions) ? 0x10 : 0)));
        if (Flags & hefTagIsAnUpdate)
            s.WriteByte(0);
        if (Flags & hefCRCDataPresent) {
            s.WriteByte(5);
            s.WriteSyncSafe(TotalFrameCRC, 5);
        }
        if (Flags & hefTagRestrictions) {
            s.WriteByte(1);
            s.WriteByte(uint8_t((TagSizeRestriction << 6) | ((TextEncodingRestriction & 1) << 5) |
                                ((TextFieldSizeRestriction & 3) << 3) |
                                ((ImageEncodingRestriction & 1) << 2) |
                                (ImageSizeRestriction & 3)));
        }
    }
}

void TBvID3ExtendedHeader::ChangeToVersion(TBvID3Version v) {
    if (v == ive2_2)
        Flags = 0;
    else if (v == ive2_3)
        Flags &= uint8_t(~(hefTagIsAnUpdate | hefTagRestrictions));
    else if (v != ive2_4)
        throw EBvID3Error("Version not supported");
}
