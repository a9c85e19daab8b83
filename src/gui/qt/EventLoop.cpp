// The Qt application and its event loop: the runtime's dispatcher (queued calls,
// Synchronize and timers) runs from Qt's loop, and ProcessMessages pumps Qt's events.
#include "Dispatcher.h"
#include "Forms.h"
#include "qt/WidgetBinding.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QTimer>

namespace {

QTimer* gDispatchTimer = nullptr;

// Runs what the dispatcher holds and re-arms the timer for its next due timer.
void PumpDispatcher() {
    CheckSynchronize();
    FireDueTimers();
    if (!gDispatchTimer)
        return;
    int ms = NextTimerDueMs();
    if (ms >= 0)
        gDispatchTimer->start(ms);
    else
        gDispatchTimer->stop();
}

} // namespace

void TApplication::Initialize() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char arg0[] = "brisvane";
        static char* argv[] = {arg0, nullptr};
        new QApplication(argc, argv);
    }
    SetMainThread();
    SysLocale.MiddleEast = QLocale::system().textDirection() == Qt::RightToLeft;
    if (!gDispatchTimer) {
        gDispatchTimer = new QTimer;
        gDispatchTimer->setSingleShot(true);
        QObject::connect(gDispatchTimer, &QTimer::timeout, [] { PumpDispatcher(); });
    }
    SetWakeMainThread([] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { PumpDispatcher(); }, Qt::QueuedConnection);
    });
    SetProcessMessagesHook([] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    SetApplicationExceptionHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (...) {
            if (Application)
                Application->HandleException(nullptr);
        }
    });
}

namespace BvQt {

bool HasApplication() {
    return QCoreApplication::instance() != nullptr;
}
void WaitForEvents() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
void StartSingleShot(QTimer*& timer, int ms, std::function<void()> fire) {
    if (!timer) {
        timer = new QTimer;
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, std::move(fire));
    }
    timer->start(ms);
}
void StopTimer(QTimer* timer) {
    if (timer)
        timer->stop();
}

} // namespace BvQt
