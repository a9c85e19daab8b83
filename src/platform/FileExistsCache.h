// FileExists for many files of the same folders in a row: each folder is
// listed once instead of once per missing file, with the same answers.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <unordered_set>

class TFileExistsCache {
public:
    // What FileExists(fileName) answers, the folders as they were when first asked.
    bool Exists(std::string_view fileName);

private:
    struct TFolder {
        bool Found = false;                       // the folder could be resolved and listed
        std::string Prefix;                       // its Linux path with a trailing "/"
        std::unordered_set<std::u32string> Names; // folded names of its entries
    };
    const TFolder& FolderOf(const std::string& windowsFolder);

    std::map<std::string, TFolder> folders_;
};
