// The "Deleted" box: the list of tracks removed from the card.
#include "Main.h"
#include "MainLayout.h"

void TForm1::CreateDeletedBox() {
    const int top = kGroupCaptionRoom;
    BvGroupDeleted = MakeGroupBox("BvGroupDeleted", "Deleted", top + 200);
    DeletedList = new TBvPlaylist(this);
    DeletedList->SetName("DeletedList");
    DeletedList->SetParent(BvGroupDeleted);
    UseWindowFont(DeletedList->Font());
    DeletedList->SetBounds(kBoxPadding, top, kColumnWidth - 2 * kBoxPadding, 190);
    DeletedList->SetAnchors(akLeft | akTop | akRight | akBottom);
    DeletedList->SetMultiSelect(true);
    DeletedList->SetShowNumbers(true);
}

void TForm1::SyncDeletedList() {
    const TListView& view = Manager->DeletedList;
    std::vector<std::pair<std::string, int>> entries;
    entries.reserve(view.Lines.size());
    for (const TViewLine& line : view.Lines)
        entries.emplace_back(line.Text, line.Row);
    DeletedList->SetEntries(entries);
    for (int line : view.Selected)
        DeletedList->SetSelected(line, true);
}
