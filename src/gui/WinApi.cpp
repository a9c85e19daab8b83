#include "WinApi.h"

#include "Dispatcher.h"
#include "Forms.h"
#include "Menus.h"
#include "qt/WidgetBinding.h"

#include <map>
#include <memory>
#include <vector>

namespace {

std::map<std::pair<HWND, uintptr_t>, std::unique_ptr<TMainThreadTimer>>& Timers() {
    static std::map<std::pair<HWND, uintptr_t>, std::unique_ptr<TMainThreadTimer>> timers;
    return timers;
}

} // namespace

bool GetCursorPos(TPoint* point) {
    if (!point || !Mouse)
        return false;
    *point = Mouse->CursorPos();
    return true;
}

bool GetWindowRect(HWND window, TRect* rect) {
    if (!IsWindow(window) || !rect)
        return false;
    TPoint origin = window->Parent()
                        ? window->Parent()->ClientToScreen({window->Left(), window->Top()})
                        : TPoint{window->Left(), window->Top()};
    *rect = Bounds(origin.X, origin.Y, window->Width(), window->Height());
    return true;
}

bool GetClientRect(HWND window, TRect* rect) {
    if (!IsWindow(window) || !rect)
        return false;
    TRect c = window->ClientRect();
    *rect = Rect(0, 0, c.Width(), c.Height());
    return true;
}

int MapWindowPoints(HWND from, HWND to, TPoint* points, int count) {
    TPoint a = IsWindow(from) ? from->ClientOrigin() : TPoint{};
    TPoint b = IsWindow(to) ? to->ClientOrigin() : TPoint{};
    int dx = a.X - b.X, dy = a.Y - b.Y;
    for (int i = 0; points && i < count; ++i) {
        points[i].X += dx;
        points[i].Y += dy;
    }
    return MakeLParam(dx, dy);
}

int MapWindowPoints(HWND from, HWND to, TRect* rect) {
    if (!rect)
        return 0;
    TPoint pts[2] = {rect->TopLeft(), rect->BottomRight()};
    int r = MapWindowPoints(from, to, pts, 2);
    *rect = Rect(pts[0].X, pts[0].Y, pts[1].X, pts[1].Y);
    return r;
}

bool SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, uint32_t flags) {
    if (!IsWindow(window))
        return false;
    int l = (flags & SWP_NOMOVE) ? window->Left() : x;
    int t = (flags & SWP_NOMOVE) ? window->Top() : y;
    int w = (flags & SWP_NOSIZE) ? window->Width() : cx;
    int h = (flags & SWP_NOSIZE) ? window->Height() : cy;
    window->SetBounds(l, t, w, h);
    if (flags & SWP_SHOWWINDOW)
        window->Show();
    if (flags & SWP_HIDEWINDOW)
        window->Hide();
    return true;
}

bool InvalidateRect(HWND window, const TRect* rect, bool) {
    if (!IsWindow(window))
        return false;
    if (rect && window->HandleAllocated())
        BvQt::InvalidateRect(window->ClientWidget(), *rect);
    else
        window->Invalidate();
    return true;
}

bool GetScrollInfo(HWND window, int bar, TScrollInfo* info) {
    if (!IsWindow(window) || !info || !window->HandleAllocated())
        return false;
    return BvQt::GetScrollInfo(window->Widget(), bar, *info);
}

int SetScrollInfo(HWND window, int bar, const TScrollInfo* info, bool) {
    if (!IsWindow(window) || !info || !window->HandleAllocated())
        return 0;
    BvQt::SetScrollInfo(window->Widget(), bar, *info);
    TScrollInfo now;
    now.fMask = SIF_POS;
    BvQt::GetScrollInfo(window->Widget(), bar, now);
    return now.nPos;
}

int GetScrollPos(HWND window, int bar) {
    TScrollInfo info;
    info.fMask = SIF_POS;
    return GetScrollInfo(window, bar, &info) ? info.nPos : 0;
}

int SetScrollPos(HWND window, int bar, int pos, bool redraw) {
    int old = GetScrollPos(window, bar);
    TScrollInfo info;
    info.fMask = SIF_POS;
    info.nPos = pos;
    SetScrollInfo(window, bar, &info, redraw);
    return old;
}

bool ScrollWindow(HWND window, int dx, int dy, const TRect* rect, const TRect* clip) {
    if (!IsWindow(window) || !window->HandleAllocated())
        return false;
    TRect area;
    const TRect* use = rect;
    if (rect && clip) {
        IntersectRect(area, *rect, *clip);
        use = &area;
    } else if (clip) {
        use = clip;
    }
    BvQt::ScrollWidget(window->ClientWidget(), dx, dy, use);
    return true;
}

int ScrollWindowEx(HWND window, int dx, int dy, const TRect* rect, const TRect* clip, void*,
                   TRect* update, uint32_t flags) {
    TRect area = rect ? *rect : (IsWindow(window) ? window->ClientRect() : TRect{});
    if (clip)
        IntersectRect(area, area, *clip);
    bool children = (flags & SW_SCROLLCHILDREN) && !rect && !clip;
    if (!ScrollWindow(window, dx, dy, children ? nullptr : &area, nullptr))
        return 0;
    if (update) {
        // The strip the move uncovered (the larger one when it moved both ways).
        TRect u = area;
        if (dy > 0)
            u.Bottom = std::min(area.Bottom, area.Top + dy);
        else if (dy < 0)
            u.Top = std::max(area.Top, area.Bottom + dy);
        else if (dx > 0)
            u.Right = std::min(area.Right, area.Left + dx);
        else if (dx < 0)
            u.Left = std::max(area.Left, area.Right + dx);
        *update = u;
    }
    return SIMPLEREGION;
}

bool UpdateWindow(HWND window) {
    if (!IsWindow(window))
        return false;
    window->Update();
    return true;
}

uintptr_t SetTimer(HWND window, uintptr_t id, unsigned elapseMs) {
    if (!IsWindow(window))
        return 0;
    auto& timer = Timers()[{window, id}];
    if (!timer)
        timer = std::make_unique<TMainThreadTimer>();
    timer->SetEnabled(false);
    timer->SetInterval(std::max(1u, elapseMs));
    timer->SetOnTimer([window, id] {
        if (IsWindow(window))
            window->Perform(WM_TIMER, static_cast<intptr_t>(id), 0);
        else
            KillTimer(window, id);
    });
    timer->SetEnabled(true);
    return id;
}

bool KillTimer(HWND window, uintptr_t id) {
    auto& timers = Timers();
    auto it = timers.find({window, id});
    if (it == timers.end())
        return false;
    // The timer may be the one firing right now; its end waits for the next pump.
    std::shared_ptr<TMainThreadTimer> dying(std::move(it->second));
    timers.erase(it);
    dying->SetEnabled(false);
    Queue([dying] {});
    return true;
}

void KillWindowTimers(HWND window) {
    std::vector<uintptr_t> ids;
    for (const auto& [key, timer] : Timers())
        if (key.first == window)
            ids.push_back(key.second);
    for (uintptr_t id : ids)
        KillTimer(window, id);
}

void MessageBeep(unsigned) {
    BvQt::Beep();
}

bool ImageList_Draw(TCustomImageList* images, int index, HDC dc, int x, int y, uint32_t style) {
    if (!images || !dc || index < 0 || index >= images->Count())
        return false;
    images->DrawEx(dc, x, y, index, style);
    return true;
}

bool ImageList_DrawEx(TCustomImageList* images, int index, HDC dc, int x, int y, int, int,
                      TColor background, TColor, uint32_t style) {
    if (!images || !dc || index < 0 || index >= images->Count())
        return false;
    if (background != clNone && background != clDefault && !(style & ILD_TRANSPARENT)) {
        TColor old = dc->Brush()->Color();
        dc->Brush()->SetColor(background);
        dc->FillRect(Bounds(x, y, images->Width(), images->Height()));
        dc->Brush()->SetColor(old);
        style |= ILD_TRANSPARENT;
    }
    images->DrawEx(dc, x, y, index, style);
    return true;
}

bool ExtTextOut(HDC dc, int x, int y, uint32_t options, const TRect* rect,
                const std::string& text) {
    if (!dc)
        return false;
    int saved = dc->SaveDC();
    // The cell and the text's own background take the context's background colour; the
    // brush plays no part. Changing the brush re-derives the background from it, so both
    // are put back before the text is drawn.
    const TColor background = dc->BkColor();
    const int mode = dc->BkMode();
    if (rect && (options & ETO_OPAQUE)) {
        TBrush old;
        old.Assign(*dc->Brush());
        TBrush solid;
        solid.SetColor(background);
        dc->Brush()->Assign(solid);
        dc->FillRect(*rect);
        dc->Brush()->Assign(old);
        dc->SetBkColorDC(background);
        dc->SetBkModeDC(mode);
    }
    if (rect && (options & ETO_CLIPPED))
        dc->IntersectClip(*rect);
    dc->TextOut(x, y, text);
    dc->RestoreDC(saved);
    return true;
}

bool TrackPopupMenu(TMenuItem* menu, uint32_t flags, int x, int y, int, HWND owner, const TRect*) {
    if (!menu)
        return false;
    ShowMenuItems(menu, owner, flags, x, y);
    return true;
}
