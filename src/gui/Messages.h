// Window and control messages with the numbers the controls and the kit expect.
#pragma once

#include "BvKitUtils.h"
#include "Types.h"

#include <cstdint>

// TMessage, TWndMethod and WM_USER come from the runtime's message windows, so both
// kinds of window speak the same record.

// Window messages.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_ENABLE = 0x000A;
constexpr uint32_t WM_SETREDRAW = 0x000B;
constexpr uint32_t WM_SETTEXT = 0x000C;
constexpr uint32_t WM_GETTEXT = 0x000D;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_GETMINMAXINFO = 0x0024;
constexpr uint32_t WM_DRAWITEM = 0x002B;
constexpr uint32_t WM_MEASUREITEM = 0x002C;
constexpr uint32_t WM_SETFONT = 0x0030;
constexpr uint32_t WM_NOTIFY = 0x004E;
constexpr uint32_t WM_HELP = 0x0053;
constexpr uint32_t WM_CONTEXTMENU = 0x007B;
constexpr uint32_t WM_NCDESTROY = 0x0082;
constexpr uint32_t WM_NCHITTEST = 0x0084;
constexpr uint32_t WM_GETDLGCODE = 0x0087;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_INITDIALOG = 0x0110;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_HSCROLL = 0x0114;
constexpr uint32_t WM_VSCROLL = 0x0115;
constexpr uint32_t WM_INITMENUPOPUP = 0x0117;
constexpr uint32_t WM_MENUSELECT = 0x011F;
constexpr uint32_t WM_MENUCHAR = 0x0120;
constexpr uint32_t WM_ENTERIDLE = 0x0121;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
// One notch of the mouse wheel, in WM_MOUSEWHEEL's units.
constexpr int WHEEL_DELTA = 120;
constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
constexpr uint32_t WM_DEVICECHANGE = 0x0219;
constexpr uint32_t WM_EXITSIZEMOVE = 0x0232;
constexpr uint32_t WM_DROPFILES = 0x0233;
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
constexpr uint32_t WM_CUT = 0x0300;
constexpr uint32_t WM_COPY = 0x0301;
constexpr uint32_t WM_PASTE = 0x0302;
constexpr uint32_t WM_CLEAR = 0x0303;
constexpr uint32_t WM_UNDO = 0x0304;
constexpr uint32_t WM_PRINT = 0x0317;
constexpr uint32_t WM_PRINTCLIENT = 0x0318;
constexpr uint32_t WM_APP = 0x8000;

constexpr uint32_t EM_UNDO = 0x00C7;
constexpr uint32_t EM_SETREADONLY = 0x00CF;

// Control notifications of the framework.
constexpr uint32_t CM_BASE = 0xB000;
constexpr uint32_t CM_ACTIVATE = CM_BASE + 0;
constexpr uint32_t CM_DEACTIVATE = CM_BASE + 1;
constexpr uint32_t CM_GOTFOCUS = CM_BASE + 2;
constexpr uint32_t CM_LOSTFOCUS = CM_BASE + 3;
constexpr uint32_t CM_CANCELMODE = CM_BASE + 4;
constexpr uint32_t CM_DIALOGKEY = CM_BASE + 5;
constexpr uint32_t CM_DIALOGCHAR = CM_BASE + 6;
constexpr uint32_t CM_FOCUSCHANGED = CM_BASE + 7;
constexpr uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr uint32_t CM_HITTEST = CM_BASE + 10;
constexpr uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr uint32_t CM_COLORCHANGED = CM_BASE + 13;
constexpr uint32_t CM_FONTCHANGED = CM_BASE + 14;
constexpr uint32_t CM_CURSORCHANGED = CM_BASE + 15;
constexpr uint32_t CM_TEXTCHANGED = CM_BASE + 18;
constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;
constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;
constexpr uint32_t CM_MENUCHANGED = CM_BASE + 21;
constexpr uint32_t CM_BUTTONPRESSED = CM_BASE + 24;
constexpr uint32_t CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr uint32_t CM_ENTER = CM_BASE + 26;
constexpr uint32_t CM_EXIT = CM_BASE + 27;
constexpr uint32_t CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr uint32_t CM_RELEASE = CM_BASE + 33;
constexpr uint32_t CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr uint32_t CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr uint32_t CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr uint32_t CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr uint32_t CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr uint32_t CM_CHILDKEY = CM_BASE + 46;
constexpr uint32_t CM_DRAG = CM_BASE + 47;
constexpr uint32_t CM_HINTSHOW = CM_BASE + 48;
constexpr uint32_t CM_RECREATEWND = CM_BASE + 51;
constexpr uint32_t CM_INVALIDATE = CM_BASE + 52;
constexpr uint32_t CM_CONTROLCHANGE = CM_BASE + 54;
constexpr uint32_t CM_CHANGED = CM_BASE + 55;

// Notifications reflected back to the control that caused them.
constexpr uint32_t CN_BASE = 0xBC00;
constexpr uint32_t CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr uint32_t CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr uint32_t CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr uint32_t CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr uint32_t CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr uint32_t CN_CHAR = CN_BASE + WM_CHAR;
constexpr uint32_t CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr uint32_t CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP;
constexpr uint32_t CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// List box messages.
constexpr uint32_t LB_ADDSTRING = 0x0180;
constexpr uint32_t LB_INSERTSTRING = 0x0181;
constexpr uint32_t LB_DELETESTRING = 0x0182;
constexpr uint32_t LB_RESETCONTENT = 0x0184;
constexpr uint32_t LB_SETSEL = 0x0185;
constexpr uint32_t LB_SETCURSEL = 0x0186;
constexpr uint32_t LB_GETSEL = 0x0187;
constexpr uint32_t LB_GETCURSEL = 0x0188;
constexpr uint32_t LB_GETTEXT = 0x0189;
constexpr uint32_t LB_GETTEXTLEN = 0x018A;
constexpr uint32_t LB_GETCOUNT = 0x018B;
constexpr uint32_t LB_SELECTSTRING = 0x018C;
constexpr uint32_t LB_GETTOPINDEX = 0x018E;
constexpr uint32_t LB_FINDSTRING = 0x018F;
constexpr uint32_t LB_GETSELCOUNT = 0x0190;
constexpr uint32_t LB_GETHORIZONTALEXTENT = 0x0193;
constexpr uint32_t LB_SETHORIZONTALEXTENT = 0x0194;
constexpr uint32_t LB_SETTOPINDEX = 0x0197;
constexpr uint32_t LB_GETITEMRECT = 0x0198;
constexpr uint32_t LB_GETITEMDATA = 0x0199;
constexpr uint32_t LB_SETITEMDATA = 0x019A;
constexpr uint32_t LB_SETITEMHEIGHT = 0x01A0;
constexpr uint32_t LB_GETITEMHEIGHT = 0x01A1;
constexpr uint32_t LB_FINDSTRINGEXACT = 0x01A2;
constexpr intptr_t LB_ERR = -1;

// Combo box messages.
constexpr uint32_t CB_ADDSTRING = 0x0143;
constexpr uint32_t CB_DELETESTRING = 0x0144;
constexpr uint32_t CB_GETCOUNT = 0x0146;
constexpr uint32_t CB_GETCURSEL = 0x0147;
constexpr uint32_t CB_GETLBTEXT = 0x0148;
constexpr uint32_t CB_GETLBTEXTLEN = 0x0149;
constexpr uint32_t CB_INSERTSTRING = 0x014A;
constexpr uint32_t CB_RESETCONTENT = 0x014B;
constexpr uint32_t CB_FINDSTRING = 0x014C;
constexpr uint32_t CB_SELECTSTRING = 0x014D;
constexpr uint32_t CB_SETCURSEL = 0x014E;
constexpr uint32_t CB_SHOWDROPDOWN = 0x014F;
constexpr uint32_t CB_GETITEMDATA = 0x0150;
constexpr uint32_t CB_SETITEMDATA = 0x0151;
constexpr uint32_t CB_SETITEMHEIGHT = 0x0153;
constexpr uint32_t CB_GETITEMHEIGHT = 0x0154;
constexpr uint32_t CB_GETDROPPEDSTATE = 0x0157;
constexpr uint32_t CB_FINDSTRINGEXACT = 0x0158;
constexpr intptr_t CB_ERR = -1;

// The edit's formatting rectangle (LParam: a TRect).
constexpr uint32_t EM_GETRECT = 0x00B2;
constexpr uint32_t EM_SETRECT = 0x00B3;
constexpr uint32_t EM_SETRECTNP = 0x00B4;

// Window styles.
constexpr uint32_t WS_TABSTOP = 0x00010000;
constexpr uint32_t WS_GROUP = 0x00020000;
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr uint32_t WS_DISABLED = 0x08000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
// List box styles.
constexpr uint32_t LBS_NOTIFY = 0x0001;
constexpr uint32_t LBS_SORT = 0x0002;
constexpr uint32_t LBS_MULTIPLESEL = 0x0008;
constexpr uint32_t LBS_OWNERDRAWFIXED = 0x0010;
constexpr uint32_t LBS_OWNERDRAWVARIABLE = 0x0020;
constexpr uint32_t LBS_HASSTRINGS = 0x0040;
constexpr uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr uint32_t LBS_EXTENDEDSEL = 0x0800;
constexpr uint32_t LBS_DISABLENOSCROLL = 0x1000;
constexpr uint32_t LBS_NODATA = 0x2000;
// Combo box styles.
constexpr uint32_t CBS_SIMPLE = 0x0001;
constexpr uint32_t CBS_DROPDOWN = 0x0002;
constexpr uint32_t CBS_DROPDOWNLIST = 0x0003;
constexpr uint32_t CBS_OWNERDRAWFIXED = 0x0010;
constexpr uint32_t CBS_OWNERDRAWVARIABLE = 0x0020;
constexpr uint32_t CBS_AUTOHSCROLL = 0x0040;
constexpr uint32_t CBS_SORT = 0x0100;
constexpr uint32_t CBS_HASSTRINGS = 0x0200;
// Edit styles.
constexpr uint32_t ES_LEFT = 0x0000;
constexpr uint32_t ES_CENTER = 0x0001;
constexpr uint32_t ES_RIGHT = 0x0002;
constexpr uint32_t ES_MULTILINE = 0x0004;
constexpr uint32_t ES_PASSWORD = 0x0020;
constexpr uint32_t ES_AUTOVSCROLL = 0x0040;
constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr uint32_t ES_READONLY = 0x0800;
constexpr uint32_t ES_WANTRETURN = 0x1000;

// Scroll bars: which bar, the codes of WM_HSCROLL and WM_VSCROLL (low word of WParam; the
// high word carries the thumb position of SB_THUMBPOSITION and SB_THUMBTRACK), and the
// scroll information record.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_LINEUP = 0;
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_LEFT = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;
constexpr uint32_t SIF_RANGE = 0x0001;
constexpr uint32_t SIF_PAGE = 0x0002;
constexpr uint32_t SIF_POS = 0x0004;
constexpr uint32_t SIF_DISABLENOSCROLL = 0x0008;
constexpr uint32_t SIF_TRACKPOS = 0x0010;
constexpr uint32_t SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
struct TScrollInfo {
    uint32_t cbSize = sizeof(TScrollInfo);
    uint32_t fMask = 0;
    int nMin = 0;
    int nMax = 0;
    uint32_t nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// Dialog codes answered to WM_GETDLGCODE.
constexpr intptr_t DLGC_WANTARROWS = 0x0001;
constexpr intptr_t DLGC_WANTTAB = 0x0002;
constexpr intptr_t DLGC_WANTALLKEYS = 0x0004;
constexpr intptr_t DLGC_HASSETSEL = 0x0008;
constexpr intptr_t DLGC_DEFPUSHBUTTON = 0x0010;
constexpr intptr_t DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr intptr_t DLGC_RADIOBUTTON = 0x0040;
constexpr intptr_t DLGC_WANTCHARS = 0x0080;
constexpr intptr_t DLGC_BUTTON = 0x2000;

// Owner drawing.
constexpr uint32_t ODT_MENU = 1;
constexpr uint32_t ODT_LISTBOX = 2;
constexpr uint32_t ODT_COMBOBOX = 3;
constexpr uint32_t ODT_BUTTON = 4;
// Push button styles.
constexpr uint32_t BS_PUSHBUTTON = 0x0000;
constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;
constexpr uint32_t BS_OWNERDRAW = 0x000B;
constexpr uint32_t BS_TYPEMASK = 0x000F;
constexpr uint32_t ODA_DRAWENTIRE = 1;
constexpr uint32_t ODA_SELECT = 2;
constexpr uint32_t ODA_FOCUS = 4;
constexpr uint32_t ODS_SELECTED = 0x0001;
constexpr uint32_t ODS_GRAYED = 0x0002;
constexpr uint32_t ODS_DISABLED = 0x0004;
constexpr uint32_t ODS_CHECKED = 0x0008;
constexpr uint32_t ODS_FOCUS = 0x0010;
constexpr uint32_t ODS_DEFAULT = 0x0020;
constexpr uint32_t ODS_COMBOBOXEDIT = 0x1000;
constexpr uint32_t ODS_HOTLIGHT = 0x0040;
constexpr uint32_t ODS_INACTIVE = 0x0080;
// The menu was not entered from the keyboard: mnemonics are drawn without their underline.
constexpr uint32_t ODS_NOACCEL = 0x0100;

struct TDrawItemStruct {
    uint32_t CtlType = 0;
    uint32_t CtlID = 0;
    uint32_t itemID = 0;
    uint32_t itemAction = 0;
    uint32_t itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    TRect rcItem;
    uintptr_t itemData = 0;
};

// What WM_HELP carries in LParam: for a menu item (HELPINFO_MENUITEM) its command and the menu
// (the item whose submenu it is) that holds it.
constexpr int HELPINFO_WINDOW = 1;
constexpr int HELPINFO_MENUITEM = 2;
struct THelpInfo {
    int iContextType = HELPINFO_WINDOW;
    int iCtrlId = 0;
    void* hItemHandle = nullptr;
    uintptr_t dwContextId = 0;
    TPoint MousePos;
};

struct TMeasureItemStruct {
    uint32_t CtlType = 0;
    uint32_t CtlID = 0;
    uint32_t itemID = 0;
    uint32_t itemWidth = 0;
    uint32_t itemHeight = 0;
    uintptr_t itemData = 0;
};

// Mouse message key flags.
constexpr intptr_t MK_LBUTTON = 0x0001;
constexpr intptr_t MK_RBUTTON = 0x0002;
constexpr intptr_t MK_SHIFT = 0x0004;
constexpr intptr_t MK_CONTROL = 0x0008;
constexpr intptr_t MK_MBUTTON = 0x0010;

// Menu selection flags.
constexpr uint32_t MF_HILITE = 0x0080;
constexpr uint32_t MF_POPUP = 0x0010;
// WM_MENUSELECT with these flags and no menu: the menu closed.
constexpr uint32_t MF_MENUCLOSED = 0xFFFF;
// The answers to WM_MENUCHAR, in the high word of the result (the low word is an item index).
constexpr intptr_t MNC_IGNORE = 0;
constexpr intptr_t MNC_CLOSE = 1;
constexpr intptr_t MNC_EXECUTE = 2;
constexpr intptr_t MNC_SELECT = 3;
// WM_SYSCOMMAND: the keyboard enters the menu bar (LParam: the character typed with Alt, or 0).
constexpr intptr_t SC_KEYMENU = 0xF100;

// Virtual key codes.
constexpr uint16_t VK_BACK = 0x08;
constexpr uint16_t VK_TAB = 0x09;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_SHIFT = 0x10;
constexpr uint16_t VK_CONTROL = 0x11;
constexpr uint16_t VK_MENU = 0x12;
constexpr uint16_t VK_PAUSE = 0x13;
constexpr uint16_t VK_CAPITAL = 0x14;
constexpr uint16_t VK_ESCAPE = 0x1B;
constexpr uint16_t VK_SPACE = 0x20;
constexpr uint16_t VK_PRIOR = 0x21;
constexpr uint16_t VK_NEXT = 0x22;
constexpr uint16_t VK_END = 0x23;
constexpr uint16_t VK_HOME = 0x24;
constexpr uint16_t VK_LEFT = 0x25;
constexpr uint16_t VK_UP = 0x26;
constexpr uint16_t VK_RIGHT = 0x27;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_SNAPSHOT = 0x2C;
constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_HELP = 0x2F;
constexpr uint16_t VK_LWIN = 0x5B;
constexpr uint16_t VK_APPS = 0x5D;
constexpr uint16_t VK_NUMPAD0 = 0x60;
constexpr uint16_t VK_NUMPAD9 = 0x69;
constexpr uint16_t VK_MULTIPLY = 0x6A;
constexpr uint16_t VK_ADD = 0x6B;
constexpr uint16_t VK_SUBTRACT = 0x6D;
constexpr uint16_t VK_DECIMAL = 0x6E;
constexpr uint16_t VK_DIVIDE = 0x6F;
constexpr uint16_t VK_F1 = 0x70;
constexpr uint16_t VK_F4 = 0x73;
constexpr uint16_t VK_F12 = 0x7B;
constexpr uint16_t VK_NUMLOCK = 0x90;
constexpr uint16_t VK_SCROLL = 0x91;
constexpr uint16_t VK_OEM_1 = 0xBA;
constexpr uint16_t VK_OEM_PLUS = 0xBB;
constexpr uint16_t VK_OEM_COMMA = 0xBC;
constexpr uint16_t VK_OEM_MINUS = 0xBD;
constexpr uint16_t VK_OEM_PERIOD = 0xBE;
constexpr uint16_t VK_OEM_2 = 0xBF;
constexpr uint16_t VK_OEM_3 = 0xC0;
constexpr uint16_t VK_OEM_4 = 0xDB;
constexpr uint16_t VK_OEM_5 = 0xDC;
constexpr uint16_t VK_OEM_6 = 0xDD;
constexpr uint16_t VK_OEM_7 = 0xDE;

// Packs and unpacks two signed 16-bit halves, as point parameters travel.
constexpr intptr_t MakeLParam(int low, int high) {
    return static_cast<intptr_t>(static_cast<uint32_t>((low & 0xFFFF) | ((high & 0xFFFF) << 16)));
}
constexpr int LoWordSigned(intptr_t v) {
    return static_cast<int16_t>(v & 0xFFFF);
}
constexpr int HiWordSigned(intptr_t v) {
    return static_cast<int16_t>((v >> 16) & 0xFFFF);
}
