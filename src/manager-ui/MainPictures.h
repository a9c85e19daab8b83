// The pictures of the main window's menus, speed bar and buttons: one index per picture, the
// same in the menu, speed-bar and button image lists.
#pragma once

class TCustomImageList;

enum TMainPicture : int {
    picAddFiles,
    picAddFolder,
    picRemove,
    picUp,
    picDown,
    picScan,
    picUpdate,
    picOptions,
    picExit,
    picAbout,
    picReadDB,
    picDelete,
    picNew,
    picRename,
    picClear,
    picRefresh,
    picSelectAll,
    picDeadFiles,
    picCopy,
    picRestore,
    picReset,
    picStop,
    picNext,
    picFind,
    picPlaylist,
    picTrack,
    picOpen,
    picSave,
    picCount
};

// Fills a list with every picture at its size, in index order; a picture whose file is missing
// is drawn anew as a plain sign, so an index always names the same picture.
void FillPictureList(TCustomImageList* list, int size, unsigned faceColor);
