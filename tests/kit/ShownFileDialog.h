// The Qt file dialog a test has opened and is now answering, or nullptr while none shows.
#pragma once

#include <QApplication>
#include <QFileDialog>

inline QFileDialog* ShownFileDialog() {
    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
        return d;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
            return d;
    return nullptr;
}
