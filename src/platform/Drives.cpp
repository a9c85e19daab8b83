#include "Drives.h"

#include "TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <shared_mutex>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::shared_mutex tableMutex;
std::optional<std::vector<TDriveEntry>> table;

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// mountinfo writes blanks and some other bytes in a field as "\ooo".
std::string UnescapeMountField(std::string_view f) {
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] == '\\' && i + 3 < f.size() && f[i + 1] >= '0' && f[i + 1] <= '3' &&
            f[i + 2] >= '0' && f[i + 2] <= '7' && f[i + 3] >= '0' && f[i + 3] <= '7') {
            out +=
                static_cast<char>((f[i + 1] - '0') * 64 + (f[i + 2] - '0') * 8 + (f[i + 3] - '0'));
            i += 3;
        } else {
            out += f[i];
        }
    }
    return out;
}

std::vector<std::string_view> SplitBlank(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ')
            ++j;
        if (j > i)
            out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

// Removes "." and empty components, resolves ".." lexically; false when ".."
// would climb above the first component.
bool NormalizeComponents(std::string_view path, char sep1, char sep2,
                         std::vector<std::string>& parts) {
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = i;
        while (j < path.size() && path[j] != sep1 && path[j] != sep2)
            ++j;
        std::string_view part = path.substr(i, j - i);
        if (part == "..") {
            if (parts.empty())
                return false;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        i = j + 1;
    }
    return true;
}

std::string TrimRootSlash(std::string root) {
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

std::optional<unsigned> TypeFromWord(std::string_view w) {
    std::string l = LowerCase(w);
    if (l == "removable")
        return DRIVE_REMOVABLE;
    if (l == "fixed")
        return DRIVE_FIXED;
    if (l == "remote")
        return DRIVE_REMOTE;
    if (l == "cdrom")
        return DRIVE_CDROM;
    if (l == "ramdisk")
        return DRIVE_RAMDISK;
    return std::nullopt;
}

bool FileSaysOne(const std::string& path) {
    std::string s = ReadSmallFile(path);
    return !s.empty() && s[0] == '1';
}

// Whether the block device with this "major:minor" is removable or hangs on USB.
bool IsRemovableDevice(const std::string& sysRoot, std::string_view majMin) {
    std::string link = sysRoot + "/dev/block/" + std::string(majMin);
    char buf[PATH_MAX];
    if (!realpath(link.c_str(), buf))
        return false;
    std::string dev = buf;
    if (dev.find("/usb") != std::string::npos)
        return true;
    if (FileSaysOne(dev + "/removable"))
        return true;
    // A partition's flag lies in its disk's folder.
    size_t slash = dev.rfind('/');
    return slash != std::string::npos && FileSaysOne(dev.substr(0, slash) + "/removable");
}

std::function<std::vector<TDriveEntry>()> tableSource;
std::mutex sourceMutex;

std::vector<std::pair<int, std::function<void()>>> changeHandlers;
int nextHandlerId = 1;

std::vector<TDriveEntry> LoadTable() {
    {
        std::lock_guard lock(sourceMutex);
        if (tableSource)
            return tableSource();
    }
    const char* env = std::getenv("BRISVANE_DRIVES");
    return BuildDriveTable(ReadSmallFile("/proc/self/mountinfo"), env ? env : "");
}

// Runs f on the current table, loading it on first use.
template <typename F> auto WithTable(F f) {
    {
        std::shared_lock lock(tableMutex);
        if (table)
            return f(*table);
    }
    std::unique_lock lock(tableMutex);
    if (!table)
        table = LoadTable();
    return f(*table);
}

const TDriveEntry* FindLetter(const std::vector<TDriveEntry>& t, char letter) {
    for (const auto& d : t)
        if (d.Letter == letter)
            return &d;
    return nullptr;
}

char UpperLetter(char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    return c;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string CurrentFolder() {
    char buf[PATH_MAX];
    if (getcwd(buf, sizeof buf))
        return buf;
    return "/";
}

// A Linux name may hold a backslash, which a Windows-form path reads as a separator, and
// bytes that are not UTF-8, which the program's text cannot carry. Such a byte b travels
// as the private-use character U+F700 + b, and so does every byte of a name's own
// character from that block, so the mapping back gives the very same name.
constexpr char32_t kByteEscapeBase = 0xF700;

bool IsByteEscape(char32_t cp) {
    return cp >= kByteEscapeBase && cp <= kByteEscapeBase + 0xFF;
}

void AppendByteEscape(std::string& out, unsigned char b) {
    AppendUtf8(out, kByteEscapeBase + b);
}

std::string EscapeLinuxName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (b == '\\') {
            AppendByteEscape(out, b);
            ++i;
        } else if (b < 0x80) {
            out += name[i++];
        } else {
            size_t next = i;
            const char32_t cp = DecodeUtf8(name, next);
            const bool malformed = cp == 0xFFFD && next == i + 1;
            if (malformed || IsByteEscape(cp)) {
                for (; i < next; ++i)
                    AppendByteEscape(out, static_cast<unsigned char>(name[i]));
            } else {
                out.append(name.substr(i, next - i));
                i = next;
            }
        }
    }
    return out;
}

// Undoes EscapeLinuxName. Only the escapes of a backslash and of bytes above 127 are
// read back: an escape that would give a "/" or a "." could lead out of the folder.
std::string UnescapeWindowsName(std::string_view name) {
    // Every escape starts with the bytes EF 9C..9F; most names have none.
    if (name.find('\xEF') == std::string_view::npos)
        return std::string(name);
    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        size_t next = i;
        const char32_t cp = DecodeUtf8(name, next);
        const unsigned byte = static_cast<unsigned>(cp - kByteEscapeBase);
        if (IsByteEscape(cp) && (byte == '\\' || byte >= 0x80))
            out += static_cast<char>(byte);
        else
            out.append(name.substr(i, next - i));
        i = next;
    }
    return out;
}

} // namespace

std::vector<TDriveEntry> ParseDriveOverrides(std::string_view text) {
    std::vector<TDriveEntry> out;
    size_t i = 0;
    while (i <= text.size()) {
        size_t j = text.find(';', i);
        if (j == std::string_view::npos)
            j = text.size();
        std::string item = Trim(text.substr(i, j - i));
        i = j + 1;
        if (item.size() < 3 || !IsLetter(item[0]) || item[1] != '=')
            continue;
        TDriveEntry e;
        e.Letter = UpperLetter(item[0]);
        if (e.Letter == 'A' || e.Letter == 'B')
            continue;
        std::string path = item.substr(2);
        e.Type = DRIVE_FIXED;
        size_t colon = path.rfind(':');
        if (colon != std::string::npos) {
            if (auto t = TypeFromWord(path.substr(colon + 1))) {
                e.Type = *t;
                path.resize(colon);
            }
        }
        if (path.empty() || path[0] != '/')
            continue;
        std::vector<std::string> parts;
        if (!NormalizeComponents(path, '/', '/', parts))
            continue;
        e.Root.clear();
        for (const auto& p : parts)
            e.Root += "/" + p;
        if (e.Root.empty())
            e.Root = "/";
        out.erase(std::remove_if(out.begin(), out.end(),
                                 [&](const TDriveEntry& d) { return d.Letter == e.Letter; }),
                  out.end());
        out.push_back(e);
    }
    return out;
}

std::vector<TDriveEntry> BuildDriveTable(std::string_view mountInfo, std::string_view overrides,
                                         const std::string& sysRoot) {
    std::vector<TDriveEntry> result{{'C', "/", DRIVE_FIXED}};
    std::vector<TDriveEntry> extra = ParseDriveOverrides(overrides);
    for (const auto& e : extra) {
        auto it = std::find_if(result.begin(), result.end(),
                               [&](const TDriveEntry& d) { return d.Letter == e.Letter; });
        if (it != result.end())
            *it = e;
        else
            result.push_back(e);
    }

    struct Mount {
        std::string point;
        unsigned type;
    };
    std::vector<Mount> mounts;
    std::set<std::string> seenDevices;
    std::istringstream in{std::string(mountInfo)};
    std::string line;
    while (std::getline(in, line)) {
        auto f = SplitBlank(line);
        auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 5 || dash == f.end() || dash + 2 >= f.end())
            continue;
        std::string_view majMin = f[2];
        std::string point = UnescapeMountField(f[4]);
        std::string_view fsType = dash[1];
        std::string_view source = dash[2];
        // What the desktop's automounter puts under /media is a user volume, whatever
        // backs it; elsewhere only block devices count.
        const bool userMount = point.starts_with("/media/") || point.starts_with("/run/media/");
        if (point == "/" || (!source.starts_with("/dev/") && !userMount))
            continue;
        unsigned type = 0;
        if (fsType == "iso9660" || fsType == "udf")
            type = DRIVE_CDROM;
        else if (userMount || IsRemovableDevice(sysRoot, majMin))
            type = DRIVE_REMOVABLE;
        if (!type || !seenDevices.insert(std::string(majMin)).second)
            continue;
        mounts.push_back({TrimRootSlash(point), type});
    }
    std::sort(mounts.begin(), mounts.end(),
              [](const Mount& a, const Mount& b) { return a.point < b.point; });
    char next = 'D';
    for (const auto& m : mounts) {
        if (std::any_of(result.begin(), result.end(),
                        [&](const TDriveEntry& d) { return d.Root == m.point; }))
            continue;
        while (next <= 'Z' && FindLetter(result, next))
            ++next;
        if (next > 'Z')
            break;
        result.push_back({next, m.point, m.type});
    }
    std::sort(result.begin(), result.end(),
              [](const TDriveEntry& a, const TDriveEntry& b) { return a.Letter < b.Letter; });
    return result;
}

std::vector<TDriveEntry> GetDriveTable() {
    return WithTable([](const std::vector<TDriveEntry>& t) { return t; });
}

void RefreshDriveTable() {
    auto fresh = LoadTable();
    std::unique_lock lock(tableMutex);
    table = std::move(fresh);
}

void SetDriveTableSource(std::function<std::vector<TDriveEntry>()> source) {
    std::lock_guard lock(sourceMutex);
    tableSource = std::move(source);
}

int AddDriveChangeHandler(std::function<void()> handler) {
    const int id = nextHandlerId++;
    changeHandlers.emplace_back(id, std::move(handler));
    return id;
}

void RemoveDriveChangeHandler(int id) {
    std::erase_if(changeHandlers, [id](const auto& h) { return h.first == id; });
}

void DrivesChanged() {
    RefreshDriveTable();
    // A handler may remove itself or others: run the ones still registered, by id.
    std::vector<int> ids;
    for (const auto& h : changeHandlers)
        ids.push_back(h.first);
    for (int id : ids) {
        auto it = std::find_if(changeHandlers.begin(), changeHandlers.end(),
                               [id](const auto& h) { return h.first == id; });
        if (it != changeHandlers.end()) {
            auto handler = it->second; // a copy: the handler may erase its entry
            handler();
        }
    }
}

char DriveLetterOf(std::string_view p) {
    if (p.size() >= 2 && IsLetter(p[0]) && p[1] == ':')
        return UpperLetter(p[0]);
    return 0;
}

bool IsDriveRoot(std::string_view p) {
    if (!DriveLetterOf(p))
        return false;
    std::string_view rest = p.substr(2);
    return std::all_of(rest.begin(), rest.end(), [](char c) { return c == '\\' || c == '/'; });
}

bool IsDriveRootFolder(std::string_view linuxPath) {
    if (linuxPath.empty())
        return false;
    std::string abs(linuxPath);
    if (abs[0] != '/')
        abs = CurrentFolder() + "/" + abs;
    std::vector<std::string> parts;
    if (!NormalizeComponents(abs, '/', '/', parts))
        return true; // ".." above "/" is "/"
    std::string norm;
    for (const auto& p : parts)
        norm += "/" + p;
    if (norm.empty())
        return true;
    return WithTable([&](const std::vector<TDriveEntry>& t) {
        return std::any_of(t.begin(), t.end(),
                           [&](const TDriveEntry& d) { return d.Root == norm; });
    });
}

std::string ToLinuxPath(std::string_view p) {
    if (p.size() >= 2 && (p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/'))
        throw EInOutError(Format("Network paths are not supported: \"%s\"", {p}));
    char letter = DriveLetterOf(p);
    std::string_view rest = p;
    std::string root;
    if (letter) {
        rest = p.substr(2);
        const TDriveEntry* found = nullptr;
        root = WithTable([&](const std::vector<TDriveEntry>& t) {
            found = FindLetter(t, letter);
            return found ? found->Root : std::string();
        });
        if (root.empty())
            throw EInOutError(
                Format("Drive %s: is not available (path \"%s\")", {std::string(1, letter), p}));
        // "E:name" is relative to the drive's current folder, which is its root here.
    } else if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) {
        // A relative path stays relative to the current folder.
        std::string out(rest);
        std::replace(out.begin(), out.end(), '\\', '/');
        return UnescapeWindowsName(out);
    } else {
        root = WithTable([](const std::vector<TDriveEntry>& t) {
            const TDriveEntry* c = FindLetter(t, 'C');
            return c ? c->Root : std::string("/");
        });
    }
    std::vector<std::string> parts;
    if (!NormalizeComponents(rest, '\\', '/', parts))
        throw EInOutError(Format("The path \"%s\" leads out of its drive", {p}));
    std::string out = root == "/" ? std::string() : root;
    for (const auto& part : parts)
        out += "/" + UnescapeWindowsName(part);
    if (out.empty())
        out = "/";
    else if (!parts.empty() && (rest.back() == '\\' || rest.back() == '/'))
        out += "/";
    return out;
}

std::string ToWindowsPath(std::string_view linuxPath) {
    std::string abs(linuxPath);
    if (abs.empty() || abs[0] != '/')
        abs = CurrentFolder() + "/" + abs;
    std::vector<std::string> parts;
    NormalizeComponents(abs, '/', '/', parts); // ".." above "/" stays at "/", as the kernel does
    std::string norm;
    for (const auto& part : parts)
        norm += "/" + part;
    if (norm.empty())
        norm = "/";
    bool trailing = linuxPath.size() > 1 && linuxPath.back() == '/' && norm != "/";

    auto best = WithTable([&](const std::vector<TDriveEntry>& t) {
        const TDriveEntry* b = nullptr;
        for (const auto& d : t) {
            bool match = d.Root == "/" || norm == d.Root ||
                         (norm.starts_with(d.Root) && norm[d.Root.size()] == '/');
            if (match && (!b || d.Root.size() > b->Root.size()))
                b = &d;
        }
        return b ? std::optional<TDriveEntry>(*b) : std::nullopt;
    });
    if (!best)
        throw EInOutError(Format("No drive holds the folder \"%s\"", {norm}));
    std::string rest = EscapeLinuxName(best->Root == "/" ? norm : norm.substr(best->Root.size()));
    std::replace(rest.begin(), rest.end(), '/', '\\');
    if (rest.empty())
        rest = "\\";
    std::string out = std::string(1, best->Letter) + ":" + rest;
    if (trailing && out.back() != '\\')
        out += "\\";
    return out;
}

unsigned GetDriveType(std::string_view root) {
    char letter = DriveLetterOf(root);
    if (!letter)
        return DRIVE_NO_ROOT_DIR;
    auto entry = WithTable([&](const std::vector<TDriveEntry>& t) {
        const TDriveEntry* d = FindLetter(t, letter);
        return d ? std::optional<TDriveEntry>(*d) : std::nullopt;
    });
    struct stat st;
    if (!entry || stat(entry->Root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return DRIVE_NO_ROOT_DIR;
    return entry->Type;
}

uint32_t GetLogicalDrives() {
    return WithTable([](const std::vector<TDriveEntry>& t) {
        uint32_t mask = 0;
        for (const auto& d : t)
            mask |= 1u << (d.Letter - 'A');
        return mask;
    });
}

std::vector<std::string> GetLogicalDriveStrings() {
    return WithTable([](const std::vector<TDriveEntry>& t) {
        std::vector<std::string> out;
        for (const auto& d : t)
            out.push_back(std::string(1, d.Letter) + ":\\");
        return out;
    });
}

bool GetDiskFreeSpaceEx(std::string_view windowsPath, int64_t& freeForCaller, int64_t& total,
                        int64_t* totalFree) {
    std::string path;
    try {
        path = ToLinuxPath(windowsPath.empty() ? std::string_view("C:\\") : windowsPath);
    } catch (const EInOutError&) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    struct statvfs vfs;
    if (statvfs(path.c_str(), &vfs) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    const auto unit = static_cast<int64_t>(vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize);
    freeForCaller = static_cast<int64_t>(vfs.f_bavail) * unit;
    total = static_cast<int64_t>(vfs.f_blocks) * unit;
    if (totalFree)
        *totalFree = static_cast<int64_t>(vfs.f_bfree) * unit;
    return true;
}

namespace {
std::string DriveNumberRoot(int drive) {
    if (drive == 0) {
        std::string cur = ToWindowsPath(CurrentFolder());
        return cur.substr(0, 2) + "\\";
    }
    if (drive < 1 || drive > 26)
        return {};
    return std::string(1, static_cast<char>('A' + drive - 1)) + ":\\";
}
} // namespace

int64_t DiskFree(int drive) {
    std::string root = DriveNumberRoot(drive);
    int64_t freeBytes = 0, total = 0;
    if (root.empty() || GetDriveType(root) == DRIVE_NO_ROOT_DIR ||
        !GetDiskFreeSpaceEx(root, freeBytes, total))
        return -1;
    return freeBytes;
}

int64_t DiskSize(int drive) {
    std::string root = DriveNumberRoot(drive);
    int64_t freeBytes = 0, total = 0;
    if (root.empty() || GetDriveType(root) == DRIVE_NO_ROOT_DIR ||
        !GetDiskFreeSpaceEx(root, freeBytes, total))
        return -1;
    return total;
}
