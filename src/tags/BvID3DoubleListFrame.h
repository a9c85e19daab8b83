// Involved people ("IPLS", "TIPL", "TMCL"): pairs of job and person, kept as
// "job=person" items.
#pragma once

#include "BvID3Frame.h"
#include "BvUnicode.h"
#include "Classes.h"

class TBvID3DoubleListFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::DoubleList; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override { return List.Count() == 0 && ListW.Count() == 0; }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override { return f.FrameID() == FrameID(); }
    bool SupportsVersion(TBvID3Version v) const override;

    int Count() const;
    std::string Job(int index) const;
    std::string Person(int index) const;
    // Replace one half of an item, or append a new pair; the item is kept in
    // the list that matches the frame's encoding.
    void SetJob(int index, const std::string& job);
    void SetPerson(int index, const std::string& person);
    int AddItem(const std::string& job, const std::string& person);

    TStringList List;
    TWideStringList ListW;

private:
    void PutItem(int index, const std::string& job, const std::string& person);
    std::vector<std::pair<TBvID3StringPair, TBvID3StringPair>> Pairs() const;
};
