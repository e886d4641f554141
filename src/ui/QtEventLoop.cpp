// Qt adapter of the endpoint's event loop.
#include "ui/QtEventLoop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>

namespace velkor {

QtEventLoop::QtEventLoop() : FContext(std::make_unique<QObject>()) {}

QtEventLoop::~QtEventLoop() = default;

IEventLoop::TWatchId QtEventLoop::WatchReadable(int fd, std::function<void()> onReadable) {
    TWatchId id = FNextId++;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, FContext.get(),
                     [callback = std::move(onReadable)] { callback(); });
    FWatches.emplace(id, std::move(notifier));
    return id;
}

void QtEventLoop::Unwatch(TWatchId id) {
    auto it = FWatches.find(id);
    if (it == FWatches.end()) return;
    it->second->setEnabled(false);
    // The notifier may be the one whose signal is running right now; let Qt delete it later.
    it->second.release()->deleteLater();
    FWatches.erase(it);
}

void QtEventLoop::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(FContext.get(), std::move(task), Qt::QueuedConnection);
}

void QtEventLoop::ProcessEvents(bool waitForMore) {
    QCoreApplication::processEvents(waitForMore ? QEventLoop::WaitForMoreEvents
                                                : QEventLoop::AllEvents);
}

} // namespace velkor
