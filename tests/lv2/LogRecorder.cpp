#include "LogRecorder.h"

#include <cstdio>

namespace quorlin::testing {

LogRecorder::LogRecorder() : logFeature{this, &LogRecorder::print, &LogRecorder::printList} {}

std::vector<std::string> LogRecorder::lines() {
    std::lock_guard guard(lock);
    return recorded;
}

int LogRecorder::print(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int written = printList(handle, type, format, args);
    va_end(args);
    return written;
}

int LogRecorder::printList(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args) {
    char text[512];
    int written = std::vsnprintf(text, sizeof text, format, args);
    auto* recorder = static_cast<LogRecorder*>(handle);
    std::lock_guard guard(recorder->lock);
    recorder->recorded.emplace_back(text);
    return written;
}

} // namespace quorlin::testing
