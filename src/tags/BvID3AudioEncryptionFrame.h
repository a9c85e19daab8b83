// Audio encryption ("AENC"): owner, preview range and the encryption information.
#pragma once

#include "BvID3BinaryFrame.h"

class TBvID3AudioEncryptionFrame : public TBvID3BinaryFrame {
public:
    using TBvID3BinaryFrame::TBvID3BinaryFrame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::AudioEncryption; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding) const override;
    bool GetIsEmpty() const override { return OwnerID.empty() && data_.empty(); }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override;

    std::string OwnerID;
    uint16_t PreviewStart = 0, PreviewLength = 0;
};
