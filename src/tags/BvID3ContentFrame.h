// Comments ("COMM") and unsynchronised lyrics ("USLT"): language, description, text.
#pragma once

#include "BvID3Frame.h"

class TBvID3ContentFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Content; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override {
        return description_.Ansi.empty() && description_.Wide.empty() && text_.Ansi.empty() &&
               text_.Wide.empty();
    }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override;
    void Assign(const TBvID3Frame* source) override;

    std::string Language;
    const TBvID3StringPair& Description() const { return description_; }
    const TBvID3StringPair& Text() const { return text_; }
    void SetDescription(const std::string& s);
    void SetText(const std::string& s);

private:
    TBvID3StringPair description_, text_;
};
