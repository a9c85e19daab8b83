#include "BvID3Picture.h"

#include "BvID3Types.h"
#include "RtStrings.h"
#include "SysUtils.h"

std::string GraphicClassOfBytes(std::string_view b) {
    if (b.size() >= 3 && b.substr(0, 3) == "\xFF\xD8\xFF")
        return "TJPEGImage";
    if (b.size() >= 8 && b.substr(0, 8) == "\x89PNG\r\n\x1A\n")
        return "TPngImage";
    if (b.size() >= 6 && (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a"))
        return "TGIFImage";
    // A bitmap file header is 14 bytes and an info header follows it.
    if (b.size() >= 26 && b.substr(0, 2) == "BM")
        return "TBitmap";
    return {};
}

std::string PictureMIMEType(std::string_view graphicClassName) {
    const std::string name = LowerCase(std::string(graphicClassName));
    if (name.find("jpg") != std::string::npos || name.find("jpeg") != std::string::npos)
        return "image/jpeg";
    if (name.find("bmp") != std::string::npos || name.find("bitmap") != std::string::npos)
        return "image/bitmap";
    if (name.find("gif") != std::string::npos)
        return "image/gif";
    // A bare "image/" names no format and other players would not show the picture.
    if (name.find("png") != std::string::npos)
        return "image/png";
    return "image/";
}

void TBvID3Picture::Changed() {
    if (OnChange)
        OnChange(*this);
}

void TBvID3Picture::LoadFromBytes(std::string_view bytes) {
    std::string graphicClass = GraphicClassOfBytes(bytes);
    if (graphicClass.empty())
        throw EBvID3Error("Unknown picture format");
    data_.assign(bytes);
    graphicClass_ = std::move(graphicClass);
    Changed();
}

void TBvID3Picture::LoadFromFile(std::string_view fileName) {
    LoadFromBytes(FileToString(fileName));
}

void TBvID3Picture::SaveToFile(std::string_view fileName) const {
    StringToFile(fileName, data_);
}

void TBvID3Picture::Assign(const TBvID3Picture& source) {
    if (&source == this)
        return;
    data_ = source.data_;
    graphicClass_ = source.graphicClass_;
    Changed();
}

void TBvID3Picture::Clear() {
    data_.clear();
    graphicClass_.clear();
    Changed();
}

void TBvID3Picture::SetStored(std::string_view bytes) {
    data_.assign(bytes);
    graphicClass_ = GraphicClassOfBytes(bytes);
}
