#include "BvPlaylist.h"

#include "Dispatcher.h"
#include "ScopeExit.h"

#include <algorithm>

const TClassInfo& TBvPlaylist::StaticClassInfo() {
    static const TClassInfo info("TBvPlaylist", &TBvListBox::StaticClassInfo(), {}, "BvPlaylist");
    return info;
}

TBvPlaylist::TBvPlaylist(TComponent* owner)
    : TBvListBox(owner), entries_(std::make_unique<TStringList>()),
      virtualLines_(std::make_unique<TStringList>()) {
    BindEntries();
    // The rows travel with their entries, whatever moves them.
    entries_->OnItemChange = [this](TStrings& list, const TStringsChange& c) {
        switch (c.Kind) {
        case TStringsChangeKind::Inserted:
            rows_.insert(rows_.begin() + c.Index, pendingRow_);
            break;
        case TStringsChangeKind::Deleted:
            rows_.erase(rows_.begin() + c.Index);
            break;
        case TStringsChangeKind::Exchanged:
            std::swap(rows_[static_cast<size_t>(c.Index)], rows_[static_cast<size_t>(c.Other)]);
            break;
        case TStringsChangeKind::Moved: {
            int row = rows_[static_cast<size_t>(c.Index)];
            rows_.erase(rows_.begin() + c.Index);
            rows_.insert(rows_.begin() + c.Other, row);
            break;
        }
        case TStringsChangeKind::Replaced:
            break;
        case TStringsChangeKind::Reset:
            rows_.assign(static_cast<size_t>(list.Count()), -1);
            break;
        }
    };
    // The lines the box loses by itself take their entries with them.
    auto follow = items_->OnItemChange;
    items_->OnItemChange = [this, follow](TStrings& lines, const TStringsChange& c) {
        follow(lines, c);
        FollowLines(c);
    };
}

TBvPlaylist::~TBvPlaylist() {
    Destroying();
    entries_->OnChange = nullptr;
    entries_->OnItemChange = nullptr;
}

void TBvPlaylist::BindEntries() {
    entries_->OnChange = [this](TStrings&) {
        // Entries written into the copy Items gave of virtual entries become the entries.
        if (entry_) {
            entry_ = nullptr;
            entryRow_ = nullptr;
            copied_ = false;
            virtualLines_->Clear();
            SetVirtualCount(-1);
        }
        RebuildLines();
    };
}

TStrings* TBvPlaylist::Items() const {
    CopyVirtualEntries();
    return entries_.get();
}

TStrings* TBvPlaylist::VirtualItems() const {
    if (!entry_)
        return TBvListBox::VirtualItems();
    CopyVirtualEntries();
    return virtualLines_.get();
}

void TBvPlaylist::SetVirtualEntries(int count, std::function<std::string(int)> entry,
                                    std::function<int(int)> row) {
    BV_ASSERT_GUI_THREAD();
    // Neither stored entries nor an older copy stay behind.
    UnbindEntries();
    entries_->Clear();
    BindEntries();
    entry_ = std::move(entry);
    entryRow_ = std::move(row);
    copied_ = false;
    virtualLines_->Clear();
    OnData = [this](TCustomListBox*, int index, std::string& text) {
        text = FormatLine(entry_(index), index);
    };
    SetVirtualCount(std::max(count, 0));
}

void TBvPlaylist::EntriesChanged() {
    BV_ASSERT_GUI_THREAD();
    if (!entry_)
        return;
    copied_ = false;
    RemeasureAll();
    Invalidate();
}

void TBvPlaylist::EndVirtualEntries() {
    if (!entry_)
        return;
    entry_ = nullptr;
    entryRow_ = nullptr;
    copied_ = false;
    virtualLines_->Clear();
    UnbindEntries();
    entries_->Clear();
    BindEntries();
    SetVirtualCount(-1);
}

void TBvPlaylist::CopyVirtualEntries() const {
    if (!entry_ || copied_)
        return;
    auto* self = const_cast<TBvPlaylist*>(this);
    const int n = Count();
    TStringList entries;
    TStringList lines;
    entries.Reserve(n);
    lines.Reserve(n);
    for (int i = 0; i < n; ++i) {
        std::string entry = entry_(i);
        lines.Add(FormatLine(entry, i));
        entries.Add(std::move(entry));
    }
    self->UnbindEntries();
    entries_->Assign(entries);
    self->BindEntries();
    for (int i = 0; i < n && i < static_cast<int>(rows_.size()); ++i)
        self->rows_[static_cast<size_t>(i)] = entryRow_(i);
    virtualLines_->Assign(lines);
    copied_ = true;
}

void TBvPlaylist::UnbindEntries() {
    entries_->OnChange = nullptr;
}

void TBvPlaylist::SetItems(const TStrings& value) {
    BV_ASSERT_GUI_THREAD();
    EndVirtualEntries();
    UnbindEntries();
    entries_->Assign(value);
    BindEntries();
    RebuildLines();
}

void TBvPlaylist::SetShowNumbers(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (showNumbers_ == value)
        return;
    showNumbers_ = value;
    RebuildLines();
}

void TBvPlaylist::SetShowExtension(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (showExtension_ == value)
        return;
    showExtension_ = value;
    RebuildLines();
}

void TBvPlaylist::SetShowDrive(bool value) {
    BV_ASSERT_GUI_THREAD();
    if (showDrive_ == value)
        return;
    showDrive_ = value;
    RebuildLines();
}

std::string TBvPlaylist::FormatLine(const std::string& entry, int index) const {
    std::string line = entry;
    if (!showDrive_) {
        size_t colon = line.find(':');
        if (colon != std::string::npos)
            line.erase(0, colon + 1);
    }
    if (!showExtension_) {
        size_t last = line.find_last_of(".\\:");
        if (last != std::string::npos && line[last] == '.')
            line.erase(last);
    }
    if (showNumbers_)
        line = std::to_string(index + 1) + ". " + line;
    return line;
}

void TBvPlaylist::RebuildLines() {
    BV_ASSERT_GUI_THREAD();
    if (entry_) {
        // Virtual lines are made when drawn: the rule that changed shows at the next paint.
        EntriesChanged();
        return;
    }
    TStrings* lines = Lines();
    refreshing_ = true;
    TScopeExit done([lines, &flag = refreshing_] {
        lines->EndUpdate();
        flag = false;
    });
    lines->BeginUpdate();
    const int n = entries_->Count();
    if (n == lines->Count()) {
        // In place: a line whose text stays is left alone, so one changed entry costs one
        // line on screen.
        for (int i = 0; i < n; ++i) {
            std::string line = FormatLine((*entries_)[i], i);
            if ((*lines)[i] != line)
                lines->Put(i, std::move(line));
        }
    } else {
        std::vector<std::string> all;
        all.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            all.push_back(FormatLine((*entries_)[i], i));
        SetLines(std::move(all));
    }
}

void TBvPlaylist::FollowLines(const TStringsChange& change) {
    if (refreshing_ || entry_)
        return;
    if (change.Kind == TStringsChangeKind::Deleted) {
        // The line's own entry goes with it; the numbers after it stay until the next rebuild.
        if (change.Index >= 0 && change.Index < entries_->Count()) {
            UnbindEntries();
            entries_->Delete(change.Index);
            BindEntries();
        }
    } else if (change.Kind == TStringsChangeKind::Reset && Lines()->Count() == 0) {
        UnbindEntries();
        entries_->Clear();
        BindEntries();
    }
}

void TBvPlaylist::AddEntry(const std::string& text, int row) {
    BV_ASSERT_GUI_THREAD();
    EndVirtualEntries();
    pendingRow_ = row;
    TScopeExit done([&row = pendingRow_] { row = -1; });
    entries_->Add(text);
}

void TBvPlaylist::SetEntries(const std::vector<std::pair<std::string, int>>& entries) {
    BV_ASSERT_GUI_THREAD();
    EndVirtualEntries();
    entries_->BeginUpdate();
    TScopeExit done([list = entries_.get(), &row = pendingRow_] {
        row = -1;
        list->EndUpdate();
    });
    entries_->Clear();
    for (const auto& [text, row] : entries) {
        pendingRow_ = row;
        entries_->Add(text);
    }
}

int TBvPlaylist::RowOfLine(int line) const {
    if (entry_)
        return line >= 0 && line < Count() && entryRow_ ? entryRow_(line) : -1;
    if (line < 0 || line >= Lines()->Count() || line >= static_cast<int>(rows_.size()))
        return -1;
    return rows_[static_cast<size_t>(line)];
}

void TBvPlaylist::AddItem(const std::string& text, TObject* object) {
    BV_ASSERT_GUI_THREAD();
    EndVirtualEntries();
    entries_->AddObject(text, object);
}

void TBvPlaylist::Clear() {
    BV_ASSERT_GUI_THREAD();
    EndVirtualEntries();
    entries_->Clear();
    // An empty entry list changes nothing, but lines may still be shown.
    if (Lines()->Count() > 0)
        RebuildLines();
}

void TBvPlaylist::Changed() {
    TBvListBox::Changed();
    RebuildLines();
}

void TBvPlaylist::DeleteSelected() {
    BV_ASSERT_GUI_THREAD();
    // Virtual lines belong to their source, which removes them itself.
    if (entry_)
        return;
    if (providerActive_ || !multiSelect_) {
        TBvListBox::DeleteSelected();
        return;
    }
    std::vector<int> selected = SelectedIndexes();
    // The entries go in the same single pass as their lines.
    std::vector<int> entryIndexes;
    for (int i : selected)
        if (i < entries_->Count())
            entryIndexes.push_back(i);
    UnbindEntries();
    {
        TStringList kept;
        size_t next = 0;
        std::vector<int> keptRows;
        for (int i = 0; i < entries_->Count(); ++i) {
            if (next < entryIndexes.size() && entryIndexes[next] == i) {
                ++next;
                continue;
            }
            kept.AddObject((*entries_)[i], entries_->GetObject(i));
            keptRows.push_back(rows_[static_cast<size_t>(i)]);
        }
        entries_->Assign(kept);
        rows_ = std::move(keptRows);
    }
    BindEntries();
    refreshing_ = true;
    {
        TScopeExit done([this] { refreshing_ = false; });
        if (!selected.empty()) {
            if (OnDeleteString)
                for (auto it = selected.rbegin(); it != selected.rend(); ++it)
                    OnDeleteString(this, (*Lines())[*it]);
            DeleteLines(selected);
        }
    }
    Changed();
}

void TBvPlaylist::MoveLine(int from, int to) {
    if (entry_)
        return;
    // The entry moves, and the lines are made again from the entries.
    const int last = entries_->Count() - 1;
    if (from < 0 || from > last)
        return;
    if (to < 0 || to > last)
        to = last;
    UnbindEntries();
    entries_->Move(from, to);
    BindEntries();
    RebuildLines();
    SetItemIndex(to);
}

void TBvPlaylist::MoveSelectedDown() {
    BV_ASSERT_GUI_THREAD();
    if (providerActive_ || entry_)
        return;
    const int n = entries_->Count();
    if (multiSelect_) {
        std::vector<int> selected = SelectedIndexes();
        if (n == 0 || selected.empty() || selected.back() >= std::min(n, Count()) - 1)
            return;
        const int current = ItemIndex();
        UnbindEntries();
        refreshing_ = true;
        // The selection follows the moved lines in one step, not one merge per line.
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            entries_->Exchange(*it, *it + 1);
            ++*it;
        }
        SetSelection(selected, current);
        BindEntries();
        refreshing_ = false;
        RebuildLines();
    } else {
        int index = ItemIndex();
        if (index >= 0 && index < n - 1) {
            entries_->Exchange(index, index + 1);
            SetItemIndex(index + 1);
        }
    }
}

void TBvPlaylist::MoveSelectedUp() {
    BV_ASSERT_GUI_THREAD();
    if (providerActive_ || entry_)
        return;
    const int n = entries_->Count();
    if (multiSelect_) {
        std::vector<int> selected = SelectedIndexes();
        if (n == 0 || selected.empty() || selected.front() == 0)
            return;
        const int current = ItemIndex();
        UnbindEntries();
        refreshing_ = true;
        // Lines past the last entry have nothing to move and stay as they are.
        for (int& i : selected) {
            if (i >= n)
                break;
            entries_->Exchange(i, i - 1);
            --i;
        }
        std::sort(selected.begin(), selected.end());
        SetSelection(selected, current);
        BindEntries();
        refreshing_ = false;
        RebuildLines();
    } else {
        int index = ItemIndex();
        if (index > 0 && index < n) {
            entries_->Exchange(index, index - 1);
            SetItemIndex(index - 1);
        }
    }
}
