#include "FileExistsCache.h"

#include "Files.h"
#include "RtFileUtils.h"
#include "TextCodec.h"

#include <dirent.h>
#include <sys/stat.h>

namespace {

// Names compare as the folder search compares them: code point by code point,
// in lower case.
std::u32string Folded(std::string_view s) {
    std::u32string out;
    size_t pos = 0;
    while (pos < s.size())
        out += UnicodeToLower(DecodeUtf8(s, pos));
    return out;
}

} // namespace

const TFileExistsCache::TFolder& TFileExistsCache::FolderOf(const std::string& windowsFolder) {
    auto [it, added] = folders_.try_emplace(windowsFolder);
    TFolder& folder = it->second;
    if (!added)
        return folder;
    std::string dir(1, '.');
    try {
        std::string resolved = windowsFolder.empty() ? std::string() : ResolvePath(windowsFolder);
        if (!resolved.empty())
            dir = std::move(resolved);
    } catch (const EInOutError&) {
        return folder;
    }
    folder.Prefix = dir;
    if (dir != "/")
        folder.Prefix += '/';
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return folder;
    folder.Found = true;
    while (dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..")
            folder.Names.insert(Folded(name));
    }
    ::closedir(d);
    return folder;
}

bool TFileExistsCache::Exists(std::string_view fileName) {
    const size_t cut = fileName.find_last_of("\\/:");
    const std::string folderPart(cut == std::string_view::npos ? std::string_view()
                                                               : fileName.substr(0, cut + 1));
    const std::string_view name =
        cut == std::string_view::npos ? fileName : fileName.substr(cut + 1);
    // Wildcards and the names the search treats in its own way take the long road.
    if (name.empty() || name == "." || name == ".." || name.back() == '.' ||
        name.find_first_of("*?") != std::string_view::npos)
        return FileExists(fileName);
    const TFolder& folder = FolderOf(folderPart);
    if (folder.Prefix.empty())
        return false;
    struct stat st;
    if (::lstat((folder.Prefix + std::string(name)).c_str(), &st) == 0)
        return true;
    return folder.Found && folder.Names.count(Folded(name)) != 0;
}
