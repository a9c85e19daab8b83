// The pictures of the main window's menus, speed bar and buttons: one index per picture, the
// same in the menu, speed-bar and button image lists.
#pragma once

#include <string>

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

// The icon theme's file of a picture at a size, found in the theme's folder under each of the
// desktop's data folders; empty when the theme is not installed.
std::string TangoPicturePath(TMainPicture picture, int size);
// Fills a list with every picture at its size, in index order; a picture whose file is missing
// is drawn anew as a plain sign, so an index always names the same picture.
void FillPictureList(TCustomImageList* list, int size, unsigned faceColor);
