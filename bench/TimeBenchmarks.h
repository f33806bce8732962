#pragma once

namespace quorlin::bench {

// processTime cases: with nothing due (plug-in only), and with controller 5 due, with its
// host-call baseline.
void registerTimeBenchmarks();

} // namespace quorlin::bench
