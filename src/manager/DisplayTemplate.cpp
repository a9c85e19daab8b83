// The display template of the three list views and the time texts they show.
#include "Placeholders.h"
#include "TrackManager.h"

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

std::string ExpandDisplayTemplate(std::string_view displayTemplate, const TFieldGetter& field,
                                  std::string_view bitrateSuffix) {
    struct TColumnPlaceholder {
        std::string_view Tag;
        TTrackColumn Column;
    };
    using enum TTrackColumn;
    static constexpr TColumnPlaceholder Placeholders[] = {
        {"<artist>", Artist}, {"<title>", Title},       {"<album>", Album},     {"<time>", Time},
        {"<size>", Size},     {"<filename>", FileName}, {"<bitrate>", BitRate},
    };
    return ExpandPlaceholders(displayTemplate, Placeholders, [&](const TColumnPlaceholder& p) {
        std::string value;
        field(p.Column, value);
        if (p.Column == Time)
            value = FormatTrackTime(TrackTimeSeconds(value));
        else if (p.Column == BitRate)
            value += bitrateSuffix;
        return value;
    });
}
