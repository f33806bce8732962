#include "lv2/PluginLog.h"

#include <cstring>

namespace quorlin::lv2 {

PluginLog::PluginLog(const LV2_Feature* const* features, LV2_URID_Map* map) noexcept {
    LV2_Log_Log* log = nullptr;
    for (const LV2_Feature* const* feature = features; feature && *feature; ++feature) {
        if (std::strcmp((*feature)->URI, LV2_LOG__log) == 0) {
            log = static_cast<LV2_Log_Log*>((*feature)->data);
        }
    }
    lv2_log_logger_init(&logger, map, log);
}

void PluginLog::error(const char* text) noexcept {
    lv2_log_error(&logger, "quorlin: %s\n", text);
}

void PluginLog::warning(const char* text) noexcept {
    lv2_log_warning(&logger, "quorlin: %s\n", text);
}

} // namespace quorlin::lv2
