#pragma once
// Runs the Qt event loop until a condition holds.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace kvt::qt_tests {

// False when `condition` still does not hold after `timeout_ms`; the limit only bounds a
// test that would otherwise hang.
inline bool WaitFor(const std::function<bool()>& condition, int timeout_ms = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeout_ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

}  // namespace kvt::qt_tests
