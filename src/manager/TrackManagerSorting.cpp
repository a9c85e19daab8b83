// Sorting the shown playlist, every playlist, or the media library by a key
// order of column names. Rows are sorted as a permutation of indexes, so a value
// is never taken apart, and the numeric columns compare by their value.
#include "TrackManager.h"

#include "TrackTableRows.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

// A sort command's key order: the chosen column, then the others in their stored order.
constexpr TSortKeys KeysBy(TTrackColumn first) {
    TSortKeys keys{first};
    size_t n = 1;
    for (TTrackColumn column : TrackColumns)
        if (column != first)
            keys[n++] = column;
    return keys;
}

constexpr TSortKeys ArtistKeys = KeysBy(TTrackColumn::Artist);
constexpr TSortKeys TitleKeys = KeysBy(TTrackColumn::Title);
constexpr TSortKeys AlbumKeys = KeysBy(TTrackColumn::Album);
constexpr TSortKeys BitrateKeys = KeysBy(TTrackColumn::BitRate);
constexpr TSortKeys SizeKeys = KeysBy(TTrackColumn::Size);
constexpr TSortKeys LengthKeys = KeysBy(TTrackColumn::Time);

// One key column: its texts and, for the numeric columns, each row's value
// (empty where the text is no number; such rows follow the numbers, by text).
struct TSortColumn {
    // The texts: a string list (the track list) or a packed column (the library).
    const TStringList* Texts = nullptr;
    const TTextColumn* Packed = nullptr;
    int Count() const { return Packed ? Packed->Count() : Texts->Count(); }
    std::string_view Text(int row) const {
        return Packed ? Packed->View(row) : std::string_view(Texts->Get(row));
    }
    std::vector<std::optional<int64_t>> Values;
    // For ASCII texts, a byte string that orders as AnsiCompareText does, so a
    // large library is not collated character by character in every comparison.
    std::vector<std::optional<std::string>> Folded;
};

// Punctuation and symbols, then digits, then letters without regard to case,
// as the locale-aware comparison orders ASCII; empty for any other text.
std::optional<std::string> FoldAscii(std::string_view text) {
    std::string folded(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80)
            return std::nullopt;
        unsigned rank = c;
        if (c >= '0' && c <= '9')
            rank = 128 + (c - '0');
        else if (c >= 'a' && c <= 'z')
            rank = 138 + (c - 'a');
        else if (c >= 'A' && c <= 'Z')
            rank = 138 + (c - 'A');
        folded[i] = static_cast<char>(rank);
    }
    return folded;
}

void SetTexts(TSortColumn& column, const TStringList& texts) {
    column.Texts = &texts;
}
void SetTexts(TSortColumn& column, const TTextColumn& texts) {
    column.Packed = &texts;
}

template <typename TTable> TSortColumn MakeSortColumn(const TTable& table, TTrackColumn key) {
    TSortColumn column;
    SetTexts(column, TrackColumn(table, key));
    const bool time = key == TTrackColumn::Time;
    const int n = column.Count();
    if (!time && key != TTrackColumn::Size && key != TTrackColumn::BitRate) {
        column.Folded.resize(static_cast<size_t>(n));
        for (int r = 0; r < n; ++r)
            column.Folded[static_cast<size_t>(r)] = FoldAscii(column.Text(r));
        return column;
    }
    column.Values.resize(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        const std::string_view text = column.Text(r);
        try {
            column.Values[static_cast<size_t>(r)] =
                time ? TrackTimeSeconds(text) : StrToInt64(text);
        } catch (const EConvertError&) {
        }
    }
    return column;
}

int CompareKey(const TSortColumn& column, int a, int b) {
    if (!column.Values.empty()) {
        const auto& va = column.Values[static_cast<size_t>(a)];
        const auto& vb = column.Values[static_cast<size_t>(b)];
        if (va && vb)
            return *va < *vb ? -1 : (*va > *vb ? 1 : 0);
        if (va || vb)
            return va ? -1 : 1;
    }
    if (!column.Folded.empty()) {
        const auto& fa = column.Folded[static_cast<size_t>(a)];
        const auto& fb = column.Folded[static_cast<size_t>(b)];
        if (fa && fb)
            return fa->compare(*fb);
    }
    const std::string_view ta = column.Text(a);
    const std::string_view tb = column.Text(b);
    return ta == tb ? 0 : AnsiCompareText(ta, tb);
}

// Orders rows by the key columns in turn; rows that compare equal keep their order.
void SortRows(const std::vector<TSortColumn>& columns, std::vector<int>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        for (const TSortColumn& column : columns)
            if (const int c = CompareKey(column, a, b); c != 0)
                return c < 0;
        return false;
    });
}

// Every key column must hold `rows` values, or nothing is sorted.
template <typename TTable>
std::vector<TSortColumn> MakeSortColumns(const TTable& table, const TSortKeys& keys, int rows) {
    std::vector<TSortColumn> columns;
    for (TTrackColumn key : keys) {
        columns.push_back(MakeSortColumn(table, key));
        if (columns.back().Count() < rows)
            throw ETrackManagerError(
                Format("The column %s is shorter than the others; nothing was sorted.",
                       {TrackColumnName(key)}));
    }
    return columns;
}

void SortTrackLists(TTrackManager& m, const TSortKeys& keys) {
    std::string failures;
    auto sortOne = [&](int index) {
        try {
            m.SortPlaylist(keys, index);
        } catch (const Exception& e) {
            failures += (failures.empty() ? "" : "\r\n") + e.Message();
        }
    };
    if (m.Sortall1Checked) {
        for (int i = 0; i < m.ListBoxPlayLists.Items.Count() && i < MaxPlaylists; ++i)
            sortOne(i);
    } else if (m.SelectedPlaylist() >= 0) {
        sortOne(m.SelectedPlaylist());
    }
    m.RefreshTrackView();
    if (!failures.empty())
        m.Ui().ShowWarning(failures);
}

void SortLibrary(TTrackManager& m, const TSortKeys& keys) {
    try {
        m.SortMediaDB(keys);
    } catch (const Exception& e) {
        m.Ui().ShowWarning(e.Message());
    }
    m.RefreshMediaDBList();
}

} // namespace

void TTrackManager::SortPlaylist(const TSortKeys& keys, int index) {
    if (index < 0 || index >= MaxPlaylists)
        return;
    TStringList& list = Model.PlaylistTracks[static_cast<size_t>(index)];
    const int tracks = Model.TrackCount();
    // Every entry is checked before anything moves, so a bad one leaves the list as it was.
    std::vector<int> rows(static_cast<size_t>(list.Count()));
    for (int k = 0; k < list.Count(); ++k) {
        const int row = Model.StrToTrackIndex(list[k]);
        if (row < 0 || row >= tracks)
            throw EListError(Format("List index out of bounds (%d)", {row}));
        rows[static_cast<size_t>(k)] = row;
    }
    const std::vector<TSortColumn> columns = MakeSortColumns(Model.TrackListHolder, keys, tracks);
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int ra = rows[static_cast<size_t>(a)];
        const int rb = rows[static_cast<size_t>(b)];
        for (const TSortColumn& column : columns)
            if (const int c = CompareKey(column, ra, rb); c != 0)
                return c < 0;
        return ra < rb;
    });
    std::vector<std::string> sorted;
    sorted.reserve(order.size());
    for (int k : order)
        sorted.push_back(list[k]);
    list.BeginUpdate();
    list.Clear();
    for (std::string& entry : sorted)
        list.Add(std::move(entry));
    list.EndUpdate();
}

void TTrackManager::SortMediaDB(const TSortKeys& keys) {
    TPackedTable& db = Model.MediaDB;
    const int n = TrackColumn(db, keys[0]).Count();
    for (TTrackColumn c : TrackColumns)
        if (TrackColumn(db, c).Count() != n)
            throw ETrackManagerError("The media library's columns differ in length; it was not "
                                     "sorted.");
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    SortRows(MakeSortColumns(db, keys, n), order);
    // Every column takes the same permutation, so each row keeps its values together.
    PermuteTableRows(db, order);
}

void TTrackManager::SortbyArtist1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    SortTrackLists(*this, ArtistKeys);
}
void TTrackManager::SortbyTitle1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    SortTrackLists(*this, TitleKeys);
}
void TTrackManager::SortbyAlbum1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    SortTrackLists(*this, AlbumKeys);
}
void TTrackManager::SortbyBitrate1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    SortTrackLists(*this, BitrateKeys);
}
void TTrackManager::SortbySize1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    SortTrackLists(*this, SizeKeys);
}
void TTrackManager::Sortbylength1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    SortTrackLists(*this, LengthKeys);
}

void TTrackManager::Sortall1Click() {
    BV_ASSERT_GUI_THREAD();
    Sortall1Checked = !Sortall1Checked;
}

void TTrackManager::SortbyArtist3Click() {
    BV_ASSERT_GUI_THREAD();
    SortLibrary(*this, ArtistKeys);
}
void TTrackManager::SortbyTitle2Click() {
    BV_ASSERT_GUI_THREAD();
    SortLibrary(*this, TitleKeys);
}
void TTrackManager::SortbyAlbum2Click() {
    BV_ASSERT_GUI_THREAD();
    SortLibrary(*this, AlbumKeys);
}
void TTrackManager::SortbyBitrate2Click() {
    BV_ASSERT_GUI_THREAD();
    SortLibrary(*this, BitrateKeys);
}
void TTrackManager::SortbySize2Click() {
    BV_ASSERT_GUI_THREAD();
    SortLibrary(*this, SizeKeys);
}
void TTrackManager::SortbyLength2Click() {
    BV_ASSERT_GUI_THREAD();
    SortLibrary(*this, LengthKeys);
}
