// A picture as a tag carries it: the bytes of an image file and the graphic
// class those bytes make, recognised from their signature. Nothing here decodes
// pixels; a window that shows the picture decodes the bytes with its own toolkit.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class TBvID3Picture {
public:
    TBvID3Picture() = default;
    TBvID3Picture(const TBvID3Picture&) = delete;
    TBvID3Picture& operator=(const TBvID3Picture&) = delete;

    bool Empty() const { return data_.empty(); }
    const std::string& Data() const { return data_; }
    // "TJPEGImage", "TBitmap", "TGIFImage" or "TPngImage"; empty for an empty
    // picture and for bytes read from a tag that are none of these.
    const std::string& GraphicClassName() const { return graphicClass_; }

    // Take an image file's bytes. Bytes that are no picture of a known kind raise
    // EBvID3Error "Unknown picture format" and leave the picture as it was.
    void LoadFromBytes(std::string_view bytes);
    void LoadFromFile(std::string_view fileName);
    void SaveToFile(std::string_view fileName) const;
    void Assign(const TBvID3Picture& source);
    void Clear();

    // Called after every change made through the members above.
    std::function<void(TBvID3Picture&)> OnChange;

    // Holds bytes as a tag stored them, whatever they are, without telling OnChange.
    void SetStored(std::string_view bytes);

private:
    void Changed();
    std::string data_;
    std::string graphicClass_;
};

// The graphic class that the bytes of an image file make, or "" for none known.
std::string GraphicClassOfBytes(std::string_view bytes);
// The MIME type a picture frame gets for a graphic class.
std::string PictureMIMEType(std::string_view graphicClassName);
