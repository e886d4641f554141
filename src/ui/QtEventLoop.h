// The endpoint's event loop over Qt: socket readiness through QSocketNotifier, tasks posted
// to the GUI thread as queued calls, and QCoreApplication::processEvents on request.
#pragma once

#include "net/EventLoop.h"

#include <QObject>

#include <map>
#include <memory>

class QSocketNotifier;

namespace velkor {

class QtEventLoop final : public IEventLoop {
public:
    QtEventLoop();
    ~QtEventLoop() override;

    TWatchId WatchReadable(int fd, std::function<void()> onReadable) override;
    void Unwatch(TWatchId id) override;
    void Post(std::function<void()> task) override;
    void ProcessEvents(bool waitForMore) override;

private:
    std::unique_ptr<QObject> FContext; // queued calls die with the loop
    std::map<TWatchId, std::unique_ptr<QSocketNotifier>> FWatches;
    TWatchId FNextId = 1;
};

} // namespace velkor
