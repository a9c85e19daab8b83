#include "BvID3TimestampFrame.h"
#include "BvID3DateConversion.h"

#include "TextCodec.h"

#include <algorithm>
#include <cmath>

void TBvID3TimestampFrame::GetText(TBvID3StringPair& pair) const {
    int32_t year;
    uint16_t month, day;
    DecodeDateEx(value_, year, month, day);
    year = std::clamp(year, 0, 9999);
    int h, m, s, ms;
    DecodeTime(value_, h, m, s, ms);
    if (h == 0 && m == 0 && s == 0)
        pair.Ansi = Format("%.4d-%.2d-%.2d", {year, int(month), int(day)});
    else
        pair.Ansi = Format("%.4d-%.2d-%.2dT%.2d:%.2d:%.2d", {year, int(month), int(day), h, m, s});
    pair.Wide = Utf8ToUtf16(pair.Ansi);
}

void TBvID3TimestampFrame::SetText(const TBvID3StringPair& pair) {
    const std::string text =
        (Encoding() == ienISO_8859_1 ? pair.Ansi : Utf16ToUtf8(pair.Wide)).substr(0, 19);
    // Groups: year (1-4), month (6-7), day (9-10), hour (12-13), minute (15-16),
    // second (18-19); the characters at 5, 8, 11, 14 and 17 separate them.
    static const int groupEnd[] = {4, 7, 10, 13, 16, 19};
    int values[6] = {0, 1, 1, 0, 0, 0};
    int group = 0, current = 0;
    size_t consumed = 0;
    for (size_t i = 0; i < text.size() && group < 6; ++i) {
        const int pos = int(i) + 1;
        if (pos == groupEnd[group] + 1) {
            values[group++] = current;
            current = 0;
            consumed = i + 1;
            continue;
        }
        if (text[i] < '0' || text[i] > '9')
            break;
        current = current * 10 + (text[i] - '0');
        if (i + 1 == text.size() && pos == groupEnd[group]) {
            values[group++] = current;
            consumed = i + 1;
        }
    }
    TDateTime v = EncodeDateEx(values[0], uint16_t(values[1]), uint16_t(values[2]));
    if (consumed > 11) {
        const double t = EncodeTime(values[3], values[4], values[5], 0);
        v = v >= 0 ? v + t : v - t;
    }
    value_ = v;
}

void TBvID3TimestampFrame::SetValue(TDateTime value) {
    if (value == value_)
        return;
    value_ = value;
    UpdateFrameSize();
}

void TBvID3TimestampFrame::ChangeToVersion(TBvID3Version v) {
    if ((v == ive2_2 || v == ive2_3) && Controller() &&
        (FrameID() == fiRecordingTime || FrameID() == fiOrigReleaseTime))
        SplitTimestamp(*Controller(), FrameID(), value_);
}
