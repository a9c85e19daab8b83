#include "Files.h"
#include "TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

struct TFindState {
    struct Entry {
        std::string name;
        int attr;
        int64_t size;
        time_t mtime;
    };
    std::vector<Entry> entries;
    size_t next = 0;
};

namespace {

constexpr int faSpecial = faHidden | faSysFile | faVolumeID | faDirectory;

std::u32string FoldName(std::string_view s) {
    std::u32string out;
    size_t pos = 0;
    while (pos < s.size())
        out += UnicodeToLower(DecodeUtf8(s, pos));
    return out;
}

bool MatchFolded(const std::u32string& n, size_t ni, const std::u32string& m, size_t mi) {
    // Iterative "*" matching with one backtrack point.
    size_t starM = std::u32string::npos, starN = 0;
    while (ni < n.size()) {
        if (mi < m.size() && (m[mi] == U'?' || m[mi] == n[ni])) {
            ++mi;
            ++ni;
        } else if (mi < m.size() && m[mi] == U'*') {
            starM = mi++;
            starN = ni;
        } else if (starM != std::u32string::npos) {
            mi = starM + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m[mi] == U'*')
        ++mi;
    return mi == m.size();
}

bool HasWildcards(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

int AttrOf(const std::string& name, const struct stat& st) {
    int attr = 0;
    if (S_ISDIR(st.st_mode))
        attr |= faDirectory;
    else if (S_ISREG(st.st_mode))
        attr |= faArchive;
    else
        attr |= faSysFile;
    if (!(st.st_mode & S_IWUSR))
        attr |= faReadOnly;
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attr |= faHidden;
    return attr;
}

// Splits a Windows-form path into its folder part (with the delimiter) and the last name.
void SplitLast(std::string_view path, std::string& folder, std::string& name) {
    size_t cut = path.find_last_of("\\/:");
    if (cut == std::string_view::npos) {
        folder.clear();
        name = std::string(path);
    } else {
        folder = std::string(path.substr(0, cut + 1));
        name = std::string(path.substr(cut + 1));
    }
}

std::string LinuxFolderOf(const std::string& folder) {
    if (folder.empty())
        return ".";
    std::string p = ResolvePath(folder);
    return p.empty() ? std::string(".") : p;
}

int32_t PackDosTime(time_t t) {
    struct tm lt;
    if (!localtime_r(&t, &lt) || lt.tm_year < 80)
        return (1 << 21) | (1 << 16);
    if (lt.tm_year > 80 + 127)
        lt.tm_year = 80 + 127;
    return static_cast<int32_t>(
        (static_cast<uint32_t>(lt.tm_year - 80) << 25) |
        (static_cast<uint32_t>(lt.tm_mon + 1) << 21) | (static_cast<uint32_t>(lt.tm_mday) << 16) |
        (static_cast<uint32_t>(lt.tm_hour) << 11) | (static_cast<uint32_t>(lt.tm_min) << 5) |
        static_cast<uint32_t>(lt.tm_sec / 2));
}

TDateTime TimeToDateTime(time_t t) {
    struct tm lt;
    localtime_r(&t, &lt);
    return static_cast<double>(t + lt.tm_gmtoff) / 86400.0 + 25569.0;
}

void FillRec(TSearchRec& rec) {
    const auto& e = rec.FindHandle->entries[rec.FindHandle->next++];
    // The raw name may hold a backslash or bytes that are not UTF-8; its escaped form
    // is what leads back to this very file.
    rec.Name = EscapeLinuxName(e.name);
    rec.Attr = e.attr;
    rec.Size = e.size;
    rec.Time = PackDosTime(e.mtime);
    rec.TimeStamp = TimeToDateTime(e.mtime);
}

bool StatEntry(const std::string& path, struct stat& st) {
    if (::stat(path.c_str(), &st) == 0)
        return true;
    // A dangling symbolic link is still an entry of the folder.
    return ::lstat(path.c_str(), &st) == 0;
}

std::mutex commandLineMutex;
std::vector<std::string> commandLine;

} // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (mask == "*" || mask == "*.*")
        return true;
    std::u32string n = FoldName(name), m = FoldName(mask);
    if (MatchFolded(n, 0, m, 0))
        return true;
    // "name.*" also matches "name", and "name." matches "name" without an extension.
    if (m.size() >= 2 && m.ends_with(U".*"))
        return MatchFolded(n, 0, m.substr(0, m.size() - 2), 0);
    if (m.size() >= 2 && m.back() == U'.' && n.find(U'.') == std::u32string::npos)
        return MatchFolded(n, 0, m.substr(0, m.size() - 1), 0);
    return false;
}

std::string ResolvePath(std::string_view windowsPath) {
    std::string path = ToLinuxPath(windowsPath);
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) == 0)
        return path;
    const bool trailing = path.size() > 1 && path.back() == '/';
    std::string out = path[0] == '/' ? "/" : "";
    size_t i = path[0] == '/' ? 1 : 0;
    bool missing = false;
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos)
            j = path.size();
        std::string part = path.substr(i, j - i);
        i = j + 1;
        if (part.empty())
            continue;
        std::string candidate = out + part;
        if (!missing && ::lstat(candidate.c_str(), &st) != 0) {
            missing = true;
            if (DIR* d = ::opendir(out.empty() ? "." : out.c_str())) {
                std::u32string want = FoldName(part);
                while (dirent* e = ::readdir(d)) {
                    if (FoldName(e->d_name) == want) {
                        candidate = out + e->d_name;
                        missing = false;
                        break;
                    }
                }
                ::closedir(d);
            }
        }
        out = candidate + "/";
    }
    if (!trailing && out.size() > 1)
        out.pop_back();
    return out;
}

int FindFirst(std::string_view path, int attr, TSearchRec& rec) {
    FindClose(rec);
    std::string folder, mask;
    SplitLast(path, folder, mask);
    rec.ExcludeAttr = ~attr & faSpecial;
    if (mask.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return ERROR_FILE_NOT_FOUND;
    }
    std::string dir;
    try {
        dir = LinuxFolderOf(folder);
    } catch (const EInOutError&) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return ERROR_PATH_NOT_FOUND;
    }
    auto state = std::make_shared<TFindState>();
    const std::string prefix = dir == "/" ? "/" : dir + "/";
    auto consider = [&](const std::string& name) {
        struct stat st;
        if (!StatEntry(prefix + name, st))
            return;
        int a = AttrOf(name, st);
        if (a & rec.ExcludeAttr)
            return;
        int64_t size = S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : 0;
        state->entries.push_back({name, a, size, st.st_mtime});
    };

    struct stat st;
    const std::string linuxMask = UnescapeWindowsName(mask);
    if (!HasWildcards(mask) && mask != "." && mask != ".." &&
        ::lstat((prefix + linuxMask).c_str(), &st) == 0) {
        consider(linuxMask);
    } else {
        DIR* d = ::opendir(dir.c_str());
        if (!d) {
            int code =
                errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrnoToWinError(errno);
            SetLastError(code);
            return code;
        }
        const bool root = IsDriveRootFolder(dir);
        std::vector<std::string> names;
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (root && (name == "." || name == ".."))
                continue;
            if (MatchesMask(name, mask))
                names.push_back(std::move(name));
        }
        ::closedir(d);
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            bool da = a == "." || a == "..", db = b == "." || b == "..";
            return da != db ? da : a < b;
        });
        for (const auto& n : names)
            consider(n);
    }
    if (state->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return ERROR_FILE_NOT_FOUND;
    }
    rec.FindHandle = state;
    FillRec(rec);
    return 0;
}

int FindNext(TSearchRec& rec) {
    if (!rec.FindHandle || rec.FindHandle->next >= rec.FindHandle->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return ERROR_NO_MORE_FILES;
    }
    FillRec(rec);
    return 0;
}

void FindClose(TSearchRec& rec) {
    rec.FindHandle.reset();
}

int LinuxFileAttr(const std::string& p) {
    struct stat st;
    if (p.empty() || !StatEntry(p, st)) {
        SetLastErrorFromErrno();
        return -1;
    }
    std::string folder, name;
    SplitLast(p, folder, name);
    return AttrOf(name, st);
}

int FileGetAttr(std::string_view fileName) {
    try {
        return LinuxFileAttr(ResolvePath(fileName));
    } catch (const EInOutError&) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return -1;
    }
}

bool FileSetReadOnly(std::string_view fileName, bool readOnly) {
    try {
        std::string p = ResolvePath(fileName);
        struct stat st;
        if (p.empty() || ::stat(p.c_str(), &st) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        mode_t mode = st.st_mode & 07777;
        mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH))
                        : (mode | S_IWUSR);
        if (::chmod(p.c_str(), mode) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        return true;
    } catch (const EInOutError&) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
}

int FileSetAttr(std::string_view fileName, int attr) {
    return FileSetReadOnly(fileName, (attr & faReadOnly) != 0) ? 0 : GetLastError();
}

bool FileIsReadOnly(std::string_view fileName) {
    int a = FileGetAttr(fileName);
    return a != -1 && (a & faReadOnly);
}

int32_t FileAge(std::string_view fileName) {
    try {
        std::string p = ResolvePath(fileName);
        struct stat st;
        if (p.empty() || ::stat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            return -1;
        return PackDosTime(st.st_mtime);
    } catch (const EInOutError&) {
        return -1;
    }
}

namespace {
// Runs a path operation, turning a refused path into a false result.
template <typename F> bool Guard(F f) {
    try {
        return f();
    } catch (const EInOutError&) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
}
} // namespace

bool CreateDir(std::string_view dir) {
    return Guard([&] {
        std::string p = ResolvePath(dir);
        if (p.empty() || ::mkdir(p.c_str(), 0777) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        return true;
    });
}

bool ForceDirectories(std::string_view dir) {
    std::string d = ExcludeTrailingPathDelimiter(dir);
    if (d.empty())
        throw EInOutError("Unable to create directory");
    return Guard([&] {
        std::string p = ResolvePath(IncludeTrailingPathDelimiter(d));
        struct stat st;
        if (::stat(p.c_str(), &st) == 0)
            return S_ISDIR(st.st_mode);
        // Create each missing folder from the top down.
        for (size_t i = 1; i <= p.size(); ++i) {
            if (i < p.size() && p[i] != '/')
                continue;
            std::string part = p.substr(0, i);
            if (part.empty() || part == "/")
                continue;
            if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
                SetLastErrorFromErrno();
                return false;
            }
        }
        return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    });
}

bool RemoveDir(std::string_view dir) {
    return Guard([&] {
        std::string p = ResolvePath(dir);
        if (p.empty() || IsDriveRoot(dir) || IsDriveRootFolder(p)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        if (::rmdir(p.c_str()) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        return true;
    });
}

bool DeleteFile(std::string_view fileName) {
    return Guard([&] {
        std::string p = ResolvePath(fileName);
        struct stat st;
        if (p.empty() || ::lstat(p.c_str(), &st) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        if (::unlink(p.c_str()) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        return true;
    });
}

bool RenameFile(std::string_view oldName, std::string_view newName) {
    return Guard([&] {
        std::string from = ResolvePath(oldName), to = ResolvePath(newName);
        struct stat a, b;
        if (from.empty() || to.empty() || ::lstat(from.c_str(), &a) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        // Only a change of case of the same entry may land on an existing name.
        if (::lstat(to.c_str(), &b) == 0 && !(a.st_dev == b.st_dev && a.st_ino == b.st_ino)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return false;
        }
        if (::rename(from.c_str(), to.c_str()) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        return true;
    });
}

bool CopyFile(std::string_view existing, std::string_view target, bool failIfExists) {
    return Guard([&] {
        std::string from = ResolvePath(existing), to = ResolvePath(target);
        int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            SetLastErrorFromErrno();
            return false;
        }
        struct stat st;
        if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(in);
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        struct stat tst;
        if (::stat(to.c_str(), &tst) == 0 && S_ISREG(tst.st_mode) && !(tst.st_mode & S_IWUSR)) {
            ::close(in);
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
        int out = ::open(to.c_str(), flags, st.st_mode & 0777);
        if (out < 0) {
            SetLastErrorFromErrno();
            ::close(in);
            return false;
        }
        bool ok = true;
        std::vector<char> buf(1 << 16);
        for (;;) {
            ssize_t n = ::read(in, buf.data(), buf.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            for (ssize_t done = 0; done < n;) {
                ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0) {
                    ok = false;
                    break;
                }
                done += w;
            }
            if (!ok)
                break;
        }
        if (!ok)
            SetLastErrorFromErrno();
        ::close(in);
        if (::close(out) != 0 && ok) {
            SetLastErrorFromErrno();
            ok = false;
        }
        if (!ok)
            ::unlink(to.c_str());
        return ok;
    });
}

std::string ExtractFilePath(std::string_view f) {
    size_t cut = f.find_last_of("\\:");
    return cut == std::string_view::npos ? std::string() : std::string(f.substr(0, cut + 1));
}

std::string ExtractFileDir(std::string_view f) {
    size_t cut = f.find_last_of("\\:");
    if (cut == std::string_view::npos)
        return {};
    // Keep the delimiter of a root ("E:\" or "\") and the colon of "E:".
    if (cut > 0 && f[cut] == '\\' && f.find_last_of("\\:", cut - 1) != cut - 1)
        return std::string(f.substr(0, cut));
    return std::string(f.substr(0, cut + 1));
}

std::string ExtractFileName(std::string_view f) {
    size_t cut = f.find_last_of("\\:");
    return std::string(cut == std::string_view::npos ? f : f.substr(cut + 1));
}

std::string ExtractFileExt(std::string_view f) {
    size_t cut = f.find_last_of(".\\:");
    if (cut == std::string_view::npos || f[cut] != '.')
        return {};
    return std::string(f.substr(cut));
}

std::string ExtractFileDrive(std::string_view f) {
    if (DriveLetterOf(f))
        return std::string(f.substr(0, 2));
    return {};
}

std::string ChangeFileExt(std::string_view f, std::string_view ext) {
    size_t cut = f.find_last_of(".\\:");
    if (cut == std::string_view::npos || f[cut] != '.')
        return std::string(f) + std::string(ext);
    return std::string(f.substr(0, cut)) + std::string(ext);
}

std::string IncludeTrailingPathDelimiter(std::string_view p) {
    std::string s(p);
    if (s.empty() || s.back() != '\\')
        s += '\\';
    return s;
}

std::string ExcludeTrailingPathDelimiter(std::string_view p) {
    std::string s(p);
    if (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

std::string GetCurrentDir() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf))
        return "C:\\";
    return ToWindowsPath(buf);
}

bool SetCurrentDir(std::string_view dir) {
    return Guard([&] {
        std::string p = ResolvePath(dir);
        if (p.empty() || ::chdir(p.c_str()) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        return true;
    });
}

std::string ExpandFileName(std::string_view f) {
    if (f.empty())
        return {};
    std::string full;
    if (DriveLetterOf(f)) {
        full = std::string(f.substr(0, 2)) + "\\" + std::string(f.substr(2));
    } else if (f[0] == '\\' || f[0] == '/') {
        std::string cur = GetCurrentDir();
        full = cur.substr(0, 2) + std::string(f);
    } else {
        full = IncludeTrailingPathDelimiter(GetCurrentDir()) + std::string(f);
    }
    std::replace(full.begin(), full.end(), '/', '\\');
    // Resolve "." and ".." below the drive; extra ".." stop at the drive's root.
    std::string drive = full.substr(0, 2);
    std::vector<std::string> parts;
    size_t i = 2;
    while (i <= full.size()) {
        size_t j = full.find('\\', i);
        if (j == std::string::npos)
            j = full.size();
        std::string part = full.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out = drive;
    for (const auto& p : parts)
        out += "\\" + p;
    if (parts.empty() || full.back() == '\\')
        out += "\\";
    return out;
}

std::string GetTempFolder() {
    const char* t = std::getenv("TMPDIR");
    std::string dir = t && *t == '/' ? t : "/tmp";
    return IncludeTrailingPathDelimiter(ToWindowsPath(dir));
}

std::string CreateTempFolder(std::string_view prefix) {
    const char* t = std::getenv("TMPDIR");
    std::string dir = t && *t == '/' ? t : "/tmp";
    std::string tmpl = dir + "/" + std::string(prefix) + "-XXXXXX";
    if (!::mkdtemp(tmpl.data())) {
        int code = SetLastErrorFromErrno();
        throw EInOutError("Unable to create a temporary folder in " + dir + ": " +
                          SysErrorMessage(code));
    }
    return ToWindowsPath(tmpl);
}

std::string ProgramFileName() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return ToWindowsPath(std::string(buf, static_cast<size_t>(n)));
}

std::string ProgramFolder() {
    return ExtractFilePath(ProgramFileName());
}

void SetCommandLine(int argc, char** argv) {
    std::lock_guard lock(commandLineMutex);
    commandLine.assign(argv, argv + argc);
}

int ParamCount() {
    std::lock_guard lock(commandLineMutex);
    return commandLine.empty() ? 0 : static_cast<int>(commandLine.size()) - 1;
}

std::string ParamStr(int index) {
    if (index == 0)
        return ProgramFileName();
    std::lock_guard lock(commandLineMutex);
    if (index < 0 || index >= static_cast<int>(commandLine.size()))
        return {};
    return commandLine[static_cast<size_t>(index)];
}

TDateTime FileDateToDateTime(int32_t fileDate) {
    auto u = static_cast<uint32_t>(fileDate);
    struct tm lt {};
    lt.tm_year = static_cast<int>(u >> 25) + 80;
    lt.tm_mon = static_cast<int>((u >> 21) & 15) - 1;
    lt.tm_mday = static_cast<int>((u >> 16) & 31);
    lt.tm_hour = static_cast<int>((u >> 11) & 31);
    lt.tm_min = static_cast<int>((u >> 5) & 63);
    lt.tm_sec = static_cast<int>(u & 31) * 2;
    lt.tm_isdst = -1;
    return TimeToDateTime(::mktime(&lt));
}

int32_t DateTimeToFileDate(TDateTime dt) {
    // Local days back to seconds; mktime gives the offset of that local time.
    auto local = static_cast<time_t>((dt - 25569.0) * 86400.0 + 0.5);
    struct tm lt;
    gmtime_r(&local, &lt);
    lt.tm_isdst = -1;
    return PackDosTime(::mktime(&lt));
}
