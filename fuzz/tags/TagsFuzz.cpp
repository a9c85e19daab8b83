// The whole read of one file: the ID3v2 tag with every frame, the MPEG audio
// information, the ID3v1 trailer, the texts the track manager takes, and a
// write and re-read of what was read. Nothing may crash or leak; the program's
// named errors are allowed only where a caller expects them.
#include "BvID3v1.h"
#include "BvID3v2.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TBvBytesStream stream(bytes);
    TBvID3v2 tag;
    tag.OpenStream(stream); // damaged content never raises
    const TStrings& artists = tag.Texts().LeadArtist();
    volatile size_t sink = artists.Count() + tag.Texts().Title().size() +
                           tag.Texts().Album().size() + size_t(tag.FileInfo().LengthSeconds) +
                           size_t(tag.FileInfo().BitrateKbps);
    (void)sink;
    for (int i = 0; i < tag.FrameCount(); ++i)
        tag.Frames().Items(i)->CheckFrame(caReport);
    try {
        const std::string rendered = tag.RenderTag();
        TBvBytesStream again(rendered);
        TBvID3v2 reread;
        reread.OpenStream(again);
    } catch (const EBvID3Error&) {
        // Some read values cannot be written back (a language that is not 3
        // letters, a frame too big for its version); writing reports them.
    }
    TBvBytesStream trailer(bytes);
    TBvID3v1 v1;
    v1.ReadFromStream(trailer);
    return 0;
}
