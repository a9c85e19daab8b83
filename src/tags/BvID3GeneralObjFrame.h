// Encapsulated objects ("GEOB"): MIME type, file name, description and bytes.
#pragma once

#include "BvID3BinaryFrame.h"

class TBvID3GeneralObjFrame : public TBvID3BinaryFrame {
public:
    using TBvID3BinaryFrame::TBvID3BinaryFrame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::GeneralObj; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override;
    bool SameUniqueIDAs(const TBvID3Frame&) const override { return false; }

    std::string MIMEType;
    TBvID3StringPair FileName, ContentDescription;
};
