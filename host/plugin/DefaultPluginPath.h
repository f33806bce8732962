#pragma once

#include <string>

namespace quorlin::host {

// The plug-in library that sits beside the running program (quorlin.dll on Windows, quorlin.so
// elsewhere), or, when there is none, the one installed with it in ../lib/quorlin/. Falls back
// to the bare file name when the program's own path is unknown.
std::string defaultPluginPath();

} // namespace quorlin::host
