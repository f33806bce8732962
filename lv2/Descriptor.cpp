// The plug-in's entry: the one symbol the bundle's library exports.

#include "lv2/PluginMetadata.h"
#include "lv2/QuorlinPlugin.h"

#include <lv2/core/lv2.h>

namespace {

using quorlin::lv2::QuorlinPlugin;

QuorlinPlugin* pluginOf(LV2_Handle handle) {
    return static_cast<QuorlinPlugin*>(handle);
}

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features) noexcept {
    return QuorlinPlugin::create(sampleRate, features);
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) noexcept {
    pluginOf(handle)->connectPort(port, data);
}

void activate(LV2_Handle handle) noexcept {
    pluginOf(handle)->activate();
}

void run(LV2_Handle handle, uint32_t frames) noexcept {
    pluginOf(handle)->run(frames);
}

void deactivate(LV2_Handle handle) noexcept {
    pluginOf(handle)->deactivate();
}

void cleanup(LV2_Handle handle) noexcept {
    delete pluginOf(handle);
}

const void* extensionData(const char*) noexcept {
    return nullptr;
}

const LV2_Descriptor descriptor = {quorlin::lv2::pluginUri,
                                   instantiate,
                                   connectPort,
                                   activate,
                                   run,
                                   deactivate,
                                   cleanup,
                                   extensionData};

} // namespace

// LV2_SYMBOL_EXPORT gives the symbol C linkage and default visibility.
LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &descriptor : nullptr;
}
