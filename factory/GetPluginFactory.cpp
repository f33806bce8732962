// The library's one export.

#include "PluginFactory.h"

extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept {
    return quorlin::acquirePluginFactory();
}
