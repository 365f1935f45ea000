// Keeps commands from pulling the ground from under a long operation.
//
// Loading, extraction and export walk the track list and its records while
// they let window messages through, so the user can reach other commands
// meanwhile. Such an operation holds a Scope for its whole run. While any
// scope is held, commands that would release the records or reorder the rows
// ask Busy() and do not run, and a request to close the window is remembered
// instead of carried out: when the last scope ends, WM_CLOSE is posted to the
// window again, so the close happens once nothing is in use any more. The
// user may also ask the operation to stop (Esc); it asks StopRequested()
// between its steps, and the request is forgotten when the last scope ends.
#pragma once

#include <windows.h>

namespace win {

class ReentrancyGuard {
public:
    class Scope {
    public:
        explicit Scope(ReentrancyGuard& guard);
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        ~Scope();

    private:
        ReentrancyGuard& guard_;
    };

    ReentrancyGuard() = default;
    ReentrancyGuard(const ReentrancyGuard&) = delete;
    ReentrancyGuard& operator=(const ReentrancyGuard&) = delete;

    bool Busy() const { return depth_ > 0; }
    // True when `window` may close now; otherwise its close is deferred.
    bool MayCloseNow(HWND window);
    // Asks the operation under way, if any, to stop after its current step.
    void RequestStop() { stopRequested_ = Busy(); }
    bool StopRequested() const { return stopRequested_; }

private:
    HWND window_ = nullptr;
    int depth_ = 0;
    bool closeDeferred_ = false;
    bool stopRequested_ = false;
};

}  // namespace win
