// The clock seam: local time for the log's time stamps, UTC time of day and a performance
// counter for the wipe generators, a monotonic reading for the merchant's gateway timeout, and
// the blocking sleep before every send. Tests hand the protocol a clock of their own so that
// nothing waits for real.
#pragma once

#include <cstdint>

namespace velkor {

struct TDateTimeParts {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual TDateTimeParts Now() = 0;    // local date and time
    virtual TDateTimeParts UtcNow() = 0; // UTC date and time
    virtual std::uint64_t PerformanceCounter() = 0;
    virtual void Sleep(int milliseconds) = 0; // blocks the calling thread
    // Milliseconds on a clock that never goes back (wall-clock changes do not move it). The
    // default reads the system's steady clock; a test clock overrides it to step time itself.
    virtual std::int64_t MonotonicMilliseconds();
};

// The process's real clock.
IClock& SystemClock();

// ((hour * 60 + minute) * 60 + second) * 1000 + millisecond of the UTC time of day.
std::uint32_t UtcMillisecondOfDay(IClock& clock);

// The seed of the wipe generators: the UTC millisecond of the day XOR both halves of the
// performance counter.
std::uint32_t ClockSeed(IClock& clock = SystemClock());

} // namespace velkor
