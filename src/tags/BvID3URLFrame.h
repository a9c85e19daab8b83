// Link frames ("WOAR", ...): an ISO-8859-1 URL filling the frame.
#pragma once

#include "BvID3Frame.h"

class TBvID3URLFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::URL; }
    void ReadFrame(TBvID3Stream& s) override { URL = s.ReadIsoString(); }
    void WriteFrame(TBvID3Stream& s) override { s.WriteIsoString(URL, false); }
    int64_t GetFrameSize(TBvID3Encoding) const override;
    bool GetIsEmpty() const override { return URL.empty(); }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override;

    std::string URL;
};
