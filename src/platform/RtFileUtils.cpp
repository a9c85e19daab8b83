#include "RtFileUtils.h"
#include "RtShell.h"
#include "SafeFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string PathWithSeparator(std::string_view path) {
    std::string s(path);
    if (s.empty() || s.back() != '\\')
        s += '\\';
    return s;
}

std::string PathWithoutSeparator(std::string_view path) {
    std::string s(path);
    if (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

std::string TempFolderPath() {
    return GetTempFolder();
}

std::string FileGetTempName(std::string_view prefix) {
    try {
        std::string folder = ResolvePath(TempFolderPath());
        std::string tmpl = folder + std::string(prefix.substr(0, 3)) + "XXXXXX.tmp";
        int fd = ::mkstemps(tmpl.data(), 4);
        if (fd < 0) {
            SetLastErrorFromErrno();
            return {};
        }
        ::close(fd);
        return ToWindowsPath(tmpl);
    } catch (const EInOutError&) {
        return {};
    }
}

bool ListFolderEntries(std::string_view mask, int attributes, TStrings& list) {
    list.BeginUpdate();
    TSearchRec rec;
    int r = FindFirst(mask, attributes, rec);
    bool ok = r == 0;
    while (r == 0) {
        if (rec.Name != "." && rec.Name != "..")
            list.Add(rec.Name);
        r = FindNext(rec);
    }
    ok = ok && r == ERROR_NO_MORE_FILES;
    FindClose(rec);
    list.EndUpdate();
    return ok;
}

namespace {

// Works on Linux paths below the checked folder, so an entry whose name holds
// a "\\" or ".." can never redirect the deletion elsewhere.
bool DeleteTreeAt(const std::string& linuxDir, const std::string& windowsDir, bool abortOnFailure,
                  const TDeleteTreeProgress& progress) {
    struct stat self;
    if (::lstat(linuxDir.c_str(), &self) != 0)
        return false;
    const dev_t device = self.st_dev;
    DIR* dir = ::opendir(linuxDir.c_str());
    if (!dir)
        return false;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
        std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(std::move(n));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());

    bool result = true;
    for (const auto& name : names) {
        const std::string lf = linuxDir + "/" + name;
        const std::string wf = windowsDir + "\\" + name;
        struct stat st;
        bool ok;
        if (::lstat(lf.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            // Another volume mounted below, or another drive's folder, is never entered.
            ok = st.st_dev == device && !IsDriveRootFolder(lf) &&
                 DeleteTreeAt(lf, wf, abortOnFailure, progress);
        } else {
            ok = !progress || progress(wf, LinuxFileAttr(lf));
            // A link is removed itself; its target is never touched.
            if (ok && ::lstat(lf.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                !(st.st_mode & S_IWUSR))
                ::chmod(lf.c_str(), (st.st_mode & 07777) | S_IWUSR);
            if (ok)
                ok = ::unlink(lf.c_str()) == 0;
        }
        if (!ok) {
            result = false;
            if (abortOnFailure)
                break;
        }
    }
    return result && ::rmdir(linuxDir.c_str()) == 0;
}

} // namespace

bool DeleteLinuxEntry(const std::string& linuxPath) {
    struct stat st;
    if (linuxPath.empty() || IsDriveRootFolder(linuxPath) || ::lstat(linuxPath.c_str(), &st) != 0)
        return false;
    if (S_ISDIR(st.st_mode))
        return DeleteTreeAt(linuxPath, ToWindowsPath(linuxPath), false, nullptr);
    if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        ::chmod(linuxPath.c_str(), (st.st_mode & 07777) | S_IWUSR);
    return ::unlink(linuxPath.c_str()) == 0;
}

bool DeleteTreeEx(std::string_view dir, bool abortOnFailure, const TDeleteTreeProgress& progress) {
    if (dir.empty())
        return false;
    const std::string d = PathWithoutSeparator(dir);
    std::string linuxDir;
    try {
        linuxDir = ResolvePath(d.size() == 2 ? d + "\\" : d);
    } catch (const EInOutError&) {
        return false;
    }
    while (linuxDir.size() > 1 && linuxDir.back() == '/')
        linuxDir.pop_back();
    struct stat st;
    // Never a drive's root, and never through a link: a link given as the folder
    // would lead the deletion into whatever it points at.
    if (linuxDir.empty() || IsDriveRoot(d) || IsDriveRootFolder(linuxDir) ||
        ::lstat(linuxDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return DeleteTreeAt(linuxDir, d, abortOnFailure, progress);
}

bool DeleteTree(std::string_view dir) {
    return DeleteTreeEx(dir, false, nullptr);
}

bool DeleteDirectory(std::string_view dir, bool moveToRecycleBin) {
    if (!moveToRecycleBin)
        return DeleteTree(dir);
    return SHDeleteFolder(0, dir, {doSilent, doAllowUndo});
}

bool DirectoryExists(std::string_view name) {
    try {
        std::string p = ResolvePath(name);
        struct stat st;
        return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    } catch (const EInOutError&) {
        return false;
    }
}

int32_t FileSizeProbe(std::string_view fileName) {
    TSearchRec rec;
    if (FindFirst(fileName, faAnyFile, rec) != 0)
        return -1;
    FindClose(rec);
    return static_cast<int32_t>(static_cast<uint32_t>(rec.Size & 0xFFFFFFFF));
}

// Asks the search itself: a file of 4 GiB - 1 bytes probes as -1 and still exists.
bool FileExists(std::string_view fileName) {
    TSearchRec rec;
    bool found = FindFirst(fileName, faAnyFile, rec) == 0;
    FindClose(rec);
    return found;
}

int64_t GetSizeOfFile(std::string_view fileName) {
    TSearchRec rec;
    int r = FindFirst(fileName, faAnyFile, rec);
    if (r != 0)
        RaiseLastOSError(r);
    int64_t size = rec.Size;
    FindClose(rec);
    return size;
}

std::string ModuleFilePath(uintptr_t) {
    return ProgramFileName();
}

bool ReadFixedVersionInfo(std::string_view, TVSFixedFileInfo&) {
    return false;
}

int CreateUniqueFile(const std::string& linuxFolder, std::string_view prefix, unsigned mode,
                     std::string& linuxPath) {
    static std::atomic<uint64_t> counter{0};
    thread_local std::mt19937_64 random{std::random_device{}() ^ (uint64_t(::getpid()) << 32)};
    std::string folder = linuxFolder;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[17];
        std::snprintf(suffix, sizeof suffix, "%08x%08x",
                      static_cast<unsigned>(random() ^ counter.fetch_add(1)),
                      static_cast<unsigned>(random()));
        std::string path = folder + std::string(prefix) + suffix;
        // The kernel applies the process's umask to the mode: nothing here reads or
        // changes that process-wide setting while other threads create files.
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            linuxPath = std::move(path);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

namespace {

// One file of a replacement, written and flushed under a temporary name beside it.
struct TPreparedReplace {
    std::string fileName;     // as the caller named it
    std::string target;       // Linux path
    std::string folder;       // Linux path with "/"
    std::string name;         // the target's name in its folder
    TFileHandle folderHandle; // the folder, open while the file is written and renamed
    std::unique_ptr<TReplacementFile> written;
};

[[noreturn]] void FailCreate(std::string_view fileName, int code) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s", {fileName, SysErrorMessage(code)}));
}

std::unique_ptr<TPreparedReplace> PrepareReplace(std::string_view fileName,
                                                 std::string_view contents) {
    auto r = std::make_unique<TPreparedReplace>();
    r->fileName = std::string(fileName);
    try {
        r->target = ResolvePath(fileName);
    } catch (const EInOutError& e) {
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {fileName, e.Message()}));
    }
    const size_t slash = r->target.rfind('/');
    r->folder = slash == std::string::npos ? "./" : r->target.substr(0, slash + 1);
    r->name = slash == std::string::npos ? r->target : r->target.substr(slash + 1);
    r->folderHandle = TFileHandle(::open(r->folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!r->folderHandle.Valid())
        FailCreate(fileName, SetLastErrorFromErrno());
    struct stat st;
    if (::stat(r->target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        FailCreate(fileName, ERROR_ACCESS_DENIED);
    r->written = std::make_unique<TReplacementFile>(
        WriteReplacementIn(r->folderHandle.Get(), r->name, contents, fileName));
    return r;
}

// The renames live in the folders; flushing them makes them survive a power cut.
void SyncFolder(const std::string& folder) {
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

void AtomicReplaceFile(std::string_view fileName, std::string_view contents) {
    AtomicReplaceFiles({{std::string(fileName), std::string(contents)}});
}

void AtomicReplaceFiles(const std::vector<std::pair<std::string, std::string>>& files) {
    // Every temporary file stays open and locked until all are renamed, so the clean-up
    // of another process's start never takes one for a leftover.
    std::vector<std::unique_ptr<TPreparedReplace>> prepared;
    for (const auto& [fileName, contents] : files)
        prepared.push_back(PrepareReplace(fileName, contents));
    std::vector<std::string> folders;
    for (auto& r : prepared) {
        if (::rename((r->folder + r->written->TemporaryName()).c_str(), r->target.c_str()) != 0)
            FailCreate(r->fileName, SetLastErrorFromErrno());
        r->written->Keep();
        if (std::find(folders.begin(), folders.end(), r->folder) == folders.end())
            folders.push_back(r->folder);
    }
    for (const std::string& folder : folders)
        SyncFolder(folder);
}
