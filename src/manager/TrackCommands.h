// Every command of the main window, named after its handler. The window binds its controls
// to these and the manager names by them what a run on the card holds off, so a misspelt
// command does not compile instead of greying nothing.
#pragma once

#include <string_view>

// The list, once: each entry becomes an enumerator and its name.
#define BV_TRACK_COMMANDS(X)                                                                       \
    /* The window's creation and closing. */                                                       \
    X(FormCreate)                                                                                  \
    X(FormCloseQuery)                                                                              \
    X(FormClose) X(Exit1Click) /* Adding tracks. */                                                \
        X(btnAddFileClick) X(btnAddDIRClick)                                                       \
            X(BvDragDrop1Drop) /* The track view, its selection and removal. */                    \
        X(btnRemoveClick) X(Selectall1Click) X(Inverseselection1Click) X(Selectnone1Click)         \
            X(BvPlaylistGLKeyDown) X(BvPlaylistGLClick) /* Playlists. */                           \
        X(mbNewPlstClick) X(Renameplaylist1Click) X(Deleteplaylist1Click) X(Clearplaylists2Click)  \
            X(ListBoxPlayListsClick) X(ListBoxPlayListsDragOver) X(ListBoxPlayListsDragDrop)       \
                X(MoveUp2Click) X(MoveDown2Click) X(TrackListMenuPopup)                            \
                    X(CopyToPlayListPopup1Click) X(BvPlaylistADragOver)                            \
                        X(BvPlaylistGLDragDrop) /* Dragging lines out of a list: the press, the    \
                                                   start and the end of a drag. */                 \
        X(ListMouseDown) X(ListMouseMove) X(ListStartDrag) X(ListEndDrag) /* The tag editor. */    \
        X(edArtistChange) X(edTitleChange) X(edAlbumChange) X(edTimeChange)                        \
            X(bvGroupBoxTagsExpanded) X(bvGroupBoxTagsCollapsed) /* Sorting. */                    \
        X(SortbyArtist1Click) X(SortbyTitle1Click) X(SortbyAlbum1Click) X(SortbyBitrate1Click)     \
            X(SortbySize1Click) X(Sortbylength1Click) X(Sortall1Click) X(SortbyArtist3Click)       \
                X(SortbyTitle2Click) X(SortbyAlbum2Click) X(SortbyBitrate2Click)                   \
                    X(SortbySize2Click) X(SortbyLength2Click) /* The media library. */             \
        X(Addfiles1Click) X(Adddirectory1Click) X(Deletealldeadlinks1Click) X(Clear1Click)         \
            X(Copytotracklist1Click) X(EditSearchDBChange) X(btnSearchClick)                       \
                X(MediaDBListKeyPress) X(MediaDBListKeyDown) X(MediaDBListDragOver)                \
                    X(MediaDBListClick) X(BvGroupMediaDBExpanded) /* The deleted list. */          \
        X(MenuItem1Click) X(Delete1Click) X(Clear4Click) X(BvGroupDeletedExpanded)                 \
            X(DeletedListDragOver)                    /* Statistics. */                            \
        X(btnRefreshStatClick) X(BvGroupStatExpanded) /* Information hints. */                     \
        X(BvPlaylistGLMouseMove) X(BvPlaylistMouseEnter) X(BvPlaylistMouseLeave)                   \
            X(BvPlaylistDblClick) X(TimerBeforeShowTimer) X(TimerAfterShowTimer)                   \
                X(PanelHintMouseEnter) X(PanelHintMouseLeave) X(LabelPopupTextDblClick)            \
                    X(cbInfoHintsClick) /* Start-up, options, the About box. */                    \
        X(btnResetProgClick) X(btnOptionsClick) X(BvSpeedItem1Click) /* The card. */               \
        X(btnUpdateMobileClick) X(btnCancelClick) X(btnScanClick) X(ReadiTuneDB1Click)             \
            X(Checkforbadfiles1Click) X(DeletephoneDB1Click) X(ParseiTunesDB1Click)                \
                X(TransFlashTimerTimer) X(btnScanMobileClick)                                      \
                    X(LogTimerTimer) /* The window's own: the drive selector, the boxes of the     \
                                        column, the hidden items. */                               \
        X(bvGroupActionsExpanded) X(bvGroupLogExpanded) X(BvDriveCombo1Change) X(btnOpenPlsClick)  \
            X(btnSavePlsClick) X(BvSpeedItem2Click) X(Button3Click)

enum class TCommand {
#define BV_COMMAND_ENUMERATOR(name) name,
    BV_TRACK_COMMANDS(BV_COMMAND_ENUMERATOR)
#undef BV_COMMAND_ENUMERATOR
};

inline constexpr int kCommandCount = 0
#define BV_COMMAND_ONE(name) +1
    BV_TRACK_COMMANDS(BV_COMMAND_ONE)
#undef BV_COMMAND_ONE
    ;

// The handler's name, as the program calls it.
std::string_view CommandName(TCommand command);
