// Sizes, fonts and looks the main window's source files share.
#pragma once

#include "BvPlaylist.h"
#include "BvgGroupBox.h"
#include "Graphics.h"
#include "TrackManager.h"

#include <array>
#include <string_view>

// The window at start: it fits a screen of 1024 x 768 with room for a panel and a title bar.
constexpr int kWindowWidth = 1000;
constexpr int kWindowHeight = 680;
// The column of group boxes; its scroll bar, when it shows, narrows the boxes.
constexpr int kColumnWidth = 280;
constexpr int kSplitterWidth = 4;
constexpr int kBoxPadding = 8;
// Below a group box's caption bar, where its first control goes.
constexpr int kGroupCaptionRoom = 26;
constexpr int kImageButtonHeight = 26;
constexpr int kImageButtonGap = 3;
constexpr int kSmallButton = 30;
constexpr int kEditHeight = 22;
constexpr int kLabelWidth = 62;
// Pictures: menus and buttons 16 pixels, the speed bar 24, each button a picture over a caption.
constexpr int kMenuPicture = 16;
constexpr int kBarPicture = 24;
constexpr int kBarButtonWidth = 100;
constexpr int kBarButtonHeight = 50;
constexpr int kBarOffset = 3;

// "Sort by Artist" ... "Sort by Length", in the order of every Sort menu.
inline constexpr std::array<std::string_view, 6> kSortCaptions = {
    "Sort by Artist",  "Sort by Title", "Sort by Album",
    "Sort by Bitrate", "Sort by Size",  "Sort by Length"};

// The window's text font.
void UseWindowFont(TFont* font);
// The column's look: a blue caption bar with white bold text over a light box.
void UseGroupBoxLook(TBvgGroupBox* box);
// The arrow at the left of a box's caption: pointing right while closed, down while open.
void DrawGroupArrow(TBitmap& picture, bool open);
