#include "myogrid/engine/run_loop.h"

#include <algorithm>
#include <chrono>

namespace myogrid {

std::int64_t SystemMillisecondClock::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int StepTimeMs(std::int64_t durationMs) {
    if (durationMs < 0) durationMs = 0;  // the clock was set back
    const std::int64_t seconds = (durationMs / 1000) % 60;
    const std::int64_t milliseconds = durationMs % 1000;
    return static_cast<int>(seconds * 1000 + milliseconds);
}

int RunIntervalMs(std::int64_t durationMs) { return StepTimeMs(durationMs) + kDefaultPauseMs; }

void RunLoop::SetPauseMs(int pauseMs) { pauseMs_ = std::clamp(pauseMs, 0, kMaxPauseMs); }

int RunLoop::StartRun(const std::function<void()>& start, const std::function<void()>& step) {
    Halt();
    start();
    const std::int64_t begin = clock_.NowMs();
    step();
    stepMs_ = StepTimeMs(clock_.NowMs() - begin);
    running_ = true;
    shownYet_ = false;
    return IntervalMs();
}

bool RunLoop::Step(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        Halt();
        throw;
    }
    return true;
}

bool RunLoop::Tick(const std::function<void()>& step) {
    if (!running_) return false;
    return Step(step);
}

SliceResult RunLoop::RunSlice(const std::function<void()>& step) {
    SliceResult result;
    if (!running_) return result;
    if (pauseMs_ > 0) {
        Step(step);
        result.steps = 1;
        result.show = true;
        return result;
    }
    const std::int64_t begin = clock_.NowMs();
    std::int64_t now = begin;
    do {
        Step(step);
        ++result.steps;
        now = clock_.NowMs();
        // A clock set back ends the slice rather than stretching it.
    } while (now >= begin && now - begin < kSliceBudgetMs);
    if (!shownYet_ || now - lastShownMs_ >= kFrameIntervalMs || now < lastShownMs_) {
        result.show = true;
        shownYet_ = true;
        lastShownMs_ = now;
    }
    return result;
}

}  // namespace myogrid
