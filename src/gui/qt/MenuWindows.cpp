// The Qt side of menus: the menu bar of a form and the popup windows, both drawn by the
// program through the menu items' measure and draw messages.
#include "Forms.h"
#include "Menus.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace {

class TBvMenuWindow;
QPointer<TBvMenuWindow> gRootMenuWindow;

// One open popup: the visible items of a parent item, measured and drawn through
// the owner window when the menu is owner-drawn.
class TBvMenuWindow : public QWidget {
public:
    TBvMenuWindow(TMenuItem* parentItem, HWND owner, bool ownerDraw, TBvMenuWindow* parentWindow)
        : QWidget(nullptr, Qt::Popup), parentItem_(parentItem), owner_(owner),
          ownerDraw_(ownerDraw), parentWindow_(parentWindow) {
        setMouseTracking(true);
        setAttribute(Qt::WA_DeleteOnClose);
        if (IsWindow(owner_))
            owner_->Perform(WM_INITMENUPOPUP, reinterpret_cast<intptr_t>(parentItem_),
                            parentItem_->MenuIndex() < 0 ? 0 : parentItem_->MenuIndex());
        Measure();
    }
    ~TBvMenuWindow() override {
        if (child_)
            child_->close();
    }

    void Measure() {
        items_.clear();
        rects_.clear();
        int y = 2, width = 80;
        TCanvas canvas;
        if (Screen)
            canvas.SetFont(*Screen->MenuFont());
        for (int i = 0; i < parentItem_->Count(); ++i) {
            TMenuItem* it = parentItem_->Items(i);
            if (!it->Visible)
                continue;
            TMeasureItemStruct mis;
            mis.CtlType = ODT_MENU;
            mis.itemID = it->Command();
            mis.itemData = reinterpret_cast<uintptr_t>(it);
            if (ownerDraw_ && IsWindow(owner_)) {
                owner_->Perform(WM_MEASUREITEM, 0, reinterpret_cast<intptr_t>(&mis));
            } else {
                DefaultMeasureMenuItem(it, &mis);
            }
            int h = static_cast<int>(mis.itemHeight);
            width = std::max(width, static_cast<int>(mis.itemWidth) + 4);
            items_.push_back(it);
            rects_.push_back(Rect(2, y, 0, y + h));
            y += h;
        }
        for (auto& r : rects_)
            r.Right = width - 2;
        resize(width, y + 2);
    }

    int ItemAt(QPoint p) const {
        for (size_t i = 0; i < rects_.size(); ++i)
            if (PtInRect(rects_[i], {p.x(), p.y()}))
                return static_cast<int>(i);
        return -1;
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
            dis.itemState = (static_cast<int>(i) == hot_ ? ODS_SELECTED : 0) |
                            (it->Enabled ? 0 : (ODS_GRAYED | ODS_DISABLED)) |
                            (it->Checked ? ODS_CHECKED : 0) | (it->Default ? ODS_DEFAULT : 0);
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

    void OpenChild(int index) {
        if (child_)
            child_->close();
        TMenuItem* it = items_[static_cast<size_t>(index)];
        if (it->Count() == 0 || !it->Enabled)
            return;
        child_ = new TBvMenuWindow(it, owner_, ownerDraw_, this);
        QPoint at = mapToGlobal(QPoint(width() - 3, rects_[static_cast<size_t>(index)].Top));
        child_->move(at);
        child_->show();
    }

    TMenuItem* parentItem_;
    HWND owner_;
    bool ownerDraw_;
    TBvMenuWindow* parentWindow_;
    QPointer<TBvMenuWindow> child_;
    std::vector<TMenuItem*> items_;
    std::vector<TRect> rects_;
    int hot_ = -1;

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image(size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        GuardedCall(nullptr, [&] { PaintInto(image); });
        QPainter p(this);
        p.drawImage(0, 0, image);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        int i = ItemAt(e->position().toPoint());
        if (i == hot_ || i < 0)
            return;
        hot_ = i;
        TMenuItem* it = items_[static_cast<size_t>(i)];
        if (IsWindow(owner_)) {
            uint32_t flags = MF_HILITE | (it->Count() ? MF_POPUP : 0);
            int id = it->Count() ? i : it->Command();
            owner_->Perform(WM_MENUSELECT, MakeLParam(id, static_cast<int>(flags)),
                            reinterpret_cast<intptr_t>(parentItem_));
        }
        update();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        int i = ItemAt(e->position().toPoint());
        if (i < 0)
            return;
        TMenuItem* it = items_[static_cast<size_t>(i)];
        if (it->IsLine() || !it->Enabled)
            return;
        if (it->Count())
            OpenChild(i);
        else
            GuardedCall(it, [it] { ChooseMenuItem(it); });
    }
};

class TBvMenuBar : public QWidget {
public:
    TBvMenuBar(TCustomForm* form, QWidget* parent) : QWidget(parent), form_(form) {
        setMouseTracking(true);
    }

    std::vector<std::pair<TMenuItem*, TRect>> Layout() {
        std::vector<std::pair<TMenuItem*, TRect>> out;
        TMainMenu* menu = form_->Menu();
        if (!menu)
            return out;
        int x = 0;
        TCanvas canvas;
        if (Screen)
            canvas.SetFont(*Screen->MenuFont());
        for (int i = 0; i < menu->Items()->Count(); ++i) {
            TMenuItem* it = menu->Items()->Items(i);
            if (!it->Visible)
                continue;
            TMeasureItemStruct mis;
            mis.CtlType = ODT_MENU;
            mis.itemID = it->Command();
            mis.itemData = reinterpret_cast<uintptr_t>(it);
            if (menu->OwnerDraw())
                form_->Perform(WM_MEASUREITEM, 0, reinterpret_cast<intptr_t>(&mis));
            else
                DefaultMeasureMenuItem(it, &mis);
            int w = std::max<int>(8, static_cast<int>(mis.itemWidth));
            out.push_back({it, Rect(x, 0, x + w, height() - 1)});
            x += w;
        }
        return out;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image(size(), QImage::Format_RGB32);
        TCanvas canvas(&image);
        canvas.Brush()->SetColor(clMenuBar);
        canvas.FillRect(Rect(0, 0, width(), height()));
        TMainMenu* menu = form_->Menu();
        if (menu)
            GuardedCall(form_, [&] { PaintItems(canvas, menu); });
        QPainter p(this);
        p.drawImage(0, 0, image);
    }
    void PaintItems(TCanvas& canvas, TMainMenu* menu) {
        {
            for (auto& [it, r] : Layout()) {
                TDrawItemStruct dis;
                dis.CtlType = ODT_MENU;
                dis.itemID = it->Command();
                dis.itemAction = ODA_DRAWENTIRE;
                dis.itemState = it->Enabled ? 0 : (ODS_GRAYED | ODS_DISABLED);
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
    }
    void mousePressEvent(QMouseEvent* e) override {
        QPoint pos = e->position().toPoint();
        GuardedCall(form_, [&] { Press(pos); });
    }
    void Press(QPoint pos) {
        for (auto& [it, r] : Layout()) {
            if (!PtInRect(r, {pos.x(), pos.y()}))
                continue;
            if (!it->Enabled)
                return;
            if (it->Count() == 0) {
                GuardedCall(it, [it] { ChooseMenuItem(it); });
                return;
            }
            CloseMenus();
            TMainMenu* menu = form_->Menu();
            auto* w = new TBvMenuWindow(it, form_, menu && menu->OwnerDraw(), nullptr);
            gRootMenuWindow = w;
            w->move(mapToGlobal(QPoint(r.Left, height())));
            w->show();
            return;
        }
    }

private:
    TCustomForm* form_;
};

} // namespace

QWidget* CreateMenuBarWidget(TCustomForm* form, QWidget* parent) {
    return new TBvMenuBar(form, parent);
}

QWidget* ActiveMenuWindow() {
    return gRootMenuWindow.data();
}

void CloseMenus() {
    if (gRootMenuWindow)
        gRootMenuWindow->close();
    gRootMenuWindow = nullptr;
}

void ShowMenuItems(TMenuItem* parent, HWND owner, uint32_t alignFlags, int x, int y) {
    if (!parent)
        return;
    CloseMenus();
    TMenu* menu = parent->GetParentMenu();
    auto* w = new TBvMenuWindow(parent, owner, menu && menu->OwnerDraw(), nullptr);
    gRootMenuWindow = w;
    int left = x;
    if (alignFlags & 8u)
        left = x - w->width();
    else if (alignFlags & 4u)
        left = x - w->width() / 2;
    w->move(left, y);
    w->show();
}
