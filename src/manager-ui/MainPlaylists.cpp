// The "Playlists" box: the playlist box and its showing of the manager's playlists.
#include "Main.h"
#include "MainLayout.h"
#include "MainPictures.h"

void TForm1::CreatePlaylistsBox() {
    const int top = kGroupCaptionRoom;
    bvGroupPlaylists = MakeGroupBox("bvGroupPlaylists", "Playlists", top + 200);
    ListBoxPlayLists = new TBvgListBox(this);
    ListBoxPlayLists->SetName("ListBoxPlayLists");
    ListBoxPlayLists->SetParent(bvGroupPlaylists);
    UseWindowFont(ListBoxPlayLists->Font());
    ListBoxPlayLists->SetBounds(kBoxPadding, top, kColumnWidth - 2 * kBoxPadding, 190);
    StretchInBox(ListBoxPlayLists);
}

void TForm1::SyncPlaylistBox() {
    const TPlaylistBox& box = Manager->ListBoxPlayLists;
    TStrings* items = ListBoxPlayLists->Items();
    items->BeginUpdate();
    items->Clear();
    for (int i = 0; i < box.Items.Count(); ++i)
        items->Add(box.Items[i]);
    items->EndUpdate();
    ListBoxPlayLists->SetItemIndex(box.ItemIndex);
}
