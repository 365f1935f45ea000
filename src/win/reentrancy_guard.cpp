#include "win/reentrancy_guard.h"

namespace win {

ReentrancyGuard::Scope::Scope(ReentrancyGuard& guard) : guard_(guard) {
    ++guard_.depth_;
}

ReentrancyGuard::Scope::~Scope() {
    if (--guard_.depth_ == 0) {
        guard_.stopRequested_ = false;
    }
    if (guard_.depth_ == 0 && guard_.closeDeferred_) {
        guard_.closeDeferred_ = false;
        PostMessageW(guard_.window_, WM_CLOSE, 0, 0);
    }
}

bool ReentrancyGuard::MayCloseNow(HWND window) {
    if (Busy()) {
        window_ = window;
        closeDeferred_ = true;
        return false;
    }
    return true;
}

}  // namespace win
