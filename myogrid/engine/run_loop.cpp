#include "myogrid/engine/run_loop.h"

#include <chrono>

namespace myogrid {

std::int64_t SystemMillisecondClock::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int RunIntervalMs(std::int64_t durationMs) {
    if (durationMs < 0) durationMs = 0;  // the clock was set back
    const std::int64_t seconds = (durationMs / 1000) % 60;
    const std::int64_t milliseconds = durationMs % 1000;
    return static_cast<int>(seconds * 1000 + milliseconds + 100);
}

int RunLoop::StartRun(const std::function<void()>& start, const std::function<void()>& step) {
    running_ = false;
    start();
    const std::int64_t begin = clock_.NowMs();
    step();
    intervalMs_ = RunIntervalMs(clock_.NowMs() - begin);
    running_ = true;
    return intervalMs_;
}

bool RunLoop::Tick(const std::function<void()>& step) {
    if (!running_) return false;
    try {
        step();
    } catch (...) {
        running_ = false;
        throw;
    }
    return true;
}

}  // namespace myogrid
