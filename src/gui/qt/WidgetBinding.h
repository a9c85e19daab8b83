// What the control classes ask of the Qt widget behind a windowed control. The header is
// free of Qt so that a control class needs none of it; the calls are made in qt/.
#pragma once

#include "Types.h"

#include <functional>
#include <string>
#include <vector>

class QScrollBar;
struct TScrollInfo;
class QTimer;
class QWidget;
class TBitmap;
class TFont;
class TObject;
class TWinControl;
struct TDialogAnswer;
struct TDialogRequest;

// Runs work that Qt called into: an exception must not cross Qt's frames, so it goes to
// the application's error box (as the framework's window procedures do) and is reported
// as handled.
bool GuardedCall(TObject* sender, const std::function<void()>& work);

namespace BvQt {

void SetGeometry(QWidget* widget, int left, int top, int width, int height);
void SetEnabled(QWidget* widget, bool enabled);
void SetVisible(QWidget* widget, bool visible);
bool IsVisible(const QWidget* widget);
void SetFont(QWidget* widget, const TFont& font);
void SetFocus(QWidget* widget);
bool HasFocus(const QWidget* widget);
// Asks for a paint when the event loop next runs.
void Invalidate(QWidget* widget);
void InvalidateRect(QWidget* widget, const TRect& rect);
// Paints now.
void Repaint(QWidget* widget);
// While off, the widget and its children are not drawn; turning it on draws them again.
void SetUpdatesEnabled(QWidget* widget, bool enabled);
void Raise(QWidget* widget);
// Takes the widget out of its parent widget (the control left its parent).
void Detach(QWidget* widget);
// Deletes the widget at once.
void DeleteWidget(QWidget* widget);
void SetAcceptDrops(QWidget* widget, bool accept);
// The mouse pointer over the widget; a cursor number of the screen's cursor slots.
void SetCursor(QWidget* widget, int cursor);
// Where the widget's client area (a scroll area's viewport) starts on the screen.
TPoint GlobalClientOrigin(QWidget* widget);
// The widget's own position: a top-level window's place on the screen.
TPoint WindowPosition(QWidget* widget);

// Stock controls.
// With a wrap width, a check box's or radio button's caption is shown broken into lines that
// fit beside its mark within that width.
void SetButtonText(QWidget* button, const std::string& text, int wrapWidth = 0);
// The height of the caption's lines as SetButtonText shows them.
int ButtonCaptionHeight(QWidget* button, const std::string& text, int wrapWidth);
enum class TEditCommand { Cut, Copy, Paste, Clear, Undo };
// Gives a line edit an input mask in Qt's language (empty: none), keeping its text as far as
// the mask takes it; returns the text it then shows.
std::string SetEditInputMask(QWidget* edit, const std::string& qtMask);
// Runs the clipboard or undo command on a line or multi-line edit; other widgets ignore it.
void EditCommand(QWidget* edit, TEditCommand command);

// A scroll bar placed over its control, ranging from 0 to maximum, brought to the front.
void SetScrollBar(QScrollBar* bar, const TRect& bounds, int maximum, int page, int step,
                  int position, bool visible);

// The text of a line edit keeps to the rectangle (the edit's formatting rectangle); an
// empty rectangle gives the edit its own margins back.
void SetEditFormatRect(QWidget* edit, const TRect& rect, int width, int height);

// Completion offered while typing into a line edit: fixed entries, or the entries of the
// folder being typed (drive-letter and Linux paths alike, a drive-letter path completed in
// the drive-letter form).
struct TEditCompletion {
    bool Inline = false; // the rest of the first match is put in, selected, instead of a list
    std::vector<std::string> Items;
    bool FileSystem = false;
    bool FoldersOnly = false;
};
// A null completion takes any completion away.
void SetEditCompletion(QWidget* edit, const TEditCompletion* completion);
// Colours of a line edit's text and background while it is disabled.
void SetEditDisabledColors(QWidget* edit, TColor background, TColor text);
// A widget that never takes the keyboard focus, not even from a click.
void SetTakesNoFocus(QWidget* widget);

// The scroll bars of a widget that scrolls (a list or a multi-line edit), bar SB_HORZ or
// SB_VERT, in the system's terms; false for a widget without them.
bool GetScrollInfo(QWidget* widget, int bar, TScrollInfo& info);
bool SetScrollInfo(QWidget* widget, int bar, const TScrollInfo& info);
// Applies the code of a WM_HSCROLL or WM_VSCROLL to the widget's bar; the thumb codes go to
// position (while the user drags, to the bar's own 32-bit track position).
bool ApplyScrollCode(QWidget* widget, int bar, int code, int position);
// Whether the widget shows that bar with somewhere to go.
bool CanScroll(QWidget* widget, int bar);
// Each action of the user on the widget's bars becomes WM_HSCROLL or WM_VSCROLL to control;
// the message's default handling makes the move, so a control that takes the message
// without passing it on keeps the bar where it was.
void RouteScrollBars(TWinControl* control, QWidget* widget);
// Moves the pixels of the rectangle (the whole widget and its children when null) by dx, dy;
// what is uncovered is painted anew.
void ScrollWidget(QWidget* widget, int dx, int dy, const TRect* rect);

// Shows the request in Qt's own dialog and waits for the answer.
TDialogAnswer AskQt(const TDialogRequest& request);

// The system's warning sound.
void Beep();

// Top-level windows (forms).
void ShowMinimized(QWidget* window);
void ShowMaximized(QWidget* window);
void ShowNormal(QWidget* window);
// The bounds, frame included, the window takes again when it is restored, while it is
// maximized, minimized or full screen; an empty rectangle while it is normal.
TRect RestoredWindowBounds(QWidget* window);
void SetWindowTitle(QWidget* window, const std::string& title);
// While on, the window takes all input of the application's other windows.
void SetApplicationModal(QWidget* window, bool modal);

// The event loop.
bool HasApplication();
// Sleeps until an event or a posted call arrives, then handles what came.
void WaitForEvents();
// Starts a one-shot timer, made on first use; fire is bound to it that first time.
void StartSingleShot(QTimer*& timer, int ms, std::function<void()> fire);
void StopTimer(QTimer* timer);

// The screen.
// Leaves width and height as they are when there is no screen.
void PrimaryScreenSize(int& width, int& height);
// The part of the screen under a point (the primary screen when none is there) that windows
// may cover, without the desktop's panels.
TRect ScreenWorkArea(TPoint point);
// How much a top-level window's frame adds around its widget (title bar, borders), once the
// window system has told; zero before.
TRect WindowFrameMargins(QWidget* window);
QWidget* ActiveWindow();
// The windowed control whose widget has the keyboard focus.
TWinControl* FocusedControl();
// The cursor shown over every window, whatever the controls ask (crDefault lets them choose).
void SetScreenCursor(int cursor);
std::vector<std::string> FontFamilies();
// The lines one notch of the mouse wheel scrolls.
int WheelScrollLines();
// The pointer's place on the screen, and moving it.
TPoint CursorPos();
void SetCursorPos(TPoint pos);
// The cursor shown while a drag runs; crDefault takes it away.
void SetDragCursor(int cursor);
// The primary screen's logical dots per inch, rounded (0 when there is no screen).
int ScreenPixelsPerInch();
// Toggles a dotted frame on the screen, made of four thin windows that take no input.
void InvertScreenFrame(const TRect& screenRect);
// The edge windows of the frames on the screen (for tests).
std::vector<QWidget*> ScreenFrameWindows();

// The drag image: a picture (mask white: transparent) on a top-level window that takes no
// input, its top-left corner at a screen point.
void ShowDragImage(const TBitmap& image, const TBitmap* mask, TPoint topLeft);
void MoveDragImage(TPoint topLeft);
void SetDragImageVisible(bool visible);
void HideDragImage();
QWidget* DragImageWindow();

} // namespace BvQt
