// The list box's item list: every change goes through the window's messages, so the
// control and its lines never disagree.
#include "BvListBoxParts.h"

#include "SysUtils.h"

using namespace BvListBoxParts;

BV_DECLARE_EXCEPTION(EOutOfResources, Exception);

// ---------------------------------------------------------------- strings

TBvListBoxStrings::TBvListBoxStrings(TBvCustomListBox* box) : box_(box) {
    // A list box holds every line it is given, equal ones included.
    Duplicates = TDuplicates::dupAccept;
}

int TBvListBoxStrings::Add(std::string value) {
    auto result = box_->Perform(LB_ADDSTRING, 0, TextParam(value));
    if (result < 0)
        throw EOutOfResources("Failed to insert line");
    return static_cast<int>(result);
}

void TBvListBoxStrings::InsertObject(int index, std::string value, TObject* object) {
    CheckIndex(index, true);
    auto result = box_->Perform(LB_INSERTSTRING, index, TextParam(value));
    if (result < 0)
        throw EOutOfResources("Failed to insert line");
    if (object)
        PutObject(static_cast<int>(result), object);
}

void TBvListBoxStrings::Delete(int index) {
    CheckIndex(index);
    box_->Perform(LB_DELETESTRING, index, 0);
}

void TBvListBoxStrings::Clear() {
    box_->Perform(LB_RESETCONTENT, 0, 0);
}

int TBvListBoxStrings::RawAdd(std::string value) {
    return TControlStrings::Add(std::move(value));
}

void TBvListBoxStrings::RawInsert(int index, std::string value) {
    TControlStrings::InsertObject(index, std::move(value), nullptr);
}

void TBvListBoxStrings::RawDelete(int index) {
    TControlStrings::Delete(index);
}

void TBvListBoxStrings::RawClear() {
    TControlStrings::Clear();
}

void TBvListBoxStrings::RawAssign(std::vector<std::string> lines) {
    objects_.clear();
    items_ = std::move(lines);
    ItemChanged(TStringsChangeKind::Reset);
    TStrings::Changed();
}

void TBvListBoxStrings::RawDeleteMany(const std::vector<int>& ascending) {
    if (ascending.empty())
        return;
    size_t out = 0, next = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (next < ascending.size() && static_cast<size_t>(ascending[next]) == i) {
            ++next;
            continue;
        }
        if (out != i) {
            items_[out] = std::move(items_[i]);
            if (!objects_.empty())
                objects_[out] = objects_[i];
        }
        ++out;
    }
    items_.resize(out);
    if (!objects_.empty())
        objects_.resize(out);
    ItemChanged(TStringsChangeKind::Reset);
    TStrings::Changed();
}
