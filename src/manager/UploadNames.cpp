#include "UploadNames.h"

#include "Placeholders.h"
#include "SysUtils.h"
#include "TrackColumns.h"

#include <string_view>

namespace {

constexpr size_t MaxNameBytes = 255;

std::string TwoDigits(int64_t value) {
    std::string text = IntToStr(value);
    return text.size() < 2 ? "0" + text : text;
}

// The row's time as minutes and seconds of at least two digits each; a time that does
// not parse counts as 0 rather than failing the whole upload.
std::string UploadTime(const std::string& time) {
    size_t colon = time.find(':');
    int64_t minutes = 0, seconds = 0;
    if (colon != std::string::npos) {
        minutes = StrToInt64Def(time.substr(0, colon), 0);
        seconds = StrToInt64Def(time.substr(colon + 1, 2), 0);
    }
    int64_t total = minutes * 60 + seconds;
    if (total < 0)
        total = 0;
    return TwoDigits(total / 60) + ":" + TwoDigits(total % 60);
}

// The extension of a path, dot included; empty when the last part has no dot.
std::string ExtensionOf(const std::string& path) {
    size_t dot = path.find_last_of(".\\/:");
    if (dot == std::string::npos || path[dot] != '.')
        return "";
    return path.substr(dot);
}

// Cuts text to at most bytes bytes without splitting a UTF-8 sequence.
std::string CutUtf8(const std::string& text, size_t bytes) {
    if (text.size() <= bytes)
        return text;
    size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string TrimEndDotsAndBlanks(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Splits at the extension when it is short enough to be one.
void SplitName(const std::string& name, std::string& stem, std::string& ext) {
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && name.size() - dot <= 16) {
        stem = name.substr(0, dot);
        ext = name.substr(dot);
    } else {
        stem = name;
        ext.clear();
    }
}

std::string FitName(const std::string& stem, const std::string& ext) {
    std::string cut = stem;
    if (cut.size() + ext.size() > MaxNameBytes)
        cut = TrimEndDotsAndBlanks(CutUtf8(stem, MaxNameBytes - ext.size()));
    if (cut.empty() && ext.empty())
        return "_";
    return cut + ext;
}

} // namespace

int MasterPlaylistPosition(const TStrings& masterPlaylist, int row) {
    return masterPlaylist.IndexOf(IntToStr(row)) + 1;
}

TUploadNameFields UploadNameFieldsOf(const TBvMultiStringHolder& tracks, int row,
                                     const TStrings& masterPlaylist) {
    TUploadNameFields f;
    f.Artist = TrackColumn(tracks, TTrackColumn::Artist).Get(row);
    f.Title = TrackColumn(tracks, TTrackColumn::Title).Get(row);
    f.Album = TrackColumn(tracks, TTrackColumn::Album).Get(row);
    f.Time = TrackColumn(tracks, TTrackColumn::Time).Get(row);
    f.Size = TrackColumn(tracks, TTrackColumn::Size).Get(row);
    f.FileName = TrackColumn(tracks, TTrackColumn::FileName).Get(row);
    f.BitRate = TrackColumn(tracks, TTrackColumn::BitRate).Get(row);
    f.MasterPosition = MasterPlaylistPosition(masterPlaylist, row);
    return f;
}

std::string ExpandRenameTemplate(const std::string& renameTemplate, const TUploadNameFields& fields,
                                 const std::string& kbpsCaption) {
    return ExpandPlaceholders(renameTemplate, {
                                                  {"<artist>", fields.Artist},
                                                  {"<title>", fields.Title},
                                                  {"<album>", fields.Album},
                                                  {"<time>", UploadTime(fields.Time)},
                                                  {"<size>", fields.Size},
                                                  {"<ext>", ExtensionOf(fields.FileName)},
                                                  {"<bitrate>", fields.BitRate + " " + kbpsCaption},
                                                  {"<#>", IntToStr(fields.MasterPosition)},
                                              });
}

std::string SanitizeFileName(const std::string& name) {
    std::string out = name;
    for (char& c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == ':')
            c = '.';
        else if (u < 0x20 || u == 0x7F ||
                 std::string_view("/|\\*?<>\"").find(c) != std::string_view::npos)
            c = ' ';
    }
    out = TrimEndDotsAndBlanks(out);
    std::string stem, ext;
    SplitName(out, stem, ext);
    return FitName(stem, ext);
}

std::string MakeUploadName(const std::string& renameTemplate, const TUploadNameFields& fields,
                           const std::string& kbpsCaption) {
    return SanitizeFileName(ExpandRenameTemplate(renameTemplate, fields, kbpsCaption));
}

std::string TUploadNamer::Claim(const std::string& name) {
    std::string stem, ext;
    SplitName(name, stem, ext);
    std::string candidate = name;
    for (int n = 2; !used_.insert(AnsiUpperCase(candidate)).second; ++n) {
        std::string suffix = " (" + std::to_string(n) + ")";
        std::string cut = stem;
        if (cut.size() + suffix.size() + ext.size() > MaxNameBytes)
            cut = CutUtf8(stem, MaxNameBytes - suffix.size() - ext.size());
        candidate = cut + suffix + ext;
    }
    return candidate;
}

bool TUploadNamer::IsClaimed(const std::string& name) const {
    return used_.count(AnsiUpperCase(name)) != 0;
}
