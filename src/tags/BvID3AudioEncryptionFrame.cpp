#include "BvID3AudioEncryptionFrame.h"

#include "TextCodec.h"

void TBvID3AudioEncryptionFrame::ReadFrame(TBvID3Stream& s) {
    OwnerID = s.ReadIsoString();
    if (s.CanRead(4)) {
        PreviewStart = s.ReadBE16();
        PreviewLength = s.ReadBE16();
        ReadData(s, s.BytesLeft());
    }
}

void TBvID3AudioEncryptionFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteIsoString(OwnerID, true);
    s.WriteBE16(PreviewStart);
    s.WriteBE16(PreviewLength);
    s.Write(data_);
}

int64_t TBvID3AudioEncryptionFrame::GetFrameSize(TBvID3Encoding) const {
    return int64_t(Utf8ToSingleByte(OwnerID, TCodePage::Latin1).size()) + 1 + 4 +
           int64_t(data_.size());
}

bool TBvID3AudioEncryptionFrame::SameUniqueIDAs(const TBvID3Frame& f) const {
    auto* a = dynamic_cast<const TBvID3AudioEncryptionFrame*>(&f);
    return a && AnsiSameText(a->OwnerID, OwnerID);
}
