// Broken settings files, Base64 text and search texts must never crash; a
// write to an INI file must read back whatever else the file holds.
#include "Drives.h"
#include "IniFiles.h"
#include "RtMime.h"
#include "RtStrings.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
// One settings file for the whole run, removed when the run ends (libFuzzer
// leaves through exit, which runs the destructors of statics).
struct TRunFile {
    std::string path;
    TRunFile() {
        char tmpl[] = "/tmp/bvfuzz-XXXXXX";
        int fd = mkstemp(tmpl);
        if (fd >= 0)
            close(fd);
        path = tmpl;
    }
    ~TRunFile() { std::remove(path.c_str()); }
};

std::string IniPath() {
    static const TRunFile file;
    return file.path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);

    std::string bytes = DecodeBase64Text(input);
    if (DecodeBase64Text(EncodeBase64Text(input)) != input)
        abort();
    if (static_cast<int64_t>(bytes.size()) > Base64DecodedRoom(static_cast<int64_t>(size)))
        abort();

    std::string half = input.substr(0, size / 2);
    std::string s = input.substr(size / 2);
    StrFind(half, s, 1);
    StrAfter(half, s);
    StrBefore(half, s);
    try {
        StrReplace(s, half, "x", {rfReplaceAll, rfIgnoreCase});
    } catch (const ERtError&) {
    }

    FILE* f = fopen(IniPath().c_str(), "wb");
    if (!f)
        return 0;
    fwrite(input.data(), 1, input.size(), f);
    fclose(f);
    TIniFile ini(ToWindowsPath(IniPath()));
    TStringList sections, keys;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count() && i < 8; ++i) {
        ini.ReadSectionValues(sections[i], keys);
        ini.ReadInteger(sections[i], "x", 0);
    }
    std::string before = sections.Count() ? sections[0] : "";
    std::string keyBefore;
    if (!before.empty()) {
        ini.ReadSection(before, keys);
        if (keys.Count())
            keyBefore = ini.ReadString(before, keys[0], "");
    }
    ini.WriteString("Fuzz", "Key", "value");
    if (ini.ReadString("fuzz", "KEY", "") != "value")
        abort();
    if (!keyBefore.empty() && !SameText(before, "fuzz") &&
        ini.ReadString(before, keys[0], "") != keyBefore)
        abort();
    return 0;
}
