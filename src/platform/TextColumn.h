// A column of texts kept in one block of characters with the end of each entry beside it,
// for lists of many thousands of short texts (the media library) where a string per entry
// would cost more than the text itself.
#pragma once

#include "SysUtils.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TTextColumn {
public:
    int Count() const { return static_cast<int>(ends_.size()); }
    bool Empty() const { return ends_.empty(); }
    // The entry's text, valid until the column next changes; EListError "List index out of
    // bounds (%d)" outside 0..Count-1.
    std::string_view View(int index) const;
    // The same as a string of its own.
    std::string Get(int index) const { return std::string(View(index)); }
    std::string operator[](int index) const { return Get(index); }
    // Every entry as a string of its own: a copy.
    std::vector<std::string> Items() const;
    // The characters of all entries together, one after another.
    std::string_view Chars() const { return chars_; }
    // Where the entry starts in Chars(); Start(Count()) is where the last one ends.
    size_t Start(int index) const { return Begin(static_cast<size_t>(index)); }
    // The entry whose characters hold the one at `offset` (below Chars().size()).
    int IndexAt(size_t offset) const;

    // Room for this many entries of this many characters in all, so that adding them
    // moves nothing.
    void Reserve(int count, size_t bytes);
    // The memory the column holds, spare room included.
    size_t HeldBytes() const { return chars_.capacity() + ends_.capacity() * sizeof(uint32_t); }
    // Gives back the room no entry uses when it is more than a quarter of the room used: a
    // smaller room is not worth a copy of the whole block.
    void ShrinkToFit();
    // Appends the entry; returns its index. A column holds at most 4 GB of text.
    int Add(std::string_view value);
    void Delete(int index);
    // Removes every entry whose flag is set, keeping the others in order.
    void Remove(const std::vector<bool>& remove);
    // Reorders the entries: entry i becomes the one that was at order[i]. `order` holds
    // every index once.
    void Permute(const std::vector<int>& order);
    // Empties the column and gives back its memory.
    void Clear();

    // Replaces the entries with the lines of text exactly as TStrings::SetText splits them
    // (CR, LF or CR LF; a final line break adds no empty entry), sized to fit exactly.
    // EListError when the text is more than a column can hold; the column is then empty.
    void SetText(std::string_view text);
    // Every entry followed by CR LF, as TStrings::Text.
    std::string Text() const;

    bool operator==(const TTextColumn& other) const {
        return ends_ == other.ends_ && chars_ == other.chars_;
    }

private:
    size_t Begin(size_t index) const { return index == 0 ? 0 : ends_[index - 1]; }
    void CheckSize(size_t bytes, size_t count) const;

    std::string chars_;
    std::vector<uint32_t> ends_;
};
