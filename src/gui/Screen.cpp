// The screen (its forms, size, cursor and fonts), the mouse, and the system's fixed metrics.
#include "Forms.h"

#include "qt/WidgetBinding.h"

#include <algorithm>

TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
        return Screen ? Screen->Width() : 1024;
    case SM_CYSCREEN:
        return Screen ? Screen->Height() : 768;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 16;
    case SM_CYCAPTION:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 19;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    default:
        return 0;
    }
}

bool SystemParametersInfo(unsigned action, unsigned, void* value, unsigned) {
    if (action == SPI_GETFLATMENU) {
        if (value)
            *static_cast<int*>(value) = 0;
        return true;
    }
    if (action == SPI_GETWHEELSCROLLLINES) {
        if (value)
            *static_cast<unsigned*>(value) = static_cast<unsigned>(BvQt::WheelScrollLines());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- TScreen

const TClassInfo& TScreen::StaticClassInfo() {
    static const TClassInfo info("TScreen", &TComponent::StaticClassInfo(), {}, "Forms");
    return info;
}

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), hintFont_(std::make_unique<TFont>()), menuFont_(std::make_unique<TFont>()),
      iconFont_(std::make_unique<TFont>()) {
    hintFont_->SetColor(clInfoText);
    menuFont_->SetColor(clMenuText);
}
TScreen::~TScreen() {
    Destroying();
}

int TScreen::PixelsPerInch() const {
    int dpi = BvQt::HasApplication() ? BvQt::ScreenPixelsPerInch() : 0;
    return dpi > 0 ? dpi : 96;
}

TPoint TMouse::CursorPos() const {
    return BvQt::HasApplication() ? BvQt::CursorPos() : TPoint{};
}

void TMouse::SetCursorPos(TPoint pos) {
    if (BvQt::HasApplication())
        BvQt::SetCursorPos(pos);
}

int TScreen::Width() const {
    int width = 1024, height = 768;
    BvQt::PrimaryScreenSize(width, height);
    return width;
}
int TScreen::Height() const {
    int width = 1024, height = 768;
    BvQt::PrimaryScreenSize(width, height);
    return height;
}

TRect TScreen::WorkAreaRect() const {
    if (!BvQt::HasApplication())
        return Rect(0, 0, Width(), Height());
    return BvQt::ScreenWorkArea({-1000000, -1000000});
}

TRect TScreen::WorkAreaAt(TPoint point) const {
    if (!BvQt::HasApplication())
        return Rect(0, 0, Width(), Height());
    return BvQt::ScreenWorkArea(point);
}

TCustomForm* TScreen::ActiveForm() const {
    QWidget* w = BvQt::ActiveWindow();
    for (TCustomForm* f : forms_)
        if (f->HandleAllocated() && f->Widget() == w)
            return f;
    return nullptr;
}

TWinControl* TScreen::ActiveControl() const {
    return BvQt::FocusedControl();
}

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    BvQt::SetScreenCursor(cursor);
}

int TScreen::Cursors(int index) const {
    for (const auto& [slot, cursor] : cursors_)
        if (slot == index)
            return cursor;
    return index;
}

void TScreen::SetCursors(int index, int cursor) {
    for (auto& entry : cursors_)
        if (entry.first == index) {
            entry.second = cursor;
            return;
        }
    cursors_.push_back({index, cursor});
}

namespace {
// Drawn cursors by number. Their numbers lie far above any cursor slot the program uses, so a
// slot's number is never taken for one. GUI thread only, as the screen is.
constexpr int kFirstDrawnCursor = 0x40000000;
std::vector<std::pair<int, TDrawnCursor>>& DrawnCursors() {
    static std::vector<std::pair<int, TDrawnCursor>> cursors;
    return cursors;
}
int gNextDrawnCursor = kFirstDrawnCursor;
} // namespace

int CreateDrawnCursor(const TBitmap& picture, TColor transparent, TPoint hotSpot) {
    if (picture.Width() <= 0 || picture.Height() <= 0)
        return 0;
    TDrawnCursor cursor;
    cursor.Width = picture.Width();
    cursor.Height = picture.Height();
    cursor.HotSpot = {std::clamp(hotSpot.X, 0, cursor.Width - 1),
                      std::clamp(hotSpot.Y, 0, cursor.Height - 1)};
    TColor clear = ColorToRGB(transparent);
    cursor.Pixels.reserve(static_cast<size_t>(cursor.Width) * static_cast<size_t>(cursor.Height));
    for (int y = 0; y < cursor.Height; ++y)
        for (int x = 0; x < cursor.Width; ++x) {
            TColor c = picture.Pixel(x, y);
            uint32_t rgb = (static_cast<uint32_t>(GetRValue(c)) << 16) |
                           (static_cast<uint32_t>(GetGValue(c)) << 8) |
                           static_cast<uint32_t>(GetBValue(c));
            cursor.Pixels.push_back(c == clear ? 0u : 0xFF000000u | rgb);
        }
    int number = gNextDrawnCursor++;
    DrawnCursors().push_back({number, std::move(cursor)});
    return number;
}

void DestroyDrawnCursor(int cursor) {
    auto& list = DrawnCursors();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [cursor](const auto& entry) { return entry.first == cursor; }),
               list.end());
}

const TDrawnCursor* FindDrawnCursor(int cursor) {
    if (cursor < kFirstDrawnCursor)
        return nullptr;
    for (const auto& [number, drawn] : DrawnCursors())
        if (number == cursor)
            return &drawn;
    return nullptr;
}

std::vector<std::string> TScreen::Fonts() const {
    return BvQt::FontFamilies();
}

void TScreen::AddForm(TCustomForm* form) {
    forms_.push_back(form);
}
void TScreen::RemoveForm(TCustomForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}
