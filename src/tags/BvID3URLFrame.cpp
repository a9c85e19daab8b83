#include "BvID3URLFrame.h"

#include "TextCodec.h"

int64_t TBvID3URLFrame::GetFrameSize(TBvID3Encoding) const {
    return int64_t(Utf8ToSingleByte(URL, TCodePage::Latin1).size());
}

bool TBvID3URLFrame::SameUniqueIDAs(const TBvID3Frame& f) const {
    auto* u = dynamic_cast<const TBvID3URLFrame*>(&f);
    if (!u || u->FrameID() != FrameID())
        return false;
    if (FrameID() == fiWWWCommercialInfo || FrameID() == fiWWWArtist)
        return AnsiSameText(u->URL, URL);
    return true;
}
