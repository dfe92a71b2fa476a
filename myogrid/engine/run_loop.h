#pragma once
// Timing of a run: the run command times the first step and sets the timer
// interval from it; the window's timer then calls RunSlice. No widgets here:
// the window owns the QTimer and sets its interval from IntervalMs().
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

inline constexpr int kDefaultPauseMs = 100;
inline constexpr int kMaxPauseMs = 1000;
// Steps back to back (pause 0) yield to the event loop after this long.
inline constexpr int kSliceBudgetMs = 8;
// The pictures go to the screen at most once in this long (60 per second).
inline constexpr int kFrameIntervalMs = 16;

// The time a first step of `durationMs` counts for: its seconds part * 1000
// plus its milliseconds part (hours and minutes are ignored; a negative
// duration counts as 0).
int StepTimeMs(std::int64_t durationMs);
// Interval for a first step of `durationMs`: StepTimeMs plus 100.
int RunIntervalMs(std::int64_t durationMs);

// What one timer tick did: how many steps it ran and whether their pictures
// are to be shown now.
struct SliceResult {
    int steps = 0;
    bool show = false;
};

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
    // One timer tick at the set pause. With a pause: one step, to be shown.
    // Without: steps back to back until kSliceBudgetMs have passed, shown
    // when kFrameIntervalMs have passed since they were last shown. A
    // throwing step halts the loop before the exception passes on.
    SliceResult RunSlice(const std::function<void()>& step);

    // The pause between steps, 0..kMaxPauseMs (clamped).
    void SetPauseMs(int pauseMs);
    int PauseMs() const { return pauseMs_; }

    // Halted: no run to go on with. Paused: the run stands still and may
    // go on or be stepped by hand.
    void Halt() { running_ = paused_ = false; }
    void Pause() {
        if (running_) paused_ = true;
        running_ = false;
    }
    // Leaves the pause; the timer goes on at IntervalMs().
    void Resume() {
        if (paused_) running_ = true;
        paused_ = false;
    }
    // Leaves the halt or the pause without going on: the run stands still
    // after a step made by hand.
    void HoldStill() {
        running_ = false;
        paused_ = true;
    }
    bool Running() const { return running_; }
    bool Paused() const { return paused_; }
    // The timer interval: the first step's time plus the pause; 0 (as fast
    // as the event loop allows) without a pause.
    int IntervalMs() const { return pauseMs_ == 0 ? 0 : stepMs_ + pauseMs_; }

private:
    bool Step(const std::function<void()>& step);

    MillisecondClock& clock_;
    bool running_ = false;
    bool paused_ = false;
    int stepMs_ = 0;
    int pauseMs_ = kDefaultPauseMs;
    std::int64_t lastShownMs_ = 0;
    bool shownYet_ = false;
};

}  // namespace myogrid
