// ID3v2.4 time frames ("TDRC" and its kin): "yyyy-MM-ddTHH:mm:ss" or a prefix of it.
#pragma once

#include "BvID3TextFrame.h"
#include "RtDateEx.h"

class TBvID3TimestampFrame : public TBvID3CustomTextFrame {
public:
    void ChangeToVersion(TBvID3Version v) override;
    using TBvID3CustomTextFrame::TBvID3CustomTextFrame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Timestamp; }
    void GetText(TBvID3StringPair& pair) const override;
    void SetText(const TBvID3StringPair& pair) override;

    TDateTime Value() const { return value_; }
    void SetValue(TDateTime value);

private:
    TDateTime value_ = 0;
};
