// The Qt side of menus: the menu bar of a form and the popup windows, both drawn by the
// program through the menu items' measure and draw messages, and the menu loop that makes
// them behave as menus: hot and selected bar items, drop-downs that follow the pointer across
// the bar, the keyboard (Alt or F10, arrows, Enter, Esc, mnemonics through WM_MENUCHAR) and
// WM_MENUSELECT for every highlighted item.
#include "Forms.h"
#include "Menus.h"
#include "ScopeExit.h"
#include "WinApi.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

class TBvMenuBar;
class TBvMenuWindow;

std::vector<QPointer<TBvMenuBar>>& MenuBars() {
    static std::vector<QPointer<TBvMenuBar>> bars;
    return bars;
}

// The one active menu: a form's bar (selected from the keyboard, or with a drop-down open)
// or a context menu, with its chain of open popups, the root first. While it runs it sees
// every key of the application first, as the system's menu loop does.
class TMenuLoop : public QObject {
public:
    QPointer<TBvMenuBar> Bar;
    int BarIndex = -1;
    std::vector<QPointer<TBvMenuWindow>> Popups;
    HWND Owner = nullptr;
    // The right button chooses items too (a popup opened without TPM_RIGHTBUTTON: left only).
    bool RightButtonChooses = true;
    // The menu is worked with the keyboard (entered with Alt, F10 or a mnemonic, or a key
    // used in it): the items show their mnemonics' underlines.
    bool Keyboard = false;

    bool Active() const { return active_; }
    void Start(HWND owner, bool keyboard = false);
    // Closes every popup; the bar leaves menu mode; the owner hears that the menu closed.
    void End();
    TBvMenuWindow* Leaf() const;
    // Closes the popups after the first keep ones.
    void CloseFrom(size_t keep);
    // Selects a bar item; with open it drops down, with selectFirst its first item is hot.
    void SelectBarItem(int index, bool open, bool selectFirst);
    void OpenChild(TBvMenuWindow* from, int index, bool selectFirst);
    // The pointer moved or pressed at a screen point outside the popup that got it.
    void PointerOutside(QPoint global, bool press);
    // A popup of the chain went away without the loop closing it (the system closed it).
    void PopupHidden(TBvMenuWindow* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Key(QKeyEvent* e);
    bool active_ = false;
    bool closing_ = false;
    // Entered from the keyboard (Alt, F10, a mnemonic): Esc steps back to the bar. A menu
    // opened with the mouse closes at once.
    bool enteredByKeyboard_ = false;

public:
    void MenuChar(char16_t ch);
    static intptr_t AskMenuChar(HWND owner, TMenuItem* parent, char16_t ch, bool popup);
    // Does what an answer to WM_MENUCHAR says, in the innermost open menu (or the bar).
    void DoMenuChar(intptr_t answer);
};

TMenuLoop& Loop() {
    static auto* loop = new TMenuLoop;
    return *loop;
}

uint32_t ItemState(TMenuItem* it) {
    return (it->Enabled() ? 0 : (ODS_GRAYED | ODS_DISABLED)) | (it->Checked() ? ODS_CHECKED : 0) |
           (it->Default ? ODS_DEFAULT : 0) | (Loop().Keyboard ? 0 : ODS_NOACCEL);
}

void SendMenuSelect(HWND owner, TMenuItem* parent, int index, TMenuItem* it) {
    if (!IsWindow(owner) || !it)
        return;
    uint32_t flags = MF_HILITE | (it->Count() ? MF_POPUP : 0);
    int id = it->Count() ? index : it->Command();
    owner->Perform(WM_MENUSELECT, MakeLParam(id, static_cast<int>(flags)),
                   reinterpret_cast<intptr_t>(parent));
}

bool Selectable(TMenuItem* it) {
    return it && !it->IsLine();
}

// The part of the screen under a point that windows may cover (without panels and docks).
QRect ScreenAreaAt(QPoint global) {
    QScreen* screen = QGuiApplication::screenAt(global);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Where a popup's edge goes along one axis of the screen: at pos when the popup fits there,
// else at the other side of what it opens from (alternative) when it fits there, else as
// near to pos as the screen's edges allow.
int FitAxis(int pos, int length, int alternative, int low, int high) {
    auto fits = [&](int at) { return at >= low && at + length <= high; };
    if (fits(pos))
        return pos;
    if (fits(alternative))
        return alternative;
    return std::clamp(pos, low, std::max(low, high - length));
}

// Moves a popup to its place on the screen of the point it opens from: the preferred top-left
// corner, or the flipped one on each axis where the preferred one would run off the screen.
void PlaceOnScreen(QWidget* popup, QPoint preferred, QPoint flipped, QPoint anchor) {
    const QRect area = ScreenAreaAt(anchor);
    const QSize size = popup->size();
    popup->move(FitAxis(preferred.x(), size.width(), flipped.x(), area.left(), area.right() + 1),
                FitAxis(preferred.y(), size.height(), flipped.y(), area.top(), area.bottom() + 1));
}

// One open popup: the visible items of a parent item, measured and drawn through the owner
// window when the menu is owner-drawn.
class TBvMenuWindow : public QWidget {
public:
    TBvMenuWindow(TMenuItem* parentItem, HWND owner, bool ownerDraw)
        // Frameless: a menu has no frame to allow for, and its top-left corner lands exactly
        // on the point it opens at.
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), parentItem_(parentItem),
          owner_(owner), ownerDraw_(ownerDraw) {
        setMouseTracking(true);
        setAttribute(Qt::WA_DeleteOnClose);
        // A press outside is the menu loop's to handle; Qt must not hand it on again.
        setAttribute(Qt::WA_NoMouseReplay);
        if (IsWindow(owner_))
            owner_->Perform(WM_INITMENUPOPUP, reinterpret_cast<intptr_t>(parentItem_),
                            parentItem_->MenuIndex() < 0 ? 0 : parentItem_->MenuIndex());
        Measure();
    }

    void Measure() {
        TMenuItem* hot = Hot();
        items_ = VisibleMenuItems(parentItem_);
        rects_.clear();
        int y = 2, width = 80;
        for (TMenuItem* it : items_) {
            const TMeasureItemStruct mis =
                MeasureMenuItem(it, owner_, ownerDraw_ && IsWindow(owner_));
            int h = static_cast<int>(mis.itemHeight);
            width = std::max(width, static_cast<int>(mis.itemWidth) + 4);
            rects_.push_back(Rect(2, y, 0, y + h));
            y += h;
        }
        // Never wider than the screen: a caption that long is cut at the screen's edge.
        width = std::min(width, ScreenAreaAt(pos()).width());
        for (auto& r : rects_)
            r.Right = width - 2;
        auto at = std::find(items_.begin(), items_.end(), hot);
        hot_ = at == items_.end() ? -1 : static_cast<int>(at - items_.begin());
        resize(width, y + 2);
    }

    int ItemAt(QPoint p) const {
        for (size_t i = 0; i < rects_.size(); ++i)
            if (PtInRect(rects_[i], {p.x(), p.y()}))
                return static_cast<int>(i);
        return -1;
    }
    TMenuItem* Hot() const {
        return hot_ >= 0 && hot_ < static_cast<int>(items_.size())
                   ? items_[static_cast<size_t>(hot_)]
                   : nullptr;
    }
    int HotIndex() const { return hot_; }
    bool Shows(const TMenuItem* item) const {
        return parentItem_ == item || std::find(items_.begin(), items_.end(), item) != items_.end();
    }
    TMenuItem* ParentItem() const { return parentItem_; }
    HWND Owner() const { return owner_; }
    bool OwnerDraw() const { return ownerDraw_; }
    TMenuItem* ItemAtIndex(int i) const {
        return i >= 0 && i < static_cast<int>(items_.size()) ? items_[static_cast<size_t>(i)]
                                                             : nullptr;
    }
    int ItemTop(int i) const { return rects_[static_cast<size_t>(i)].Top; }
    int ItemBottom(int i) const { return rects_[static_cast<size_t>(i)].Bottom; }

    void SetHot(int index) {
        if (index == hot_)
            return;
        hot_ = index;
        update();
        if (TMenuItem* it = Hot())
            SendMenuSelect(owner_, parentItem_, index, it);
    }
    // Moves the highlight to the next selectable item up or down, wrapping.
    void MoveHot(int step) {
        int n = static_cast<int>(items_.size());
        if (n == 0)
            return;
        int i = hot_ < 0 ? (step > 0 ? -1 : n) : hot_;
        for (int k = 0; k < n; ++k) {
            i = (i + step + n) % n;
            if (Selectable(items_[static_cast<size_t>(i)])) {
                SetHot(i);
                return;
            }
        }
    }

    void PaintInto(QImage& image) {
        TCanvas canvas(&image);
        canvas.Brush()->SetColor(clMenu);
        canvas.FillRect(Rect(0, 0, width(), height()));
        TRect frame = Rect(0, 0, width(), height());
        DrawEdge(&canvas, &frame, EDGE_RAISED, BF_RECT);
        for (size_t i = 0; i < items_.size(); ++i) {
            TMenuItem* it = items_[i];
            TDrawItemStruct dis;
            dis.CtlType = ODT_MENU;
            dis.itemID = it->Command();
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (static_cast<int>(i) == hot_ ? ODS_SELECTED : 0) | ItemState(it);
            dis.hDC = &canvas;
            dis.rcItem = rects_[i];
            dis.itemData = reinterpret_cast<uintptr_t>(it);
            canvas.SaveDC();
            if (ownerDraw_ && IsWindow(owner_))
                owner_->Perform(WM_DRAWITEM, 0, reinterpret_cast<intptr_t>(&dis));
            else
                DefaultDrawMenuItem(it, &dis);
            canvas.RestoreDC(-1);
        }
    }

protected:
    void hideEvent(QHideEvent*) override { Loop().PopupHidden(this); }
    void paintEvent(QPaintEvent*) override {
        QImage image = DeviceImage(this);
        image.fill(Qt::white);
        GuardedCall(nullptr, [&] { PaintInto(image); });
        QPainter p(this);
        p.drawImage(0, 0, image);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        QPoint pos = e->position().toPoint();
        if (!rect().contains(pos)) {
            // Popups see the pointer everywhere while they are open.
            QPoint global = e->globalPosition().toPoint();
            GuardedCall(nullptr, [global] { Loop().PointerOutside(global, false); });
            return;
        }
        int i = ItemAt(pos);
        if (i < 0 || i == hot_)
            return;
        GuardedCall(nullptr, [this, i] {
            QPointer<TBvMenuWindow> self(this);
            SetHot(i);
            if (!self)
                return;
            TMenuItem* it = Hot();
            if (it && it->Count() && it->Enabled())
                Loop().OpenChild(this, i, false);
            else
                Loop().OpenChild(this, -1, false);
        });
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (rect().contains(e->position().toPoint()))
            return;
        QPoint global = e->globalPosition().toPoint();
        GuardedCall(nullptr, [global] { Loop().PointerOutside(global, true); });
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::RightButton && !Loop().RightButtonChooses)
            return;
        int i = ItemAt(e->position().toPoint());
        if (i < 0)
            return;
        TMenuItem* it = items_[static_cast<size_t>(i)];
        if (it->IsLine() || !it->Enabled())
            return;
        if (it->Count())
            GuardedCall(nullptr, [this, i] { Loop().OpenChild(this, i, false); });
        else
            GuardedCall(it, [it] { ChooseMenuItem(it); });
    }

private:
    TMenuItem* parentItem_;
    HWND owner_;
    bool ownerDraw_;
    std::vector<TMenuItem*> items_;
    std::vector<TRect> rects_;
    int hot_ = -1;
};

class TBvMenuBar : public QWidget {
public:
    TBvMenuBar(TCustomForm* form, QWidget* parent) : QWidget(parent), form_(form) {
        setMouseTracking(true);
        MenuBars().push_back(this);
    }
    ~TBvMenuBar() override {
        if (Loop().Bar == this)
            Loop().End();
        auto& bars = MenuBars();
        bars.erase(std::remove(bars.begin(), bars.end(), nullptr), bars.end());
        bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    }

    TCustomForm* Form() const { return form_; }
    TMainMenu* Menu() const { return form_->Menu(); }
    TMenuItem* Root() const { return Menu() ? Menu()->Items() : nullptr; }

    std::vector<std::pair<TMenuItem*, TRect>> Layout() {
        std::vector<std::pair<TMenuItem*, TRect>> out;
        TMainMenu* menu = Menu();
        if (!menu)
            return out;
        int x = 0;
        for (TMenuItem* it : VisibleMenuItems(menu->Items())) {
            const TMeasureItemStruct mis = MeasureMenuItem(it, form_, menu->OwnerDraw());
            int w = std::max<int>(8, static_cast<int>(mis.itemWidth));
            out.push_back({it, Rect(x, 0, x + w, height() - 1)});
            x += w;
        }
        return out;
    }
    int IndexAt(QPoint pos) {
        auto layout = Layout();
        for (size_t i = 0; i < layout.size(); ++i)
            if (PtInRect(layout[i].second, {pos.x(), pos.y()}))
                return static_cast<int>(i);
        return -1;
    }
    // Where the drop-down of an item opens, on the screen: below the item, or above the bar
    // when there is no room below; its right edge at the item's when none to the right.
    void PlaceDropDown(QWidget* popup, int index) {
        auto layout = Layout();
        QRect item(0, 0, 0, height());
        if (index >= 0 && index < static_cast<int>(layout.size())) {
            const TRect& r = layout[static_cast<size_t>(index)].second;
            item = QRect(r.Left, 0, r.Width(), height());
        }
        const QPoint below = mapToGlobal(QPoint(item.left(), height()));
        const QPoint above =
            mapToGlobal(QPoint(item.right() + 1 - popup->width(), -popup->height()));
        PlaceOnScreen(popup, below, above, mapToGlobal(item.center()));
    }
    bool InLoop() const { return Loop().Active() && Loop().Bar == this; }
    void SetHot(int index) {
        if (index == hot_)
            return;
        hot_ = index;
        update();
    }

    // The bar item under a pointer that moved or pressed while a menu of this bar runs.
    void PointerAt(QPoint local, bool press) {
        int i = IndexAt(local);
        if (i < 0) {
            if (press)
                Loop().End();
            return;
        }
        TMenuItem* it = VisibleMenuItems(Root())[static_cast<size_t>(i)];
        bool open = !Loop().Popups.empty();
        if (press) {
            if (i == Loop().BarIndex && open) {
                Loop().End();
                // The pointer is still on the title it closed.
                SetHot(i);
                return;
            }
            if (it->Count() == 0) {
                GuardedCall(it, [it] { ChooseMenuItem(it); });
                return;
            }
            Loop().SelectBarItem(i, true, false);
            return;
        }
        if (i != Loop().BarIndex)
            Loop().SelectBarItem(i, open && it->Count() > 0, false);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image = DeviceImage(this);
        TCanvas canvas(&image);
        canvas.Brush()->SetColor(clMenuBar);
        canvas.FillRect(Rect(0, 0, width(), height()));
        TMainMenu* menu = Menu();
        if (menu)
            GuardedCall(form_, [&] { PaintItems(canvas, menu); });
        QPainter p(this);
        p.drawImage(0, 0, image);
    }
    void PaintItems(TCanvas& canvas, TMainMenu* menu) {
        auto layout = Layout();
        for (size_t i = 0; i < layout.size(); ++i) {
            auto& [it, r] = layout[i];
            uint32_t state = ItemState(it) & ~ODS_CHECKED;
            if (InLoop() && static_cast<int>(i) == Loop().BarIndex)
                state |= Loop().Popups.empty() ? ODS_HOTLIGHT : ODS_SELECTED;
            else if (!InLoop() && static_cast<int>(i) == hot_)
                state |= ODS_HOTLIGHT;
            TDrawItemStruct dis;
            dis.CtlType = ODT_MENU;
            dis.itemID = it->Command();
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = state;
            dis.hDC = &canvas;
            dis.rcItem = r;
            dis.itemData = reinterpret_cast<uintptr_t>(it);
            canvas.SaveDC();
            if (menu->OwnerDraw())
                form_->Perform(WM_DRAWITEM, 0, reinterpret_cast<intptr_t>(&dis));
            else
                DefaultDrawMenuItem(it, &dis);
            canvas.RestoreDC(-1);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton)
            return;
        QPoint pos = e->position().toPoint();
        GuardedCall(form_, [&] {
            if (InLoop()) {
                PointerAt(pos, true);
                return;
            }
            int i = IndexAt(pos);
            if (i < 0)
                return;
            TMenuItem* it = VisibleMenuItems(Root())[static_cast<size_t>(i)];
            if (!it->Enabled())
                return;
            if (it->Count() == 0) {
                GuardedCall(it, [it] { ChooseMenuItem(it); });
                return;
            }
            CloseMenus();
            Loop().Bar = this;
            Loop().Start(form_);
            Loop().SelectBarItem(i, true, false);
        });
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        QPoint pos = e->position().toPoint();
        GuardedCall(form_, [&] {
            if (InLoop())
                PointerAt(pos, false);
            else
                SetHot(IndexAt(pos));
        });
    }
    void leaveEvent(QEvent*) override { SetHot(-1); }

private:
    TCustomForm* form_;
    int hot_ = -1;
};

void TMenuLoop::Start(HWND owner, bool keyboard) {
    Owner = owner;
    if (active_)
        return;
    active_ = true;
    Keyboard = keyboard;
    RightButtonChooses = true;
    enteredByKeyboard_ = keyboard;
    if (auto* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

void TMenuLoop::End() {
    if (!active_)
        return;
    active_ = false;
    Keyboard = false;
    if (auto* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    CloseFrom(0);
    QPointer<TBvMenuBar> bar = Bar;
    Bar = nullptr;
    BarIndex = -1;
    // The menu closed: no title stays highlighted until the pointer comes over one again.
    if (bar) {
        bar->SetHot(-1);
        bar->update();
    }
    HWND owner = Owner;
    Owner = nullptr;
    if (IsWindow(owner))
        owner->Perform(WM_MENUSELECT, MakeLParam(0, static_cast<int>(MF_MENUCLOSED)), 0);
}

TBvMenuWindow* TMenuLoop::Leaf() const {
    for (auto it = Popups.rbegin(); it != Popups.rend(); ++it)
        if (*it)
            return it->data();
    return nullptr;
}

void TMenuLoop::CloseFrom(size_t keep) {
    const auto closing = SetForScope(closing_, true);
    while (Popups.size() > keep) {
        QPointer<TBvMenuWindow> w = Popups.back();
        Popups.pop_back();
        if (w)
            w->close();
    }
}

void TMenuLoop::PopupHidden(TBvMenuWindow* window) {
    if (closing_ || std::find(Popups.begin(), Popups.end(), window) == Popups.end())
        return;
    // Without it the loop would go on taking every key.
    End();
}

void TMenuLoop::SelectBarItem(int index, bool open, bool selectFirst) {
    if (!Bar)
        return;
    std::vector<TMenuItem*> items = VisibleMenuItems(Bar->Root());
    if (index < 0 || index >= static_cast<int>(items.size()))
        return;
    TMenuItem* it = items[static_cast<size_t>(index)];
    bool changed = index != BarIndex;
    CloseFrom(0);
    BarIndex = index;
    Bar->update();
    if (changed)
        SendMenuSelect(Owner, Bar->Root(), index, it);
    if (!open || it->Count() == 0 || !it->Enabled() || !Active())
        return;
    TMainMenu* menu = Bar->Menu();
    auto* w = new TBvMenuWindow(it, Owner, menu && menu->OwnerDraw());
    Popups.push_back(w);
    Bar->PlaceDropDown(w, index);
    w->show();
    Bar->update();
    if (selectFirst)
        w->MoveHot(1);
}

void TMenuLoop::OpenChild(TBvMenuWindow* from, int index, bool selectFirst) {
    auto at = std::find(Popups.begin(), Popups.end(), from);
    if (at == Popups.end())
        return;
    size_t keep = static_cast<size_t>(at - Popups.begin()) + 1;
    TMenuItem* it = from->ItemAtIndex(index);
    // The submenu already open stays open.
    if (Popups.size() > keep && Popups[keep] && it && Popups[keep]->ParentItem() == it) {
        CloseFrom(keep + 1);
        return;
    }
    CloseFrom(keep);
    if (!it || it->Count() == 0 || !it->Enabled())
        return;
    auto* w = new TBvMenuWindow(it, from->Owner(), from->OwnerDraw());
    Popups.push_back(w);
    // To the right of its item, or to the left of the menu when the screen ends; down from
    // the item, or up from its bottom.
    const QPoint right = from->mapToGlobal(QPoint(from->width() - 3, from->ItemTop(index)));
    const QPoint left =
        from->mapToGlobal(QPoint(3 - w->width(), from->ItemBottom(index) - w->height()));
    PlaceOnScreen(w, right, left, right);
    w->show();
    if (selectFirst)
        w->MoveHot(1);
}

void TMenuLoop::PointerOutside(QPoint global, bool press) {
    // Another open popup under the pointer: it takes the move as its own.
    for (auto it = Popups.rbegin(); it != Popups.rend(); ++it) {
        TBvMenuWindow* w = it->data();
        if (!w || !w->isVisible() || !w->geometry().contains(global))
            continue;
        if (press)
            return;
        int i = w->ItemAt(w->mapFromGlobal(global));
        if (i >= 0 && i != w->HotIndex()) {
            w->SetHot(i);
            TMenuItem* item = w->Hot();
            OpenChild(w, item && item->Count() && item->Enabled() ? i : -1, false);
        }
        return;
    }
    if (Bar && Bar->isVisible()) {
        QPoint local = Bar->mapFromGlobal(global);
        if (Bar->rect().contains(local)) {
            Bar->PointerAt(local, press);
            return;
        }
    }
    if (press)
        End();
}

bool TMenuLoop::eventFilter(QObject* watched, QEvent* event) {
    if (!active_ || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        bool handled = true;
        GuardedCall(nullptr, [&] { handled = Key(e); });
        return handled;
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return true;
    case QEvent::MouseButtonPress: {
        // A press on a window that is neither the bar nor an open popup ends the menu.
        QWidget* w = static_cast<QWidget*>(watched);
        if (w == Bar.data())
            return false;
        for (auto& p : Popups)
            if (p && (w == p.data() || p->isAncestorOf(w)))
                return false;
        End();
        return false;
    }
    case QEvent::WindowDeactivate:
        if (Popups.empty() && Bar && watched == Bar->window())
            End();
        return false;
    default:
        return false;
    }
}

bool TMenuLoop::Key(QKeyEvent* e) {
    if (!Keyboard) {
        // From the first key on, the open menus show their underlines.
        Keyboard = true;
        if (Bar)
            Bar->update();
        for (auto& popup : Popups)
            if (popup)
                popup->update();
    }
    TBvMenuWindow* leaf = Leaf();
    std::vector<TMenuItem*> barItems =
        Bar ? VisibleMenuItems(Bar->Root()) : std::vector<TMenuItem*>{};
    int barCount = static_cast<int>(barItems.size());
    auto moveBar = [&](int step) {
        if (barCount == 0)
            return;
        SelectBarItem((BarIndex + step + barCount) % barCount, !Popups.empty(), true);
    };
    switch (e->key()) {
    case Qt::Key_F1:
        // Help on the highlighted item goes to the menu's owner window.
        if (leaf && leaf->Hot() && Owner) {
            THelpInfo info;
            info.iContextType = HELPINFO_MENUITEM;
            info.iCtrlId = leaf->Hot()->Command();
            info.hItemHandle = leaf->ParentItem();
            info.MousePos = BvQt::CursorPos();
            SendMessage(Owner, WM_HELP, 0, reinterpret_cast<intptr_t>(&info));
        }
        return true;
    case Qt::Key_Escape:
        if (Popups.size() > 1)
            CloseFrom(Popups.size() - 1);
        else if (Popups.size() == 1 && Bar && enteredByKeyboard_) {
            // Back to the bar, its item still selected.
            CloseFrom(0);
            Bar->update();
        } else
            End();
        return true;
    case Qt::Key_Alt:
    case Qt::Key_F10:
        End();
        return true;
    case Qt::Key_Left:
        if (Popups.size() > 1)
            CloseFrom(Popups.size() - 1);
        else if (Bar)
            moveBar(-1);
        return true;
    case Qt::Key_Right:
        if (leaf && leaf->Hot() && leaf->Hot()->Count() && leaf->Hot()->Enabled())
            OpenChild(leaf, leaf->HotIndex(), true);
        else if (Bar)
            moveBar(1);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (leaf)
            leaf->MoveHot(e->key() == Qt::Key_Down ? 1 : -1);
        else if (Bar)
            SelectBarItem(BarIndex, true, true);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!leaf) {
            if (Bar && BarIndex >= 0) {
                TMenuItem* it = barItems[static_cast<size_t>(BarIndex)];
                if (it->Count())
                    SelectBarItem(BarIndex, true, true);
                else
                    ChooseMenuItem(it);
            }
            return true;
        }
        if (TMenuItem* it = leaf->Hot()) {
            if (it->Count())
                OpenChild(leaf, leaf->HotIndex(), true);
            else if (Selectable(it) && it->Enabled())
                ChooseMenuItem(it);
        }
        return true;
    default:
        break;
    }
    QString text = e->text();
    if (!text.isEmpty() && text[0].isPrint())
        MenuChar(text[0].unicode());
    return true;
}

void TMenuLoop::MenuChar(char16_t ch) {
    TBvMenuWindow* leaf = Leaf();
    TMenuItem* parent = leaf ? leaf->ParentItem() : Bar ? Bar->Root() : nullptr;
    if (parent)
        DoMenuChar(AskMenuChar(Owner, parent, ch, leaf != nullptr));
}

intptr_t TMenuLoop::AskMenuChar(HWND owner, TMenuItem* parent, char16_t ch, bool popup) {
    // Items drawn by the program have no text the system could search: the owner answers.
    if (!IsWindow(owner))
        return 0;
    return owner->Perform(WM_MENUCHAR, MakeLParam(ch, popup ? static_cast<int>(MF_POPUP) : 0),
                          reinterpret_cast<intptr_t>(parent));
}

void TMenuLoop::DoMenuChar(intptr_t answer) {
    TBvMenuWindow* leaf = Leaf();
    TMenuItem* parent = leaf ? leaf->ParentItem() : Bar ? Bar->Root() : nullptr;
    intptr_t action = (answer >> 16) & 0xFFFF;
    int index = static_cast<int>(answer & 0xFFFF);
    if (action == MNC_IGNORE) {
        BvQt::Beep();
        return;
    }
    if (action == MNC_CLOSE) {
        End();
        return;
    }
    std::vector<TMenuItem*> items = VisibleMenuItems(parent);
    if (index < 0 || index >= static_cast<int>(items.size()))
        return;
    TMenuItem* it = items[static_cast<size_t>(index)];
    if (!leaf) {
        SelectBarItem(index, action == MNC_EXECUTE, true);
        if (action == MNC_EXECUTE && it->Count() == 0)
            ChooseMenuItem(it);
        return;
    }
    leaf->SetHot(index);
    if (action != MNC_EXECUTE)
        return;
    if (it->Count())
        OpenChild(leaf, index, true);
    else if (it->Enabled())
        ChooseMenuItem(it);
}

} // namespace

QWidget* CreateMenuBarWidget(TCustomForm* form, QWidget* parent) {
    return new TBvMenuBar(form, parent);
}

QWidget* ActiveMenuWindow() {
    return Loop().Popups.empty() ? nullptr : Loop().Popups.front().data();
}

void CloseMenus() {
    Loop().End();
    Loop().CloseFrom(0);
}

void EnterMenuBar(TCustomForm* form, char16_t ch) {
    TBvMenuBar* bar = nullptr;
    for (auto& b : MenuBars())
        if (b && b->Form() == form && b->isVisible())
            bar = b.data();
    if (!bar || VisibleMenuItems(bar->Root()).empty())
        return;
    CloseMenus();
    intptr_t answer = 0;
    if (ch != 0) {
        // No bar item has that mnemonic: a beep, and the bar is not entered.
        answer = TMenuLoop::AskMenuChar(form, bar->Root(), ch, false);
        intptr_t action = (answer >> 16) & 0xFFFF;
        if (action == MNC_IGNORE)
            BvQt::Beep();
        if (action == MNC_IGNORE || action == MNC_CLOSE)
            return;
    }
    Loop().Bar = bar;
    Loop().Start(form, true);
    if (ch == 0)
        Loop().SelectBarItem(0, false, false);
    else
        Loop().DoMenuChar(answer);
}

int HighlightedMenuIndex(const TMenuItem* parent) {
    for (auto& w : Loop().Popups)
        if (w && w->ParentItem() == parent)
            return w->HotIndex();
    if (Loop().Bar && Loop().Bar->Root() == parent)
        return Loop().BarIndex;
    return -1;
}

void RefreshMenuWindows(TMenu* menu) {
    for (auto& w : Loop().Popups)
        if (w && w->ParentItem()->GetParentMenu() == menu) {
            w->Measure();
            w->update();
        }
    for (auto& b : MenuBars())
        if (b && b->Menu() == menu)
            b->update();
}

void ForgetMenuItem(const TMenuItem* item) {
    for (auto& w : Loop().Popups)
        if (w && w->Shows(item)) {
            CloseMenus();
            return;
        }
}

void ShowMenuItems(TMenuItem* parent, HWND owner, uint32_t alignFlags, int x, int y) {
    if (!parent)
        return;
    CloseMenus();
    TMenu* menu = parent->GetParentMenu();
    Loop().Start(owner);
    Loop().RightButtonChooses = (alignFlags & TPM_RIGHTBUTTON) != 0;
    auto* w = new TBvMenuWindow(parent, owner, menu && menu->OwnerDraw());
    Loop().Popups.push_back(w);
    // Aligned to the point as asked; flipped to the point's other side where the screen ends.
    int left = x, otherLeft = x - w->width();
    if (alignFlags & 8u)
        std::swap(left, otherLeft);
    else if (alignFlags & 4u)
        left = otherLeft = x - w->width() / 2;
    PlaceOnScreen(w, QPoint(left, y), QPoint(otherLeft, y - w->height()), QPoint(x, y));
    w->show();
}
