#include "ChangeTimer.h"

#include "Parameter.h"
#include "ParameterRegistry.h"

#include <new>

namespace quorlin {

namespace {

constexpr UINT tickMilliseconds = 20;

std::int32_t startCount = 0;
UINT_PTR timerId = 0; // 0 while no timer exists

void killTimer() {
    if (timerId != 0) {
        KillTimer(nullptr, timerId);
        timerId = 0;
    }
}

} // namespace

bool startChangeTimer() {
    if (startCount == 0) {
        // A failed SetTimer leaves 0: no ticks, and owners are still told at once. A timer
        // table that cannot grow is running out of memory, and then the use is not taken.
        try {
            timerId = SetTimer(nullptr, 0, tickMilliseconds, deliverPendingChanges);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    ++startCount;
    return true;
}

void stopChangeTimer() {
    if (startCount == 0) {
        return;
    }
    --startCount;
    if (startCount == 0) {
        killTimer();
    }
}

void killChangeTimerAtUnload() {
    killTimer();
    startCount = 0;
}

std::int32_t changeTimerStartCount() {
    return startCount;
}

void CALLBACK deliverPendingChanges(HWND, UINT, UINT_PTR, DWORD) {
    // Listeners run host code that may create, release or destroy parameters. The pass holds a
    // reference to the parameter it last served and reads a link only from a node that is
    // alive: the held one, or one reached since without running any foreign code. A quiet
    // tick costs one bit test per parameter.
    Parameter* held = nullptr;
    ListNode* node = parameterRegistry().first();
    while (node != nullptr) {
        Parameter* parameter = Parameter::fromNode(node);
        if (parameter->isPending()) {
            parameter->AddRef();
            if (held != nullptr) {
                held->Release();
            }
            held = parameter;
            parameter->deliverPendingChange();
        }
        node = node->nextNode();
    }
    if (held != nullptr) {
        held->Release();
    }
}

} // namespace quorlin
