// The window-system calls the kit's controls make, in the system's own terms, over the
// control model: window and client rectangles, point mapping, the cursor position,
// window timers (WM_TIMER), key state, image-list and text drawing, popup tracking.
#pragma once

#include "Controls.h"
#include "Graphics.h"

#include <string>

class TMenuItem;

bool GetCursorPos(TPoint* point);
// Screen rectangle of the window, and its client rectangle (origin 0, 0).
bool GetWindowRect(HWND window, TRect* rect);
bool GetClientRect(HWND window, TRect* rect);
// From one window's client coordinates to another's; a null window means the screen.
int MapWindowPoints(HWND from, HWND to, TPoint* points, int count);
int MapWindowPoints(HWND from, HWND to, TRect* rect);

constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t SWP_FRAMECHANGED = 0x0020;
constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
constexpr uint32_t SWP_HIDEWINDOW = 0x0080;
constexpr uint32_t SWP_NOOWNERZORDER = 0x0200;
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, uint32_t flags);
bool InvalidateRect(HWND window, const TRect* rect, bool erase);

// The window's own scroll bars (SB_HORZ, SB_VERT); false or 0 for a window without them.
bool GetScrollInfo(HWND window, int bar, TScrollInfo* info);
// Returns the new position.
int SetScrollInfo(HWND window, int bar, const TScrollInfo* info, bool redraw);
int GetScrollPos(HWND window, int bar);
// Returns the previous position.
int SetScrollPos(HWND window, int bar, int pos, bool redraw);
// Moves the window's pixels (of rect, or the whole client and its child windows when rect
// is null) by dx, dy and invalidates what was uncovered.
bool ScrollWindow(HWND window, int dx, int dy, const TRect* rect, const TRect* clip);
constexpr uint32_t SW_SCROLLCHILDREN = 0x0001;
constexpr uint32_t SW_INVALIDATE = 0x0002;
constexpr uint32_t SW_ERASE = 0x0004;
// As ScrollWindow; the uncovered part is always painted anew and reported in update.
// Returns SIMPLEREGION, or 0 for no window.
int ScrollWindowEx(HWND window, int dx, int dy, const TRect* rect, const TRect* clip,
                   void* updateRegion, TRect* update, uint32_t flags);
bool UpdateWindow(HWND window);

// A window timer: WM_TIMER with the id in WParam arrives at the window while the GUI
// thread pumps. Setting an id again restarts it; the timers of a window end with it.
uintptr_t SetTimer(HWND window, uintptr_t id, unsigned elapseMs);
bool KillTimer(HWND window, uintptr_t id);
// Every timer of a window; its destruction calls this.
void KillWindowTimers(HWND window);

// Negative (high bit set) while the key or mouse button is down.
int16_t GetKeyState(int virtualKey);
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
void MessageBeep(unsigned type);

bool ImageList_Draw(TCustomImageList* images, int index, HDC dc, int x, int y, uint32_t style);
bool ImageList_DrawEx(TCustomImageList* images, int index, HDC dc, int x, int y, int dx, int dy,
                      TColor background, TColor foreground, uint32_t style);

constexpr uint32_t ETO_OPAQUE = 0x0002;
constexpr uint32_t ETO_CLIPPED = 0x0004;
bool ExtTextOut(HDC dc, int x, int y, uint32_t options, const TRect* rect, const std::string& text);

constexpr uint32_t TPM_LEFTALIGN = 0x0000;
constexpr uint32_t TPM_CENTERALIGN = 0x0004;
constexpr uint32_t TPM_RIGHTALIGN = 0x0008;
constexpr uint32_t TPM_LEFTBUTTON = 0x0000;
constexpr uint32_t TPM_RIGHTBUTTON = 0x0002;
// Shows the items of menu at a screen point; their messages go to owner. Returns at once.
bool TrackPopupMenu(TMenuItem* menu, uint32_t flags, int x, int y, int reserved, HWND owner,
                    const TRect* excludeRect);
