#include "BvID3TextFrame.h"
#include "BvID3DateConversion.h"

#include "BvID3Controller.h"
#include "TextCodec.h"

#include <cctype>

void TBvID3CustomTextFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    TBvID3StringPair pair;
    s.ReadStringEnc(pair);
    SetText(pair);
}

void TBvID3CustomTextFrame::WriteFrame(TBvID3Stream& s) {
    TBvID3StringPair pair;
    GetText(pair);
    s.WriteEncoding();
    s.WriteStringEnc(pair);
}

int64_t TBvID3CustomTextFrame::GetFrameSize(TBvID3Encoding e) const {
    TBvID3StringPair pair;
    GetText(pair);
    ConvertPair(pair, Encoding(), e);
    return 1 + EncodedLength(pair, e);
}

bool TBvID3CustomTextFrame::SupportsVersion(TBvID3Version v) const {
    switch (FrameID()) {
    case fiDate:
    case fiTime:
    case fiOrigYear:
    case fiRecordingDates:
    case fiSize:
    case fiYear:
        return v == ive2_2 || v == ive2_3;
    case fiEncodingTime:
    case fiOrigReleaseTime:
    case fiRecordingTime:
    case fiReleaseTime:
    case fiTaggingTime:
    case fiMood:
    case fiProducedNotice:
    case fiAlbumSortOrder:
    case fiPerformerSortOrder:
    case fiTitleSortOrder:
    case fiSetSubTitle:
        return v == ive2_4;
    case fiFileOwner:
    case fiEncoderSettings:
        return v == ive2_3 || v == ive2_4;
    default:
        return TBvID3Frame::SupportsVersion(v);
    }
}

void TBvID3CustomTextFrame::Clear() {
    SetText(TBvID3StringPair{});
    UpdateFrameSize();
}

void TBvID3CustomTextFrame::Assign(const TBvID3Frame* source) {
    if (auto* t = dynamic_cast<const TBvID3CustomTextFrame*>(source)) {
        TBvID3StringPair pair;
        t->GetText(pair);
        ConvertPair(pair, t->Encoding(), Encoding());
        SetText(pair);
    }
    TBvID3Frame::Assign(source);
}

void TBvID3TextFrame::SetText(const TBvID3StringPair& pair) {
    text_ = pair;
}

void TBvID3TextFrame::SetText(const std::string& text) {
    if (text == text_.Ansi)
        return;
    text_.Ansi = text;
    text_.Wide = Utf8ToUtf16(text);
    UpdateFrameSize();
}

void TBvID3TextFrame::SetTextW(const std::u16string& text) {
    if (text == text_.Wide)
        return;
    text_.Wide = text;
    text_.Ansi = Utf16ToUtf8(text);
    UpdateFrameSize();
}

namespace {

bool AllDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return !s.empty();
}

bool ValidPartInSet(const std::string& s) {
    const size_t slash = s.find('/');
    if (slash == std::string::npos)
        return AllDigits(s);
    return slash > 0 && AllDigits(s.substr(0, slash)) && AllDigits(s.substr(slash + 1));
}

} // namespace

bool TBvID3TextFrame::CheckFrame(int errorAction) {
    const std::string& t = text_.Ansi;
    std::string repair, message;
    bool valid = true;
    switch (FrameID()) {
    case fiDate: {
        valid = t.size() == 4 && AllDigits(t);
        if (valid) {
            const int day = std::stoi(t.substr(0, 2)), month = std::stoi(t.substr(2, 2));
            valid = day >= 1 && day <= 31 && month >= 1 && month <= 12;
        }
        repair = "0101";
        message =
            Format("'%s' is an invalid date value.", {t}) + "\rValue must be of format 'DDMM'";
        break;
    }
    case fiTime: {
        valid = t.size() == 4 && AllDigits(t);
        if (valid) {
            const int hour = std::stoi(t.substr(0, 2)), minute = std::stoi(t.substr(2, 2));
            valid = hour <= 23 && minute <= 59;
        }
        repair = "0000";
        message =
            Format("'%s' is an invalid time value.", {t}) + "\rValue must be of format 'HHMM'";
        break;
    }
    case fiPartInSet:
    case fiTrackNum:
        valid = ValidPartInSet(t);
        message = Format("'%s' is an invalid 'part in set' value", {t});
        break;
    default:
        return true;
    }
    if (valid)
        return true;
    if (errorAction == caRepair) {
        SetText(repair);
        return true;
    }
    if (errorAction == caRaise)
        throw EBvID3Error(ErrorText(message));
    return false;
}

void TBvID3TextFrame::ChangeToVersion(TBvID3Version v) {
    if (v == ive2_4 && (FrameID() == fiDate || FrameID() == fiTime) && Controller())
        MakeRecordingTime(*Controller());
}
