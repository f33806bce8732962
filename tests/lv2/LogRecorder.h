#pragma once

#include <lv2/log/log.h>

#include <cstdarg>
#include <mutex>
#include <string>
#include <vector>

namespace quorlin::testing {

// The log:log feature of the test host: every message, as text.
class LogRecorder {
public:
    LogRecorder();
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    LV2_Log_Log* feature() { return &logFeature; }
    std::vector<std::string> lines();

private:
    static int print(LV2_Log_Handle handle, LV2_URID type, const char* format, ...);
    static int printList(LV2_Log_Handle handle, LV2_URID type, const char* format, va_list args);

    std::mutex lock;
    std::vector<std::string> recorded;
    LV2_Log_Log logFeature;
};

} // namespace quorlin::testing
