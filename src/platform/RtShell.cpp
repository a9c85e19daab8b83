#include "RtShell.h"
#include "RtFileUtils.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool RefusedPath(std::string_view path) {
    if (path.empty() || IsDriveRoot(path))
        return true;
    std::string p = ResolvePath(path);
    return p.empty() || IsDriveRootFolder(p);
}

} // namespace

uint16_t DeleteOptionsToFlags(const TDeleteOptions& options) {
    uint16_t flags = 0;
    if (options.count(doSilent))
        flags |= 0x614;
    if (options.count(doAllowUndo))
        flags |= 0x40;
    if (options.count(doFilesOnly))
        flags |= 0x80;
    return flags;
}

bool SHDeleteFiles(uintptr_t, std::string_view files, const TDeleteOptions& options) {
    try {
        std::string folder = ExtractFilePath(files);
        std::string mask = ExtractFileName(files);
        if (mask.find_first_of("*?") == std::string::npos)
            return !RefusedPath(files) && DeleteLinuxEntry(ResolvePath(files));
        std::string linuxFolder = ResolvePath(folder.empty() ? std::string(".") : folder);
        while (linuxFolder.size() > 1 && linuxFolder.back() == '/')
            linuxFolder.pop_back();
        bool ok = true;
        TSearchRec rec;
        TStringList names;
        for (int r = FindFirst(files, faAnyFile, rec); r == 0; r = FindNext(rec)) {
            if (rec.Name == "." || rec.Name == "..")
                continue;
            if ((rec.Attr & faDirectory) && options.count(doFilesOnly))
                continue;
            names.Add(rec.Name);
        }
        FindClose(rec);
        for (int i = 0; i < names.Count(); ++i)
            ok = DeleteLinuxEntry((linuxFolder == "/" ? "" : linuxFolder) + "/" +
                                  UnescapeWindowsName(names[i])) &&
                 ok;
        return ok;
    } catch (const Exception&) {
        return false;
    }
}

bool SHDeleteFolder(uintptr_t parent, std::string_view folder, TDeleteOptions options) {
    // An empty path would name the root of "C:" once the separator is added.
    try {
        if (RefusedPath(PathWithoutSeparator(folder)))
            return false;
    } catch (const Exception&) {
        return false;
    }
    options.erase(doFilesOnly);
    if (!SHDeleteFiles(parent, PathWithSeparator(folder) + "*.*", options))
        return false;
    return SHDeleteFiles(parent, PathWithoutSeparator(folder), options);
}
