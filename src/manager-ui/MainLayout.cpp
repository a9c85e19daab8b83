// Creating and placing the main window's controls: the menu bar, the speed bar, the column of
// group boxes in its scroll box, the splitter, the track view and the hint panel, and the
// non-visual components. Each box's own controls are made in the box's source file.
#include "Main.h"

#include "MainLayout.h"
#include "MainPictures.h"

namespace {

// The group boxes of the column, from the top. All are in one group, so opening one closes the
// others; every box but "Deleted" keeps one box of the group open.
constexpr int kColumnGroup = 1;

} // namespace

TMenuItem* TForm1::AddItem(TMenuItem* parent, const std::string& name, const std::string& caption,
                           TShortCut shortCut, int image) {
    auto* item = new TMenuItem(this);
    if (!name.empty())
        item->SetName(name);
    item->SetCaption(caption);
    item->ShortCut = shortCut;
    item->ImageIndex = image;
    parent->Add(item);
    return item;
}

TBvgGroupBox* TForm1::MakeGroupBox(const std::string& name, const std::string& caption,
                                   int fullHeight) {
    auto* box = new TBvgGroupBox(this);
    box->SetName(name);
    box->SetParent(ScrollBox1);
    box->SetCaption(caption);
    // Each new box goes below the ones before it, so the column stacks them in this order.
    box->SetBounds(0, 10000 + ScrollBox1->ControlCount() * 1000, kColumnWidth, fullHeight);
    box->SetAlign(TAlign::alTop);
    UseGroupBoxLook(box);
    TglGroupBoxOptions options = box->Options() | fgoCollapseOther;
    if (caption != "Deleted")
        options |= fgoOneAlwaysExpanded;
    box->SetOptions(options);
    box->OnResize = [this](TObject*) { FitColumn(); };
    return box;
}

TBvImgBtn* TForm1::MakeImageButton(TWinControl* parent, const std::string& name,
                                   const std::string& caption, int image, int top) {
    auto* b = new TBvImgBtn(this);
    b->SetName(name);
    b->SetParent(parent);
    UseWindowFont(b->Font());
    b->SetBounds(kBoxPadding, top, kColumnWidth - 2 * kBoxPadding - kScrollBarRoom,
                 kImageButtonHeight);
    StretchInBox(b);
    b->SetFlat(true);
    b->SetAlignment(TAlignment::taLeftJustify);
    b->SetImages(ImageListButtons);
    b->SetImageIndex(image);
    b->SetCaption(caption);
    return b;
}

void TForm1::StretchInBox(TControl* control, int rightMargin) {
    FitInBox(control, rightMargin, false);
}

void TForm1::PinRightInBox(TControl* control, int rightMargin) {
    FitInBox(control, rightMargin, true);
}

void TForm1::FitInBox(TControl* control, int rightMargin, bool pinRight) {
    // A control is stretched or pinned, never both: the last word holds.
    for (TColumnFit& f : columnFits_)
        if (f.Control == control) {
            f = {control, rightMargin, pinRight};
            return;
        }
    columnFits_.push_back({control, rightMargin, pinRight});
}

void TForm1::FitColumn() {
    for (const TColumnFit& f : columnFits_) {
        TWinControl* box = f.Control->Parent();
        if (!box)
            continue;
        const int right = box->Width() - f.RightMargin;
        if (f.PinRight)
            f.Control->SetLeft(right - f.Control->Width());
        else
            f.Control->SetWidth(std::max(20, right - f.Control->Left()));
    }
}

void TForm1::CreateComponents() {
    SetName("Form1");
    SetCaption("Brisvane");
    SetPosition(TPosition::poScreenCenter);
    SetColor(clBtnFace);
    UseWindowFont(Font());
    SetBounds(0, 0, kWindowWidth, kWindowHeight);
    KeyPreview = true;

    ImageListMenu = new TImageList(this, kMenuPicture, kMenuPicture);
    ImageListMenu->SetName("ImageListMenu");
    ImageListBar = new TImageList(this, kBarPicture, kBarPicture);
    ImageListBar->SetName("ImageListBar");
    ImageListButtons = new TImageList(this, kMenuPicture, kMenuPicture);
    ImageListButtons->SetName("ImageListButtons");
    LoadPictures();

    BvTranslator1 = new TBvTranslator(this);
    BvTranslator1->SetName("BvTranslator1");
    Variables = new TBvTranslatorStrings(this);
    Variables->SetName("Variables");
    BvOpenDialog1 = new TBvOpenDialog(this);
    BvOpenDialog1->SetName("BvOpenDialog1");
    BvOpenDialog1->Options = ofHideReadOnly | ofAllowMultiSelect | ofFileMustExist;
    BvOpenDialog2 = new TBvOpenDialog(this);
    BvOpenDialog2->SetName("BvOpenDialog2");
    BvOpenDialog2->Filter = "Brisvane playlist (*.brisl)|*.brisl";
    BvSaveDialog1 = new TBvSaveDialog(this);
    BvSaveDialog1->SetName("BvSaveDialog1");
    BvSaveDialog1->Filter = "Brisvane playlist (*.brisl)|*.brisl";
    BvSaveDialog1->DefaultExt = "brisl";
    BvSelectDirectory1 = new TBvSelectDirectory(this);
    BvSelectDirectory1->SetName("BvSelectDirectory1");
    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(200);

    CreateMenus();
    CreateSpeedBar();
    CreateColumn();
    BvSplitter1 = new TBvSplitter(this);
    BvSplitter1->SetName("BvSplitter1");
    BvSplitter1->SetParent(this);
    BvSplitter1->SetBounds(kColumnWidth + 1, 0, kSplitterWidth, 100);
    BvSplitter1->SetAlign(TAlign::alLeft);
    CreateTrackView();
    CreateHintPanel();
    CreatePopupMenus();

    BvDragDrop1 = new TBvDragDrop(this);
    BvDragDrop1->SetName("BvDragDrop1");
    BvDragDrop1->SetDropTarget(this);
    BvDragDrop1->SetAcceptDrag(true);
}

void TForm1::CreateMenus() {
    BvMainMenu1 = new TBvMainMenu(this);
    BvMainMenu1->SetName("BvMainMenu1");
    BvMainMenu1->SetStyle(TBvMenuStyle::msXP);
    BvMainMenu1->SetImages(ImageListMenu);
    TMenuItem* root = BvMainMenu1->Items();

    File1 = AddItem(root, "File1", "&File");
    Opentracklist1 = AddItem(File1, "Opentracklist1", "Open tracklist...", 0, picOpen);
    Savetracklist1 = AddItem(File1, "Savetracklist1", "Save tracklist...", 0, picSave);
    N1 = AddItem(File1, "N1", "-");
    for (TMenuItem* hidden : {Opentracklist1, Savetracklist1, N1})
        hidden->SetVisible(false);
    Options1 = AddItem(File1, "Options1", "Options", 0, picOptions);
    AddItem(File1, "N2", "-");
    Exit1 = AddItem(File1, "Exit1", "Exit", 0, picExit);

    Mobilephone1 = AddItem(root, "Mobilephone1", "Mobile phone");
    Scanmobile1 = AddItem(Mobilephone1, "Scanmobile1", "Scan mobile", 0, picScan);
    AddItem(Mobilephone1, "N3", "-");
    Updatemobile1 = AddItem(Mobilephone1, "Updatemobile1", "Update mobile", 0, picUpdate);
    AddItem(Mobilephone1, "N4", "-");
    Scanmobileforfiles2 =
        AddItem(Mobilephone1, "Scanmobileforfiles2", "Scan mobile for files", 0, picFind);
    ReadiTunesDB1 = AddItem(Mobilephone1, "ReadiTunesDB1", "Read iTunesDB", 0, picReadDB);
    AddItem(Mobilephone1, "N5", "-");
    DeletephoneDB1 = AddItem(Mobilephone1, "DeletephoneDB1", "Delete phone DB", 0, picDelete);

    Tracklist1 = AddItem(root, "Tracklist1", "&Tracklist");
    Addfiles2 = AddItem(Tracklist1, "Addfiles2", "Add file(s)...", 0, picAddFiles);
    Adddirectory2 = AddItem(Tracklist1, "Adddirectory2", "Add directory...", 0, picAddFolder);
    Checkforbadfiles1 =
        AddItem(Tracklist1, "Checkforbadfiles1", "Check for dead files", 0, picDeadFiles);
    Removeselected1 = AddItem(Tracklist1, "Removeselected1", "Remove selected", 0, picRemove);
    AddItem(Tracklist1, "N6", "-");
    Selectall1 =
        AddItem(Tracklist1, "Selectall1", "Select all", ShortCut('A', ssCtrl), picSelectAll);
    Inverseselection1 = AddItem(Tracklist1, "Inverseselection1", "Invert selection");
    Selectnone1 = AddItem(Tracklist1, "Selectnone1", "Select none");
    AddItem(Tracklist1, "N7", "-");
    Playlist1 = AddItem(Tracklist1, "Playlist1", "Playlist", 0, picPlaylist);
    Newplaylist1 = AddItem(Playlist1, "Newplaylist1", "New playlist...", 0, picNew);
    Renameplaylist1 = AddItem(Playlist1, "Renameplaylist1", "Rename playlist...", 0, picRename);
    Deleteplaylist1 = AddItem(Playlist1, "Deleteplaylist1", "Delete playlist", 0, picDelete);
    Clearplaylists2 = AddItem(Playlist1, "Clearplaylists2", "Clear playlists", 0, picClear);
    AddItem(Tracklist1, "N8", "-");
    Sort1 = AddItem(Tracklist1, "Sort1", "Sort");
    for (size_t i = 0; i < kSortCaptions.size(); ++i)
        TracklistSortItems[i] = AddItem(Sort1, "", std::string(kSortCaptions[i]));
    AddItem(Sort1, "N9", "-");
    Sortall1 = AddItem(Sort1, "Sortall1", "Sort all playlists");

    MediaDatabase1 = AddItem(root, "MediaDatabase1", "Media Database");
    Addfiles1 = AddItem(MediaDatabase1, "Addfiles1", "Add file(s)...", 0, picAddFiles);
    Adddirectory1 = AddItem(MediaDatabase1, "Adddirectory1", "Add directory...", 0, picAddFolder);
    Deletealldeadlinks1 =
        AddItem(MediaDatabase1, "Deletealldeadlinks1", "Delete all dead links", 0, picDeadFiles);
    Clear1 = AddItem(MediaDatabase1, "Clear1", "Clear", 0, picClear);
    Sort2 = AddItem(MediaDatabase1, "Sort2", "Sort");
    for (size_t i = 0; i < kSortCaptions.size(); ++i)
        MediaDBSortItems[i] = AddItem(Sort2, "", std::string(kSortCaptions[i]));

    Tools1 = AddItem(root, "Tools1", "Tools");
    Tools1->SetVisible(false);
    ParseiTunesDB1 = AddItem(Tools1, "ParseiTunesDB1", "Parse iTunesDB");

    Help1 = AddItem(root, "Help1", "Help");
    About1 = AddItem(Help1, "About1", "About...", 0, picAbout);

    SetMenu(BvMainMenu1);
}

void TForm1::CreatePopupMenus() {
    auto makeMenu = [this](const std::string& name) {
        auto* menu = new TBvPopupMenu(this);
        menu->SetName(name);
        menu->SetStyle(TBvMenuStyle::msXP);
        menu->SetImages(ImageListMenu);
        return menu;
    };

    TrackListMenu = makeMenu("TrackListMenu");
    TMenuItem* t = TrackListMenu->Items();
    Addfiles3 = AddItem(t, "Addfiles3", "Add file(s)...", 0, picAddFiles);
    Removefiles2 = AddItem(t, "Removefiles2", "Remove file(s)", 0, picRemove);
    Clear2 = AddItem(t, "Clear2", "Clear", 0, picClear);
    AddItem(t, "N10", "-");
    MoveUp2 = AddItem(t, "MoveUp2", "Move &Up", ShortCut(VK_UP, ssCtrl), picUp);
    MoveDown2 = AddItem(t, "MoveDown2", "Move &Down", ShortCut(VK_DOWN, ssCtrl), picDown);
    AddItem(t, "N11", "-");
    CopyToPlaylist1 = AddItem(t, "CopyToPlaylist1", "Copy to playlist", 0, picCopy);
    CopyToPlayListPopup1 = AddItem(CopyToPlaylist1, "CopyToPlayListPopup1", "Playlist");
    CopyToPlayListPopup1->SetVisible(false);
    AddItem(t, "N12", "-");
    Sort3 = AddItem(t, "Sort3", "Sort");
    for (size_t i = 0; i < kSortCaptions.size(); ++i)
        TrackListMenuSortItems[i] = AddItem(Sort3, "", std::string(kSortCaptions[i]));
    BvPlaylist->SetPopupMenu(TrackListMenu);

    PopupMenuPlaylist = makeMenu("PopupMenuPlaylist");
    TMenuItem* p = PopupMenuPlaylist->Items();
    Newplaylist2 = AddItem(p, "Newplaylist2", "New playlist...", 0, picNew);
    Renameplaylist2 = AddItem(p, "Renameplaylist2", "Rename playlist...", 0, picRename);
    Deleteplaylist2 = AddItem(p, "Deleteplaylist2", "Delete playlist", 0, picDelete);
    ListBoxPlayLists->SetPopupMenu(PopupMenuPlaylist);

    PopupMediaDB = makeMenu("PopupMediaDB");
    TMenuItem* m = PopupMediaDB->Items();
    Copytotracklist1 = AddItem(m, "Copytotracklist1", "Copy to tracklist", 0, picCopy);
    Addfiles4 = AddItem(m, "Addfiles4", "Add file(s)...", 0, picAddFiles);
    Adddirectory4 = AddItem(m, "Adddirectory4", "Add directory...", 0, picAddFolder);
    Deletealldeadlinks2 =
        AddItem(m, "Deletealldeadlinks2", "Delete all dead links", 0, picDeadFiles);
    Clear3 = AddItem(m, "Clear3", "Clear", 0, picClear);
    Sort4 = AddItem(m, "Sort4", "Sort");
    for (size_t i = 0; i < kSortCaptions.size(); ++i)
        PopupMediaDBSortItems[i] = AddItem(Sort4, "", std::string(kSortCaptions[i]));
    MediaDBList->SetPopupMenu(PopupMediaDB);

    PopupDeleted = makeMenu("PopupDeleted");
    TMenuItem* d = PopupDeleted->Items();
    MenuItem1 = AddItem(d, "MenuItem1", "Restore", 0, picRestore);
    Delete1 = AddItem(d, "Delete1", "Delete", 0, picDelete);
    Clear4 = AddItem(d, "Clear4", "Clear", 0, picClear);
    DeletedList->SetPopupMenu(PopupDeleted);
}

void TForm1::CreateSpeedBar() {
    BvSpeedBar1 = new TBvSpeedBar(this);
    BvSpeedBar1->SetName("BvSpeedBar1");
    BvSpeedBar1->SetParent(this);
    BvSpeedBar1->SetAlign(TAlign::alTop);
    UseWindowFont(BvSpeedBar1->Font());
    BvSpeedBar1->SetOptions(sbFlatBtns | sbTransparentBtns);
    BvSpeedBar1->SetBtnWidth(kBarButtonWidth);
    BvSpeedBar1->SetBtnHeight(kBarButtonHeight);
    BvSpeedBar1->SetBtnOffsetHorz(kBarOffset);
    BvSpeedBar1->SetBtnOffsetVert(kBarOffset);
    BvSpeedBar1->SetImages(ImageListBar);
    const int files = BvSpeedBar1->AddSectionByCaption("files");
    const int playlist = BvSpeedBar1->AddSectionByCaption("playlist");
    const int other = BvSpeedBar1->AddSectionByCaption("Untitled (0)");

    int slot = 0;
    auto add = [&](int section, const std::string& name, const std::string& caption,
                   const std::string& hint, int image, bool visible) {
        auto* item = new TBvSpeedItem(this);
        item->SetName(name);
        BvSpeedBar1->AddItem(section, item);
        item->SetCaption(caption);
        item->SetBtnCaption(caption);
        item->SetHint(hint);
        item->SetImageIndex(image);
        item->SetTop(kBarOffset);
        if (visible)
            item->SetLeft(kBarOffset + kBarButtonWidth * slot++);
        item->SetVisible(visible);
        return item;
    };
    spAddFiles =
        add(files, "spAddFiles", "Add file(s)...", "Add files to the tracklist", picAddFiles, true);
    spAddDirectory = add(files, "spAddDirectory", "Add Directory...",
                         "Add a folder of music to the tracklist", picAddFolder, true);
    spRemove = add(files, "spRemove", "Remove", "Remove the selected tracks", picRemove, true);
    spMoveUp = add(files, "spMoveUp", "Move Up", "Move the selected tracks up", picUp, true);
    spMoveDown =
        add(files, "spMoveDown", "Move Down", "Move the selected tracks down", picDown, true);
    spScan = add(other, "spScan", "Scan", "Read the phone's tracks", picScan, true);
    spUpdate = add(other, "spUpdate", "Update", "Copy files to mobile and generate iTunesDB",
                   picUpdate, true);
    BvSpeedItem1 = add(files, "BvSpeedItem1", "About", "", picAbout, false);
    spOptions = add(files, "spOptions", "Options", "", picOptions, false);
    spReadDB = add(files, "spReadDB", "Read iTunesDB", "", picReadDB, false);
    spOpenPlaylist = add(playlist, "spOpenPlaylist", "Open playlist", "", picOpen, false);
    spSavePlaylist = add(playlist, "spSavePlaylist", "Save playlist", "", picSave, false);
    BvSpeedItem2 = add(playlist, "BvSpeedItem2", "Clear playlist", "", picClear, false);

    auto hiddenButton = [this](const std::string& name, const std::string& caption) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(BvSpeedBar1);
        b->SetCaption(caption);
        b->SetBounds(kWindowWidth - 80, 4, 60, 24);
        b->SetVisible(false);
        return b;
    };
    Button2 = hiddenButton("Button2", "save");
    Button3 = hiddenButton("Button3", "load");
    BvSpeedBar1->SetHeight(kBarButtonHeight + 2 * kBarOffset + 2);
}

void TForm1::CreateColumn() {
    ScrollBox1 = new TScrollBox(this);
    ScrollBox1->SetName("ScrollBox1");
    ScrollBox1->SetParent(this);
    ScrollBox1->SetBounds(0, 0, kColumnWidth + 2, 100);
    ScrollBox1->SetAlign(TAlign::alLeft);
    ScrollBox1->BorderStyle = TBorderStyle::bsNone;

    CreateTagsBox();
    CreateActionsBox();
    CreateLogBox();
    CreatePlaylistsBox();
    CreateMediaDBBox();
    CreateStatisticsBox();
    CreateDeletedBox();
    FitColumn();

    // At start only "Actions" is open; the group is set last so the collapsing of the others
    // does not open or close anything else on the way.
    for (TBvgGroupBox* box : {bvGroupBoxTags, bvGroupLog, bvGroupPlaylists, BvGroupMediaDB,
                              BvGroupStat, BvGroupDeleted})
        box->SetCollapsed(true);
    for (TBvgGroupBox* box : {bvGroupBoxTags, bvGroupActions, bvGroupLog, bvGroupPlaylists,
                              BvGroupMediaDB, BvGroupStat, BvGroupDeleted})
        box->SetGroupIndex(kColumnGroup);
}

void TForm1::CreateActionsBox() {
    const int top = kGroupCaptionRoom;
    const int step = kImageButtonHeight + kImageButtonGap;
    bvGroupActions = MakeGroupBox("bvGroupActions", "Actions", top + 6 * step + kBoxPadding + 4);
    btnUpdateMobile =
        MakeImageButton(bvGroupActions, "btnUpdateMobile", "Update mobile...", picUpdate, top);
    btnUpdateMobile->SetHint("Copy files to mobile and generate iTunesDB");
    btnResetProg =
        MakeImageButton(bvGroupActions, "btnResetProg", "Reset program", picReset, top + step);
    btnResetProg->SetHint("Clears all playlists, tracklist and setting all variables to their "
                          "default values, as if you have just started Brisvane");
    btnScan = MakeImageButton(bvGroupActions, "btnScan", "Scan mobile...", picScan, top + 2 * step);
    btnScan->SetHint("Try to read iTunesDB and search for files");
    btnReadDB =
        MakeImageButton(bvGroupActions, "btnReadDB", "Read iTunesDB", picReadDB, top + 3 * step);
    btnScanMobile = MakeImageButton(bvGroupActions, "btnScanMobile", "Scan mobile for files",
                                    picFind, top + 4 * step);
    for (TBvImgBtn* b : {btnUpdateMobile, btnResetProg, btnScan})
        b->SetShowHint(true);

    // The drive selector and, beside it, the small button that also starts the update.
    const int driveTop = top + 5 * step + 4;
    BvDriveCombo1 = new TBvDriveCombo(this);
    BvDriveCombo1->SetName("BvDriveCombo1");
    BvDriveCombo1->SetParent(bvGroupActions);
    BvDriveCombo1->SetBounds(kBoxPadding, driveTop,
                             kColumnWidth - 3 * kBoxPadding - kScrollBarRoom - kSmallButton,
                             kImageButtonHeight);
    StretchInBox(BvDriveCombo1, 2 * kBoxPadding + kScrollBarRoom + kSmallButton);
    BvDriveCombo1->SetDriveTypes(DriveTypeSet(TBvDriveType::dtRemovable));
    BvDriveCombo1->SetHint("Choose your mobile phone drive");
    BvDriveCombo1->SetShowHint(true);
    btnUpdate2 = new TBvImgBtn(this);
    btnUpdate2->SetName("btnUpdate2");
    btnUpdate2->SetParent(bvGroupActions);
    btnUpdate2->SetBounds(kColumnWidth - kBoxPadding - kScrollBarRoom - kSmallButton, driveTop,
                          kSmallButton, kImageButtonHeight);
    UseWindowFont(btnUpdate2->Font());
    btnUpdate2->Font()->SetStyle(fsBold);
    btnUpdate2->SetCaption("!");
    PinRightInBox(btnUpdate2);
    btnUpdate2->SetImageVisible(false);
    btnUpdate2->SetHint("Update mobile");
    btnUpdate2->SetShowHint(true);

    auto hiddenDrives = [this](const std::string& name, TBvDriveTypes types) {
        auto* d = new TBvDriveCombo(this);
        d->SetName(name);
        d->SetParent(this);
        d->SetBounds(0, 0, 120, 22);
        d->SetDriveTypes(types);
        d->SetVisible(false);
        return d;
    };
    BvDriveAll =
        hiddenDrives("BvDriveAll", DriveTypeSet(TBvDriveType::dtRemovable, TBvDriveType::dtFixed,
                                                TBvDriveType::dtRemote, TBvDriveType::dtCDROM,
                                                TBvDriveType::dtRamDisk));
    BvDriveRemov = hiddenDrives("BvDriveRemov", DriveTypeSet(TBvDriveType::dtRemovable));
}

void UseWindowFont(TFont* font) {
    font->SetName("DejaVu Sans");
    font->SetHeight(-12);
    font->SetStyle(0);
    font->SetColor(clWindowText);
}

void UseGroupBoxLook(TBvgGroupBox* box) {
    UseWindowFont(box->Font());
    box->Font()->SetStyle(fsBold);
    // A blue bar fading to the right, white text, and an arrow that shows whether it is open.
    box->SetOptions(box->Options() & ~fgoFilledCaption);
    box->SetCaptionAlignment(TCaptionAlignment::fcaWidth);
    box->CaptionGradient()->SetFromColor(RGB(62, 100, 170));
    box->CaptionGradient()->SetToColor(RGB(150, 182, 230));
    box->CaptionGradient()->SetActive(true);
    box->Colors()->SetText(clWhite);
    box->Colors()->SetTextActive(clWhite);
    box->Colors()->SetDelineate(RGB(30, 50, 90));
    box->Colors()->SetDelineateActive(RGB(30, 50, 90));
    TBitmap collapsed, expanded;
    DrawGroupArrow(collapsed, false);
    DrawGroupArrow(expanded, true);
    box->SetGlyphCollapsed(&collapsed);
    box->SetGlyphExpanded(&expanded);
}

void DrawGroupArrow(TBitmap& picture, bool open) {
    constexpr int kSize = 14;
    // The bottom-left pixel's colour is the one left out when the arrow is drawn.
    constexpr TColor kKey = 0xFF00FF;
    picture.SetSize(kSize, kSize);
    TCanvas* c = picture.Canvas();
    c->Brush()->SetColor(kKey);
    c->FillRect(Rect(0, 0, kSize, kSize));
    c->Brush()->SetColor(clWhite);
    c->Pen()->SetColor(clWhite);
    if (open)
        c->Polygon({{3, 5}, {11, 5}, {7, 9}});
    else
        c->Polygon({{5, 3}, {9, 7}, {5, 11}});
}
