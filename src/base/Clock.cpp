// The real clock over the C++ and POSIX time functions.
#include "base/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace velkor {
namespace {

TDateTimeParts Split(std::chrono::system_clock::time_point t, bool local) {
    using namespace std::chrono;
    std::time_t secs = system_clock::to_time_t(t);
    std::tm tm{};
    if (local)
        localtime_r(&secs, &tm);
    else
        gmtime_r(&secs, &tm);
    auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count() % 1000;
    if (ms < 0) ms += 1000;
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,          tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     static_cast<int>(ms)};
}

class TSystemClock final : public IClock {
public:
    TDateTimeParts Now() override { return Split(std::chrono::system_clock::now(), true); }
    TDateTimeParts UtcNow() override { return Split(std::chrono::system_clock::now(), false); }
    std::uint64_t PerformanceCounter() override {
        return static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count());
    }
    void Sleep(int milliseconds) override {
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

} // namespace

std::int64_t IClock::MonotonicMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

IClock& SystemClock() {
    static TSystemClock clock;
    return clock;
}

std::uint32_t UtcMillisecondOfDay(IClock& clock) {
    TDateTimeParts t = clock.UtcNow();
    return static_cast<std::uint32_t>(((t.Hour * 60 + t.Minute) * 60 + t.Second) * 1000 +
                                      t.Millisecond);
}

std::uint32_t ClockSeed(IClock& clock) {
    std::uint64_t counter = clock.PerformanceCounter();
    return UtcMillisecondOfDay(clock) ^ static_cast<std::uint32_t>(counter) ^
           static_cast<std::uint32_t>(counter >> 32);
}

} // namespace velkor
