// The optional extended header of ID3v2.3 and 2.4.
#pragma once

#include "BvID3Header.h"

class TBvID3ExtendedHeader : public TBvID3Base {
public:
    using TBvID3Base::TBvID3Base;
    void Read(TBvID3Stream& s) override;
    void Write(TBvID3Stream& s) override;
    void Reset() override;
    void ChangeToVersion(TBvID3Version v) override;
    // Bytes Write produces for a version.
    uint32_t SizeFor(TBvID3Version v) const;

    uint32_t TotalFrameCRC = 0;
    uint32_t SizeOfPadding() const { return sizeOfPadding_; }
    uint8_t Flags = 0;
    uint8_t TagSizeRestriction = 0, TextEncodingRestriction = 0, TextFieldSizeRestriction = 0,
            ImageEncodingRestriction = 0, ImageSizeRestriction = 0;

private:
    uint32_t sizeOfPadding_ = 0;
};
