// The poll() event loop: one poll over the wake-up pipe and every watched descriptor, then the
// posted tasks and the readable descriptors. Handlers may re-enter ProcessEvents (the UDP
// endpoint does while it waits for a host lookup) and may watch or unwatch meanwhile.
#include "net/PollEventLoop.h"

#include "base/Exception.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace velkor {
namespace {

void SetNonBlockingCloseOnExec(int fd) {
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int fdFlags = ::fcntl(fd, F_GETFD);
    if (fdFlags >= 0) ::fcntl(fd, F_SETFD, fdFlags | FD_CLOEXEC);
}

// A descriptor reported ready may have been drained by a handler that ran before its own turn
// (a nested ProcessEvents); calling its handler then would only wake it for nothing.
bool StillReadable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLERR | POLLHUP)) != 0;
}

int ToPollTimeout(std::chrono::steady_clock::duration remaining) {
    if (remaining <= std::chrono::steady_clock::duration::zero()) return 0;
    // Round up, or a wait of less than a millisecond would spin until the deadline.
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    return ms > 1000000 ? 1000000 : static_cast<int>(ms);
}

} // namespace

PollEventLoop::PollEventLoop() {
    int fds[2];
    if (::pipe(fds) != 0)
        throw Exception(std::string("Cannot create the event loop's wake-up pipe: ") +
                        std::strerror(errno));
    FWakeRead = fds[0];
    FWakeWrite = fds[1];
    SetNonBlockingCloseOnExec(FWakeRead);
    SetNonBlockingCloseOnExec(FWakeWrite);
}

PollEventLoop::~PollEventLoop() {
    ::close(FWakeRead);
    ::close(FWakeWrite);
}

IEventLoop::TWatchId PollEventLoop::WatchReadable(int fd, std::function<void()> onReadable) {
    TWatchId id = FNextId++;
    auto watch = std::make_shared<Watch>();
    watch->Fd = fd;
    watch->OnReadable = std::move(onReadable);
    FWatches.emplace(id, std::move(watch));
    return id;
}

void PollEventLoop::Unwatch(TWatchId id) {
    FWatches.erase(id);
}

void PollEventLoop::Post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FPosted.push_back(std::move(task));
    }
    // A full pipe is already readable, so a failed write loses no wake-up.
    char byte = 1;
    [[maybe_unused]] auto written = ::write(FWakeWrite, &byte, 1);
}

bool PollEventLoop::HasPosted() {
    std::lock_guard<std::mutex> lock(FMutex);
    return !FPosted.empty();
}

void PollEventLoop::DrainWakePipe() {
    char sink[256];
    while (::read(FWakeRead, sink, sizeof sink) > 0) {}
}

int PollEventLoop::DispatchOnce(int timeoutMs) {
    std::vector<pollfd> fds;
    std::vector<TWatchId> ids;
    fds.reserve(FWatches.size() + 1);
    ids.reserve(FWatches.size());
    fds.push_back({FWakeRead, POLLIN, 0});
    for (const auto& [id, watch] : FWatches) {
        if (watch->Invalid) continue;
        fds.push_back({watch->Fd, POLLIN, 0});
        ids.push_back(id);
    }
    // A task queued by a handler of the previous round has no wake-up byte left to announce it.
    if (HasPosted()) timeoutMs = 0;

    int ready = ::poll(fds.data(), static_cast<nfds_t>(fds.size()), timeoutMs);
    if (ready < 0) {
        if (errno == EINTR) return 0;
        throw Exception(std::string("poll failed: ") + std::strerror(errno));
    }
    if (fds[0].revents != 0) DrainWakePipe();

    int handled = 0;
    // Only the tasks queued by now, taken one at a time: a task that re-enters the loop then
    // runs the next one in order, and a task that posts another cannot keep this round going.
    std::size_t count;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        count = FPosted.size();
    }
    for (; count > 0; --count) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> lock(FMutex);
            if (FPosted.empty()) break;
            task = std::move(FPosted.front());
            FPosted.pop_front();
        }
        ++handled;
        task();
    }

    for (std::size_t i = 1; i < fds.size(); ++i) {
        short events = fds[i].revents;
        if (events == 0) continue;
        auto it = FWatches.find(ids[i - 1]);
        if (it == FWatches.end()) continue;        // unwatched by an earlier handler
        std::shared_ptr<Watch> watch = it->second; // alive even if its handler unwatches it
        if (events & POLLNVAL) {
            watch->Invalid = true;
            continue;
        }
        if (handled > 0 && !StillReadable(watch->Fd)) continue;
        ++handled;
        watch->OnReadable();
    }
    return handled;
}

void PollEventLoop::ProcessEvents(bool waitForMore) {
    if (!waitForMore) {
        DispatchOnce(0);
        return;
    }
    while (DispatchOnce(-1) == 0) {}
}

bool PollEventLoop::ProcessEventsFor(std::chrono::milliseconds timeout) {
    if (timeout.count() < 0) {
        ProcessEvents(true);
        return true;
    }
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (DispatchOnce(ToPollTimeout(deadline - std::chrono::steady_clock::now())) > 0)
            return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
}

bool PollEventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        auto remaining = deadline - std::chrono::steady_clock::now();
        if (remaining <= std::chrono::steady_clock::duration::zero()) return done();
        ProcessEventsFor(std::chrono::ceil<std::chrono::milliseconds>(remaining));
    }
    return true;
}

void PollEventLoop::Run() {
    while (!FQuit) ProcessEvents(true);
    FQuit = false;
}

void PollEventLoop::Quit() {
    Post([this] { FQuit = true; });
}

} // namespace velkor
