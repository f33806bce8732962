// The library's one export.

#include "factory/PluginFactory.h"

extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept {
    return quorlin::acquirePluginFactory();
}
