// Menus: items the program can draw itself (owner drawing through WM_MEASUREITEM and
// WM_DRAWITEM to the menu's owner window), the main menu bar of a form and popup menus.
#pragma once

#include "Controls.h"

#include <functional>
#include <string>
#include <vector>

class TCustomForm;
class QWidget;
class TMenu;

using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(uint16_t key, TShiftState shift);
std::string ShortCutToText(TShortCut shortCut);
// "Ctrl+A", "Shift+Del", "F4"...; 0 for a text that names no key.
TShortCut TextToShortCut(const std::string& text);

enum class TFindItemKind { fkCommand, fkHandle, fkShortCut };
enum class TMenuAutoFlag { maAutomatic, maManual, maParent };
// Which mouse buttons choose an item of an open popup: tbRightButton both, tbLeftButton the
// left one only.
enum class TTrackButton { tbRightButton, tbLeftButton };
enum TOwnerDrawStateFlag : uint16_t {
    odSelected = 1,
    odGrayed = 2,
    odDisabled = 4,
    odChecked = 8,
    odFocused = 16,
    odDefault = 32,
    odHotLight = 64,
    odInactive = 128,
};
using TOwnerDrawState = uint16_t;

using TMenuMeasureItemEvent =
    std::function<void(TObject* sender, TCanvas* canvas, int& width, int& height)>;
using TMenuDrawItemEvent =
    std::function<void(TObject* sender, TCanvas* canvas, TRect rect, bool selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* sender, TCanvas* canvas, TRect rect, TOwnerDrawState state)>;

class TMenuItem : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    std::string Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    // A change of these shows at once on the menu bar and in an open menu.
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Default = false;
    bool RadioItem = false;
    bool AutoCheck = false;
    int GroupIndex = 0;
    int ImageIndex = -1;
    TShortCut ShortCut = 0;
    int HelpContext = 0;
    int ShortCutValue() const { return ShortCut; }
    void SetShortCutValue(int v) { ShortCut = static_cast<TShortCut>(v); }
    bool IsLine() const { return caption_ == "-"; }

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Delete(int index);
    void Remove(TMenuItem* item);
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Find(const std::string& caption) const;
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    TMenu* GetParentMenu() const;
    uint16_t Command() const { return command_; }

    virtual void Click();
    // With the menu's AutoHotkeys automatic, every visible item without an accelerator gets the
    // first letter of its caption that no sibling uses yet; true when a caption changed.
    bool RethinkHotkeys();
    // With the menu's AutoLineReduction automatic, separators at the start or end of the items
    // and next to another separator are hidden, the others shown; true when one changed.
    bool RethinkLines();
    virtual void MeasureItem(TCanvas* canvas, int& width, int& height);
    virtual void DrawItem(TCanvas* canvas, const TRect& rect, bool selected);
    virtual void AdvancedDrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state,
                                  bool topLevel);

    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

private:
    friend class TMenu;
    void MenuChanged();
    std::string caption_;
    std::string hint_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;
    uint16_t command_ = 0;
    // A separator that RethinkLines hid; only these does it show again.
    bool lineReduced_ = false;
};

class TMenu : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    TMenuItem* Items() const { return items_; }
    bool OwnerDraw() const { return ownerDraw_; }
    virtual void SetOwnerDraw(bool value);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* images);
    TMenuItem* FindItem(uintptr_t value, TFindItemKind kind) const;
    bool DispatchCommand(uint16_t command);
    // Answers WM_INITMENUPOPUP: the item whose submenu opens is clicked, so that it can fill
    // the submenu first. False when the submenu is not one of this menu's.
    bool DispatchPopup(TMenuItem* submenu);
    // Answers WM_MENUCHAR: the item of the menu in LParam whose "&" letter is the character
    // in the low word of WParam runs (MNC_EXECUTE); of several, the next after the highlighted
    // one is selected (MNC_SELECT); none leaves the result 0.
    void ProcessMenuChar(TMessage& message);
    bool IsShortCut(uint16_t key, TShiftState shift);
    // The help context of the item with a command (byCommand) or of the item whose submenu
    // is the handle; 0 when none names one.
    int GetHelpContext(uintptr_t value, bool byCommand) const;

    // With ParentBiDiMode the owner control's mode counts (the application's without one).
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    // The menu reads right to left: a right-to-left locale and a right-to-left mode.
    bool IsRightToLeft() const;
    // Lays the menu out in its reading order; open menu windows show it again.
    virtual void AdjustBiDiBehavior();
    TMenuAutoFlag AutoHotkeys = TMenuAutoFlag::maAutomatic;
    TMenuAutoFlag AutoLineReduction = TMenuAutoFlag::maAutomatic;
    // The window that receives the owner-draw and command messages of this menu.
    virtual HWND WindowHandle() const;
    virtual void Changed();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMenuItem* items_;
    bool ownerDraw_ = false;
    TCustomImageList* images_ = nullptr;
    TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
    bool parentBiDiMode_ = true;
};

class TMainMenu : public TMenu {
    BV_CLASS_INFO()
public:
    using TMenu::TMenu;
    HWND WindowHandle() const override;
    void Changed() override;
};

enum class TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
    BV_CLASS_INFO()
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    // Shows the menu at a screen point; returns at once (the menu closes on a choice).
    virtual void Popup(int x, int y);
    bool AutoPopup = true;
    TComponent* PopupComponent = nullptr;
    TPopupAlignment Alignment = TPopupAlignment::paLeft;
    TTrackButton TrackButton = TTrackButton::tbRightButton;
    TNotifyEvent OnPopup;
    HWND WindowHandle() const override;
    // The owner window a popup's messages go to; the shared popup list's window by default.
    HWND OwnerWindow() const { return owner_ ? owner_ : WindowHandle(); }
    void SetOwnerWindow(HWND window) { owner_ = window; }

protected:
    virtual void DoPopup();

private:
    HWND owner_ = nullptr;
};

// The flags a popup opens with: its alignment, mirrored when it reads right to left, and
// whether the right button chooses too.
uint32_t PopupTrackFlags(TPopupAlignment alignment, TTrackButton button, bool rightToLeft);

// The window every popup menu's messages go to unless its menu names another.
HWND PopupListWindow();

// The standard look of an item, used when nobody draws it.
void DefaultDrawMenuItem(TMenuItem* item, TDrawItemStruct* dis);
void DefaultMeasureMenuItem(TMenuItem* item, TMeasureItemStruct* mis);
// An item's size as its menu shows it: asked of owner with WM_MEASUREITEM when the program
// draws the menu, else the standard look's.
TMeasureItemStruct MeasureMenuItem(TMenuItem* item, HWND owner, bool ownerDraw);

// Opens the items of parent as a popup at a screen point, their messages going to owner.
void ShowMenuItems(TMenuItem* parent, HWND owner, uint32_t alignFlags, int x, int y);

// The index among the visible items of parent of the item a mnemonic character picks: the
// first such item after current, wrapping; -1 for none. several is set when more than one has it.
int FindMenuMnemonic(const TMenuItem* parent, char16_t ch, int current, bool* several = nullptr);
// The visible items of parent, as a menu window lists them.
std::vector<TMenuItem*> VisibleMenuItems(const TMenuItem* parent);
// The height of the form's menu bar: the tallest of its items as measured for drawing, and
// the line below them.
int MeasureMenuBar(TCustomForm* form);

QWidget* CreateMenuBarWidget(TCustomForm* form, QWidget* parent);
// The keyboard enters the form's menu bar (SC_KEYMENU): with ch 0 its first item is selected;
// otherwise the item whose mnemonic is ch drops down.
void EnterMenuBar(TCustomForm* form, char16_t ch);
// The index among the visible items of parent of the highlighted one in an open menu, or -1.
int HighlightedMenuIndex(const TMenuItem* parent);
// A menu's items changed: the bar and open menu windows showing them measure and paint again.
void RefreshMenuWindows(TMenu* menu);
// An item goes away: a menu window showing it or its items closes.
void ForgetMenuItem(const TMenuItem* item);
// The open popup menu window, for tests and for closing menus.
QWidget* ActiveMenuWindow();
void CloseMenus();
// Chooses an item as a click would: closes the menus and sends the item's command.
void ChooseMenuItem(TMenuItem* item);
