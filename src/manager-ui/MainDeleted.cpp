// The "Deleted" box: the list of tracks removed from the card.
#include "Main.h"
#include "MainLayout.h"

void TForm1::CreateDeletedBox() {
    const int top = kGroupCaptionRoom;
    // The one box that may close, leaving every box of the column closed.
    BvGroupDeleted = MakeGroupBox("BvGroupDeleted", "Deleted", top + 200, false);
    DeletedList = new TBvPlaylist(this);
    DeletedList->SetName("DeletedList");
    DeletedList->SetParent(BvGroupDeleted);
    UseWindowFont(DeletedList->Font());
    DeletedList->SetBounds(kBoxPadding, top, kColumnWidth - 2 * kBoxPadding, 190);
    StretchInBox(DeletedList);
    DeletedList->SetMultiSelect(true);
    DeletedList->SetShowNumbers(true);
    DeletedList->SetShowExtension(true);
    DeletedList->SetMultiLine(true);
}

void TForm1::SyncDeletedList() {
    ShowListView(DeletedList, Manager->DeletedList, ShownDeletedLines);
}
