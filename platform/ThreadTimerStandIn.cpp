// Thread timers as the platform's user-interface library keeps them: a timer belongs to the
// thread that created it and fires only when that thread pumps its messages. This library is
// shared by the plug-in and its host, as the system library is on Windows.

#include <windows.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct ThreadTimer {
    UINT_PTR id;
    std::thread::id thread;
    Clock::duration period;
    Clock::time_point due;
    TIMERPROC callback;
};

std::mutex timersLock;
std::vector<ThreadTimer> timers;
UINT_PTR lastTimerId = 0;

DWORD tickCount() {
    auto sinceStart =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    return static_cast<DWORD>(sinceStart.count());
}

} // namespace

extern "C" UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC callback) {
    if (window != nullptr || callback == nullptr) {
        return 0; // the stand-in serves only window-less timers with a callback
    }
    std::lock_guard guard(timersLock);
    auto period = std::chrono::milliseconds(milliseconds < 10 ? 10 : milliseconds);
    for (ThreadTimer& timer : timers) {
        if (id != 0 && timer.id == id) {
            timer.period = period;
            timer.due = Clock::now() + period;
            timer.callback = callback;
            return id;
        }
    }
    UINT_PTR newId = ++lastTimerId;
    timers.push_back({newId, std::this_thread::get_id(), period, Clock::now() + period, callback});
    return newId;
}

extern "C" BOOL KillTimer(HWND, UINT_PTR id) {
    std::lock_guard guard(timersLock);
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->id == id) {
            timers.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

extern "C" BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlag) {
    std::lock_guard guard(timersLock);
    auto now = Clock::now();
    for (ThreadTimer& timer : timers) {
        if (timer.thread == std::this_thread::get_id() && timer.due <= now) {
            if (removeFlag & PM_REMOVE) {
                timer.due = now + timer.period; // a late timer fires once, not once per period
            }
            *message =
                MSG{nullptr,     WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.callback),
                    tickCount(), {0, 0}};
            return TRUE;
        }
    }
    return FALSE;
}

extern "C" LPARAM DispatchMessageA(const MSG* message) {
    if (message->message != WM_TIMER) {
        return 0;
    }
    TIMERPROC callback = nullptr;
    {
        std::lock_guard guard(timersLock);
        for (const ThreadTimer& timer : timers) {
            if (timer.id == message->wParam) {
                callback = timer.callback; // a timer killed since the peek is not called
            }
        }
    }
    if (callback != nullptr) {
        callback(nullptr, WM_TIMER, message->wParam, message->time);
    }
    return 0;
}
