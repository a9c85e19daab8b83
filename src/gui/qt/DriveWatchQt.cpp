#include "DriveWatch.h"

#include "Drives.h"
#include "MountWatcher.h"
#include "qt/WidgetBinding.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace {

TMountWatcher* gWatcher = nullptr;
QSocketNotifier* gNotifier = nullptr;

} // namespace

void StartDriveWatch() {
    if (gNotifier || !QCoreApplication::instance())
        return;
    auto watcher = new TMountWatcher;
    if (!watcher->Valid()) {
        delete watcher;
        return;
    }
    gWatcher = watcher;
    // The kernel flags a change as an exceptional condition (POLLPRI); the loop's
    // own poll of the descriptor clears it, so each change arrives once.
    gNotifier = new QSocketNotifier(gWatcher->Fd(), QSocketNotifier::Exception,
                                    QCoreApplication::instance());
    QObject::connect(gNotifier, &QSocketNotifier::activated,
                     [] { GuardedCall(nullptr, [] { DrivesChanged(); }); });
    QObject::connect(gNotifier, &QObject::destroyed, [] {
        gNotifier = nullptr;
        delete gWatcher;
        gWatcher = nullptr;
    });
}

bool DriveWatchActive() {
    return gNotifier != nullptr;
}
