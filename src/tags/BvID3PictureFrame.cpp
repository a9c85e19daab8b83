#include "BvID3PictureFrame.h"

#include "BvID3Controller.h"
#include "TextCodec.h"

void TBvID3PictureFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    if (Controller() && Controller()->ReadVersion() == ive2_2) {
        // Version 2.2 names the image format in three letters instead of a MIME type.
        char format[3] = {};
        const int64_t n = s.Read(format, 3);
        const std::string f = LowerCase(std::string_view(format, size_t(n)));
        MIMEType = f == "-->" ? "-->" : f == "jpg" ? "image/jpeg" : "image/" + f;
    } else {
        MIMEType = s.ReadIsoString();
    }
    if (!s.CanRead(1))
        return;
    const uint8_t type = s.ReadByte();
    PictureType = type < PictureTypeCount ? TBvID3PictureType(type) : ptOther;
    s.ReadStringEnc(Description);
    if (MIMEType == "-->")
        URL = s.ReadIsoString();
    else
        ReadData(s, s.BytesLeft());
}

namespace {

bool Writes22(const TBvID3Controller* c) {
    return c && c->Writing() && c->WriteVersion() == ive2_2;
}

// The three-letter image format of version 2.2 for a MIME type.
std::string ImageFormat(const std::string& mime) {
    if (mime == "-->")
        return mime;
    const size_t slash = mime.find('/');
    std::string f = UpperCase(slash == std::string::npos ? mime : mime.substr(slash + 1));
    if (f == "JPEG")
        f = "JPG";
    f.resize(3, ' ');
    return f;
}

} // namespace

void TBvID3PictureFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteEncoding();
    if (Writes22(Controller()))
        s.WriteIsoString(ImageFormat(MIMEType), false);
    else
        s.WriteIsoString(MIMEType, true);
    s.WriteByte(PictureType);
    s.WriteStringEnc(Description);
    s.WriteTerminator();
    if (MIMEType == "-->")
        s.WriteIsoString(URL, false);
    else
        s.Write(data_);
}

int64_t TBvID3PictureFrame::GetFrameSize(TBvID3Encoding e) const {
    TBvID3StringPair d = Description;
    ConvertPair(d, Encoding(), e);
    const int64_t mime = Writes22(Controller())
                             ? 3
                             : int64_t(Utf8ToSingleByte(MIMEType, TCodePage::Latin1).size()) + 1;
    return 1 + mime + 1 + EncodedLength(d, e) + TerminatorLength(e) +
           (MIMEType == "-->" ? int64_t(Utf8ToSingleByte(URL, TCodePage::Latin1).size())
                              : int64_t(data_.size()));
}

bool TBvID3PictureFrame::SameUniqueIDAs(const TBvID3Frame& f) const {
    auto* p = dynamic_cast<const TBvID3PictureFrame*>(&f);
    if (!p || p->PictureType != PictureType)
        return false;
    if (PictureType == ptFileIcon || PictureType == ptOtherFileIcon)
        return true;
    TBvID3StringPair a = Description, b = p->Description;
    ConvertPair(a, Encoding(), ienUTF_16);
    ConvertPair(b, p->Encoding(), ienUTF_16);
    return a.Wide == b.Wide;
}

void TBvID3PictureFrame::Assign(const TBvID3Frame* source) {
    if (auto* p = dynamic_cast<const TBvID3PictureFrame*>(source)) {
        MIMEType = p->MIMEType;
        PictureType = p->PictureType;
        Description = p->Description;
        URL = p->URL;
    }
    TBvID3BinaryFrame::Assign(source);
}

std::string TBvID3PictureFrame::FileExtension() const {
    const size_t slash = MIMEType.find('/');
    const std::string sub =
        LowerCase(slash == std::string::npos ? MIMEType : MIMEType.substr(slash + 1));
    if (sub == "jpeg")
        return ".jpg";
    if (sub == "x-png")
        return ".png";
    if (sub == "bitmap" || sub == "x-ms-bmp")
        return ".bmp";
    return "." + sub;
}
