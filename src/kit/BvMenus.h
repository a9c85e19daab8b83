// The program's drawn menus: a main menu and popup menus whose items are owner-drawn and
// handed to an item painter (standard, owner-draw, button, office or XP look). The main menu
// hears its form's owner-draw messages through an after-hook on the form; every popup menu
// shares one hidden window that owns the popups they open.
#pragma once

#include "Forms.h"
#include "Graphics.h"
#include "Menus.h"

#include <functional>
#include <memory>
#include <string>

class TBvCustomMenuItemPainter;
class TBvMainMenu;
class TBvPopupMenu;

enum class TBvMenuStyle {
    msStandard,
    msOwnerDraw,
    msBtnLowered,
    msBtnRaised,
    msOffice,
    msXP,
    msItemPainter
};
enum class TBvVerticalAlignment { vaTop, vaMiddle, vaBottom };

// The owner-draw item state, bit for bit the low byte of a draw message's item state.
using TMenuOwnerDrawState = uint8_t;
constexpr TMenuOwnerDrawState mdSelected = 0x01;
constexpr TMenuOwnerDrawState mdGrayed = 0x02;
constexpr TMenuOwnerDrawState mdDisabled = 0x04;
constexpr TMenuOwnerDrawState mdChecked = 0x08;
constexpr TMenuOwnerDrawState mdFocused = 0x10;
constexpr TMenuOwnerDrawState mdDefault = 0x20;
constexpr TMenuOwnerDrawState mdHotlight = 0x40;
constexpr TMenuOwnerDrawState mdInactive = 0x80;

using TItemImageEvent =
    std::function<void(TMenu* sender, TMenuItem* item, TMenuOwnerDrawState state, int& imageIndex)>;
using TDrawMenuItemEvent = std::function<void(TMenu* sender, TMenuItem* item, const TRect& rect,
                                              TMenuOwnerDrawState state)>;
using TItemParamsEvent =
    std::function<void(TMenu* sender, TMenuItem* item, TMenuOwnerDrawState state, TFont* font,
                       TColor& color, TGraphic*& graphic, int& numGlyphs)>;
using TMeasureMenuItemEvent =
    std::function<void(TMenu* sender, TMenuItem* item, int& width, int& height)>;
using TBvDrawLeftMarginEvent = std::function<void(TMenu* sender, const TRect& rect)>;

class TBvImageMargin : public TPersistent {
    BV_CLASS_INFO()
public:
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    void Assign(const TPersistent& source) override;
};

class TBvMenuImageSize : public TPersistent {
    BV_CLASS_INFO()
public:
    int Height = 0;
    int Width = 0;
    void Assign(const TPersistent& source) override;
};

// A separator is an item whose caption is exactly "-".
bool IsSeparatorItem(const TMenuItem* item);
// False only for a top-level item of a main menu (an item of the menu bar).
bool IsItemPopup(const TMenuItem* item);
// Flat menus are a Windows XP setting; this desktop has none.
bool IsFlatMenus();
// The platform's menu face (the sans-serif UI face), 8 points, in the menu text colour.
void SetDefaultMenuFont(TFont* font);
// The caption without its "&" marks ("&&" stands for one "&").
std::string StripAccelerators(const std::string& caption);

// What both drawn menus add to the framework's menus: the look, the images and the events that
// the painters read, and the routing of the owner-draw messages to the active painter.
class TBvMenuCommon {
public:
    explicit TBvMenuCommon(TMenu* self);
    virtual ~TBvMenuCommon();
    TBvMenuCommon(const TBvMenuCommon&) = delete;
    TBvMenuCommon& operator=(const TBvMenuCommon&) = delete;

    TMenu* AsMenu() const { return self_; }

    TBvMenuStyle Style() const { return style_; }
    virtual void SetStyle(TBvMenuStyle value) = 0;
    TBvCustomMenuItemPainter* ItemPainter() const { return itemPainter_; }
    void SetItemPainter(TBvCustomMenuItemPainter* value);
    // The explicit painter for msItemPainter when there is one, else the style's own painter.
    TBvCustomMenuItemPainter* ActiveItemPainter() const;
    TBvCustomMenuItemPainter* StylePainter() const { return stylePainter_.get(); }

    TCustomImageList* Images() const { return images_; }
    void SetBvImages(TCustomImageList* value);
    TCustomImageList* HotImages() const { return hotImages_; }
    void SetHotImages(TCustomImageList* value);
    TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(TCustomImageList* value);
    TBvImageMargin* ImageMargin() const { return imageMargin_.get(); }
    TBvMenuImageSize* ImageSize() const { return imageSize_.get(); }

    TCursor Cursor = crDefault;
    bool ShowCheckMarks = false;
    int TextMargin = 0;
    TBvVerticalAlignment TextVAlignment = TBvVerticalAlignment::vaMiddle;

    TItemImageEvent OnGetImageIndex;
    TItemImageEvent OnGetDisabledImageIndex;
    TItemImageEvent OnGetHotImageIndex;
    TDrawMenuItemEvent OnDrawItem;
    TItemParamsEvent OnGetItemParams;
    TMeasureMenuItemEvent OnMeasureItem;

    virtual bool IsOwnerDrawMenu() const = 0;
    // Turns owner drawing on or off (never at design time).
    virtual void RefreshMenu(bool ownerDraw);
    virtual void DrawItem(TMenuItem* item, const TRect& rect, TMenuOwnerDrawState state);

    virtual void DoMeasureMenuItem(TMenuItem* item, int& width, int& height);
    virtual void GetItemParams(TMenuItem* item, TMenuOwnerDrawState state, TFont* font,
                               TColor& color, TGraphic*& graphic, int& numGlyphs);
    virtual void GetImageIndex(TMenuItem* item, TMenuOwnerDrawState state, int& imageIndex);

    // The canvas of the item being measured or drawn; nullptr between items.
    TCanvas* Canvas() const { return canvas_; }
    // The picture of the window that the item being drawn sits in, in its own coordinates.
    TRect WindowRect() const { return windowRect_; }
    void SetWindowRect(const TRect& r) { windowRect_ = r; }

    // Routes the owner-draw, menu-select and menu-char messages of this menu; true when the
    // message was this menu's.
    bool RouteMenuMessage(TMessage& message);
    void CopyLookFrom(const TBvMenuCommon& other);

protected:
    void ReplaceStylePainter();
    // Leaves the image lists and the explicit painter without refreshing anything.
    void ReleaseLinks();
    void ImagesChanged(TCustomImageList* sender);
    void ForgetComponent(TComponent* component);
    virtual void MenuSelect(TMessage&) {}
    void DrawItemMessage(TMessage& message);
    void MeasureItemMessage(TMessage& message);

    TMenu* self_;
    TBvMenuStyle style_ = TBvMenuStyle::msStandard;
    std::unique_ptr<TBvCustomMenuItemPainter> stylePainter_;
    TBvCustomMenuItemPainter* itemPainter_ = nullptr;
    TCustomImageList* images_ = nullptr;
    TCustomImageList* hotImages_ = nullptr;
    TCustomImageList* disabledImages_ = nullptr;
    std::unique_ptr<TBvImageMargin> imageMargin_;
    std::unique_ptr<TBvMenuImageSize> imageSize_;
    TCanvas* canvas_ = nullptr;
    TRect windowRect_{0, 0, 0, 0};

private:
    struct TLink;
    void Relink(TCustomImageList*& slot, TCustomImageList* value, std::shared_ptr<TLink>& link);
    std::shared_ptr<TLink> imagesLink_, hotLink_, disabledLink_;
};

class TBvMainMenu : public TMainMenu, public TBvMenuCommon {
    BV_CLASS_INFO()
public:
    explicit TBvMainMenu(TComponent* owner);
    using TBvMenuCommon::Images;
    ~TBvMainMenu() override;
    void SetStyle(TBvMenuStyle value) override;
    // Also hands the list to the framework's menu.
    void SetImages(TCustomImageList* value);
    bool IsOwnerDrawMenu() const override { return true; }
    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void MenuSelect(TMessage& message) override;

private:
    bool HookProc(TMessage& message);
    TWinControl* HookedControl() const;
    TWinControl* hooked_ = nullptr;
};

class TBvPopupMenu : public TPopupMenu, public TBvMenuCommon {
    BV_CLASS_INFO()
public:
    explicit TBvPopupMenu(TComponent* owner);
    using TBvMenuCommon::Images;
    ~TBvPopupMenu() override;
    void SetStyle(TBvMenuStyle value) override;
    void SetImages(TCustomImageList* value) { SetBvImages(value); }
    bool IsOwnerDrawMenu() const override;
    void Loaded() override;
    void Popup(int x, int y) override;
    TPoint PopupPoint() const { return popupPoint_; }
    // The popup closed: a mode borrowed from the control under its point goes back.
    void EndBorrowedMode();
    void Assign(const TPersistent& source) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TPoint popupPoint_{-1, -1};
    // A popup borrowed the mode of the control under its point in place of its parent's; it
    // holds until the popup closes, as the items are drawn while it is open, after Popup
    // has returned.
    bool borrowedMode_ = false;
};

// The hidden window that owns every popup of the drawn popup menus; it exists while at least
// one of them does.
HWND BvPopupListWindow();

// The room kept to the right of an owner-drawn item's measured width, as the system keeps it:
// the submenu arrow goes there, and no caption or shortcut touches the window's edge.
int OwnerDrawItemRoom();
void DrawSubmenuArrow(TCanvas* canvas, const TRect& itemRect, TMenuOwnerDrawState state,
                      bool rightToLeft = false);

// Makes the painter of a style, owned by menu and bound to it.
TBvCustomMenuItemPainter* CreateMenuItemPainter(TBvMenuStyle style, TComponent* menu);
