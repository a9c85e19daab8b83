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
    UseBoxFont(ListBoxPlayLists->Font());
    ListBoxPlayLists->SetBounds(kBoxPadding, top, kColumnWidth - 2 * kBoxPadding, 190);
    StretchInBox(ListBoxPlayLists);
    // Every name has the playlist picture before it.
    ImageListPlaylists = new TImageList(this, kMenuPicture, kMenuPicture);
    ImageListPlaylists->SetName("ImageListPlaylists");
    FillPictureList(ImageListPlaylists, kMenuPicture, RGB(255, 255, 255));
    for (int i = ImageListPlaylists->Count() - 1; i >= 0; --i)
        if (i != picPlaylist)
            ImageListPlaylists->Delete(i);
    ListBoxPlayLists->SetGlyphs(ImageListPlaylists);
    ListBoxPlayLists->SetOptions(ListBoxPlayLists->Options() | fboSingleGlyph);
    ListBoxPlayLists->SetItemHeight(kMenuPicture + 6);
    // Names in the list's own colours: white rows, the chosen one in the selection colour.
    UseBoxFont(ListBoxPlayLists->ItemStyle()->Font());
    UseBoxFont(ListBoxPlayLists->ItemSelStyle()->Font());
    ListBoxPlayLists->ItemStyle()->SetColor(RGB(255, 255, 255));
    ListBoxPlayLists->ItemSelStyle()->SetColor(RGB(10, 36, 106));
    ListBoxPlayLists->ItemSelStyle()->Font()->SetColor(RGB(255, 255, 255));
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
