// Start-up, reset and shutdown of the track manager, the library files, and the
// small view-state helpers every concern shares.
#include "TrackManager.h"
#include "TrackManagerUpdateState.h"

#include "Dispatcher.h"
#include "Drives.h"
#include "Files.h"
#include "RtFileUtils.h"
#include "RtStrings.h"
#include "SafeFiles.h"
#include "TrackTableRows.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <sstream>
#include <unistd.h>
#include <unordered_map>

namespace {

// The library files' column order: file i holds column MediaDBColumns[i].
constexpr std::array<TTrackColumn, 8> MediaDBColumns = {
    TTrackColumn::Artist, TTrackColumn::Title,   TTrackColumn::Album, TTrackColumn::Size,
    TTrackColumn::Time,   TTrackColumn::BitRate, TTrackColumn::UID,   TTrackColumn::FileName};

// The library's manifest, written after the eight files.
constexpr std::string_view MediaDBManifestName = "MediaDB.manifest";

// Removes the temporaries of the settings and library files, and the encoder folders,
// that a process which no longer runs left behind: a living writer keeps its temporary
// locked, so another instance's save or update is never disturbed.
void RemoveLeftoversOfEndedRuns(const std::string& dataFolder) {
    try {
        RemoveUnlockedLeftovers(ToLinuxPath(dataFolder), [](const std::string& name) {
            if (IsReplacementName(name, "brisvane.ini") ||
                IsReplacementName(name, MediaDBManifestName))
                return true;
            for (int i = 0; i < 8; ++i)
                if (IsReplacementName(name, "MediaDB.db" + IntToStr(i)) ||
                    IsReplacementName(name, "MediaDB.db" + IntToStr(i) + ".bak"))
                    return true;
            return false;
        });
    } catch (const Exception&) {
        // Clearing up is a courtesy; a folder that cannot be read keeps what it has.
    }
}

// ---- The library's manifest ------------------------------------------------------
//
// The eight library files keep their format (other programs read them); a small manifest
// beside them, renamed into place before the eight, names each file's size and checksum
// for the set just written and for the set it replaces, which is kept as "MediaDB.db<i>.bak".
// A kill between the renames, or another save at the same moment, then leaves a set that
// matches neither, and the previous set is there to be loaded instead.

constexpr std::string_view ManifestHeader = "Brisvane media library set 1";

// One file of a set: its size (-1 when it is missing) and its FNV-1a checksum.
struct TSetEntry {
    int64_t Size = -1;
    uint64_t Hash = 0;
    bool operator==(const TSetEntry&) const = default;
};
using TSetDescription = std::array<TSetEntry, 8>;
using TSetFiles = std::array<std::optional<std::string>, 8>;

struct TManifest {
    bool Valid = false;
    TSetDescription Current;
    std::optional<TSetDescription> Previous;
};

TSetEntry DescribeFile(const std::optional<std::string>& bytes) {
    TSetEntry e;
    if (!bytes)
        return e;
    e.Size = static_cast<int64_t>(bytes->size());
    e.Hash = 14695981039346656037ull;
    for (unsigned char c : *bytes) {
        e.Hash ^= c;
        e.Hash *= 1099511628211ull;
    }
    return e;
}

TSetDescription DescribeSet(const TSetFiles& files) {
    TSetDescription d;
    for (size_t i = 0; i < 8; ++i)
        d[i] = DescribeFile(files[i]);
    return d;
}

std::string RenderSet(std::string_view name, const TSetDescription& d) {
    std::string text = std::string(name) + "\r\n";
    for (size_t i = 0; i < 8; ++i)
        text += "MediaDB.db" + IntToStr(static_cast<int>(i)) + " " + IntToStr(d[i].Size) + " " +
                Format("%.16x", {static_cast<int64_t>(d[i].Hash)}) + "\r\n";
    return text;
}

std::string RenderManifest(const TSetDescription& current,
                           const std::optional<TSetDescription>& previous) {
    std::string text = std::string(ManifestHeader) + "\r\n" + RenderSet("current", current);
    if (previous)
        text += RenderSet("previous", *previous);
    return text;
}

TManifest ParseManifest(const std::string& text) {
    TManifest m;
    TStringList lines;
    lines.SetText(text);
    if (lines.Count() < 1 || Trim(lines[0]) != ManifestHeader)
        return m;
    auto parseSet = [&](int first, TSetDescription& d) {
        if (first + 8 > lines.Count())
            return false;
        for (int i = 0; i < 8; ++i) {
            std::istringstream words(Trim(lines[first + i]));
            std::vector<std::string> parts;
            for (std::string w; words >> w;)
                parts.push_back(w);
            int64_t size = 0;
            if (parts.size() != 3 || parts[0] != "MediaDB.db" + IntToStr(i) ||
                !TryStrToInt64(parts[1], size) || parts[2].size() != 16)
                return false;
            d[static_cast<size_t>(i)].Size = size;
            d[static_cast<size_t>(i)].Hash = std::stoull(parts[2], nullptr, 16);
        }
        return true;
    };
    try {
        if (lines.Count() < 10 || Trim(lines[1]) != "current" || !parseSet(2, m.Current))
            return m;
        if (lines.Count() >= 19 && Trim(lines[10]) == "previous") {
            TSetDescription previous;
            if (!parseSet(11, previous))
                return m;
            m.Previous = previous;
        }
    } catch (const std::exception&) {
        return m;
    }
    m.Valid = true;
    return m;
}

TSetFiles ReadSet(const std::function<std::string(int)>& name) {
    TSetFiles files;
    for (int i = 0; i < 8; ++i) {
        try {
            if (FileExists(name(i)))
                files[static_cast<size_t>(i)] = FileToString(name(i));
        } catch (const Exception&) {
            // Unreadable counts as missing: it matches no description.
        }
    }
    return files;
}

bool WholeSet(const TSetFiles& files) {
    return std::all_of(files.begin(), files.end(), [](const auto& f) { return f.has_value(); });
}

// The eight files as they would be written for the library's columns.
TSetFiles RenderColumns(const TPackedTable& db) {
    TSetFiles files;
    for (size_t i = 0; i < 8; ++i) {
        const TTextColumn& column = TrackColumn(db, MediaDBColumns[i]);
        std::string contents;
        contents.reserve(column.Chars().size() + 2 * static_cast<size_t>(column.Count()));
        for (int r = 0; r < column.Count(); ++r) {
            const size_t at = contents.size();
            contents += column.View(r);
            // A line break inside a value would split it into two rows on reading.
            std::replace(contents.begin() + static_cast<std::ptrdiff_t>(at), contents.end(), '\r',
                         ' ');
            std::replace(contents.begin() + static_cast<std::ptrdiff_t>(at), contents.end(), '\n',
                         ' ');
            contents += "\r\n";
        }
        files[i] = std::move(contents);
    }
    return files;
}

} // namespace

// ---- View state --------------------------------------------------------------

namespace {

// What a line is across a rebuild: its track in the track view, else its text; a
// repeated key counts its occurrences, so the second of two equal lines stays second.
std::string ViewLineKey(const TViewLineRef& line) {
    std::string key(1, line.Serial != 0 ? 's' : 't');
    if (line.Serial != 0)
        key.append(std::to_string(line.Serial));
    else
        key.append(line.Text);
    return key;
}

} // namespace

void TViewLines::Add(std::string_view text, int entry, int row, uint64_t serial) {
    const size_t line = size();
    if (!placed_ && (entry != static_cast<int>(line) || row != static_cast<int>(line))) {
        places_.reserve(line + 1);
        for (size_t i = 0; i < line; ++i)
            places_.emplace_back(static_cast<int>(i), static_cast<int>(i));
        placed_ = true;
    }
    if (!serialed_ && serial != 0) {
        serials_.resize(line, 0);
        serialed_ = true;
    }
    texts_.Add(text);
    if (placed_)
        places_.emplace_back(entry, row);
    if (serialed_)
        serials_.push_back(serial);
}

void TViewLines::ShrinkToFit() {
    texts_.ShrinkToFit();
    places_.shrink_to_fit();
    serials_.shrink_to_fit();
}

void TListView::SetLines(const std::vector<TViewLine>& lines, bool keepSelection) {
    TViewLines packed;
    size_t bytes = 0;
    for (const TViewLine& line : lines)
        bytes += line.Text.size();
    packed.Reserve(lines.size(), bytes);
    for (const TViewLine& line : lines)
        packed.Add(line);
    SetLines(std::move(packed), keepSelection);
}

void TListView::SetLines(TViewLines lines, bool keepSelection) {
    ++Generation;
    const bool keep = keepSelection && (!Selected.empty() || ItemIndex >= 0 || TopIndex > 0);
    if (!keep) {
        Lines = std::move(lines);
        Selected.clear();
        ItemIndex = -1;
        TopIndex = 0;
        DragEnabled = !Lines.empty();
        return;
    }
    // The same lines in the same order (a view shown again as it was) leave every line where
    // it is: what the maps below would find, without making them.
    const auto same = [](const TViewLineRef& a, const TViewLineRef& b) {
        return a.Serial == b.Serial && (a.Serial != 0 || a.Text == b.Text);
    };
    if (std::equal(lines.begin(), lines.end(), Lines.begin(), Lines.end(), same)) {
        Selected.erase(Selected.lower_bound(Count()), Selected.end());
        Selected.erase(Selected.begin(), Selected.lower_bound(0));
        if (ItemIndex >= Count())
            ItemIndex = -1;
        TopIndex = TopIndex < Count() ? std::max(TopIndex, 0) : 0;
        Lines = std::move(lines);
        DragEnabled = !Lines.empty();
        return;
    }
    std::unordered_map<std::string, std::vector<int>> placed;
    placed.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        placed[ViewLineKey(lines[i])].push_back(static_cast<int>(i));
    // Where each old line is now, -1 for a line that is gone.
    std::unordered_map<std::string, size_t> seen;
    std::vector<int> now(Lines.size(), -1);
    for (size_t i = 0; i < Lines.size(); ++i) {
        const std::string key = ViewLineKey(Lines[i]);
        const size_t occurrence = seen[key]++;
        const auto it = placed.find(key);
        if (it != placed.end() && occurrence < it->second.size())
            now[i] = it->second[occurrence];
    }
    auto moved = [&](int line) { return line >= 0 && line < Count() ? now[size_t(line)] : -1; };
    std::set<int> selected;
    for (int line : Selected)
        if (const int n = moved(line); n >= 0)
            selected.insert(n);
    const int focused = moved(ItemIndex);
    // The top stays at the first line that remains from the old top down.
    int top = 0;
    for (int line = std::max(TopIndex, 0); line < Count(); ++line) {
        if (const int n = moved(line); n >= 0) {
            top = n;
            break;
        }
    }
    Lines = std::move(lines);
    Selected = std::move(selected);
    ItemIndex = focused;
    TopIndex = top;
    DragEnabled = !Lines.empty();
}

void TListView::Select(int line, bool on) {
    if (line < 0 || line >= Count())
        return;
    if (on)
        Selected.insert(line);
    else
        Selected.erase(line);
}

// Lines go in ascending, each at the end of the set without a search.
void TListView::SelectAll() {
    Selected.clear();
    for (int i = 0; i < Count(); ++i)
        Selected.insert(Selected.end(), i);
}

void TListView::InvertSelection() {
    std::set<int> inverted;
    auto was = Selected.begin();
    for (int i = 0; i < Count(); ++i) {
        while (was != Selected.end() && *was < i)
            ++was;
        if (was == Selected.end() || *was != i)
            inverted.insert(inverted.end(), i);
    }
    Selected = std::move(inverted);
}

namespace {

bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (const char c : text)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// How rare a byte is in the lines people search: spaces and the common letters are
// everywhere, digits and other signs are not.
int Rarity(char c) {
    if (c == ' ')
        return 0;
    if (std::string_view("etaoinsrhl").find(c) != std::string_view::npos)
        return 1;
    if (c >= 'a' && c <= 'z')
        return 2;
    return 3;
}

// Where the needle (in lower case) first occurs in the ASCII text read in lower case, from
// `pos`; npos when nowhere. Sixteen places are tried at a time by two of the needle's rarer
// bytes, so that few places are compared whole.
size_t FindFolded(std::string_view text, std::string_view needle, size_t pos) {
    const size_t m = needle.size();
    if (m == 0 || text.size() < m || pos > text.size() - m)
        return std::string_view::npos;
    size_t p1 = 0;
    for (size_t k = 1; k < m; ++k)
        if (Rarity(needle[k]) > Rarity(needle[p1]))
            p1 = k;
    size_t p2 = p1 == m - 1 ? 0 : m - 1;
    for (size_t k = 0; k < m; ++k)
        if (k != p1 && Rarity(needle[k]) > Rarity(needle[p2]))
            p2 = k;
    // A letter matches either case: 'A' | 0x20 is 'a', and no other byte ORs to a letter.
    const auto foldOf = [](char c) -> unsigned char { return c >= 'a' && c <= 'z' ? 0x20 : 0; };
    const unsigned char byte1 = static_cast<unsigned char>(needle[p1]);
    const unsigned char byte2 = static_cast<unsigned char>(needle[p2]);
    const unsigned char fold1 = foldOf(needle[p1]);
    const unsigned char fold2 = foldOf(needle[p2]);
    const size_t last = text.size() - m;
    const auto matchesAt = [&](size_t at) {
        for (size_t k = 0; k < m; ++k) {
            char c = text[at + k];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != needle[k])
                return false;
        }
        return true;
    };
    using TBytes = unsigned char __attribute__((vector_size(16)));
    TBytes want1;
    TBytes want2;
    TBytes folds1;
    TBytes folds2;
    for (int k = 0; k < 16; ++k) {
        want1[k] = byte1;
        want2[k] = byte2;
        folds1[k] = fold1;
        folds2[k] = fold2;
    }
    size_t at = pos;
    for (; at + 16 <= last + 1; at += 16) {
        TBytes at1;
        TBytes at2;
        std::memcpy(&at1, text.data() + at + p1, 16);
        std::memcpy(&at2, text.data() + at + p2, 16);
        const auto hit = ((at1 | folds1) == want1) & ((at2 | folds2) == want2);
        uint64_t halves[2];
        std::memcpy(halves, &hit, 16);
        if ((halves[0] | halves[1]) == 0)
            continue;
        for (size_t k = 0; k < 16; ++k)
            if (hit[k] != 0 && matchesAt(at + k))
                return at + k;
    }
    for (; at <= last; ++at)
        if (matchesAt(at))
            return at;
    return std::string_view::npos;
}

} // namespace

int TListView::FindLower(std::string_view needle, int from) const {
    if (lowerGeneration_ != Generation || lowerLines_ != Lines.size()) {
        // Most lines are plain ASCII, whose lower case needs no copy: they are read as they
        // are. The others are lowered through the look-up of the character, once.
        otherLines_.clear();
        otherLower_.Clear();
        for (size_t i = 0; i < Lines.size(); ++i) {
            const std::string_view text = Lines.Text(i);
            if (IsAscii(text))
                continue;
            otherLines_.push_back(static_cast<int>(i));
            otherLower_.Add(AnsiLowerCase(text));
        }
        otherLines_.shrink_to_fit();
        otherLower_.ShrinkToFit();
        lowerGeneration_ = Generation;
        lowerLines_ = Lines.size();
    }
    from = std::max(from, 0);
    if (needle.empty() || from >= Count())
        return -1;
    // A needle with a byte that is not ASCII is in no ASCII line.
    const bool inAscii = IsAscii(needle);
    auto other = std::lower_bound(otherLines_.begin(), otherLines_.end(), from);
    // The ASCII lines are searched a run at a time, from one line that is not ASCII to the
    // next; a match that runs on into the next line is none.
    int line = from;
    while (line < Count()) {
        const int runEnd = other == otherLines_.end() ? Count() : *other;
        if (inAscii && line < runEnd) {
            const TTextColumn& texts = Lines.Texts();
            const std::string_view run = texts.Chars().substr(0, texts.Start(runEnd));
            size_t pos = texts.Start(line);
            while (true) {
                const size_t found = FindFolded(run, needle, pos);
                if (found == std::string_view::npos)
                    break;
                const int at = texts.IndexAt(found);
                if (found + needle.size() <= texts.Start(at + 1))
                    return at;
                pos = texts.Start(at + 1);
            }
        }
        if (other == otherLines_.end())
            return -1;
        const size_t k = static_cast<size_t>(other - otherLines_.begin());
        if (otherLower_.View(static_cast<int>(k)).find(needle) != std::string_view::npos)
            return *other;
        line = *other + 1;
        ++other;
    }
    return -1;
}

void TListView::FocusLine(int line) {
    if (line < 0 || line >= Count()) {
        ItemIndex = -1;
        return;
    }
    ItemIndex = line;
    Selected.insert(line);
}

std::string TOptions::SelectedLanguage() const {
    if (comboLang < 0 || comboLang >= static_cast<int>(comboLangItems.size()))
        return {};
    return comboLangItems[static_cast<size_t>(comboLang)];
}

// ---- Construction and folders ------------------------------------------------

TTrackManager::TTrackManager(TManagerUi& ui, TManagerPaths paths)
    : Paths(std::move(paths)), ui_(ui) {
    if (Paths.ProgramFolder.empty())
        Paths.ProgramFolder = ProgramFolder();
    Paths.ProgramFolder = IncludeTrailingPathDelimiter(Paths.ProgramFolder);
    if (Paths.DataFolder.empty())
        Paths.DataFolder =
            FolderIsWritable(Paths.ProgramFolder) ? Paths.ProgramFolder : UserConfigFolder();
    Paths.DataFolder = IncludeTrailingPathDelimiter(Paths.DataFolder);
    Options.comboConverters = Paths.ProgramFolder + "lame.exe";
    Messages.Register(MessageName::OperationRunning,
                      "Please wait until the mobile phone has been updated or read.");
    Messages.Register(MessageName::PlaylistLimit, "No more than 100 playlists can be created.");
    Messages.Register(MessageName::FilesNotDeleted,
                      "These files could not be deleted from your MOBILE; their tracks were "
                      "moved to the deleted list:");
    RegisterUpdateMessages(Messages);
    RegisterCardMessages(Messages);
    RegisterDetectionMessages(Messages);
    Model.SettingsFile = SettingsFileName();
}

TTrackManager::~TTrackManager() = default;

std::string TTrackManager::SettingsFileName() const {
    return Paths.DataFolder + "brisvane.ini";
}

std::string TTrackManager::MediaDBFileName(int index) const {
    return Paths.DataFolder + "MediaDB.db" + IntToStr(index);
}

void TTrackManager::NotifyView(TViewId view) const {
    if (ViewSink)
        ViewSink(view);
}

bool TTrackManager::FolderIsWritable(const std::string& folder) {
    try {
        return access(ToLinuxPath(folder).c_str(), W_OK) == 0;
    } catch (const Exception&) {
        return false;
    }
}

std::string TTrackManager::UserConfigFolder() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = "/tmp";
    const std::string folder = IncludeTrailingPathDelimiter(ToWindowsPath(base + "/brisvane"));
    ForceDirectories(folder);
    return folder;
}

bool TTrackManager::RefuseWhileBusy() {
    if (!IsBusy())
        return false;
    ui_.ShowMessage(Messages.Text(MessageName::OperationRunning));
    return true;
}

// ---- Start-up ----------------------------------------------------------------

void TTrackManager::Start() {
    BV_ASSERT_GUI_THREAD();
    FormCreate();
    OptionsFormCreate();
}

void TTrackManager::FormCreate() {
    BV_ASSERT_GUI_THREAD();
    Model.ResetRunFlags();
    Model.TransFlashHandled = 0;
    Model.HintMousePos = {};
    Model.UploadPath = "\\mobile\\audio\\";
    Model.SettingsFile = SettingsFileName();
    for (auto& list : Model.PlaylistTracks)
        list.Clear();
    for (auto& list : Model.PlaylistTrackUIDs)
        list.Clear();
    ListBoxPlayLists.Items.Clear();
    ListBoxPlayLists.Items.Add(Messages.Text(MessageName::AllMusic));
    ListBoxPlayLists.ItemIndex = 0;
    BvPlaylist.ItemIndex = -1;
    RemoveLeftoversOfEndedRuns(Paths.DataFolder);
    RemoveEncoderFoldersOfEndedRuns();
    LoadMediaDB();
    NotifyView(TViewId::PlaylistBox);
}

// Loads the set the manifest vouches for; false when the files are to be loaded as files
// written without a manifest (none there, or all eight rewritten by another program).
bool TTrackManager::LoadMediaDBSet() {
    TPackedTable& db = Model.MediaDB;
    const std::string manifestFile = Paths.DataFolder + std::string(MediaDBManifestName);
    if (!FileExists(manifestFile))
        return false;
    TManifest manifest;
    try {
        manifest = ParseManifest(FileToString(manifestFile));
    } catch (const Exception&) {
    }
    const TSetFiles main = ReadSet([this](int i) { return MediaDBFileName(i); });
    const TSetDescription mainSet = DescribeSet(main);
    // A set too large to hold leaves the library empty for this run and the files as they
    // are: the next save would otherwise replace them with the empty library.
    auto load = [&](const TSetFiles& files) {
        try {
            for (size_t i = 0; i < 8; ++i)
                TrackColumn(db, MediaDBColumns[i]).SetText(files[i].value_or(""));
        } catch (const Exception& e) {
            ClearTable(db);
            mediaDBUnread_.push_back(e.Message());
            ui_.ShowWarning("The media library could not be loaded: " + e.Message() +
                            ". Changes to the library will not be saved in this run, so that "
                            "its files are kept.");
        }
    };
    if (manifest.Valid && WholeSet(main) &&
        (mainSet == manifest.Current || (manifest.Previous && mainSet == *manifest.Previous))) {
        load(main);
        return true;
    }
    // Not one file of either set: the eight were written as a whole by a program that
    // keeps no manifest.
    bool anyOfOurs = false;
    for (size_t i = 0; i < 8 && manifest.Valid; ++i)
        anyOfOurs = anyOfOurs || mainSet[i] == manifest.Current[i] ||
                    (manifest.Previous && mainSet[i] == (*manifest.Previous)[i]);
    if (manifest.Valid && !anyOfOurs && WholeSet(main))
        return false;
    // Files the user removed: none at all is a library started afresh; some is a set that
    // cannot be trusted, though nothing in it was damaged.
    std::string missing;
    int missingCount = 0;
    for (int i = 0; i < 8; ++i)
        if (!main[static_cast<size_t>(i)]) {
            missing += (missing.empty() ? "" : ", ") + ExtractFileName(MediaDBFileName(i));
            ++missingCount;
        }
    if (missingCount == 8)
        return true;
    // The files there are moved aside, so that the next save of the empty library does not
    // overwrite them; returns the first name one was kept as.
    auto keepAside = [&](const std::string& suffix) {
        std::string keptAs;
        for (int i = 0; i < 8; ++i) {
            const std::string file = MediaDBFileName(i);
            if (!FileExists(file))
                continue;
            std::string aside = file + suffix;
            for (int n = 2; FileExists(aside); ++n)
                aside = file + suffix + IntToStr(n);
            if (RenameFile(file, aside) && keptAs.empty())
                keptAs = aside;
        }
        return keptAs;
    };
    if (missingCount > 0) {
        const std::string keptAs = keepAside(".kept");
        ui_.ShowWarning("The media library is incomplete: " + missing +
                        (missingCount == 1 ? " is" : " are") +
                        " missing. The library starts empty" +
                        (keptAs.empty() ? std::string(".")
                                        : "; the files that were there were kept aside as " +
                                              keptAs + " and its fellows."));
        return true;
    }
    const TSetFiles kept = ReadSet([this](int i) { return MediaDBFileName(i) + ".bak"; });
    if (manifest.Previous && WholeSet(kept) && DescribeSet(kept) == *manifest.Previous) {
        load(kept);
        ui_.ShowWarning("The last save of the media library was interrupted; the library as "
                        "it was saved before that was loaded.");
        return true;
    }
    // Mixed from two saves with nothing complete to fall back on: no row is trusted, and
    // the files are kept aside for whoever wants to look at them.
    const std::string keptAs = keepAside(".damaged");
    ui_.ShowWarning(
        "The media library was damaged: its files come from different saves. The "
        "library starts empty; the damaged files were kept aside as " +
        (keptAs.empty() ? std::string("they were") : keptAs + " and its seven fellows") + ".");
    return true;
}

void TTrackManager::LoadMediaDB() {
    TPackedTable& db = Model.MediaDB;
    std::string failures;
    bool anyFile = false;
    mediaDBUnread_.clear();
    for (TTrackColumn name : MediaDBColumns)
        TrackColumn(db, name).Clear();
    if (LoadMediaDBSet())
        return;
    for (int i = 0; i < 8; ++i) {
        TTextColumn& column = TrackColumn(db, MediaDBColumns[static_cast<size_t>(i)]);
        column.Clear();
        const std::string file = MediaDBFileName(i);
        if (!FileExists(file))
            continue;
        anyFile = true;
        try {
            column.SetText(FileToString(file));
        } catch (const Exception& e) {
            failures += "\r\n" + e.Message();
            mediaDBUnread_.push_back(e.Message());
        }
    }
    if (!anyFile)
        return;
    int rows = 0;
    for (TTrackColumn name : MediaDBColumns)
        rows = std::max(rows, TrackColumn(db, name).Count());
    bool uneven = false;
    for (TTrackColumn name : MediaDBColumns) {
        TTextColumn& column = TrackColumn(db, name);
        if (column.Count() == rows)
            continue;
        uneven = true;
        column.Reserve(rows, column.Chars().size() + static_cast<size_t>(rows - column.Count()) *
                                                         (name == TTrackColumn::UID ? 7 : 3));
        // Short columns are filled with values every reader accepts, so no row is lost.
        for (int r = column.Count(); r < rows; ++r) {
            if (name == TTrackColumn::Time)
                column.Add("0:0");
            else if (name == TTrackColumn::Size || name == TTrackColumn::BitRate)
                column.Add("0");
            else if (name == TTrackColumn::UID)
                column.Add(IntToStr(r));
            else
                column.Add("");
        }
        column.ShrinkToFit();
    }
    if (uneven || !failures.empty()) {
        std::string message = "The media library files were incomplete; missing values were "
                              "filled in.";
        if (!mediaDBUnread_.empty())
            message += " Changes to the library will not be saved in this run, so that the "
                       "file that could not be read is kept.";
        ui_.ShowWarning(message + failures);
    }
}

void TTrackManager::SaveMediaDB() {
    // The eight files are one set, line i of each belonging to row i: a file kept as it
    // was beside seven rewritten ones would pair its values with other rows.
    if (!mediaDBUnread_.empty()) {
        std::string reasons;
        for (const std::string& reason : mediaDBUnread_)
            reasons += "\r\n" + reason;
        throw EInOutError("The media library was not saved, so that the files that could not "
                          "be read at start-up are kept as they were:" +
                          reasons);
    }
    // One save at a time, also across processes: two at once would interleave their renames.
    TFolderLock saving;
    bool locked = false;
    try {
        locked = saving.Lock(ToLinuxPath(Paths.DataFolder), 10000);
    } catch (const Exception& e) {
        // A folder that cannot even be opened: the user needs to hear which files were lost.
        throw EInOutError("The media library (MediaDB.db0 to MediaDB.db7) was not saved in " +
                          Paths.DataFolder + ": " + e.Message());
    }
    if (!locked)
        throw EInOutError("The media library was not saved: another Brisvane is saving it.");
    const TSetFiles next = RenderColumns(Model.MediaDB);
    const std::string manifestFile = Paths.DataFolder + std::string(MediaDBManifestName);
    TManifest manifest;
    if (FileExists(manifestFile))
        manifest = ParseManifest(FileToString(manifestFile));
    const TSetFiles main = ReadSet([this](int i) { return MediaDBFileName(i); });
    const TSetDescription mainSet = DescribeSet(main);
    const TSetFiles kept = ReadSet([this](int i) { return MediaDBFileName(i) + ".bak"; });
    const TSetDescription keptSet = DescribeSet(kept);
    // The set being replaced becomes the previous one when it is whole; otherwise the
    // previous one stays what it was.
    const bool mainWhole = WholeSet(main) && (!manifest.Valid || mainSet == manifest.Current ||
                                              (manifest.Previous && mainSet == *manifest.Previous));
    std::optional<TSetDescription> previous;
    if (mainWhole) {
        if (!(WholeSet(kept) && keptSet == mainSet)) {
            std::vector<std::pair<std::string, std::string>> backups;
            for (int i = 0; i < 8; ++i)
                backups.emplace_back(MediaDBFileName(i) + ".bak", *main[static_cast<size_t>(i)]);
            try {
                AtomicReplaceFiles(backups);
            } catch (const Exception& e) {
                throw EInOutError("The media library was not saved: " + e.Message());
            }
        }
        previous = mainSet;
    } else if (manifest.Previous && WholeSet(kept) && keptSet == *manifest.Previous) {
        previous = keptSet;
    }
    // The manifest goes first: until the last of the eight is renamed, the files on the
    // disk match its previous set, or none.
    std::vector<std::pair<std::string, std::string>> files;
    files.emplace_back(manifestFile, RenderManifest(DescribeSet(next), previous));
    for (int i = 0; i < 8; ++i)
        files.emplace_back(MediaDBFileName(i), *next[static_cast<size_t>(i)]);
    try {
        AtomicReplaceFiles(files);
    } catch (const Exception& e) {
        throw EInOutError("The media library was not saved: " + e.Message());
    }
}

// ---- Shutdown ----------------------------------------------------------------

void TTrackManager::StopForClose() {
    const std::vector<std::string> left =
        StopAndWaitForWorkers(Update ? Update->CloseWaitMs : 10000);
    if (left.empty())
        return;
    std::string names;
    for (const std::string& name : left)
        names += (names.empty() ? "" : ", ") + name;
    try {
        ui_.ShowWarning(Messages.Fmt("not_ended", {names}));
    } catch (...) {
    }
}

bool TTrackManager::FormCloseQuery() {
    BV_ASSERT_GUI_THREAD();
    if (IsBusy()) {
        if (!ui_.AskYesNo(Messages.Text("stop_to_close")))
            return false;
        StopForClose();
    }
    // The close that follows saves again and reports a failure; reporting here too
    // would show it twice.
    try {
        SaveSettings();
    } catch (const Exception&) {
    }
    return true;
}

void TTrackManager::FormClose() {
    BV_ASSERT_GUI_THREAD();
    std::string failures;
    try {
        // A close that was not asked first (the program ending) stops the run too.
        if (IsBusy())
            StopForClose();
    } catch (const Exception& e) {
        failures += e.Message();
    }
    try {
        SaveSettings();
    } catch (const Exception& e) {
        failures += (failures.empty() ? "" : "\r\n") + e.Message();
    }
    try {
        SaveMediaDB();
    } catch (const Exception& e) {
        failures += (failures.empty() ? "" : "\r\n") + e.Message();
    }
    if (!failures.empty()) {
        try {
            ui_.ShowWarning(failures);
        } catch (...) {
            // Closing goes on whatever happens; what was not saved still reaches
            // the user's terminal rather than vanishing.
            std::fprintf(stderr, "%s\n", failures.c_str());
        }
    }
}

void TTrackManager::Exit1Click() {
    BV_ASSERT_GUI_THREAD();
    ui_.CloseMainWindow();
}

void TTrackManager::bvGroupActionsExpanded() {
    BV_ASSERT_GUI_THREAD();
    DriveComboVisible = !Options.cbAutoDetect;
}

// ---- Reset -------------------------------------------------------------------

void TTrackManager::btnResetProgClick() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    Model.ConvertDone = 0;
    Model.CopyDone = 0;
    Model.ConverterRunning = 0;
    Model.CancelRequested = 0;
    Model.UploadPath = "\\mobile\\audio\\";
    Model.SettingsFile = SettingsFileName();
    Model.ClearTracks();
    BvPlaylist.Clear();
    ListBoxPlayLists.Items.Clear();
    ListBoxPlayLists.Items.Add(Messages.Text(MessageName::AllMusic));
    ListBoxPlayLists.ItemIndex = 0;
    TransFlashTimer.Enabled = true;
    NotifyView(TViewId::PlaylistBox);
    RefreshTrackView();
}
