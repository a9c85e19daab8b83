// Ownership ("OWNE"): price paid, date of purchase and seller.
#pragma once

#include "BvID3Frame.h"
#include "RtDateEx.h"

class TBvID3OwnershipFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Ownership; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override {
        return PricePayed.empty() && DateOfPurch == 0 && Seller.Ansi.empty() && Seller.Wide.empty();
    }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override { return f.FrameID() == FrameID(); }
    bool SupportsVersion(TBvID3Version v) const override { return v == ive2_3 || v == ive2_4; }

    std::string PricePayed;
    TDateTime DateOfPurch = 0;
    TBvID3StringPair Seller;
};
