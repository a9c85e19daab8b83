#include "SafeFiles.h"

#include "Drives.h"
#include "Files.h"
#include "TextCodec.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::u32string Folded(std::string_view s) {
    std::u32string out;
    size_t pos = 0;
    while (pos < s.size())
        out += UnicodeToLower(DecodeUtf8(s, pos));
    return out;
}

std::string ErrnoText(int err) {
    return SysErrorMessage(ErrnoToWinError(err));
}

// Lists an open folder without moving the caller's descriptor.
std::vector<std::string> ListNames(int folderFd) {
    std::vector<std::string> names;
    int copy = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (copy < 0)
        return names;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return names;
    }
    while (dirent* e = ::readdir(dir)) {
        std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(std::move(n));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool DeleteTreeBelow(int parentFd, const std::string& name);

// Deletes every entry of an open folder; links and files are unlinked, folders on
// the same volume entered without following anything.
bool EmptyFolder(int folderFd) {
    struct stat self;
    if (::fstat(folderFd, &self) != 0)
        return false;
    bool ok = true;
    for (const std::string& name : ListNames(folderFd)) {
        struct stat st;
        if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            // Another volume mounted below is never entered.
            ok = st.st_dev == self.st_dev && DeleteTreeBelow(folderFd, name) && ok;
        } else {
            ok = ::unlinkat(folderFd, name.c_str(), 0) == 0 && ok;
        }
    }
    return ok;
}

bool DeleteTreeBelow(int parentFd, const std::string& name) {
    int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // Turned into a link or a file meanwhile: it goes as what it is now.
        return errno == ENOENT || ::unlinkat(parentFd, name.c_str(), 0) == 0;
    }
    TFileHandle folder(fd);
    const bool emptied = EmptyFolder(folder.Get());
    folder.Close();
    return emptied && ::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace

int CreateUniqueFileIn(int folderFd, const std::string& prefix, unsigned mode, std::string& name) {
    static std::atomic<uint64_t> counter{0};
    thread_local std::mt19937_64 random{std::random_device{}() ^ (uint64_t(::getpid()) << 32)};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[17];
        std::snprintf(suffix, sizeof suffix, "%08x%08x",
                      static_cast<unsigned>(random() ^ counter.fetch_add(1)),
                      static_cast<unsigned>(random()));
        std::string candidate = prefix + suffix;
        int fd = ::openat(folderFd, candidate.c_str(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            name = std::move(candidate);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

int TFileHandle::Close() {
    int r = 0;
    if (fd_ >= 0)
        r = ::close(fd_);
    fd_ = -1;
    return r;
}

std::string EntryNameIn(int folderFd, const std::string& name) {
    struct stat st;
    if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return name;
    const std::u32string want = Folded(name);
    for (const std::string& entry : ListNames(folderFd))
        if (Folded(entry) == want)
            return entry;
    return name;
}

// ---- Contained root -----------------------------------------------------------

TContainedRoot TContainedRoot::OfDrive(std::string_view windowsPath) {
    const char letter = DriveLetterOf(windowsPath);
    if (!letter)
        throw EInOutError(Format("The path \"%s\" names no drive", {windowsPath}));
    const std::string windowsRoot = std::string(1, letter) + ":\\";
    std::string linuxRoot = ToLinuxPath(windowsRoot);
    while (linuxRoot.size() > 1 && linuxRoot.back() == '/')
        linuxRoot.pop_back();
    return TContainedRoot(linuxRoot, windowsRoot);
}

std::vector<std::string> TContainedRoot::Levels(std::string_view windowsPath) const {
    if (std::toupper(static_cast<unsigned char>(DriveLetterOf(windowsPath))) != windowsRoot_[0])
        throw EInOutError(Format("The path \"%s\" lies outside %s", {windowsPath, windowsRoot_}));
    std::vector<std::string> levels;
    std::string_view rest = windowsPath.substr(2);
    size_t i = 0;
    while (i <= rest.size()) {
        size_t j = rest.find_first_of("\\/", i);
        if (j == std::string_view::npos)
            j = rest.size();
        std::string part(rest.substr(i, j - i));
        i = j + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            throw EInOutError(Format("The path \"%s\" climbs out of its folder", {windowsPath}));
        levels.push_back(std::move(part));
    }
    return levels;
}

TFileHandle TContainedRoot::OpenLevels(const std::vector<std::string>& levels, size_t count,
                                       bool create, std::string* firstLink, bool* missing) const {
    TFileHandle folder(::open(linuxRoot_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.Valid())
        throw EInOutError(Format("Cannot open %s: %s", {windowsRoot_, ErrnoText(errno)}));
    std::string shown = windowsRoot_.substr(0, 2);
    for (size_t k = 0; k < count; ++k) {
        const std::string name = EntryNameIn(folder.Get(), levels[k]);
        shown += "\\" + name;
        struct stat st;
        if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT && missing && !create) {
                *missing = true;
                return TFileHandle();
            }
            if (errno != ENOENT || !create) {
                if (firstLink)
                    return TFileHandle();
                throw EInOutError(Format("Cannot open %s: %s", {shown, ErrnoText(errno)}));
            }
            if (::mkdirat(folder.Get(), name.c_str(), 0777) != 0 && errno != EEXIST)
                throw EInOutError(
                    Format("Unable to create directory %s: %s", {shown, ErrnoText(errno)}));
        } else if (S_ISLNK(st.st_mode)) {
            if (firstLink) {
                *firstLink = shown;
                return TFileHandle();
            }
            throw ELinkRefused(shown);
        }
        int next =
            ::openat(folder.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int err = errno;
            // A link put there since the look above is refused all the same.
            if (err == ELOOP) {
                if (firstLink) {
                    *firstLink = shown;
                    return TFileHandle();
                }
                throw ELinkRefused(shown);
            }
            if (firstLink)
                return TFileHandle();
            throw EInOutError(Format("Cannot open %s: %s", {shown, ErrnoText(err)}));
        }
        folder = TFileHandle(next);
    }
    return folder;
}

TFileHandle TContainedRoot::OpenFolder(std::string_view windowsPath, bool create) const {
    const std::vector<std::string> levels = Levels(windowsPath);
    return OpenLevels(levels, levels.size(), create, nullptr, nullptr);
}

TFileHandle TContainedRoot::OpenParent(std::string_view windowsPath, bool create, std::string& name,
                                       bool* missing) const {
    const std::vector<std::string> levels = Levels(windowsPath);
    if (levels.empty())
        throw EInOutError(Format("The path \"%s\" names no file", {windowsPath}));
    TFileHandle folder = OpenLevels(levels, levels.size() - 1, create, nullptr, missing);
    if (folder.Valid())
        name = EntryNameIn(folder.Get(), levels.back());
    return folder;
}

std::string TContainedRoot::FirstLink(std::string_view windowsPath) const {
    const std::vector<std::string> levels = Levels(windowsPath);
    std::string link;
    OpenLevels(levels, levels.size(), false, &link, nullptr);
    return link;
}

// ---- Contained file routines -------------------------------------------------------

void ContainedForceDirectories(std::string_view windowsFolder) {
    TContainedRoot::OfDrive(windowsFolder).OpenFolder(windowsFolder, true);
}

bool ContainedDirectoryExists(std::string_view windowsFolder) {
    try {
        return TContainedRoot::OfDrive(windowsFolder).OpenFolder(windowsFolder, false).Valid();
    } catch (const EInOutError&) {
        return false;
    }
}

void ContainedReplaceFile(std::string_view windowsPath, std::string_view contents) {
    ContainedReplaceFile(
        windowsPath,
        [contents](const std::function<void(std::string_view)>& write) { write(contents); });
}

void ContainedReplaceFile(std::string_view windowsPath, const TContentsProducer& produce) {
    std::string name;
    TFileHandle folder;
    try {
        folder = TContainedRoot::OfDrive(windowsPath).OpenParent(windowsPath, false, name);
    } catch (const ELinkRefused&) {
        throw;
    } catch (const EInOutError& e) {
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {windowsPath, e.Message()}));
    }
    TReplacementFile written = WriteReplacementIn(folder.Get(), name, produce, windowsPath);
    if (::renameat(folder.Get(), written.TemporaryName().c_str(), folder.Get(), name.c_str()) !=
        0) {
        const int code = SetLastErrorFromErrno();
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", {windowsPath, SysErrorMessage(code)}));
    }
    written.Keep();
    ::fsync(folder.Get());
}

bool ContainedDeleteFile(std::string_view windowsPath) {
    std::string name;
    bool missing = false;
    TFileHandle folder =
        TContainedRoot::OfDrive(windowsPath).OpenParent(windowsPath, false, name, &missing);
    if (missing)
        return true;
    struct stat st;
    if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return false;
    return ::unlinkat(folder.Get(), name.c_str(), 0) == 0;
}

bool ContainedDeleteTree(std::string_view windowsFolder) {
    std::string name;
    TContainedRoot root = TContainedRoot::OfDrive(windowsFolder);
    if (root.Levels(windowsFolder).empty())
        return false; // never the drive's root
    bool missing = false;
    TFileHandle folder = root.OpenParent(windowsFolder, false, name, &missing);
    if (missing)
        return true;
    struct stat st;
    if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(folder.Get(), name.c_str(), 0) == 0;
    return DeleteTreeBelow(folder.Get(), name);
}

// ---- Replacement files --------------------------------------------------------------

TReplacementFile::~TReplacementFile() {
    if (!kept_ && !name_.empty() && folderFd_ >= 0)
        ::unlinkat(folderFd_, name_.c_str(), 0);
}

TReplacementFile WriteReplacementIn(int folderFd, const std::string& targetName,
                                    std::string_view contents, std::string_view shownName) {
    return WriteReplacementIn(
        folderFd, targetName,
        [contents](const std::function<void(std::string_view)>& write) { write(contents); },
        shownName);
}

TReplacementFile WriteReplacementIn(int folderFd, const std::string& targetName,
                                    const TContentsProducer& produce, std::string_view shownName) {
    struct stat old;
    const bool exists = ::fstatat(folderFd, targetName.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && (S_ISDIR(old.st_mode) || (S_ISREG(old.st_mode) && !(old.st_mode & S_IWUSR)))) {
        throw EFCreateError(Format("Cannot create file \"%s\". %s",
                                   {shownName, SysErrorMessage(ERROR_ACCESS_DENIED)}));
    }
    // Kept short so the temporary name fits where the target's does.
    size_t keep = std::min<size_t>(targetName.size(), 200);
    while (keep > 0 && keep < targetName.size() &&
           (static_cast<unsigned char>(targetName[keep]) & 0xC0) == 0x80)
        --keep;
    std::string prefix(1, '.');
    prefix.append(targetName, 0, keep).push_back('.');
    std::string tmp;
    const int fd = CreateUniqueFileIn(folderFd, prefix, 0666, tmp);
    if (fd < 0) {
        const int code = SetLastErrorFromErrno();
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", {shownName, SysErrorMessage(code)}));
    }
    TReplacementFile file(fd, folderFd, tmp);
    // Locked while it exists under its temporary name: the clean-up at start-up leaves
    // a locked one alone, as it belongs to a process that still runs.
    ::flock(fd, LOCK_EX | LOCK_NB);
    auto fail = [&](int code) {
        throw EWriteError(
            Format("Cannot write file \"%s\". %s", {shownName, SysErrorMessage(code)}));
    };
    // A replaced file keeps its own mode; a new one gets what a plain create gives it.
    if (exists && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        fail(SetLastErrorFromErrno());
    produce([&](std::string_view piece) {
        for (size_t done = 0; done < piece.size();) {
            ssize_t n = ::write(fd, piece.data() + done, piece.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0)
                    errno = ENOSPC;
                fail(SetLastErrorFromErrno());
            }
            done += static_cast<size_t>(n);
        }
    });
    if (::fsync(fd) != 0)
        fail(SetLastErrorFromErrno());
    return file;
}

// ---- Locks --------------------------------------------------------------------------

bool TFolderLock::TryLockHandle(TFileHandle handle) {
    if (!handle.Valid())
        return false;
    if (::flock(handle.Get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    handle_ = std::move(handle);
    return true;
}

bool TFolderLock::TryLock(const std::string& linuxFolder) {
    Unlock();
    TFileHandle handle(::open(linuxFolder.c_str(), O_RDONLY | O_CLOEXEC));
    if (!handle.Valid())
        throw EInOutError(Format("Cannot open %s: %s", {linuxFolder, ErrnoText(errno)}));
    return TryLockHandle(std::move(handle));
}

bool TFolderLock::Lock(const std::string& linuxFolder, int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (TryLock(linuxFolder))
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void TFolderLock::Unlock() {
    handle_.Close();
}

// ---- Leftovers ----------------------------------------------------------------------

namespace {

// Opens an entry without following a link and takes its lock when nobody holds it.
// The entry must still be the one opened, so a name reused meanwhile is left alone.
bool LockedByNobody(int folderFd, const std::string& name, bool folder, TFileHandle& handle) {
    const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | (folder ? O_DIRECTORY : 0);
    handle = TFileHandle(::openat(folderFd, name.c_str(), flags));
    if (!handle.Valid() || ::flock(handle.Get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    struct stat opened, now;
    return ::fstat(handle.Get(), &opened) == 0 &&
           ::fstatat(folderFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
           opened.st_dev == now.st_dev && opened.st_ino == now.st_ino;
}

int RemoveLeftovers(const TFileHandle& folder,
                    const std::function<bool(const std::string&)>& isLeftover, bool folders) {
    if (!folder.Valid())
        return 0;
    int removed = 0;
    for (const std::string& name : ListNames(folder.Get())) {
        if (!isLeftover(name))
            continue;
        struct stat st;
        if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (folders ? !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() : !S_ISREG(st.st_mode))
            continue;
        TFileHandle entry;
        if (!LockedByNobody(folder.Get(), name, folders, entry))
            continue;
        const bool gone = folders ? DeleteTreeBelow(folder.Get(), name)
                                  : ::unlinkat(folder.Get(), name.c_str(), 0) == 0;
        if (gone)
            ++removed;
    }
    return removed;
}

} // namespace

int RemoveUnlockedLeftovers(const std::string& linuxFolder,
                            const std::function<bool(const std::string& name)>& isLeftover) {
    return RemoveLeftovers(
        TFileHandle(::open(linuxFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), isLeftover,
        false);
}

int RemoveUnlockedLeftoversIn(const TFileHandle& folder,
                              const std::function<bool(const std::string& name)>& isLeftover) {
    return RemoveLeftovers(folder, isLeftover, false);
}

int RemoveUnlockedLeftoverFolders(const std::string& linuxFolder,
                                  const std::function<bool(const std::string& name)>& isLeftover) {
    return RemoveLeftovers(
        TFileHandle(::open(linuxFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), isLeftover,
        true);
}

bool IsHexDigits(std::string_view text, size_t count) {
    return text.size() == count && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

bool IsReplacementName(std::string_view name, std::string_view target) {
    const size_t length = 1 + target.size() + 1 + 16;
    return name.size() == length && name[0] == '.' && name[1 + target.size()] == '.' &&
           Folded(name.substr(1, target.size())) == Folded(target) &&
           IsHexDigits(name.substr(length - 16), 16);
}
