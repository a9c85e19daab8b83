#include "BvSHFileOperation.h"
#include "RtFileUtils.h"
#include "RtShell.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

unsigned TBvSHFileOperation::OperationCode(TBvSHFileOpType op) {
    switch (op) {
    case foMove:
        return 1;
    case foCopy:
        return 2;
    case foDelete:
        return 3;
    case foRename:
        return 4;
    }
    return 0;
}

uint16_t TBvSHFileOperation::OptionFlags(const TBvSHFileOptions& options) {
    static const uint16_t flags[] = {0x40,  0x2,  0x80,  0x1,   0x10,   0x200,  0x8,    0x4,
                                     0x100, 0x20, 0x400, 0x800, 0x1000, 0x2000, 0x8000, 0x4000};
    uint16_t out = 0;
    for (auto o : options)
        out |= flags[o];
    return out;
}

void TBvSHFileOperation::NotifyFileMapping(const std::string& oldFileName,
                                           const std::string& newFileName) {
    if (OnFileMapping)
        OnFileMapping(this, oldFileName, newFileName);
}

bool TBvSHFileOperation::DeleteOne(const std::string& source) {
    TDeleteOptions opts{doSilent};
    if (Options.count(fofFilesOnly))
        opts.insert(doFilesOnly);
    return SHDeleteFiles(GetOwnerWindow(), source, opts);
}

namespace {
// "Copy of name", then "Copy (2) of name", ... until the name is free.
fs::path FreeName(const fs::path& target) {
    for (int n = 1;; ++n) {
        std::string prefix = n == 1 ? "Copy of " : "Copy (" + std::to_string(n) + ") of ";
        fs::path p = target.parent_path() / (prefix + target.filename().string());
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(p, ec)))
            return p;
    }
}
} // namespace

bool TBvSHFileOperation::Transfer(const std::string& linuxSource, const std::string& dest) {
    std::error_code ec;
    fs::path from = linuxSource;
    fs::path to = ResolvePath(dest);
    if (!fs::exists(fs::symlink_status(from, ec)))
        return false;
    // Copy and move into an existing folder keep the source's name.
    if (Operation != foRename && fs::is_directory(to, ec))
        to /= from.filename();
    if (fs::exists(fs::symlink_status(to, ec))) {
        if (fs::equivalent(from, to, ec))
            return Operation == foRename && from.filename() != to.filename()
                       ? (fs::rename(from, to, ec), !ec)
                       : false;
        if (Options.count(fofRenameOnCollision)) {
            fs::path free = FreeName(to);
            if (Options.count(fofWantMappingHandle))
                NotifyFileMapping(ToWindowsPath(to.string()), ToWindowsPath(free.string()));
            to = free;
        } else if (Operation == foRename) {
            return false;
        } else {
            fs::remove_all(to, ec);
            if (ec)
                return false;
        }
    }
    if (Operation == foCopy) {
        fs::copy(from, to,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks |
                     fs::copy_options::overwrite_existing,
                 ec);
        return !ec;
    }
    fs::rename(from, to, ec);
    if (ec == std::errc::cross_device_link) {
        ec.clear();
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
        if (ec)
            return false;
        return DeleteOne(ToWindowsPath(from.string()));
    }
    return !ec;
}

bool TBvSHFileOperation::Execute() {
    if (sourceFiles_.Count() == 0)
        throw EBvException("No files specified to TBvSHFileOperation Execute function");
    bool ok = true;
    for (int i = 0; i < sourceFiles_.Count(); ++i) {
        const std::string source = ExpandFileName(sourceFiles_[i]);
        try {
            if (Operation == foDelete) {
                ok = DeleteOne(source) && ok;
                continue;
            }
            std::string dest;
            if (Options.count(fofMultiDestFiles))
                dest = i < destFiles_.Count() ? destFiles_[i] : std::string();
            else
                dest = destFiles_.Count() > 0 ? destFiles_[0] : std::string();
            if (dest.empty()) {
                ok = false;
                continue;
            }
            dest = ExpandFileName(dest);
            if (ExtractFileName(source).find_first_of("*?") != std::string::npos) {
                TSearchRec rec;
                TStringList names;
                int attr = Options.count(fofFilesOnly) ? 0 : faDirectory;
                for (int r = FindFirst(source, attr | faHidden | faSysFile, rec); r == 0;
                     r = FindNext(rec))
                    if (rec.Name != "." && rec.Name != "..")
                        names.Add(rec.Name);
                FindClose(rec);
                fs::path folder = ResolvePath(ExtractFilePath(source));
                for (int k = 0; k < names.Count(); ++k)
                    ok = Transfer((folder / UnescapeWindowsName(names[k])).string(), dest) && ok;
            } else {
                ok = Transfer(ResolvePath(source), dest) && ok;
            }
        } catch (const Exception&) {
            ok = false;
        }
    }
    return ok;
}
