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

namespace {

// The extension is the text from the last '.' that no '\' or ':' follows, so a folder or
// title with a full stop in it is never cut. Where the name ends without it.
size_t EndWithoutExtension(std::string_view fileName) {
    const size_t cut = fileName.find_last_of(".\\:");
    return cut == std::string_view::npos || fileName[cut] != '.' ? fileName.size() : cut;
}

} // namespace

std::string WithoutFileExtension(std::string_view fileName) {
    return std::string(fileName.substr(0, EndWithoutExtension(fileName)));
}

namespace {

// The display template's placeholders; where two start at the same place the first wins.
struct TColumnPlaceholder {
    std::string_view Tag;
    TTrackColumn Column;
};
constexpr TColumnPlaceholder Placeholders[] = {
    {"<artist>", TTrackColumn::Artist},   {"<title>", TTrackColumn::Title},
    {"<album>", TTrackColumn::Album},     {"<time>", TTrackColumn::Time},
    {"<size>", TTrackColumn::Size},       {"<filename>", TTrackColumn::FileName},
    {"<bitrate>", TTrackColumn::BitRate},
};

} // namespace

TDisplayTemplate::TDisplayTemplate(std::string_view displayTemplate, std::string_view bitrateSuffix)
    : bitrateSuffix_(bitrateSuffix) {
    // The template is read as ExpandPlaceholders reads it, once.
    size_t i = 0;
    while (i < displayTemplate.size()) {
        const TColumnPlaceholder* found = nullptr;
        if (displayTemplate[i] == '<')
            for (const TColumnPlaceholder& p : Placeholders)
                if (PlaceholderAt(displayTemplate, i, p.Tag)) {
                    found = &p;
                    break;
                }
        if (found) {
            pieces_.push_back({{}, true, found->Column});
            i += found->Tag.size();
            continue;
        }
        if (pieces_.empty() || pieces_.back().IsColumn)
            pieces_.push_back({});
        pieces_.back().Text += displayTemplate[i++];
    }
}

std::string_view TDisplayTemplate::ExpandView(const TFieldReader& field) const {
    // Made in a buffer kept from line to line: a long list takes the lines from it at their
    // exact size and keeps no spare room.
    thread_local std::string out;
    out.clear();
    for (const TPiece& piece : pieces_) {
        if (!piece.IsColumn) {
            out += piece.Text;
            continue;
        }
        const std::string_view value = field(piece.Column);
        if (piece.Column == TTrackColumn::Time) {
            out += FormatTrackTime(TrackTimeSeconds(value));
        } else if (piece.Column == TTrackColumn::BitRate) {
            out += value;
            out += bitrateSuffix_;
        } else if (piece.Column == TTrackColumn::FileName) {
            out.append(value, 0, EndWithoutExtension(value));
        } else {
            out += value;
        }
    }
    return out;
}

std::string ExpandDisplayTemplate(std::string_view displayTemplate, const TFieldGetter& field,
                                  std::string_view bitrateSuffix) {
    using enum TTrackColumn;
    return ExpandPlaceholders(displayTemplate, Placeholders, [&](const TColumnPlaceholder& p) {
        std::string value;
        field(p.Column, value);
        if (p.Column == Time)
            value = FormatTrackTime(TrackTimeSeconds(value));
        else if (p.Column == BitRate)
            value += bitrateSuffix;
        // The views show every line whole; the file name drops its own extension here,
        // where it is known to be one.
        else if (p.Column == FileName)
            value = WithoutFileExtension(value);
        return value;
    });
}
