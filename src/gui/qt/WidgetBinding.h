// What the control classes ask of the Qt widget behind a windowed control. The header is
// free of Qt so that a control class needs none of it; the calls are made in qt/.
#pragma once

#include "Types.h"

class QWidget;
class TFont;

namespace BvQt {

void SetGeometry(QWidget* widget, int left, int top, int width, int height);
void SetEnabled(QWidget* widget, bool enabled);
void SetVisible(QWidget* widget, bool visible);
bool IsVisible(const QWidget* widget);
void SetFont(QWidget* widget, const TFont& font);
void SetFocus(QWidget* widget);
bool HasFocus(const QWidget* widget);
// Asks for a paint when the event loop next runs.
void Invalidate(QWidget* widget);
void InvalidateRect(QWidget* widget, const TRect& rect);
// Paints now.
void Repaint(QWidget* widget);
void Raise(QWidget* widget);
// Takes the widget out of its parent widget (the control left its parent).
void Detach(QWidget* widget);
void SetAcceptDrops(QWidget* widget, bool accept);
// The mouse pointer over the widget; a cursor number of the screen's cursor slots.
void SetCursor(QWidget* widget, int cursor);

} // namespace BvQt
