#include "Classes.h"
#include "ScopeExit.h"

#include <algorithm>
#include <numeric>
#include <typeinfo>

const std::string& TStrings::Get(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

void TStrings::Put(int index, std::string value) {
    CheckIndex(index);
    items_[static_cast<size_t>(index)] = std::move(value);
    ItemChanged(TStringsChangeKind::Replaced, index);
    Changed();
}

TObject* TStrings::GetObject(int index) const {
    CheckIndex(index);
    return ObjectAt(static_cast<size_t>(index));
}

void TStrings::PutObject(int index, TObject* object) {
    CheckIndex(index);
    if (!object && objects_.empty())
        return;
    KeepObjects();
    objects_[static_cast<size_t>(index)] = object;
}

int TStrings::Add(std::string value) {
    items_.push_back(std::move(value));
    if (!objects_.empty())
        objects_.push_back(nullptr);
    ItemChanged(TStringsChangeKind::Inserted, Count() - 1);
    Changed();
    return Count() - 1;
}

int TStrings::AddObject(std::string value, TObject* object) {
    int i = Add(std::move(value));
    if (object || !objects_.empty()) {
        KeepObjects();
        objects_[static_cast<size_t>(i)] = object;
    }
    return i;
}

void TStrings::AddStrings(const TStrings& other) {
    BeginUpdate();
    for (int i = 0; i < other.Count(); ++i)
        AddObject(other.items_[static_cast<size_t>(i)], other.ObjectAt(static_cast<size_t>(i)));
    EndUpdate();
}

void TStrings::MoveStringsFrom(TStrings& other) {
    if (&other == this)
        return;
    // Two plain unsorted lists, this one empty: the entries change hands whole, without a
    // single text copied or allocated.
    const auto plain = [](const TStrings& list) {
        return typeid(list) == typeid(TStringList) &&
               !static_cast<const TStringList&>(list).Sorted();
    };
    if (items_.empty() && plain(*this) && plain(other)) {
        items_.swap(other.items_);
        objects_.swap(other.objects_);
        ItemChanged(TStringsChangeKind::Reset);
        Changed();
        other.ItemChanged(TStringsChangeKind::Reset);
        other.Changed();
        return;
    }
    items_.reserve(items_.size() + other.items_.size());
    BeginUpdate();
    TScopeExit done([this] { EndUpdate(); });
    for (size_t i = 0; i < other.items_.size(); ++i)
        AddObject(std::move(other.items_[i]), other.ObjectAt(i));
    other.Clear();
}

void TStrings::AppendMoved(std::vector<std::string>& texts) {
    if (items_.empty() && typeid(*this) == typeid(TStringList) &&
        !static_cast<const TStringList&>(*this).Sorted()) {
        items_.swap(texts);
        texts.clear();
        objects_.clear(); // no objects: kept only once one is set
        if (!items_.empty()) {
            ItemChanged(TStringsChangeKind::Reset);
            Changed();
        }
        return;
    }
    items_.reserve(items_.size() + texts.size());
    if (!objects_.empty())
        objects_.reserve(objects_.size() + texts.size());
    BeginUpdate();
    TScopeExit done([this] { EndUpdate(); });
    for (std::string& text : texts)
        Add(std::move(text));
    texts.clear();
}

void TStrings::Insert(int index, std::string value) {
    InsertObject(index, std::move(value), nullptr);
}

void TStrings::InsertObject(int index, std::string value, TObject* object) {
    CheckIndex(index, true);
    items_.insert(items_.begin() + index, std::move(value));
    if (!objects_.empty()) {
        objects_.insert(objects_.begin() + index, object);
    } else if (object) {
        KeepObjects();
        objects_[static_cast<size_t>(index)] = object;
    }
    ItemChanged(TStringsChangeKind::Inserted, index);
    Changed();
}

void TStrings::Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    if (!objects_.empty())
        objects_.erase(objects_.begin() + index);
    ItemChanged(TStringsChangeKind::Deleted, index);
    Changed();
}

void TStrings::Exchange(int a, int b) {
    CheckIndex(a);
    CheckIndex(b);
    std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
    if (!objects_.empty())
        std::swap(objects_[static_cast<size_t>(a)], objects_[static_cast<size_t>(b)]);
    ItemChanged(TStringsChangeKind::Exchanged, a, b);
    Changed();
}

void TStrings::Move(int from, int to) {
    CheckIndex(from);
    CheckIndex(to);
    if (from == to)
        return;
    std::string s = std::move(items_[static_cast<size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(s));
    if (!objects_.empty()) {
        TObject* o = objects_[static_cast<size_t>(from)];
        objects_.erase(objects_.begin() + from);
        objects_.insert(objects_.begin() + to, o);
    }
    ItemChanged(TStringsChangeKind::Moved, from, to);
    Changed();
}

void TStrings::Clear() {
    if (items_.empty())
        return;
    items_.clear();
    objects_.clear();
    ItemChanged(TStringsChangeKind::Reset);
    Changed();
}

void TStrings::Assign(const TStrings& other) {
    if (&other == this)
        return;
    items_ = other.items_;
    objects_ = other.objects_;
    ItemChanged(TStringsChangeKind::Reset);
    Changed();
}

int TStrings::IndexOf(std::string_view value) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (AnsiCompareText(items_[i], value) == 0)
            return static_cast<int>(i);
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
    if (objects_.empty())
        return object == nullptr && !items_.empty() ? 0 : -1;
    for (size_t i = 0; i < objects_.size(); ++i)
        if (objects_[i] == object)
            return static_cast<int>(i);
    return -1;
}

std::string TStrings::Text() const {
    size_t total = 0;
    for (const auto& s : items_)
        total += s.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& s : items_) {
        out += s;
        out += "\r\n";
    }
    return out;
}

void TStrings::SetText(std::string_view text) {
    BeginUpdate();
    items_.clear();
    objects_.clear();
    // The lines counted first, so a long file's entries take exactly their room.
    size_t lines = 0;
    for (size_t k = 0; k < text.size(); ++k)
        if (text[k] == '\n' || (text[k] == '\r' && (k + 1 == text.size() || text[k + 1] != '\n')))
            ++lines;
    if (!text.empty() && text.back() != '\r' && text.back() != '\n')
        ++lines;
    items_.reserve(lines);
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            items_.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size())
        items_.emplace_back(text.substr(start));
    ItemChanged(TStringsChangeKind::Reset);
    Changed();
    EndUpdate();
}

std::string TStrings::Names(int index) const {
    const std::string& s = Get(index);
    size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::ValueFromIndex(int index) const {
    const std::string& s = Get(index);
    size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TStrings::IndexOfName(std::string_view name) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        size_t p = items_[i].find('=');
        if (p != std::string::npos &&
            AnsiCompareText(std::string_view(items_[i]).substr(0, p), name) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::string TStrings::Values(std::string_view name) const {
    int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValue(std::string_view name, std::string_view value) {
    int i = IndexOfName(name);
    std::string line = std::string(name) + "=" + std::string(value);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
    } else if (i < 0) {
        Add(line);
    } else {
        Put(i, line);
    }
}

void TStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) {
        SetUpdateState(false);
        Changed();
    }
}

void TStrings::CheckIndex(int index, bool allowEnd) const {
    int limit = allowEnd ? Count() : Count() - 1;
    if (index < 0 || index > limit)
        throw EListError(Format("List index out of bounds (%d)", {index}));
}

void TStrings::ItemChanged(TStringsChangeKind kind, int index, int other) {
    if (OnItemChange)
        OnItemChange(*this, TStringsChange{kind, index, other});
}

void TStrings::Changed() {
    if (updateCount_ == 0 && OnChange)
        OnChange(*this);
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
    return CaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::SetSorted(bool sorted) {
    if (sorted && !sorted_)
        Sort();
    sorted_ = sorted;
}

bool TStringList::Find(std::string_view value, int& index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(items_[static_cast<size_t>(mid)], value);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (Duplicates != TDuplicates::dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::Add(std::string value) {
    if (!sorted_)
        return TStrings::Add(std::move(value));
    int index;
    if (Find(value, index)) {
        if (Duplicates == TDuplicates::dupIgnore)
            return index;
        if (Duplicates == TDuplicates::dupError)
            throw EListError("String list does not allow duplicates");
    }
    TStrings::InsertObject(index, std::move(value), nullptr);
    return index;
}

void TStringList::Insert(int index, std::string value) {
    if (sorted_)
        throw EListError("Operation not allowed on sorted string list");
    TStrings::Insert(index, std::move(value));
}

int TStringList::IndexOf(std::string_view value) const {
    if (!sorted_) {
        if (!CaseSensitive)
            return TStrings::IndexOf(value);
        for (size_t i = 0; i < items_.size(); ++i)
            if (AnsiCompareStr(items_[i], value) == 0)
                return static_cast<int>(i);
        return -1;
    }
    int index;
    return Find(value, index) ? index : -1;
}

void TStringList::Sort() {
    CustomSort([this](const TStringList& l, int a, int b) {
        return CompareStrings(l.items_[static_cast<size_t>(a)], l.items_[static_cast<size_t>(b)]);
    });
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
    // A bottom-up merge sort: stable, and safe with a comparison that is not a
    // consistent order (std::sort may run out of bounds with one).
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<int> merged(order.size());
    for (size_t width = 1; width < order.size(); width *= 2) {
        for (size_t lo = 0; lo < order.size(); lo += 2 * width) {
            size_t mid = std::min(lo + width, order.size());
            size_t hi = std::min(lo + 2 * width, order.size());
            size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi)
                merged[out++] = compare(*this, order[b], order[a]) < 0 ? order[b++] : order[a++];
            while (a < mid)
                merged[out++] = order[a++];
            while (b < hi)
                merged[out++] = order[b++];
        }
        order.swap(merged);
    }
    std::vector<std::string> items;
    std::vector<TObject*> objects;
    items.reserve(order.size());
    if (!objects_.empty())
        objects.reserve(order.size());
    for (int i : order) {
        items.push_back(std::move(items_[static_cast<size_t>(i)]));
        if (!objects_.empty())
            objects.push_back(objects_[static_cast<size_t>(i)]);
    }
    items_ = std::move(items);
    objects_ = std::move(objects);
    ItemChanged(TStringsChangeKind::Reset);
    Changed();
}
