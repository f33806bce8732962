#pragma once

namespace quorlin::bench {

// processEvent cases, each as "plugin/NAME" and its host-call baseline "baseline/NAME".
void registerEventBenchmarks();

} // namespace quorlin::bench
