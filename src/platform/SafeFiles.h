// File work that must stay inside one folder tree (a drive's folder, such as the
// phone's card): every path below the root is opened level by level relative to the
// root, never through a symbolic link, so a link on the card can never lead a write or
// a deletion to a folder elsewhere. Also the locks and the clean-up of temporary
// files that a killed process left behind. Paths are in Windows form.
#pragma once

#include "SysUtils.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A path below a contained root goes through a symbolic link. Link is the Windows path
// of the link met first.
class ELinkRefused : public EInOutError {
public:
    explicit ELinkRefused(std::string link)
        : EInOutError(link + " is a symbolic link; nothing is written or deleted through it."),
          Link(std::move(link)) {}
    const char* ClassName() const override { return "ELinkRefused"; }
    std::string Link;
};

// An open file descriptor, closed with the object.
class TFileHandle {
public:
    explicit TFileHandle(int fd = -1) : fd_(fd) {}
    ~TFileHandle() { Close(); }
    TFileHandle(TFileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    TFileHandle& operator=(TFileHandle&& other) noexcept;
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // 0, or -1 with errno.
    int Close();

private:
    int fd_;
};

// A folder that file work below it may not leave: the folder of a path's drive.
class TContainedRoot {
public:
    // The root of the drive that windowsPath lies on ("E:\..." gives E's folder).
    // Raises EInOutError for a path without a mapped drive or a missing folder.
    static TContainedRoot OfDrive(std::string_view windowsPath);

    // The folder windowsPath names, opened without following links. With create, the
    // missing levels are made. Raises ELinkRefused for a level that is a link, and
    // EInOutError for a level that is missing (without create), no folder, or a path
    // outside the root.
    TFileHandle OpenFolder(std::string_view windowsPath, bool create) const;
    // The folder that holds the entry windowsPath names, and the entry's name as it is
    // in that folder (an existing entry in another letter case keeps its own name).
    // Given missing, a missing level sets it and gives no handle instead of raising.
    TFileHandle OpenParent(std::string_view windowsPath, bool create, std::string& name,
                           bool* missing = nullptr) const;
    // The first level of windowsPath, existing levels only, that is a symbolic link;
    // empty when none is (a missing level ends the check).
    std::string FirstLink(std::string_view windowsPath) const;

    // The levels of a path below the root ("..", never); EInOutError for a path on
    // another drive or one that climbs.
    std::vector<std::string> Levels(std::string_view windowsPath) const;

    const std::string& LinuxRoot() const { return linuxRoot_; }
    const std::string& WindowsRoot() const { return windowsRoot_; }

private:
    TContainedRoot(std::string linuxRoot, std::string windowsRoot)
        : linuxRoot_(std::move(linuxRoot)), windowsRoot_(std::move(windowsRoot)) {}
    TFileHandle OpenLevels(const std::vector<std::string>& levels, size_t count, bool create,
                           std::string* firstLink, bool* missing) const;

    std::string linuxRoot_;
    std::string windowsRoot_; // "E:\"
};

// The name of an entry of the open folder that matches name without regard to case,
// name itself when it is there as written or nothing matches.
std::string EntryNameIn(int folderFd, const std::string& name);

// A file written under a temporary name (a dot, the target's name, a dot and 16 hex
// digits) beside its target, flushed, and locked while it has that name. Removed on
// destruction unless Keep was called after it was renamed into place.
class TReplacementFile {
public:
    TReplacementFile(int fd, int folderFd, std::string name)
        : handle_(fd), folderFd_(folderFd), name_(std::move(name)) {}
    ~TReplacementFile();
    TReplacementFile(TReplacementFile&& other) noexcept
        : handle_(std::move(other.handle_)), folderFd_(other.folderFd_),
          name_(std::move(other.name_)), kept_(other.kept_) {
        other.kept_ = true;
    }
    TReplacementFile& operator=(TReplacementFile&&) = delete;
    const std::string& TemporaryName() const { return name_; }
    void Keep() { kept_ = true; }

private:
    TFileHandle handle_;
    int folderFd_;
    std::string name_;
    bool kept_ = false;
};

// A new file with a unique name, prefix + 16 hex digits, in an open folder, never through
// a link. Returns the descriptor (read-write, closed on exec) and sets name; -1 with
// errno on failure.
int CreateUniqueFileIn(int folderFd, const std::string& prefix, unsigned mode, std::string& name);

// Makes a file's contents and hands them, piece after piece, to `write`; what it raises
// ends the file's writing.
using TContentsProducer =
    std::function<void(const std::function<void(std::string_view piece)>& write)>;

// Writes the replacement of targetName in an open folder. Raises EFCreateError or
// EWriteError naming shownName; nothing is left behind then.
TReplacementFile WriteReplacementIn(int folderFd, const std::string& targetName,
                                    std::string_view contents, std::string_view shownName);
// The same with the contents written as the producer makes them. What the producer
// raises passes through; nothing is left behind then either.
TReplacementFile WriteReplacementIn(int folderFd, const std::string& targetName,
                                    const TContentsProducer& produce, std::string_view shownName);

// The contained twins of the file routines: each opens its path through the root of
// the path's drive and never follows a link below it. A link met on the way raises
// ELinkRefused; the entry a routine deletes or replaces is never followed (a link there
// is removed or replaced as a link).
//
// Creates the folder and every missing level; raises on failure.
void ContainedForceDirectories(std::string_view windowsFolder);
// Whether the folder exists (through no link); false also when a level is a link.
bool ContainedDirectoryExists(std::string_view windowsFolder);
// Writes contents under a temporary name beside the file, flushes and renames it over
// the file. EFCreateError or EWriteError as AtomicReplaceFile, ELinkRefused for a link.
void ContainedReplaceFile(std::string_view windowsPath, std::string_view contents);
// The same with the contents written piece by piece as the producer makes them, so a
// large file need not be held whole. What the producer raises leaves the file as it was.
void ContainedReplaceFile(std::string_view windowsPath, const TContentsProducer& produce);
// Deletes a file or a link (never a folder); true when nothing is left there.
bool ContainedDeleteFile(std::string_view windowsPath);
// Deletes a folder and everything below it; a link anywhere below is removed as a link.
// When the folder itself is a link, only the link goes. True when nothing is left;
// true also when there was nothing.
bool ContainedDeleteTree(std::string_view windowsFolder);

// An exclusive lock held by this object (flock on an open folder or file): the kernel
// drops it when the process ends, however it ends, so a killed process never leaves a
// lock behind.
class TFolderLock {
public:
    TFolderLock() = default;
    // Tries to lock the folder (a Linux path) without waiting. False when another
    // holder has it; raises EInOutError when the folder cannot be opened.
    bool TryLock(const std::string& linuxFolder);
    // Waits up to timeoutMs for the lock; false when it stayed taken.
    bool Lock(const std::string& linuxFolder, int timeoutMs);
    // Locks a folder already open (the handle is taken over).
    bool TryLockHandle(TFileHandle handle);
    void Unlock();
    bool Locked() const { return handle_.Valid(); }

private:
    TFileHandle handle_;
};

// Removes from a Linux folder the regular files whose names pass isLeftover and that
// no living process holds locked (the writers of such files lock them while they
// exist). Never follows a link; returns how many were removed.
int RemoveUnlockedLeftovers(const std::string& linuxFolder,
                            const std::function<bool(const std::string& name)>& isLeftover);
// The same in a folder already open (one opened through a contained root).
int RemoveUnlockedLeftoversIn(const TFileHandle& folder,
                              const std::function<bool(const std::string& name)>& isLeftover);
// The same for folders of this user, removed with their contents.
int RemoveUnlockedLeftoverFolders(const std::string& linuxFolder,
                                  const std::function<bool(const std::string& name)>& isLeftover);
// Whether text is exactly count hexadecimal digits.
bool IsHexDigits(std::string_view text, size_t count);
// Whether name is the temporary name WriteReplacementIn gives a replacement of target
// (letter case of target ignored).
bool IsReplacementName(std::string_view name, std::string_view target);
