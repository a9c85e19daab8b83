// Play counter ("PCNT").
#pragma once

#include "BvID3Frame.h"

class TBvID3PlayCounterFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::PlayCounter; }
    void ReadFrame(TBvID3Stream& s) override { Counter = s.ReadCounter(); }
    void WriteFrame(TBvID3Stream& s) override { s.WriteBE32(Counter); }
    int64_t GetFrameSize(TBvID3Encoding) const override { return 4; }
    bool GetIsEmpty() const override { return false; }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override { return f.FrameID() == FrameID(); }

    uint32_t Counter = 0;
};
