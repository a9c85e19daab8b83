#include "Files.h"
#include "iTunesDB.h"

#include <filesystem>
#include <set>

namespace {

std::string WithBackslash(std::string_view folder) {
    std::string f(folder);
    if (f.empty() || f.back() != '\\')
        f += '\\';
    return f;
}

bool IsMusicFile(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string ext = LowerCase(name.substr(dot));
    return ext == ".mp3" || ext == ".m4a";
}

// The real folder behind a path, so a link that leads back up the tree is not
// searched again and again.
std::string RealFolder(std::string_view folder) {
    try {
        std::error_code ec;
        const auto real = std::filesystem::canonical(ResolvePath(folder), ec);
        return ec ? std::string() : real.string();
    } catch (const Exception&) {
        return {};
    }
}

void SearchFolder(const std::string& folder, TStrings& list, std::set<std::string>& seen) {
    const std::string real = RealFolder(folder);
    if (real.empty() || !seen.insert(real).second)
        return;
    TSearchRec rec;
    if (FindFirst(folder + "*.*", faAnyFile, rec) != 0)
        return;
    do {
        if (rec.Attr & faDirectory) {
            if (rec.Name != "." && rec.Name != "..")
                SearchFolder(folder + rec.Name + "\\", list, seen);
        } else if (IsMusicFile(rec.Name)) {
            list.Add(folder + rec.Name);
        }
    } while (FindNext(rec) == 0);
    FindClose(rec);
}

} // namespace

bool FindFilesByExt(std::string_view folder, std::string_view ext, TStrings& list) {
    list.Clear();
    std::string dir(folder);
    // A drive root keeps its backslash; any other folder loses it, and the
    // pattern never gets two in a row.
    if (dir.size() > 1 && dir.back() == '\\' && !IsDriveRoot(dir))
        dir.pop_back();
    const std::string pattern = WithBackslash(dir) + "*." + std::string(ext);
    TSearchRec rec;
    bool found = false;
    if (FindFirst(pattern, faAnyFile, rec) == 0) {
        do {
            list.Add(rec.Name);
            found = true;
        } while (FindNext(rec) == 0);
    }
    FindClose(rec);
    return found;
}

void FindMusicFilesRecursive(std::string_view folder, TStrings& list) {
    if (folder.empty())
        return;
    std::set<std::string> seen;
    SearchFolder(WithBackslash(folder), list, seen);
}
