// The poll() loop: posted tasks across threads and in order, readable descriptors, re-entrant
// processing, and the run helpers that tests and console programs rely on.
#include "net/PollEventLoop.h"

#include "base/Exception.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <unistd.h>
#include <vector>

namespace velkor {
namespace {

using namespace std::chrono_literals;

struct Pipe {
    int Read = -1, Write = -1;
    Pipe() {
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("pipe");
        Read = fds[0];
        Write = fds[1];
    }
    ~Pipe() {
        if (Read >= 0) ::close(Read);
        if (Write >= 0) ::close(Write);
    }
    void Put() const { ASSERT_EQ(::write(Write, "x", 1), 1); }
    void Take() const {
        char c;
        ASSERT_EQ(::read(Read, &c, 1), 1);
    }
};

TEST(PollEventLoopPost, TasksFromOtherThreadsRunOnTheLoopThreadInOrder) {
    PollEventLoop loop;
    const auto loopThread = std::this_thread::get_id();
    constexpr int kPerThread = 300;
    std::vector<int> seenA, seenB;
    bool offThread = false;
    auto producer = [&](std::vector<int>& seen) {
        for (int i = 0; i < kPerThread; ++i)
            loop.Post([&, i] {
                if (std::this_thread::get_id() != loopThread) offThread = true;
                seen.push_back(i);
            });
    };
    std::thread a(producer, std::ref(seenA));
    std::thread b(producer, std::ref(seenB));
    bool done =
        loop.RunUntil([&] { return seenA.size() == kPerThread && seenB.size() == kPerThread; }, 5s);
    a.join();
    b.join();
    ASSERT_TRUE(done);
    EXPECT_FALSE(offThread);
    for (int i = 0; i < kPerThread; ++i) {
        EXPECT_EQ(seenA[static_cast<std::size_t>(i)], i);
        EXPECT_EQ(seenB[static_cast<std::size_t>(i)], i);
    }
}

TEST(PollEventLoopPost, WaitingProcessEventsWakesForAPostFromAnotherThread) {
    PollEventLoop loop;
    std::atomic<bool> ran{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(20ms);
        loop.Post([&] { ran = true; });
    });
    loop.ProcessEvents(true); // returns only once the task has been handled
    poster.join();
    EXPECT_TRUE(ran);
}

TEST(PollEventLoopPost, ProcessEventsWithoutWaitingReturnsWhenIdle) {
    PollEventLoop loop;
    loop.ProcessEvents(false);
    EXPECT_FALSE(loop.ProcessEventsFor(0ms));
}

TEST(PollEventLoopPost, NestedProcessingKeepsThePostedOrder) {
    PollEventLoop loop;
    std::vector<std::string> order;
    loop.Post([&] {
        order.push_back("1 begins");
        loop.ProcessEvents(false);
        order.push_back("1 ends");
    });
    loop.Post([&] { order.push_back("2"); });
    loop.Post([&] { order.push_back("3"); });
    loop.ProcessEvents(false);
    EXPECT_EQ(order, (std::vector<std::string>{"1 begins", "2", "3", "1 ends"}));
}

TEST(PollEventLoopPost, ATaskThatPostsAgainDoesNotHoldTheRoundOpen) {
    PollEventLoop loop;
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        loop.Post(again);
    };
    loop.Post(again);
    loop.ProcessEvents(false);
    EXPECT_EQ(runs, 1);
    loop.ProcessEvents(false);
    EXPECT_EQ(runs, 2);
}

TEST(PollEventLoopPost, AThrowingTaskLeavesTheRestQueued) {
    PollEventLoop loop;
    bool second = false;
    loop.Post([] { throw Exception("boom"); });
    loop.Post([&] { second = true; });
    EXPECT_THROW(loop.ProcessEvents(false), Exception);
    EXPECT_FALSE(second);
    EXPECT_TRUE(loop.ProcessEventsFor(100ms));
    EXPECT_TRUE(second);
}

TEST(PollEventLoopRun, QuitFromAnotherThreadEndsRunAfterEarlierTasks) {
    PollEventLoop loop;
    bool earlier = false;
    std::thread stopper([&] {
        loop.Post([&] { earlier = true; });
        loop.Quit();
    });
    loop.Run();
    stopper.join();
    EXPECT_TRUE(earlier);
    // Run can be entered again.
    loop.Quit();
    loop.Run();
}

TEST(PollEventLoopRun, RunUntilGivesUpAtItsTimeout) {
    PollEventLoop loop;
    EXPECT_FALSE(loop.RunUntil([] { return false; }, 30ms));
    EXPECT_TRUE(loop.RunUntil([] { return true; }, 0ms));
}

TEST(PollEventLoopWatch, ReadableDescriptorCallsItsHandlerUntilUnwatched) {
    PollEventLoop loop;
    Pipe pipe;
    int calls = 0;
    auto id = loop.WatchReadable(pipe.Read, [&] {
        ++calls;
        pipe.Take();
    });
    EXPECT_FALSE(loop.ProcessEventsFor(0ms));
    pipe.Put();
    EXPECT_TRUE(loop.ProcessEventsFor(1s));
    EXPECT_EQ(calls, 1);
    loop.Unwatch(id);
    EXPECT_EQ(loop.WatchCount(), 0u);
    pipe.Put();
    EXPECT_FALSE(loop.ProcessEventsFor(20ms));
    EXPECT_EQ(calls, 1);
}

TEST(PollEventLoopWatch, HandlersMayUnwatchThemselvesAndOthersMidRound) {
    PollEventLoop loop;
    Pipe first, second;
    IEventLoop::TWatchId firstId = 0, secondId = 0;
    int firstCalls = 0, secondCalls = 0;
    firstId = loop.WatchReadable(first.Read, [&] {
        ++firstCalls;
        loop.Unwatch(firstId);
        loop.Unwatch(secondId);
    });
    secondId = loop.WatchReadable(second.Read, [&] { ++secondCalls; });
    first.Put();
    second.Put();
    EXPECT_TRUE(loop.ProcessEventsFor(1s));
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
    EXPECT_EQ(loop.WatchCount(), 0u);
}

TEST(PollEventLoopWatch, ADescriptorDrainedEarlierInTheRoundIsNotReported) {
    PollEventLoop loop;
    Pipe first, second;
    int secondCalls = 0;
    loop.WatchReadable(first.Read, [&] {
        first.Take();
        second.Take(); // as a nested loop would, reading what the second watch was told of
    });
    loop.WatchReadable(second.Read, [&] { ++secondCalls; });
    first.Put();
    second.Put();
    EXPECT_TRUE(loop.ProcessEventsFor(1s));
    EXPECT_EQ(secondCalls, 0);
}

TEST(PollEventLoopWatch, AClosedDescriptorUnderAWatchNeitherFiresNorSpins) {
    PollEventLoop loop;
    int fd;
    {
        Pipe pipe;
        fd = ::dup(pipe.Read);
    }
    ::close(fd);
    int calls = 0;
    loop.WatchReadable(fd, [&] { ++calls; });
    EXPECT_FALSE(loop.ProcessEventsFor(30ms));
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace velkor
