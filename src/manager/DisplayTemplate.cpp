// The display template of the three list views and the time texts they show.
#include "TrackManager.h"

#include <cctype>

int32_t TrackTimeSeconds(std::string_view time) {
    const size_t colon = time.find(':');
    if (colon == std::string_view::npos)
        throw EConvertError(Format("'%s' is not a valid time", {time}));
    const int64_t minutes = StrToInt64(time.substr(0, colon));
    const int64_t seconds = StrToInt64(time.substr(colon + 1, 2));
    // Checked before multiplying, so a huge minute count cannot overflow.
    if (minutes < 0 || seconds < 0 || minutes > (INT32_MAX - seconds) / 60)
        throw EConvertError(Format("'%s' is not a valid time", {time}));
    return static_cast<int32_t>(minutes * 60 + seconds);
}

std::string FormatTrackTime(int32_t seconds) {
    std::string out;
    auto two = [&out](int32_t v) {
        if (v < 10)
            out += '0';
        out += IntToStr(v);
    };
    two(seconds / 60);
    out += ':';
    two(seconds % 60);
    return out;
}

std::string WithoutFileExtension(std::string_view fileName) {
    // The extension is the text from the last '.' that no '\' or ':' follows, so a
    // folder or title with a full stop in it is never cut.
    const size_t cut = fileName.find_last_of(".\\:");
    if (cut == std::string_view::npos || fileName[cut] != '.')
        return std::string(fileName);
    return std::string(fileName.substr(0, cut));
}

std::string ExpandDisplayTemplate(std::string_view displayTemplate, const TFieldGetter& field,
                                  std::string_view bitrateSuffix) {
    struct TPlaceholder {
        std::string_view Tag;
        int Field;
    };
    // Field 4 is the time, shown formatted.
    static constexpr TPlaceholder Placeholders[] = {
        {"<artist>", 0}, {"<title>", 1},    {"<album>", 2},   {"<time>", 4},
        {"<size>", 5},   {"<filename>", 6}, {"<bitrate>", 7},
    };
    std::string out;
    size_t i = 0;
    // One pass, so that a value holding a placeholder's text is shown as it stands.
    while (i < displayTemplate.size()) {
        bool replaced = false;
        if (displayTemplate[i] == '<') {
            for (const TPlaceholder& p : Placeholders) {
                if (displayTemplate.size() - i < p.Tag.size() ||
                    !SameText(displayTemplate.substr(i, p.Tag.size()), p.Tag))
                    continue;
                std::string value;
                field(p.Field, value);
                if (p.Field == 4)
                    value = FormatTrackTime(TrackTimeSeconds(value));
                // The views show every line whole; the file name drops its own
                // extension here, where it is known to be one.
                if (p.Field == 6)
                    value = WithoutFileExtension(value);
                out += value;
                if (p.Field == 7)
                    out += bitrateSuffix;
                i += p.Tag.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += displayTemplate[i++];
    }
    return out;
}
