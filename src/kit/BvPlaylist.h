// The playlist box: a list box that keeps its own entries (typically file names) apart from
// the lines it shows; line i is always made from entry i by the display rule (drive cut or
// not, extension cut or not, a running number in front or not). An entry may carry the table
// row it stands for, so a command maps a line to its row through the box.
#pragma once

#include "BvListBox.h"

#include <functional>
#include <utility>
#include <vector>

class TBvPlaylist : public TBvListBox {
    BV_CLASS_INFO()
public:
    explicit TBvPlaylist(TComponent* owner);
    ~TBvPlaylist() override;

    // The entry list (the lines are the inherited strings, Lines()). While the entries are
    // virtual, both are copies made when asked, for code that reads a box's strings.
    TStrings* Items() const;
    void SetItems(const TStrings& value);
    TStrings* Lines() const { return TBvListBox::Items(); }

    bool ShowNumbers() const { return showNumbers_; }
    void SetShowNumbers(bool value);
    bool ShowExtension() const { return showExtension_; }
    void SetShowExtension(bool value);
    bool ShowDrive() const { return showDrive_; }
    void SetShowDrive(bool value);
    bool Refreshing() const { return refreshing_; }

    // The display rule for one entry at its position.
    std::string FormatLine(const std::string& entry, int index) const;
    void RebuildLines();

    // Adds an entry with the row it shows.
    void AddEntry(const std::string& text, int row);
    // The row the entry of a line shows; -1 when the entry carries none or the line is past
    // the end.
    int RowOfLine(int line) const;
    // Replaces every entry by one per line with its row, in one rebuild.
    void SetEntries(const std::vector<std::pair<std::string, int>>& entries);
    // Virtual entries: the box keeps no entries or lines of its own. Entry i is entry(i) and
    // carries row(i); they are asked for when line i is drawn, measured or read, and the line
    // is made from the entry by the display rule as ever, so a long list opens at the cost of
    // the lines in sight. Nothing is selected or focused afterwards. The entries stay virtual
    // until entries are set or added again; EntriesChanged says that the texts behind them
    // changed while their number stayed.
    void SetVirtualEntries(int count, std::function<std::string(int)> entry,
                           std::function<int(int)> row);
    void EntriesChanged();
    bool VirtualEntries() const { return static_cast<bool>(entry_); }

    void AddItem(const std::string& text, TObject* object);
    // Empties the entries as well as the lines, so nothing stale comes back at the next
    // rebuild.
    void Clear();
    void DeleteSelected() override;
    void MoveSelectedUp() override;
    void MoveSelectedDown() override;

protected:
    void Changed() override;
    void MoveLine(int from, int to) override;
    TStrings* VirtualItems() const override;
    // Keeps the entries in step with the lines the box itself loses.
    void FollowLines(const TStringsChange& change);
    void BindEntries();
    void UnbindEntries();
    // Returns to stored entries (empty) when the entries are virtual.
    void EndVirtualEntries();
    // Fills the copies Items and Lines give while the entries are virtual.
    void CopyVirtualEntries() const;

private:
    std::unique_ptr<TStringList> entries_;
    bool showNumbers_ = false;
    bool showExtension_ = false;
    bool showDrive_ = true;
    bool refreshing_ = false;
    // The row each entry carries, -1 for none; follows every change of the entries.
    std::vector<int> rows_;
    // The row the entry being added carries.
    int pendingRow_ = -1;
    // The virtual entries and their rows; empty while the entries are stored.
    std::function<std::string(int)> entry_;
    std::function<int(int)> entryRow_;
    // The copy of the virtual lines that Lines gives, and whether both copies are current.
    std::unique_ptr<TStringList> virtualLines_;
    mutable bool copied_ = false;
};
