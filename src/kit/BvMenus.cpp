#include "BvMenus.h"

#include "BvMenuItemPainters.h"
#include "BvWndProcHook.h"
#include "ScopeExit.h"

#include <algorithm>
#include <vector>

// ---------------------------------------------------------------- shared routines

namespace {

std::vector<TBvPopupMenu*>& PopupList() {
    static std::vector<TBvPopupMenu*> list;
    return list;
}
HWND gPopupListWindow = nullptr;

bool HoldsMenuHandle(TMenu* menu, intptr_t handle) {
    auto* parent = reinterpret_cast<TMenuItem*>(handle);
    return parent && (parent == menu->Items() ||
                      menu->FindItem(static_cast<uintptr_t>(handle), TFindItemKind::fkHandle));
}

// The item a WM_MENUSELECT names: a submenu by its index in the menu handle, else a command.
TMenuItem* MenuSelectItem(TMenu* menu, const TMessage& m) {
    const uint32_t flags = static_cast<uint32_t>((m.WParam >> 16) & 0xFFFF);
    const int id = static_cast<int>(m.WParam & 0xFFFF);
    if (flags & MF_POPUP) {
        if (!HoldsMenuHandle(menu, m.LParam))
            return nullptr;
        auto* parent = reinterpret_cast<TMenuItem*>(m.LParam);
        return id >= 0 && id < parent->Count() ? parent->Items(id) : nullptr;
    }
    return menu->FindItem(static_cast<uintptr_t>(id), TFindItemKind::fkCommand);
}

void PopupListProc(TMessage& m) {
    try {
        switch (m.Msg) {
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            for (TBvPopupMenu* menu : std::vector<TBvPopupMenu*>(PopupList()))
                if (menu->IsOwnerDrawMenu() && menu->RouteMenuMessage(m))
                    return;
            break;
        case WM_COMMAND:
            for (TBvPopupMenu* menu : std::vector<TBvPopupMenu*>(PopupList()))
                if (menu->DispatchCommand(static_cast<uint16_t>(m.WParam & 0xFFFF)))
                    return;
            break;
        case WM_INITMENUPOPUP:
            for (TBvPopupMenu* menu : std::vector<TBvPopupMenu*>(PopupList()))
                if (menu->DispatchPopup(reinterpret_cast<TMenuItem*>(m.WParam)))
                    return;
            break;
        case WM_MENUSELECT:
            if (((m.WParam >> 16) & 0xFFFF) == MF_MENUCLOSED)
                for (TBvPopupMenu* menu : std::vector<TBvPopupMenu*>(PopupList()))
                    menu->EndBorrowedMode();
            for (TBvPopupMenu* menu : PopupList())
                if (TMenuItem* item = MenuSelectItem(menu, m)) {
                    if (Application)
                        Application->SetHint(item->Hint());
                    if (menu->Cursor != crDefault && Screen)
                        Screen->SetCursor(((m.WParam >> 16) & MF_HILITE) ? menu->Cursor
                                                                         : crDefault);
                    return;
                }
            if (Application)
                Application->SetHint("");
            break;
        case WM_MENUCHAR:
            for (TBvPopupMenu* menu : PopupList())
                if (HoldsMenuHandle(menu, m.LParam)) {
                    menu->ProcessMenuChar(m);
                    return;
                }
            break;
        case WM_HELP: {
            auto* info = reinterpret_cast<const THelpInfo*>(m.LParam);
            if (!info)
                break;
            const auto handle = reinterpret_cast<intptr_t>(info->hItemHandle);
            for (TBvPopupMenu* menu : PopupList())
                if (HoldsMenuHandle(menu, handle)) {
                    int context = menu->GetHelpContext(static_cast<uintptr_t>(info->iCtrlId), true);
                    if (context == 0)
                        context = menu->GetHelpContext(static_cast<uintptr_t>(handle), false);
                    TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
                    if (!active || !Application)
                        return;
                    if (active->BorderIcons & biHelp)
                        Application->HelpCommand(HELP_CONTEXTPOPUP, context);
                    else
                        Application->HelpContext(context);
                    return;
                }
            break;
        }
        default:
            break;
        }
    } catch (...) {
        if (Application)
            Application->HandleException(nullptr);
    }
}

void AddToPopupList(TBvPopupMenu* menu) {
    if (PopupList().empty() && !gPopupListWindow)
        gPopupListWindow = AllocateHWnd(PopupListProc);
    PopupList().push_back(menu);
}

void RemoveFromPopupList(TBvPopupMenu* menu) {
    auto& list = PopupList();
    list.erase(std::remove(list.begin(), list.end(), menu), list.end());
    if (list.empty() && gPopupListWindow) {
        DeallocateHWnd(gPopupListWindow);
        gPopupListWindow = nullptr;
    }
}

} // namespace

int OwnerDrawItemRoom() {
    return GetSystemMetrics(SM_CXMENUCHECK);
}

void DrawSubmenuArrow(TCanvas* canvas, const TRect& itemRect, TMenuOwnerDrawState state,
                      bool rightToLeft) {
    // A triangle pointing the way the submenu opens, in the room kept after the painter's
    // width (before it, mirrored, when the menu reads right to left), in the caption's colour
    // (grey for a disabled item).
    const int room = OwnerDrawItemRoom();
    const int x = rightToLeft ? itemRect.Left + room / 2 + 1 : itemRect.Right - room / 2 - 2;
    const int step = rightToLeft ? -1 : 1;
    const int y = (itemRect.Top + itemRect.Bottom) / 2;
    const TColor color = (state & mdDisabled) ? clGrayText : canvas->Font()->Color();
    canvas->Pen()->SetStyle(TPenStyle::psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(color);
    for (int i = 0; i < 4; ++i) {
        canvas->MoveTo(x + step * i, y - 3 + i);
        canvas->LineTo(x + step * i, y + 4 - i);
    }
}

HWND BvPopupListWindow() {
    return gPopupListWindow;
}

bool IsSeparatorItem(const TMenuItem* item) {
    return item && item->Caption() == "-";
}

bool IsItemPopup(const TMenuItem* item) {
    if (!item || !item->Parent())
        return true;
    TMenu* menu = item->Parent()->GetParentMenu();
    return !(menu && menu->Items() == item->Parent() && dynamic_cast<TMainMenu*>(menu));
}

bool IsFlatMenus() {
    return false;
}

void SetDefaultMenuFont(TFont* font) {
    if (!font)
        return;
    // The screen's menu font is the platform's; without a screen the sans-serif UI face.
    if (Screen && Screen->MenuFont()) {
        font->Assign(*Screen->MenuFont());
        font->SetColor(clMenuText);
        return;
    }
    font->SetName("DejaVu Sans");
    font->SetSize(8);
    font->SetStyle(0);
    font->SetColor(clMenuText);
}

std::string StripAccelerators(const std::string& caption) {
    std::string out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&')
                out += '&';
            ++i;
            if (i < caption.size() && caption[i] != '&')
                out += caption[i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

TBvCustomMenuItemPainter* CreateMenuItemPainter(TBvMenuStyle style, TComponent* menu) {
    TBvCustomMenuItemPainter* painter = nullptr;
    switch (style) {
    case TBvMenuStyle::msOwnerDraw:
        painter = new TBvOwnerDrawMenuItemPainter(nullptr);
        break;
    case TBvMenuStyle::msBtnLowered:
        painter = new TBvBtnMenuItemPainter(nullptr, true);
        break;
    case TBvMenuStyle::msBtnRaised:
        painter = new TBvBtnMenuItemPainter(nullptr, false);
        break;
    case TBvMenuStyle::msOffice:
        painter = new TBvOfficeMenuItemPainter(nullptr);
        break;
    case TBvMenuStyle::msXP:
        painter = new TBvXPMenuItemPainter(nullptr);
        break;
    case TBvMenuStyle::msStandard:
    case TBvMenuStyle::msItemPainter:
        painter = new TBvStandardMenuItemPainter(nullptr);
        break;
    }
    painter->SetMenu(menu);
    return painter;
}

// ---------------------------------------------------------------- margins and sizes

const TClassInfo& TBvImageMargin::StaticClassInfo() {
    static const TClassInfo info("TBvImageMargin", &TPersistent::StaticClassInfo(), {}, "BvMenus");
    return info;
}
void TBvImageMargin::Assign(const TPersistent& source) {
    if (auto* m = dynamic_cast<const TBvImageMargin*>(&source)) {
        Left = m->Left;
        Top = m->Top;
        Right = m->Right;
        Bottom = m->Bottom;
        return;
    }
    TPersistent::Assign(source);
}

const TClassInfo& TBvMenuImageSize::StaticClassInfo() {
    static const TClassInfo info("TBvMenuImageSize", &TPersistent::StaticClassInfo(), {},
                                 "BvMenus");
    return info;
}
void TBvMenuImageSize::Assign(const TPersistent& source) {
    if (auto* s = dynamic_cast<const TBvMenuImageSize*>(&source)) {
        Height = s->Height;
        Width = s->Width;
        return;
    }
    TPersistent::Assign(source);
}

// ---------------------------------------------------------------- what both menus share

// An image list's change handler is a single slot: a menu chains in front of whatever was
// there, and a link whose menu has left only hands the change on.
struct TBvMenuCommon::TLink {
    TBvMenuCommon* Menu = nullptr;
    std::function<void(TCustomImageList&)> Previous;
    bool Alive = true;
};

namespace {
struct TLinkCall {
    std::shared_ptr<void> Keep;
    std::function<void(TCustomImageList&)>* Previous;
    bool* Alive;
    std::function<void(TCustomImageList&)> Changed;
    void operator()(TCustomImageList& list) const {
        std::shared_ptr<void> keep = Keep;
        if (*Previous)
            (*Previous)(list);
        if (*Alive)
            Changed(list);
    }
};
} // namespace

TBvMenuCommon::TBvMenuCommon(TMenu* self)
    : self_(self), imageMargin_(std::make_unique<TBvImageMargin>()),
      imageSize_(std::make_unique<TBvMenuImageSize>()) {}

TBvMenuCommon::~TBvMenuCommon() = default;

void TBvMenuCommon::Relink(TCustomImageList*& slot, TCustomImageList* value,
                           std::shared_ptr<TLink>& link) {
    if (slot == value)
        return;
    if (slot) {
        TLinkCall* call = slot->OnChange.target<TLinkCall>();
        if (call && link && call->Keep == link)
            slot->OnChange = link->Previous;
        if (link)
            link->Alive = false;
        self_->RemoveFreeNotification(slot);
    }
    link.reset();
    slot = value;
    if (value) {
        self_->FreeNotification(value);
        link = std::make_shared<TLink>();
        link->Menu = this;
        link->Previous = value->OnChange;
        value->OnChange = TLinkCall{link, &link->Previous, &link->Alive,
                                    [this](TCustomImageList& l) { ImagesChanged(&l); }};
    }
}

void TBvMenuCommon::ReleaseLinks() {
    Relink(images_, nullptr, imagesLink_);
    Relink(hotImages_, nullptr, hotLink_);
    Relink(disabledImages_, nullptr, disabledLink_);
    if (itemPainter_) {
        itemPainter_->SetMenu(nullptr);
        self_->RemoveFreeNotification(itemPainter_);
        itemPainter_ = nullptr;
    }
}

void TBvMenuCommon::SetBvImages(TCustomImageList* value) {
    const bool before = IsOwnerDrawMenu();
    Relink(images_, value, imagesLink_);
    if (IsOwnerDrawMenu() != before)
        RefreshMenu(IsOwnerDrawMenu());
}
void TBvMenuCommon::SetHotImages(TCustomImageList* value) {
    const bool before = IsOwnerDrawMenu();
    Relink(hotImages_, value, hotLink_);
    if (IsOwnerDrawMenu() != before)
        RefreshMenu(IsOwnerDrawMenu());
}
void TBvMenuCommon::SetDisabledImages(TCustomImageList* value) {
    const bool before = IsOwnerDrawMenu();
    Relink(disabledImages_, value, disabledLink_);
    if (IsOwnerDrawMenu() != before)
        RefreshMenu(IsOwnerDrawMenu());
}

void TBvMenuCommon::ImagesChanged(TCustomImageList* sender) {
    if (sender && (sender == images_ || sender == hotImages_ || sender == disabledImages_))
        RefreshMenu(IsOwnerDrawMenu());
}

void TBvMenuCommon::ForgetComponent(TComponent* component) {
    // The component is going: its change slot and free notifications go with it.
    auto forget = [&](TCustomImageList*& slot, std::shared_ptr<TLink>& link) {
        if (slot && slot == component) {
            if (link)
                link->Alive = false;
            link.reset();
            slot = nullptr;
        }
    };
    forget(images_, imagesLink_);
    forget(hotImages_, hotLink_);
    forget(disabledImages_, disabledLink_);
    if (itemPainter_ && itemPainter_ == component)
        itemPainter_ = nullptr;
}

void TBvMenuCommon::SetItemPainter(TBvCustomMenuItemPainter* value) {
    if (value == itemPainter_)
        return;
    if (itemPainter_) {
        itemPainter_->SetMenu(nullptr);
        self_->RemoveFreeNotification(itemPainter_);
    }
    itemPainter_ = value;
    if (value) {
        style_ = TBvMenuStyle::msItemPainter;
        self_->FreeNotification(value);
        value->SetMenu(self_);
    } else if (dynamic_cast<TBvMainMenu*>(self_)) {
        SetStyle(TBvMenuStyle::msStandard);
    }
    RefreshMenu(IsOwnerDrawMenu());
}

TBvCustomMenuItemPainter* TBvMenuCommon::ActiveItemPainter() const {
    if (style_ == TBvMenuStyle::msItemPainter && itemPainter_)
        return itemPainter_;
    return stylePainter_.get();
}

void TBvMenuCommon::ReplaceStylePainter() {
    stylePainter_.reset(CreateMenuItemPainter(style_, self_));
}

void TBvMenuCommon::RefreshMenu(bool ownerDraw) {
    self_->SetOwnerDraw(ownerDraw && !self_->IsDesigning());
}

void TBvMenuCommon::DrawItem(TMenuItem* item, const TRect& rect, TMenuOwnerDrawState state) {
    if (!canvas_ || !canvas_->HandleAllocated())
        return;
    TBvCustomMenuItemPainter* painter = ActiveItemPainter();
    painter->SetMenu(self_);
    painter->Paint(item, rect, state);
}

void TBvMenuCommon::DoMeasureMenuItem(TMenuItem* item, int& width, int& height) {
    if (OnMeasureItem)
        OnMeasureItem(self_, item, width, height);
}

void TBvMenuCommon::GetItemParams(TMenuItem* item, TMenuOwnerDrawState state, TFont* font,
                                  TColor& color, TGraphic*& graphic, int& numGlyphs) {
    if (OnGetItemParams)
        OnGetItemParams(self_, item, state, font, color, graphic, numGlyphs);
    if (IsSeparatorItem(item))
        graphic = nullptr;
}

void TBvMenuCommon::GetImageIndex(TMenuItem* item, TMenuOwnerDrawState state, int& imageIndex) {
    if (images_ && !IsSeparatorItem(item) && OnGetImageIndex)
        OnGetImageIndex(self_, item, state, imageIndex);
}

bool TBvMenuCommon::RouteMenuMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
        if (!dis || dis->CtlType != ODT_MENU)
            return false;
        TMenuItem* item = self_->FindItem(dis->itemID, TFindItemKind::fkCommand);
        if (!item)
            return false;
        dis->itemData = reinterpret_cast<uintptr_t>(item);
        DrawItemMessage(m);
        m.Result = 1;
        return true;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
        if (!mis || mis->CtlType != ODT_MENU)
            return false;
        TMenuItem* item = self_->FindItem(mis->itemID, TFindItemKind::fkCommand);
        if (!item)
            return false;
        mis->itemData = reinterpret_cast<uintptr_t>(item);
        MeasureItemMessage(m);
        m.Result = 1;
        return true;
    }
    case WM_MENUSELECT:
        MenuSelect(m);
        return false;
    case WM_MENUCHAR:
        self_->ProcessMenuChar(m);
        return false;
    default:
        return false;
    }
}

void TBvMenuCommon::DrawItemMessage(TMessage& m) {
    auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
    // The item must still be the one the command names: a stale pointer is never followed.
    TMenuItem* item = self_->FindItem(dis->itemID, TFindItemKind::fkCommand);
    if (!item || reinterpret_cast<uintptr_t>(item) != dis->itemData || !dis->hDC)
        return;
    const TMenuOwnerDrawState state = static_cast<TMenuOwnerDrawState>(dis->itemState & 0xFF);
    TCanvas canvas;
    canvas.AttachTo(dis->hDC);
    const int saved = canvas.SaveDC();
    // The whole picture of the window the item sits in, before the item's clip.
    windowRect_ = canvas.ClipRect();
    SetDefaultMenuFont(canvas.Font());
    canvas.Font()->SetColor(clMenuText);
    canvas.Brush()->SetColor(clMenu);
    if (state & mdDefault)
        canvas.Font()->SetStyle(canvas.Font()->Style() | fsBold);
    if ((state & mdSelected) && style_ != TBvMenuStyle::msBtnLowered &&
        style_ != TBvMenuStyle::msBtnRaised) {
        canvas.Brush()->SetColor(clHighlight);
        canvas.Font()->SetColor(clHighlightText);
    }
    canvas.IntersectClip(dis->rcItem);
    canvas_ = &canvas;
    TScopeExit reset([&Slot = canvas_] { Slot = nullptr; });
    DrawItem(item, dis->rcItem, state);
    if (item->Count() > 0 && IsItemPopup(item))
        DrawSubmenuArrow(&canvas, dis->rcItem, state,
                         self_->BiDiMode() == TBiDiMode::bdRightToLeft);
    canvas.RestoreDC(saved);
}

void TBvMenuCommon::MeasureItemMessage(TMessage& m) {
    auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
    TMenuItem* item = self_->FindItem(mis->itemID, TFindItemKind::fkCommand);
    if (!item)
        return;
    // Measured with the face the items are drawn in, so that no caption is cut.
    TCanvas canvas;
    SetDefaultMenuFont(canvas.Font());
    if (item->Default)
        canvas.Font()->SetStyle(fsBold);
    canvas_ = &canvas;
    TScopeExit reset([&Slot = canvas_] { Slot = nullptr; });
    TBvCustomMenuItemPainter* painter = ActiveItemPainter();
    painter->SetMenu(self_);
    int width = static_cast<int>(mis->itemWidth);
    int height = static_cast<int>(mis->itemHeight);
    painter->Measure(item, width, height);
    width += OwnerDrawItemRoom();
    mis->itemWidth = static_cast<uint32_t>(std::max(0, width));
    mis->itemHeight = static_cast<uint32_t>(std::max(0, height));
}

void TBvMenuCommon::CopyLookFrom(const TBvMenuCommon& other) {
    Cursor = other.Cursor;
    SetDisabledImages(other.disabledImages_);
    SetHotImages(other.hotImages_);
    ImageMargin()->Assign(*other.ImageMargin());
    SetBvImages(other.images_);
    ImageSize()->Assign(*other.ImageSize());
    ShowCheckMarks = other.ShowCheckMarks;
    SetStyle(other.style_);
    TextMargin = other.TextMargin;
    TextVAlignment = other.TextVAlignment;
    self_->AutoHotkeys = other.self_->AutoHotkeys;
    self_->AutoLineReduction = other.self_->AutoLineReduction;
    if (other.self_->ParentBiDiMode())
        self_->SetParentBiDiMode(true);
    else
        self_->SetBiDiMode(other.self_->BiDiMode());
}

// ---------------------------------------------------------------- the main menu

const TClassInfo& TBvMainMenu::StaticClassInfo() {
    static const TClassInfo info("TBvMainMenu", &TMainMenu::StaticClassInfo(), {}, "BvMenus");
    return info;
}

TBvMainMenu::TBvMainMenu(TComponent* owner) : TMainMenu(owner), TBvMenuCommon(this) {
    // Made here, once the menu is whole, so that the painter binds to it.
    ReplaceStylePainter();
    SetOwnerDraw(true);
    hooked_ = HookedControl();
    if (hooked_)
        RegisterWndProcHook(hooked_, TBvHookMethod(this, &TBvMainMenu::HookProc),
                            TBvHookOrder::hoAfterMsg);
}

TBvMainMenu::~TBvMainMenu() {
    Destroying();
    if (hooked_ && IsControlAlive(hooked_))
        UnRegisterWndProcHook(hooked_, TBvHookMethod(this, &TBvMainMenu::HookProc),
                              TBvHookOrder::hoAfterMsg);
    ReleaseLinks();
}

TWinControl* TBvMainMenu::HookedControl() const {
    if (auto* control = dynamic_cast<TWinControl*>(FindControl(WindowHandle())))
        return control;
    return dynamic_cast<TWinControl*>(Owner());
}

bool TBvMainMenu::HookProc(TMessage& message) {
    RouteMenuMessage(message);
    return false;
}

void TBvMainMenu::SetStyle(TBvMenuStyle value) {
    if (value == style_)
        return;
    style_ = value;
    if (!(value == TBvMenuStyle::msItemPainter && itemPainter_)) {
        if (itemPainter_) {
            itemPainter_->SetMenu(nullptr);
            RemoveFreeNotification(itemPainter_);
            itemPainter_ = nullptr;
        }
        ReplaceStylePainter();
    }
    RefreshMenu(IsOwnerDrawMenu());
}

void TBvMainMenu::SetImages(TCustomImageList* value) {
    SetBvImages(value);
    TMainMenu::SetImages(value);
}

void TBvMainMenu::Loaded() {
    TMainMenu::Loaded();
    if (IsOwnerDrawMenu())
        RefreshMenu(true);
}

void TBvMainMenu::Notification(TComponent* component, TOperation operation) {
    TMainMenu::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        const bool painter = component && component == itemPainter_;
        ForgetComponent(component);
        if (painter)
            SetStyle(TBvMenuStyle::msStandard);
    }
}

void TBvMainMenu::MenuSelect(TMessage& m) {
    if (Cursor == crDefault || !Screen)
        return;
    TMenuItem* item = MenuSelectItem(this, m);
    const uint32_t flags = static_cast<uint32_t>((m.WParam >> 16) & 0xFFFF);
    if (item && (IsItemPopup(item) || item->Count() == 0) && (flags & MF_HILITE))
        Screen->SetCursor(Cursor);
    else
        Screen->SetCursor(crDefault);
}

// ---------------------------------------------------------------- popup menus

const TClassInfo& TBvPopupMenu::StaticClassInfo() {
    static const TClassInfo info("TBvPopupMenu", &TPopupMenu::StaticClassInfo(), {}, "BvMenus");
    return info;
}

TBvPopupMenu::TBvPopupMenu(TComponent* owner) : TPopupMenu(owner), TBvMenuCommon(this) {
    ReplaceStylePainter();
    AddToPopupList(this);
    SetOwnerWindow(BvPopupListWindow());
}

TBvPopupMenu::~TBvPopupMenu() {
    Destroying();
    ReleaseLinks();
    RemoveFromPopupList(this);
}

bool TBvPopupMenu::IsOwnerDrawMenu() const {
    return style_ != TBvMenuStyle::msStandard ||
           (TBvMenuCommon::images_ && TBvMenuCommon::images_->Count() > 0);
}

void TBvPopupMenu::SetStyle(TBvMenuStyle value) {
    if (value == style_)
        return;
    style_ = value;
    if (value != TBvMenuStyle::msItemPainter) {
        if (itemPainter_) {
            itemPainter_->SetMenu(nullptr);
            RemoveFreeNotification(itemPainter_);
            itemPainter_ = nullptr;
        }
        ReplaceStylePainter();
    }
    RefreshMenu(IsOwnerDrawMenu());
}

void TBvPopupMenu::Loaded() {
    TPopupMenu::Loaded();
    if (IsOwnerDrawMenu())
        RefreshMenu(true);
}

void TBvPopupMenu::Popup(int x, int y) {
    // An open popup closes first, so that its close gives back its own borrowed mode and
    // not the one this popup is about to borrow.
    CloseMenus();
    EndBorrowedMode();
    popupPoint_ = TPoint{x, y};
    const bool parentBiDi = ParentBiDiMode();
    TControl* under = FindDragTarget({x, y}, true);
    if (SysLocale.MiddleEast && parentBiDi) {
        // The mode borrowed from the control under the point lasts while this popup is open.
        borrowedMode_ = true;
        SetBiDiMode(under ? under->BiDiMode() : Application ? Application->BiDiMode : BiDiMode());
    }
    DoPopup();
    if (IsOwnerDrawMenu())
        RefreshMenu(true);
    AdjustBiDiBehavior();
    bool rightToLeft = false;
    if (SysLocale.MiddleEast) {
        if (parentBiDi)
            rightToLeft = under ? under->UseRightToLeftAlignment()
                                : Application && Application->BiDiMode == TBiDiMode::bdRightToLeft;
        else
            rightToLeft = BiDiMode() == TBiDiMode::bdRightToLeft;
    }
    SetOwnerWindow(BvPopupListWindow());
    ShowMenuItems(Items(), BvPopupListWindow(),
                  PopupTrackFlags(Alignment, TrackButton, rightToLeft), x, y);
}

void TBvPopupMenu::EndBorrowedMode() {
    if (!borrowedMode_)
        return;
    borrowedMode_ = false;
    SetParentBiDiMode(true);
}

void TBvPopupMenu::Assign(const TPersistent& source) {
    const TBvMenuCommon* other = dynamic_cast<const TBvPopupMenu*>(&source);
    if (!other)
        other = dynamic_cast<const TBvMainMenu*>(&source);
    if (!other) {
        TPopupMenu::Assign(source);
        return;
    }
    CopyLookFrom(*other);
    Tag = dynamic_cast<const TComponent&>(source).Tag;
}

void TBvPopupMenu::Notification(TComponent* component, TOperation operation) {
    TPopupMenu::Notification(component, operation);
    if (operation == TOperation::opRemove)
        ForgetComponent(component);
}
