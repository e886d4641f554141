// An IEventLoop over poll() for the tests and the console peers: descriptors to watch, a
// thread-safe queue of posted tasks woken through a self-pipe, and run helpers with time limits.
// Everything except Post and Quit belongs to the thread that runs the loop.
#pragma once

#include "net/EventLoop.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace velkor {

class PollEventLoop final : public IEventLoop {
public:
    // Raises velkor::Exception when the wake-up pipe cannot be made.
    PollEventLoop();
    ~PollEventLoop() override;
    PollEventLoop(const PollEventLoop&) = delete;
    PollEventLoop& operator=(const PollEventLoop&) = delete;

    TWatchId WatchReadable(int fd, std::function<void()> onReadable) override;
    void Unwatch(TWatchId id) override;
    void Post(std::function<void()> task) override;
    void ProcessEvents(bool waitForMore) override;

    // Waits at most `timeout` for events and handles what arrives; returns whether at least
    // one event was handled. A negative timeout waits without limit.
    bool ProcessEventsFor(std::chrono::milliseconds timeout);

    // Handles events until `done` answers true or `timeout` has passed; returns `done()`.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // Handles events until Quit. Quit may come from any thread; it is delivered as a posted
    // task, so what was posted before it still runs.
    void Run();
    void Quit();

    std::size_t WatchCount() const { return FWatches.size(); }

private:
    struct Watch {
        int Fd = -1;
        std::function<void()> OnReadable;
        bool Invalid = false; // poll said POLLNVAL: the descriptor was closed under the watch
    };

    // One poll() and the dispatch of what it found; returns the number of events handled.
    int DispatchOnce(int timeoutMs);
    void DrainWakePipe();
    bool HasPosted();

    std::map<TWatchId, std::shared_ptr<Watch>> FWatches;
    TWatchId FNextId = 1;
    int FWakeRead = -1;
    int FWakeWrite = -1;
    std::mutex FMutex; // guards FPosted
    std::deque<std::function<void()>> FPosted;
    bool FQuit = false;
};

} // namespace velkor
