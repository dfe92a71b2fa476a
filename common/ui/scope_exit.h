#pragma once
// Runs an action when the scope it was made in ends, however it ends (a
// return, an exception): for state that must be put back, such as a notice
// shown only while a long computation runs.
#include <exception>
#include <utility>

namespace common::ui {

template <class Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit() {
        // Never throws out of a destructor: a failing action is dropped.
        try {
            action_();
        } catch (...) {
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Action action_;
};

}  // namespace common::ui
