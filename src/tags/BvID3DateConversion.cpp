#include "BvID3DateConversion.h"

#include "BvID3Controller.h"
#include "BvID3NumberFrame.h"
#include "BvID3TextFrame.h"
#include "BvID3TimestampFrame.h"

namespace {

template <typename T> T* FirstOf(TBvID3Controller& c, TBvID3FrameID id) {
    TBvID3Frame* f = nullptr;
    while (c.FindFrame(id, f))
        if (auto* t = dynamic_cast<T*>(f))
            return t;
    return nullptr;
}

// Two 2-digit numbers of a 4-digit text, when it is one.
bool TwoPairs(const std::string& s, int& a, int& b) {
    if (s.size() != 4)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    a = (s[0] - '0') * 10 + (s[1] - '0');
    b = (s[2] - '0') * 10 + (s[3] - '0');
    return true;
}

} // namespace

void MakeRecordingTime(TBvID3Controller& c) {
    if (FirstOf<TBvID3TimestampFrame>(c, fiRecordingTime))
        return;
    int y, mo, d;
    DecodeDate(Now(), y, mo, d);
    int32_t year = y;
    if (auto* f = FirstOf<TBvID3NumberFrame>(c, fiYear))
        year = int32_t(f->Value());
    int day = 1, month = 1, hour = 0, minute = 0;
    if (auto* f = FirstOf<TBvID3TextFrame>(c, fiDate))
        if (!TwoPairs(f->Text(), day, month) || day < 1 || day > 31 || month < 1 || month > 12)
            day = month = 1;
    if (auto* f = FirstOf<TBvID3TextFrame>(c, fiTime))
        if (!TwoPairs(f->Text(), hour, minute) || hour > 23 || minute > 59)
            hour = minute = 0;
    TDateTime value;
    try {
        value = EncodeDateEx(year, uint16_t(month), uint16_t(day));
    } catch (const EConvertError&) {
        // 31 April and the like: the month is kept, the day dropped.
        value = EncodeDateEx(year, uint16_t(month), 1);
    }
    value += EncodeTime(hour, minute, 0, 0);
    if (auto* t = dynamic_cast<TBvID3TimestampFrame*>(c.AddFrame(fiRecordingTime)))
        t->SetValue(value);
}

void SplitTimestamp(TBvID3Controller& c, TBvID3FrameID id, double value) {
    int32_t year;
    uint16_t month, day;
    DecodeDateEx(value, year, month, day);
    int h, m, s, ms;
    DecodeTime(value, h, m, s, ms);
    const TBvID3FrameID yearID = id == fiRecordingTime ? fiYear : fiOrigYear;
    if (!FirstOf<TBvID3NumberFrame>(c, yearID) && year > 0)
        dynamic_cast<TBvID3NumberFrame*>(c.AddFrame(yearID))->SetValue(uint32_t(year));
    if (id != fiRecordingTime)
        return;
    if (!FirstOf<TBvID3TextFrame>(c, fiDate))
        dynamic_cast<TBvID3TextFrame*>(c.AddFrame(fiDate))
            ->SetText(Format("%.2d%.2d", {int(day), int(month)}));
    if ((h != 0 || m != 0) && !FirstOf<TBvID3TextFrame>(c, fiTime))
        dynamic_cast<TBvID3TextFrame*>(c.AddFrame(fiTime))->SetText(Format("%.2d%.2d", {h, m}));
}
