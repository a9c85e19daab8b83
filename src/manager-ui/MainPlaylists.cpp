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
    UseWindowFont(ListBoxPlayLists->ItemStyle()->Font());
    UseWindowFont(ListBoxPlayLists->ItemSelStyle()->Font());
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

// ---- The track view's menu: copying lines to a playlist -----------------------------------

void TForm1::TrackListMenuPopup(TControlEventArgs&) {
    Manager->TrackListMenuPopup();
    // The submenu lists the playlists after the first, each item a copy of the hidden
    // template, so a click on any of them runs the template's row.
    while (CopyToPlaylist1->Count() > 1)
        CopyToPlaylist1->Delete(CopyToPlaylist1->Count() - 1);
    for (const std::string& caption : Manager->CopyToPlaylistItems) {
        auto* item = new TMenuItem(this);
        item->SetCaption(caption);
        item->OnClick = CopyToPlayListPopup1->OnClick;
        CopyToPlaylist1->Add(item);
    }
    CopyToPlaylist1->SetEnabled(!Manager->CopyToPlaylistItems.empty());
}

void TForm1::CopyToPlayListPopup1Click(TControlEventArgs& args) {
    // The items after the template, in the order of the manager's list.
    const int index = CopyToPlaylist1->IndexOf(dynamic_cast<TMenuItem*>(args.Sender)) - 1;
    if (index >= 0)
        Manager->CopyToPlayListPopup1Click(index);
}

// ---- Drags that end on the playlist box or the track view ---------------------------------

TDragSource TForm1::DragSourceOf(TObject* source) const {
    TObject* control = source;
    if (auto* drag = dynamic_cast<TDragControlObject*>(source))
        control = drag->Control;
    if (control == BvPlaylist)
        return TDragSource::TrackView;
    if (control == ListBoxPlayLists)
        return TDragSource::PlaylistBox;
    if (control == MediaDBList)
        return TDragSource::MediaDBList;
    if (control == DeletedList)
        return TDragSource::DeletedList;
    return control ? TDragSource::Other : TDragSource::None;
}

void TForm1::ListBoxPlayListsDragOver(TControlEventArgs& args) {
    const int item = ListBoxPlayLists->ItemAtPos(Point(args.X, args.Y), true);
    args.Accept = Manager->ListBoxPlayListsDragOver(DragSourceOf(args.Source), item);
}

void TForm1::ListBoxPlayListsDragDrop(TControlEventArgs& args) {
    const int item = ListBoxPlayLists->ItemAtPos(Point(args.X, args.Y), true);
    Manager->ListBoxPlayListsDragDrop(DragSourceOf(args.Source), item);
}

void TForm1::BvPlaylistADragOver(TControlEventArgs& args) {
    args.Accept = Manager->BvPlaylistADragOver(DragSourceOf(args.Source));
}

void TForm1::BvPlaylistGLDragDrop(TControlEventArgs& args) {
    const int line = BvPlaylist->ItemAtPos(Point(args.X, args.Y), true);
    Manager->BvPlaylistGLDragDrop(DragSourceOf(args.Source), line);
}
