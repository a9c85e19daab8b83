// Popularimeter ("POPM"): e-mail address, rating and play counter.
#pragma once

#include "BvID3Frame.h"

class TBvID3PopularimeterFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Popularimeter; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding) const override;
    bool GetIsEmpty() const override { return EMailAddress.empty() && Rating == 0 && Counter == 0; }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override;

    std::string EMailAddress;
    uint8_t Rating = 0;
    uint32_t Counter = 0;
};
