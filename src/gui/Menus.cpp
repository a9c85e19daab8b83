#include "Menus.h"

#include "Forms.h"
#include "WinApi.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace {

uint16_t gNextCommand = 1;
std::vector<TPopupMenu*>& PopupMenus() {
    static std::vector<TPopupMenu*> menus;
    return menus;
}
HWND gPopupListWindow = nullptr;

const int kSeparatorHeight = 9;

TMenuItem* FindIn(TMenuItem* root, uintptr_t value, TFindItemKind kind) {
    if (!root)
        return nullptr;
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* it = root->Items(i);
        switch (kind) {
        case TFindItemKind::fkCommand:
            if (it->Command() == value)
                return it;
            break;
        case TFindItemKind::fkHandle:
            if (reinterpret_cast<uintptr_t>(it) == value)
                return it;
            break;
        case TFindItemKind::fkShortCut:
            if (it->ShortCut != 0 && it->ShortCut == value)
                return it;
            break;
        }
        if (TMenuItem* found = FindIn(it, value, kind))
            return found;
    }
    return nullptr;
}

TOwnerDrawState StateFromOds(uint32_t ods) {
    return static_cast<TOwnerDrawState>(ods & 0xFF);
}

void PopupListProc(TMessage& m) {
    auto findItem = [](uintptr_t command) -> TMenuItem* {
        for (TPopupMenu* menu : PopupMenus())
            if (TMenuItem* it = menu->FindItem(command, TFindItemKind::fkCommand))
                return it;
        return nullptr;
    };
    switch (m.Msg) {
    case WM_COMMAND:
        for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupMenus()))
            if (menu->DispatchCommand(static_cast<uint16_t>(m.WParam)))
                return;
        break;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
        if (dis && dis->CtlType == ODT_MENU)
            if (TMenuItem* it = findItem(dis->itemID)) {
                DefaultDrawMenuItem(it, dis);
                m.Result = 1;
            }
        break;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
        if (mis && mis->CtlType == ODT_MENU)
            if (TMenuItem* it = findItem(mis->itemID)) {
                DefaultMeasureMenuItem(it, mis);
                m.Result = 1;
            }
        break;
    }
    case WM_INITMENUPOPUP:
        for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupMenus()))
            if (menu->DispatchPopup(reinterpret_cast<TMenuItem*>(m.WParam)))
                return;
        break;
    case WM_MENUCHAR:
        for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupMenus())) {
            menu->ProcessMenuChar(m);
            if (m.Result != 0)
                return;
        }
        break;
    default:
        break;
    }
}

} // namespace

HWND PopupListWindow() {
    if (!gPopupListWindow)
        gPopupListWindow = AllocateHWnd(PopupListProc);
    return gPopupListWindow;
}

void ChooseMenuItem(TMenuItem* item) {
    CloseMenus();
    if (!item || !item->Enabled())
        return;
    TMenu* menu = item->GetParentMenu();
    HWND owner = nullptr;
    if (auto* popup = dynamic_cast<TPopupMenu*>(menu))
        owner = popup->OwnerWindow();
    else if (menu)
        owner = menu->WindowHandle();
    if (IsWindow(owner))
        owner->Perform(WM_COMMAND, item->Command(), 0);
    else
        item->Click();
}

// ---------------------------------------------------------------- short cuts

TShortCut ShortCut(uint16_t key, TShiftState shift) {
    TShortCut s = key & 0xFF;
    if (shift & ssShift)
        s |= scShift;
    if (shift & ssCtrl)
        s |= scCtrl;
    if (shift & ssAlt)
        s |= scAlt;
    return s;
}

namespace {
struct KeyName {
    uint16_t Key;
    const char* Name;
};
const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};
std::string KeyToText(uint16_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F1 + 23)
        return std::string("F").append(std::to_string(key - VK_F1 + 1));
    for (const auto& k : kKeyNames)
        if (k.Key == key)
            return k.Name;
    return {};
}
} // namespace

std::string ShortCutToText(TShortCut shortCut) {
    std::string name = KeyToText(shortCut & 0xFF);
    if (name.empty())
        return {};
    std::string prefix;
    if (shortCut & scShift)
        prefix += "Shift+";
    if (shortCut & scCtrl)
        prefix += "Ctrl+";
    if (shortCut & scAlt)
        prefix += "Alt+";
    return prefix + name;
}

TShortCut TextToShortCut(const std::string& text) {
    std::string rest = text;
    TShortCut mods = 0;
    for (;;) {
        if (rest.size() > 6 && SameText(rest.substr(0, 6), "Shift+")) {
            mods |= scShift;
            rest = rest.substr(6);
        } else if (rest.size() > 5 && SameText(rest.substr(0, 5), "Ctrl+")) {
            mods |= scCtrl;
            rest = rest.substr(5);
        } else if (rest.size() > 4 && SameText(rest.substr(0, 4), "Alt+")) {
            mods |= scAlt;
            rest = rest.substr(4);
        } else {
            break;
        }
    }
    for (uint16_t key = 8; key <= 255; ++key) {
        std::string name = KeyToText(key);
        if (!name.empty() && SameText(name, rest))
            return static_cast<TShortCut>(mods | key);
    }
    return 0;
}

// ---------------------------------------------------------------- TMenuItem

const TClassInfo& TMenuItem::StaticClassInfo() {
    static const TClassInfo info(
        "TMenuItem", &TComponent::StaticClassInfo(),
        {StrProp<TMenuItem>("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption),
         StrProp<TMenuItem>("Hint", &TMenuItem::Hint, &TMenuItem::SetHint),
         IntProp<TMenuItem, int>("ShortCut", &TMenuItem::ShortCutValue,
                                 &TMenuItem::SetShortCutValue),
         BoolProp<TMenuItem>("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked),
         BoolProp<TMenuItem>("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled),
         BoolProp<TMenuItem>("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)},
        "Menus");
    return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(gNextCommand++) {
    if (gNextCommand == 0)
        gNextCommand = 1;
}

TMenuItem::~TMenuItem() {
    Destroying();
    ForgetMenuItem(this);
    Clear();
    if (parent_)
        parent_->Remove(this);
}

void TMenuItem::SetCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    MenuChanged();
}

void TMenuItem::SetChecked(bool value) {
    if (value == checked_)
        return;
    checked_ = value;
    MenuChanged();
}

void TMenuItem::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    MenuChanged();
}

void TMenuItem::SetVisible(bool value) {
    if (value == visible_)
        return;
    visible_ = value;
    MenuChanged();
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return items_[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item)
        return;
    if (item->parent_)
        throw EInvalidOperation("Menu inserted twice");
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    MenuChanged();
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = Items(index);
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    MenuChanged();
}

void TMenuItem::Remove(TMenuItem* item) {
    int i = IndexOf(item);
    if (i >= 0)
        Delete(i);
}

void TMenuItem::Clear() {
    while (!items_.empty()) {
        TMenuItem* it = items_.back();
        items_.pop_back();
        it->parent_ = nullptr;
        // Items nobody owns belong to their parent item.
        if (!it->Owner())
            delete it;
    }
    MenuChanged();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
    for (TMenuItem* it : items_) {
        std::string c = it->caption_;
        c.erase(std::remove(c.begin(), c.end(), '&'), c.end());
        std::string want = caption;
        want.erase(std::remove(want.begin(), want.end(), '&'), want.end());
        if (AnsiSameText(c, want))
            return it;
    }
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->parent_)
        root = root->parent_;
    return root->menu_;
}

void TMenuItem::MenuChanged() {
    if (TMenu* m = GetParentMenu())
        if (!m->IsDestroying())
            m->Changed();
}

std::vector<TMenuItem*> VisibleMenuItems(const TMenuItem* parent) {
    std::vector<TMenuItem*> out;
    if (parent)
        for (int i = 0; i < parent->Count(); ++i)
            if (parent->Items(i)->Visible())
                out.push_back(parent->Items(i));
    return out;
}

namespace {
// The letter after the first single "&" of a caption ("&&" is a plain "&"), or 0.
char16_t MnemonicOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(caption[i + 1]);
        return c < 0x80 ? static_cast<char16_t>(std::toupper(c)) : static_cast<char16_t>(c);
    }
    return 0;
}
} // namespace

int FindMenuMnemonic(const TMenuItem* parent, char16_t ch, int current, bool* several) {
    if (several)
        *several = false;
    if (ch < 0x80)
        ch = static_cast<char16_t>(std::toupper(ch));
    std::vector<TMenuItem*> items = VisibleMenuItems(parent);
    int n = static_cast<int>(items.size());
    int found = -1, count = 0;
    for (int k = 1; k <= n; ++k) {
        int i = (std::max(current, -1) + k + n) % n;
        if (items[static_cast<size_t>(i)]->IsLine() ||
            MnemonicOf(items[static_cast<size_t>(i)]->Caption()) != ch)
            continue;
        if (found < 0)
            found = i;
        ++count;
    }
    if (several)
        *several = count > 1;
    return found;
}

TMeasureItemStruct MeasureMenuItem(TMenuItem* item, HWND owner, bool ownerDraw) {
    TMeasureItemStruct mis;
    mis.CtlType = ODT_MENU;
    mis.itemID = item->Command();
    mis.itemData = reinterpret_cast<uintptr_t>(item);
    if (ownerDraw)
        owner->Perform(WM_MEASUREITEM, 0, reinterpret_cast<intptr_t>(&mis));
    else
        DefaultMeasureMenuItem(item, &mis);
    return mis;
}

int MeasureMenuBar(TCustomForm* form) {
    TMainMenu* menu = form ? form->Menu() : nullptr;
    if (!menu)
        return 0;
    int height = 0;
    for (TMenuItem* it : VisibleMenuItems(menu->Items())) {
        const TMeasureItemStruct mis = MeasureMenuItem(it, form, menu->OwnerDraw());
        height = std::max(height, static_cast<int>(mis.itemHeight));
    }
    if (height <= 0)
        height = GetSystemMetrics(SM_CYMENU);
    return height + 1;
}

void TMenuItem::Click() {
    if (!enabled_)
        return;
    if (AutoCheck)
        SetChecked(!checked_);
    if (OnClick)
        OnClick(this);
}

namespace {
// The accelerator letter of a caption ("&x", "&&" is a plain "&"), lower case; 0 for none.
char AcceleratorOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == '&') {
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
        }
    return 0;
}
} // namespace

bool TMenuItem::RethinkHotkeys() {
    TMenu* menu = GetParentMenu();
    if (menu && menu->AutoHotkeys == TMenuAutoFlag::maManual)
        return false;
    bool changed = false;
    std::set<char> used;
    for (TMenuItem* it : items_)
        if (it->visible_ && !it->IsLine())
            if (char c = AcceleratorOf(it->caption_))
                used.insert(c);
    for (TMenuItem* it : items_) {
        if (!it->visible_ || it->IsLine() || it->caption_.empty() || AcceleratorOf(it->caption_))
            continue;
        for (size_t i = 0; i < it->caption_.size(); ++i) {
            unsigned char ch = static_cast<unsigned char>(it->caption_[i]);
            if (ch >= 0x80 || !std::isalnum(ch) || used.count(static_cast<char>(std::tolower(ch))))
                continue;
            used.insert(static_cast<char>(std::tolower(ch)));
            std::string caption = it->caption_;
            caption.insert(i, "&");
            it->SetCaption(caption);
            changed = true;
            break;
        }
    }
    for (TMenuItem* it : items_)
        changed = it->RethinkHotkeys() || changed;
    return changed;
}

bool TMenuItem::RethinkLines() {
    TMenu* menu = GetParentMenu();
    if (menu && menu->AutoLineReduction == TMenuAutoFlag::maManual)
        return false;
    bool changed = false;
    auto show = [&changed](TMenuItem* line, bool value) {
        if (!value && line->visible_) {
            line->lineReduced_ = true;
            line->SetVisible(false);
            changed = true;
        } else if (value && line->lineReduced_) {
            line->lineReduced_ = false;
            line->SetVisible(true);
            changed = true;
        }
    };
    // A separator shows only between two shown items that are not separators.
    bool afterItem = false;
    TMenuItem* pending = nullptr;
    for (TMenuItem* it : items_) {
        if (it->IsLine()) {
            if (!it->visible_ && !it->lineReduced_)
                continue; // the program hid it itself
            if (afterItem && !pending)
                pending = it;
            else
                show(it, false);
            continue;
        }
        if (!it->visible_)
            continue;
        if (pending)
            show(pending, true);
        pending = nullptr;
        afterItem = true;
    }
    if (pending)
        show(pending, false);
    for (TMenuItem* it : items_)
        changed = it->RethinkLines() || changed;
    return changed;
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
    if (IsLine()) {
        width = 10;
        height = kSeparatorHeight;
    } else {
        std::string text = caption_;
        text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
        width = canvas->TextWidth(text) + 2 * GetSystemMetrics(SM_CXMENUCHECK) + 10;
        if (ShortCut)
            width += canvas->TextWidth(ShortCutToText(ShortCut)) + 16;
        height = std::max(canvas->TextHeight("W") + 4, GetSystemMetrics(SM_CYMENU));
    }
    if (OnMeasureItem)
        OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas* canvas, const TRect& rect, bool selected) {
    AdvancedDrawItem(canvas, rect, selected ? odSelected : 0, false);
}

void TMenuItem::AdvancedDrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state,
                                 bool topLevel) {
    if (OnAdvancedDrawItem) {
        OnAdvancedDrawItem(this, canvas, rect, state);
        return;
    }
    if (OnDrawItem) {
        OnDrawItem(this, canvas, rect, (state & odSelected) != 0);
        return;
    }
    bool selected = state & odSelected;
    canvas->Brush()->SetColor(selected ? clHighlight : (topLevel ? clMenuBar : clMenu));
    canvas->FillRect(rect);
    if (IsLine()) {
        int y = rect.Top + rect.Height() / 2 - 1;
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->MoveTo(rect.Left + 1, y);
        canvas->LineTo(rect.Right - 1, y);
        canvas->Pen()->SetColor(clBtnHighlight);
        canvas->MoveTo(rect.Left + 1, y + 1);
        canvas->LineTo(rect.Right - 1, y + 1);
        return;
    }
    TColor ink = (state & (odGrayed | odDisabled)) ? clGrayText
                 : selected                        ? clHighlightText
                                                   : clMenuText;
    canvas->Font()->SetColor(ink);
    canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    int check = topLevel ? 6 : GetSystemMetrics(SM_CXMENUCHECK) + 4;
    if (checked_ && !topLevel) {
        TRect c = Rect(rect.Left, rect.Top, rect.Left + check, rect.Bottom);
        DrawFrameControl(canvas, &c, DFC_MENU, RadioItem ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    }
    TRect tr = Rect(rect.Left + check, rect.Top, rect.Right - 4, rect.Bottom);
    canvas->DrawTextW(caption_, tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (ShortCut && !topLevel)
        canvas->DrawTextW(ShortCutToText(ShortCut), tr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

void DefaultDrawMenuItem(TMenuItem* item, TDrawItemStruct* dis) {
    if (!item || !dis || !dis->hDC)
        return;
    TCanvas canvas;
    canvas.AttachTo(dis->hDC);
    if (Screen)
        canvas.SetFont(*Screen->MenuFont());
    bool topLevel = false;
    if (TMenu* m = item->GetParentMenu())
        topLevel = dynamic_cast<TMainMenu*>(m) && item->Parent() == m->Items();
    item->AdvancedDrawItem(&canvas, dis->rcItem, StateFromOds(dis->itemState), topLevel);
}

void DefaultMeasureMenuItem(TMenuItem* item, TMeasureItemStruct* mis) {
    if (!item || !mis)
        return;
    TCanvas canvas;
    if (Screen)
        canvas.SetFont(*Screen->MenuFont());
    int w = 0, h = 0;
    item->MeasureItem(&canvas, w, h);
    TMenu* m = item->GetParentMenu();
    if (m && dynamic_cast<TMainMenu*>(m) && item->Parent() == m->Items())
        w -= 2 * GetSystemMetrics(SM_CXMENUCHECK);
    mis->itemWidth = static_cast<uint32_t>(std::max(0, w));
    mis->itemHeight = static_cast<uint32_t>(std::max(0, h));
}

// ---------------------------------------------------------------- menus

const TClassInfo& TMenu::StaticClassInfo() {
    static const TClassInfo info("TMenu", &TComponent::StaticClassInfo(), {}, "Menus");
    return info;
}
const TClassInfo& TMainMenu::StaticClassInfo() {
    static const TClassInfo info("TMainMenu", &TMenu::StaticClassInfo(), {}, "Menus");
    return info;
}
const TClassInfo& TPopupMenu::StaticClassInfo() {
    static const TClassInfo info("TPopupMenu", &TMenu::StaticClassInfo(), {}, "Menus");
    return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {
    items_->menu_ = this;
}

TMenu::~TMenu() {
    Destroying();
    if (ActiveMenuWindow())
        CloseMenus();
    delete items_;
}

void TMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_)
        images_ = nullptr;
}

void TMenu::SetOwnerDraw(bool value) {
    if (value == ownerDraw_)
        return;
    ownerDraw_ = value;
    Changed();
}

void TMenu::SetImages(TCustomImageList* images) {
    if (images == images_)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = images;
    if (images)
        images->FreeNotification(this);
    Changed();
}

TMenuItem* TMenu::FindItem(uintptr_t value, TFindItemKind kind) const {
    return FindIn(items_, value, kind);
}

bool TMenu::DispatchCommand(uint16_t command) {
    TMenuItem* it = FindItem(command, TFindItemKind::fkCommand);
    if (!it)
        return false;
    it->Click();
    return true;
}

bool TMenu::DispatchPopup(TMenuItem* submenu) {
    TMenuItem* it = FindItem(reinterpret_cast<uintptr_t>(submenu), TFindItemKind::fkHandle);
    if (!it)
        return false;
    it->Click();
    return true;
}

void TMenu::ProcessMenuChar(TMessage& m) {
    auto* parent = reinterpret_cast<TMenuItem*>(m.LParam);
    if (!parent || (parent != items_ && FindItem(m.LParam, TFindItemKind::fkHandle) != parent))
        return;
    bool several = false;
    int index = FindMenuMnemonic(parent, static_cast<char16_t>(m.WParam & 0xFFFF),
                                 HighlightedMenuIndex(parent), &several);
    if (index < 0)
        return;
    m.Result = MakeLParam(index, static_cast<int>(several ? MNC_SELECT : MNC_EXECUTE));
}

bool TMenu::IsShortCut(uint16_t key, TShiftState shift) {
    TShortCut sc = ::ShortCut(key, shift);
    TMenuItem* it = FindItem(sc, TFindItemKind::fkShortCut);
    if (!it || !it->Enabled())
        return false;
    it->Click();
    return true;
}

int TMenu::GetHelpContext(uintptr_t value, bool byCommand) const {
    TMenuItem* it = FindItem(value, byCommand ? TFindItemKind::fkCommand : TFindItemKind::fkHandle);
    // An item without a topic of its own shows its parents' topic.
    while (it && it->HelpContext == 0 && it->Parent() && it->Parent() != items_)
        it = it->Parent();
    return it ? it->HelpContext : 0;
}

TBiDiMode TMenu::BiDiMode() const {
    if (!parentBiDiMode_)
        return biDiMode_;
    if (auto* control = dynamic_cast<TControl*>(Owner()))
        return control->BiDiMode();
    return Application ? Application->BiDiMode : biDiMode_;
}

void TMenu::SetBiDiMode(TBiDiMode value) {
    parentBiDiMode_ = false;
    if (value == biDiMode_)
        return;
    biDiMode_ = value;
    AdjustBiDiBehavior();
}

void TMenu::SetParentBiDiMode(bool value) {
    if (value == parentBiDiMode_)
        return;
    if (!value)
        biDiMode_ = BiDiMode();
    parentBiDiMode_ = value;
    AdjustBiDiBehavior();
}

bool TMenu::IsRightToLeft() const {
    return SysLocale.MiddleEast && BiDiMode() != TBiDiMode::bdLeftToRight;
}

void TMenu::AdjustBiDiBehavior() {
    // The owner-drawn items read the mode when they are measured and drawn again.
    Changed();
}

HWND TMenu::WindowHandle() const {
    return nullptr;
}
void TMenu::Changed() {
    RefreshMenuWindows(this);
}

HWND TMainMenu::WindowHandle() const {
    if (Screen)
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->Menu() == this)
                return Screen->Forms(i);
    return dynamic_cast<TWinControl*>(Owner());
}

void TMainMenu::Changed() {
    TMenu::Changed();
    if (Screen)
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->Menu() == this)
                Screen->Forms(i)->RefreshMenuBar();
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {
    PopupMenus().push_back(this);
}

TPopupMenu::~TPopupMenu() {
    Destroying();
    auto& list = PopupMenus();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

HWND TPopupMenu::WindowHandle() const {
    return PopupListWindow();
}

void TPopupMenu::DoPopup() {
    if (OnPopup)
        OnPopup(this);
}

void TPopupMenu::Popup(int x, int y) {
    DoPopup();
    Items()->RethinkHotkeys();
    Items()->RethinkLines();
    AdjustBiDiBehavior();
    ShowMenuItems(Items(), OwnerWindow(), PopupTrackFlags(Alignment, TrackButton, IsRightToLeft()),
                  x, y);
}

uint32_t PopupTrackFlags(TPopupAlignment alignment, TTrackButton button, bool rightToLeft) {
    uint32_t align = TPM_LEFTALIGN;
    if (alignment == TPopupAlignment::paCenter)
        align = TPM_CENTERALIGN;
    else if ((alignment == TPopupAlignment::paRight) != rightToLeft)
        align = TPM_RIGHTALIGN;
    return align | (button == TTrackButton::tbRightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
}
