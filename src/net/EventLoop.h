// What the UDP endpoint needs from an event loop: tell me when this descriptor is readable,
// run this on the owner's thread, and process pending events now. The window implements it
// over Qt; PollEventLoop implements it over poll() for tests and the console peers.
#pragma once

#include <functional>

namespace velkor {

class IEventLoop {
public:
    using TWatchId = int;
    virtual ~IEventLoop() = default;

    // `onReadable` runs on the loop's thread each time the descriptor is readable, until
    // Unwatch. Returns an id for Unwatch. A pending socket error (POLLERR) counts as readable:
    // only the handler's read consumes it. The handler may find nothing to read and must
    // not block.
    virtual TWatchId WatchReadable(int fd, std::function<void()> onReadable) = 0;
    virtual void Unwatch(TWatchId id) = 0;

    // Queues `task` to run on the loop's thread. The only call that may come from another
    // thread; tasks run in the order they were posted.
    virtual void Post(std::function<void()> task) = 0;

    // Runs what is pending (readable descriptors, posted tasks). With `waitForMore`, blocks
    // until at least one event has been handled.
    virtual void ProcessEvents(bool waitForMore) = 0;
};

} // namespace velkor
