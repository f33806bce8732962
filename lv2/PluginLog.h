#pragma once

#include <lv2/core/lv2.h>
#include <lv2/log/logger.h>

namespace quorlin::lv2 {

// Messages to the host's log, when it offers one; never used from run.
class PluginLog {
public:
    PluginLog(const LV2_Feature* const* features, LV2_URID_Map* map) noexcept;

    void error(const char* text) noexcept;
    void warning(const char* text) noexcept;

private:
    LV2_Log_Logger logger{};
};

} // namespace quorlin::lv2
