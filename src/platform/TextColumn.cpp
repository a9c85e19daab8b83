#include "TextColumn.h"

#include <cstring>
#include <limits>

namespace {

constexpr size_t MaxColumnBytes = std::numeric_limits<uint32_t>::max();
constexpr size_t MaxColumnEntries = static_cast<size_t>(std::numeric_limits<int>::max());

} // namespace

void TTextColumn::CheckSize(size_t bytes, size_t count) const {
    if (bytes > MaxColumnBytes || count > MaxColumnEntries)
        throw EListError(Format("Too much text for one list: %s bytes in %s lines (4 GB and "
                                "2147483647 lines at most)",
                                {std::to_string(bytes), std::to_string(count)}));
}

std::string_view TTextColumn::View(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    const size_t i = static_cast<size_t>(index);
    const size_t begin = Begin(i);
    return std::string_view(chars_).substr(begin, ends_[i] - begin);
}

int TTextColumn::IndexAt(size_t offset) const {
    // The first entry that ends after the offset; empty entries end where they start.
    return static_cast<int>(std::upper_bound(ends_.begin(), ends_.end(), offset) - ends_.begin());
}

std::vector<std::string> TTextColumn::Items() const {
    std::vector<std::string> items;
    items.reserve(ends_.size());
    for (int i = 0; i < Count(); ++i)
        items.emplace_back(View(i));
    return items;
}

void TTextColumn::Reserve(int count, size_t bytes) {
    if (count > Count())
        ends_.reserve(static_cast<size_t>(count));
    if (bytes > chars_.size())
        chars_.reserve(bytes);
}

void TTextColumn::ShrinkToFit() {
    // Giving room back copies the whole block into fresh memory, which for a long list costs
    // more than the room is worth: only room of more than a quarter of what is used goes.
    if (chars_.capacity() - chars_.size() > chars_.size() / 4)
        chars_.shrink_to_fit();
    if (ends_.capacity() - ends_.size() > ends_.size() / 4)
        ends_.shrink_to_fit();
}

int TTextColumn::Add(std::string_view value) {
    CheckSize(chars_.size() + value.size(), ends_.size() + 1);
    chars_ += value;
    ends_.push_back(static_cast<uint32_t>(chars_.size()));
    return Count() - 1;
}

void TTextColumn::Delete(int index) {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    if (index == Count() - 1) {
        chars_.resize(Begin(ends_.size() - 1));
        ends_.pop_back();
        return;
    }
    std::vector<bool> remove(ends_.size(), false);
    remove[static_cast<size_t>(index)] = true;
    Remove(remove);
}

void TTextColumn::Remove(const std::vector<bool>& remove) {
    // Moved down in place: what stays only ever moves towards the start, and each end is
    // read before its place is written.
    size_t to = 0;
    size_t kept = 0;
    size_t begin = 0;
    for (size_t i = 0; i < ends_.size(); ++i) {
        const size_t end = ends_[i];
        if (i >= remove.size() || !remove[i]) {
            if (to != begin)
                std::memmove(chars_.data() + to, chars_.data() + begin, end - begin);
            to += end - begin;
            ends_[kept++] = static_cast<uint32_t>(to);
        }
        begin = end;
    }
    chars_.resize(to);
    ends_.resize(kept);
    // A library thinned out by much gives the room back rather than keep it for good.
    if (chars_.size() < chars_.capacity() / 2 || ends_.size() < ends_.capacity() / 2)
        ShrinkToFit();
}

void TTextColumn::Permute(const std::vector<int>& order) {
    std::string chars;
    chars.reserve(chars_.size());
    std::vector<uint32_t> ends;
    ends.reserve(order.size());
    for (int from : order) {
        chars += View(from);
        ends.push_back(static_cast<uint32_t>(chars.size()));
    }
    chars_ = std::move(chars);
    ends_ = std::move(ends);
}

void TTextColumn::Clear() {
    std::string().swap(chars_);
    std::vector<uint32_t>().swap(ends_);
}

void TTextColumn::SetText(std::string_view text) {
    Clear();
    // Counted first, so that the block and the ends take exactly their room.
    size_t lines = 0;
    size_t breaks = 0;
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\n' || (text[k] == '\r' && (k + 1 == text.size() || text[k + 1] != '\n')))
            ++lines;
        if (text[k] == '\r' || text[k] == '\n')
            ++breaks;
    }
    if (!text.empty() && text.back() != '\r' && text.back() != '\n')
        ++lines;
    CheckSize(text.size() - breaks, lines);
    chars_.reserve(text.size() - breaks);
    ends_.reserve(lines);
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            chars_.append(text.substr(start, i - start));
            ends_.push_back(static_cast<uint32_t>(chars_.size()));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size()) {
        chars_.append(text.substr(start));
        ends_.push_back(static_cast<uint32_t>(chars_.size()));
    }
}

std::string TTextColumn::Text() const {
    std::string out;
    out.reserve(chars_.size() + 2 * ends_.size());
    for (int i = 0; i < Count(); ++i) {
        out += View(i);
        out += "\r\n";
    }
    return out;
}
