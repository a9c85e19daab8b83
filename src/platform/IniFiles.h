// INI files with the profile functions' rules: section and key names compare
// without regard to case, values are trimmed and lose one pair of enclosing
// quotes on reading, and a write changes its one line and keeps every other
// line as it was. Lines end in CR LF; each write replaces the file atomically.
#pragma once

#include "Classes.h"

#include <string>
#include <string_view>
#include <vector>

BV_DECLARE_EXCEPTION(EIniFileException, Exception);

class TIniFile : public TObject {
public:
    // The file's Windows-form name; it need not exist yet.
    explicit TIniFile(std::string fileName);
    const std::string& FileName() const { return fileName_; }

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view fallback) const;
    // A decimal or "0x"/"$" hexadecimal value; anything else gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view ident, int32_t fallback) const;
    // An integer other than 0 is true; stored as "1" or "0".
    bool ReadBool(std::string_view section, std::string_view ident, bool fallback) const;

    // Raise EIniFileException "Unable to write to %s" when the file cannot be written.
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view ident, int32_t value);
    void WriteBool(std::string_view section, std::string_view ident, bool value);

    // The keys of a section in file order (Strings is cleared first).
    void ReadSection(std::string_view section, TStrings& strings) const;
    // The names of every section in file order.
    void ReadSections(TStrings& strings) const;
    // "key=value" lines of a section, values as ReadString gives them.
    void ReadSectionValues(std::string_view section, TStrings& strings) const;
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view ident);
    // A section exists when it holds at least one key, as the framework decides.
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view ident) const;
    // Every write already reaches the file; kept for callers that flush.
    void UpdateFile() {}

private:
    std::vector<std::string> Load() const;
    void Save(const std::vector<std::string>& lines);
    std::string fileName_;
    mutable std::string bom_; // a UTF-8 mark at the start is kept on writing
};
