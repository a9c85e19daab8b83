// The speed bar's arrangement in an application storage: alignment, thickness, button size
// and the place of every shown button, saved and restored with the form's placement.
#include "BvAppStorage.h"
#include "BvFormPlacement.h"
#include "BvSpeedbar.h"
#include "BvWindowPlacement.h"
#include "Forms.h"

#include <algorithm>
#include <optional>

namespace {

std::string Key(const std::string& path, const std::string& name) {
    return TBvCustomAppStorage::ConcatPaths({path, name});
}

struct TStoredButton {
    TBvSpeedItem* Item;
    int Left, Top;
};

// "name,left,top"; anything else is not a button entry.
std::optional<TStoredButton> ParseButton(const TBvSpeedBar& bar, const std::string& entry) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = entry.find(',', start);
        parts.push_back(Trim(entry.substr(start, comma - start)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() != 3 || parts[0].empty())
        return std::nullopt;
    int left = 0, top = 0;
    if (!TryStrToInt(parts[1], left) || !TryStrToInt(parts[2], top))
        return std::nullopt;
    TBvSpeedItem* item = bar.FindItemByName(parts[0]);
    if (!item)
        return std::nullopt;
    return TStoredButton{item, left, top};
}

// The screen's height (vertical) or width: no stored size or place of the bar lies beyond.
int ScreenExtent(bool vertical) {
    if (!Screen)
        return vertical ? 4096 : 8192;
    return std::max(1, vertical ? Screen->Height() : Screen->Width());
}

bool IsStoredAlign(int value) {
    return value >= static_cast<int>(TAlign::alNone) && value <= static_cast<int>(TAlign::alCustom);
}

} // namespace

void TBvSpeedBar::SaveLayout(TBvCustomAppStorage* storage, const std::string& path) {
    if (!storage)
        return;
    storage->DeleteSubTree(path);
    TAlign a = Align();
    storage->WriteInteger(Key(path, "Position"), static_cast<int>(a));
    bool horizontal = a == TAlign::alTop || a == TAlign::alBottom;
    storage->WriteInteger(Key(path, "Width"), horizontal ? Height() : Width());
    storage->WriteInteger(Key(path, "Version"), Version);
    storage->WriteInteger(Key(path, "PixelsPerInch"), Screen ? Screen->PixelsPerInch() : 96);
    storage->WriteInteger(Key(path, "BtnWidth"), btnWidth_);
    storage->WriteInteger(Key(path, "BtnHeight"), btnHeight_);
    int count = 0;
    ForEachItem([&](TBvSpeedItem* item) {
        if (!item->Visible() || !item->Stored)
            return;
        ++count;
        storage->WriteString(Key(path, "Button" + std::to_string(count)),
                             Format("%s,%d,%d", {item->Name(), item->Left(), item->Top()}));
    });
    storage->WriteInteger(Key(path, "Count"), count);
}

void TBvSpeedBar::RestoreLayout(TBvCustomAppStorage* storage, const std::string& path) {
    if (!storage)
        return;
    if (storage->ReadInteger(Key(path, "Version"), Version) < Version)
        return;
    TAlign before = Align();
    if (options_ & sbAllowDrag) {
        int stored = storage->ReadInteger(Key(path, "Position"), static_cast<int>(before));
        // A stored alignment this bar cannot take leaves it where it is.
        if (IsStoredAlign(stored)) {
            try {
                SetAlign(static_cast<TAlign>(stored));
            } catch (const EBvSpeedbarError&) {
            }
        }
    }
    int ownerPpi = dynamic_cast<TCustomForm*>(Owner()) && Screen ? Screen->PixelsPerInch() : 0;
    int screenPpi = Screen ? Screen->PixelsPerInch() : 96;
    if (storage->ReadInteger(Key(path, "PixelsPerInch"), ownerPpi) != screenPpi)
        return;
    if (options_ & sbAllowResize) {
        bool horizontal = Align() == TAlign::alTop || Align() == TAlign::alBottom;
        int size = storage->ReadInteger(Key(path, "Width"), horizontal ? Height() : Width());
        // A thickness no screen has is damage, not a layout.
        const int limit = ScreenExtent(horizontal);
        if (size > 0 && size <= limit) {
            if (horizontal)
                SetHeight(size);
            else
                SetWidth(size);
        }
    }
    if (Align() != before)
        PosChanged();
    const int count = storage->ReadInteger(Key(path, "Count"), 0);
    if (count <= 0)
        return;
    // A damaged count may be huge: no more entries are read than the bar has items, and
    // the reading stops at the first entry that is not there.
    int items = 0;
    ForEachItem([&](TBvSpeedItem*) { ++items; });
    const int entries = std::min(count, items);
    const int maxLeft = ScreenExtent(false), maxTop = ScreenExtent(true);
    std::vector<TStoredButton> found;
    for (int i = 1; i <= entries; ++i) {
        const std::string key = Key(path, "Button" + std::to_string(i));
        if (!storage->ValueStored(key))
            break;
        auto b = ParseButton(*this, storage->ReadString(key, ""));
        if (b && b->Left >= 0 && b->Left <= maxLeft && b->Top >= 0 && b->Top <= maxTop)
            found.push_back(*b);
    }
    // A layout that names none of the bar's buttons would leave it empty: keep the current one.
    if (found.empty())
        return;
    ForEachItem([](TBvSpeedItem* item) { item->SetVisible(false); });
    for (const TStoredButton& b : found) {
        b.Item->Button()->SetBounds(b.Left, b.Top, b.Item->Button()->Width(),
                                    b.Item->Button()->Height());
        b.Item->SetVisible(true);
    }
}

TBvFormPlacement* TBvSpeedBar::IniStorage() const {
    return iniLink_ ? iniLink_->Storage() : nullptr;
}

void TBvSpeedBar::SetIniStorage(TBvFormPlacement* value) {
    if (!iniLink_) {
        if (!value)
            return;
        iniLink_ = std::make_unique<TBvIniLink>();
        iniLink_->OnSave = [this](TObject*) { LayoutSave(); };
        iniLink_->OnLoad = [this](TObject*) { LayoutLoad(); };
    }
    iniLink_->SetStorage(value);
}

namespace {
TBvCustomAppStorage* ActiveStorage(TBvSpeedBar* bar, TBvFormPlacement* placement) {
    if (!bar->Owner() || !placement || !placement->Active)
        return nullptr;
    return placement->AppStorage();
}
} // namespace

void TBvSpeedBar::LayoutSave() {
    TBvFormPlacement* placement = IniStorage();
    if (TBvCustomAppStorage* storage = ActiveStorage(this, placement))
        SaveLayout(storage, TBvCustomAppStorage::ConcatPaths(
                                {placement->ResolvedStoragePath(), GetDefaultSection(this)}));
}

void TBvSpeedBar::LayoutLoad() {
    TBvFormPlacement* placement = IniStorage();
    if (TBvCustomAppStorage* storage = ActiveStorage(this, placement))
        RestoreLayout(storage, TBvCustomAppStorage::ConcatPaths(
                                   {placement->ResolvedStoragePath(), GetDefaultSection(this)}));
}
