// Reads a menu item's checked and enabled state whether the framework keeps them as plain
// fields or behind accessors.
#pragma once

#include "Menus.h"

namespace BvMenuDetail {
template <class T> auto Checked(const T* item, int) -> decltype(bool(item->Checked())) {
    return item->Checked();
}
template <class T> bool Checked(const T* item, long) {
    return item->Checked;
}
template <class T> auto Enabled(const T* item, int) -> decltype(bool(item->Enabled())) {
    return item->Enabled();
}
template <class T> bool Enabled(const T* item, long) {
    return item->Enabled;
}
template <class T>
auto SetChecked(T* item, bool value, int) -> decltype(item->SetChecked(value), void()) {
    item->SetChecked(value);
}
template <class T> void SetChecked(T* item, bool value, long) {
    item->Checked = value;
}
template <class T>
auto SetEnabled(T* item, bool value, int) -> decltype(item->SetEnabled(value), void()) {
    item->SetEnabled(value);
}
template <class T> void SetEnabled(T* item, bool value, long) {
    item->Enabled = value;
}
} // namespace BvMenuDetail

inline bool BvMenuItemChecked(const TMenuItem* item) {
    return item && BvMenuDetail::Checked(item, 0);
}
inline bool BvMenuItemEnabled(const TMenuItem* item) {
    return item && BvMenuDetail::Enabled(item, 0);
}
inline void SetBvMenuItemChecked(TMenuItem* item, bool value) {
    BvMenuDetail::SetChecked(item, value, 0);
}
inline void SetBvMenuItemEnabled(TMenuItem* item, bool value) {
    BvMenuDetail::SetEnabled(item, value, 0);
}
