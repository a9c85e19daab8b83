#include "IniFiles.h"
#include "RtFileUtils.h"
#include "RtStrings.h"

#include <optional>

namespace {

// "[name]" gives name; other lines give nothing.
std::optional<std::string> SectionOf(const std::string& line) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return Trim(std::string_view(t).substr(1, close - 1));
}

// "key=value" gives the trimmed key; comments and lines without "=" give nothing.
std::optional<std::string> KeyOf(const std::string& line) {
    std::string t = TrimLeft(line);
    if (t.empty() || t[0] == ';' || t[0] == '[')
        return std::nullopt;
    size_t eq = t.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    std::string key = Trim(std::string_view(t).substr(0, eq));
    if (key.empty())
        return std::nullopt;
    return key;
}

std::string ValueOf(const std::string& line) {
    std::string v = Trim(std::string_view(line).substr(line.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// The line range [begin, end) of the first section with this name; begin is its header.
bool FindSection(const std::vector<std::string>& lines, std::string_view section, size_t& begin,
                 size_t& end) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto s = SectionOf(lines[i]);
        if (s && AnsiSameText(*s, Trim(section))) {
            begin = i;
            end = i + 1;
            while (end < lines.size() && !SectionOf(lines[end]))
                ++end;
            return true;
        }
    }
    return false;
}

std::optional<size_t> FindKey(const std::vector<std::string>& lines, size_t begin, size_t end,
                              std::string_view ident) {
    std::string want = Trim(ident);
    for (size_t i = begin + 1; i < end; ++i) {
        auto k = KeyOf(lines[i]);
        if (k && AnsiSameText(*k, want))
            return i;
    }
    return std::nullopt;
}

} // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

std::vector<std::string> TIniFile::Load() const {
    std::string text;
    try {
        if (!FileExists(fileName_))
            return {};
        text = FileToString(fileName_);
    } catch (const Exception&) {
        // An unreadable file reads as an empty one: every key gives its default.
        return {};
    }
    std::vector<std::string> lines;
    size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    bom_ = start ? text.substr(0, 3) : std::string();
    size_t i = start;
    while (i < text.size()) {
        size_t j = text.find_first_of("\r\n", i);
        if (j == std::string::npos) {
            lines.push_back(text.substr(i));
            break;
        }
        lines.push_back(text.substr(i, j - i));
        i = j + (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

void TIniFile::Save(const std::vector<std::string>& lines) {
    std::string text = bom_;
    for (const auto& l : lines)
        text += l + "\r\n";
    try {
        AtomicReplaceFile(fileName_, text);
    } catch (const Exception&) {
        throw EIniFileException(Format("Unable to write to %s", {fileName_}));
    }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view fallback) const {
    auto lines = Load();
    size_t b, e;
    if (FindSection(lines, section, b, e))
        if (auto k = FindKey(lines, b, e, ident))
            return ValueOf(lines[*k]);
    return std::string(fallback);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view ident,
                              int32_t fallback) const {
    std::string s = ReadString(section, ident, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s.replace(0, 2, "$");
    return StrToIntDef(s, fallback);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool fallback) const {
    return ReadInteger(section, ident, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
    auto lines = Load();
    std::string line = Trim(ident) + "=" + std::string(value);
    size_t b, e;
    if (!FindSection(lines, section, b, e)) {
        std::string header = "[";
        header.append(Trim(section)).append("]");
        lines.push_back(std::move(header));
        lines.push_back(line);
    } else if (auto k = FindKey(lines, b, e, ident)) {
        lines[*k] = line;
    } else {
        // After the section's last non-blank line, so blank separators stay below it.
        size_t at = e;
        while (at > b + 1 && Trim(lines[at - 1]).empty())
            --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    }
    Save(lines);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int32_t value) {
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadSection(std::string_view section, TStrings& strings) const {
    strings.BeginUpdate();
    strings.Clear();
    auto lines = Load();
    size_t b, e;
    if (FindSection(lines, section, b, e))
        for (size_t i = b + 1; i < e; ++i)
            if (auto k = KeyOf(lines[i]))
                strings.Add(*k);
    strings.EndUpdate();
}

void TIniFile::ReadSections(TStrings& strings) const {
    strings.BeginUpdate();
    strings.Clear();
    for (const auto& l : Load())
        if (auto s = SectionOf(l))
            strings.Add(*s);
    strings.EndUpdate();
}

void TIniFile::ReadSectionValues(std::string_view section, TStrings& strings) const {
    strings.BeginUpdate();
    strings.Clear();
    auto lines = Load();
    size_t b, e;
    if (FindSection(lines, section, b, e))
        for (size_t i = b + 1; i < e; ++i)
            if (auto k = KeyOf(lines[i]))
                strings.Add(*k + "=" + ValueOf(lines[i]));
    strings.EndUpdate();
}

void TIniFile::EraseSection(std::string_view section) {
    auto lines = Load();
    size_t b, e;
    if (!FindSection(lines, section, b, e))
        return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(b),
                lines.begin() + static_cast<std::ptrdiff_t>(e));
    Save(lines);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    auto lines = Load();
    size_t b, e;
    if (!FindSection(lines, section, b, e))
        return;
    if (auto k = FindKey(lines, b, e, ident)) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*k));
        Save(lines);
    }
}

bool TIniFile::SectionExists(std::string_view section) const {
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const {
    TStringList keys;
    ReadSection(section, keys);
    return keys.IndexOf(Trim(ident)) > -1;
}
