#include "ParameterRegistry.h"

namespace quorlin {

NodeList& parameterRegistry() {
    // Built on first use, so no parameter can be constructed before the list exists.
    static NodeList registry;
    return registry;
}

} // namespace quorlin
