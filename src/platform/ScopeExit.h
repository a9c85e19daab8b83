// Cleanup that runs when a scope ends, whichever way it ends: a flag reset, a
// lock released, a saved state restored. Release() dismisses it, for an undo
// that only a failure before the end of the scope should run.
#pragma once

#include <exception>
#include <utility>

template <typename F> class [[nodiscard]] TScopeExit {
public:
    explicit TScopeExit(F cleanup)
        : cleanup_(std::move(cleanup)), exceptions_(std::uncaught_exceptions()) {}
    // A cleanup that fails on a normal exit raises as code after the scope would.
    ~TScopeExit() noexcept(false) {
        if (!armed_)
            return;
        if (std::uncaught_exceptions() == exceptions_) {
            cleanup_();
            return;
        }
        try {
            cleanup_();
        } catch (...) {
            // The scope is being left by an exception already; that one is the
            // failure to report, and a second one raised now would end the program.
        }
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

    void Release() { armed_ = false; }

private:
    F cleanup_;
    int exceptions_;
    bool armed_ = true;
};

// Gives the variable a value for the rest of the scope and its own value back after, whichever
// way the scope ends: the guard that keeps a control's events from feeding back while the code
// that raises them runs.
template <typename T, typename V> [[nodiscard]] auto SetForScope(T& variable, V value) {
    T was = std::move(variable);
    variable = std::move(value);
    return TScopeExit([&variable, was = std::move(was)]() mutable { variable = std::move(was); });
}
