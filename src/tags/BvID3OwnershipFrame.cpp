#include "BvID3OwnershipFrame.h"

#include "TextCodec.h"

#include <algorithm>

void TBvID3OwnershipFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    PricePayed = s.ReadIsoString();
    DateOfPurch = 0;
    if (s.CanRead(8)) {
        const int64_t at = s.Position();
        char d[8];
        s.Read(d, 8);
        const std::string digits(d, 8);
        int32_t y = 0, m = 0, day = 0;
        if (std::all_of(digits.begin(), digits.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            y = std::stoi(digits.substr(0, 4));
            m = std::stoi(digits.substr(4, 2));
            day = std::stoi(digits.substr(6, 2));
            DateOfPurch = EncodeDateEx(y, uint16_t(m), uint16_t(day));
        } else {
            s.Seek(at);
        }
    }
    s.ReadStringEnc(Seller);
}

void TBvID3OwnershipFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteEncoding();
    s.WriteIsoString(PricePayed, true);
    int32_t y;
    uint16_t m, d;
    DecodeDateEx(DateOfPurch, y, m, d);
    s.Write(Format("%.4d%.2d%.2d", {std::clamp(y, 0, 9999), int(m), int(d)}));
    s.WriteStringEnc(Seller);
}

int64_t TBvID3OwnershipFrame::GetFrameSize(TBvID3Encoding e) const {
    TBvID3StringPair sl = Seller;
    ConvertPair(sl, Encoding(), e);
    return 1 + int64_t(Utf8ToSingleByte(PricePayed, TCodePage::Latin1).size()) + 1 + 8 +
           EncodedLength(sl, e);
}
