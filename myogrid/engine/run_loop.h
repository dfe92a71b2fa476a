#pragma once
// Timing of a run: the run command times the first step and sets the timer
// interval from it; the window's timer then calls Tick. No widgets here: the
// window owns the QTimer and sets its interval from IntervalMs().
#include <cstdint>
#include <functional>

namespace myogrid {

// Wall-clock milliseconds; injectable so the timing can be tested.
class MillisecondClock {
public:
    virtual ~MillisecondClock() = default;
    virtual std::int64_t NowMs() = 0;
};

class SystemMillisecondClock : public MillisecondClock {
public:
    std::int64_t NowMs() override;
};

// Interval for a first step of `durationMs`: its seconds part * 1000 plus
// its milliseconds part plus 100 (hours and minutes are ignored; a negative
// duration counts as 0).
int RunIntervalMs(std::int64_t durationMs);

class RunLoop {
public:
    explicit RunLoop(MillisecondClock& clock) : clock_(clock) {}

    // Starts a run: `start` (StartBlockRun / StartOscillatorRun), then one
    // timed `step`. Returns the timer interval. If either throws, the loop
    // stays halted and the exception passes on.
    int StartRun(const std::function<void()>& start, const std::function<void()>& step);
    // One timer tick: runs `step` while running. A throwing step halts the
    // loop before the exception passes on. Returns whether a step ran.
    bool Tick(const std::function<void()>& step);
    void Halt() { running_ = false; }
    bool Running() const { return running_; }
    int IntervalMs() const { return intervalMs_; }

private:
    MillisecondClock& clock_;
    bool running_ = false;
    int intervalMs_ = 100;
};

}  // namespace myogrid
