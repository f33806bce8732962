#pragma once

#include "host/CommandLine.h"
#include "host/render/PianoRoll.h"

#include <ostream>

namespace quorlin::host {

// The commands of the program. Each writes its report to `out` and throws HostError on failure,
// before any output file is in place.
void runInfoCommand(const CommandLine& line, std::ostream& out);
// The program's version, then the plug-in's vendor and class.
void runVersionCommand(const CommandLine& line, std::ostream& out);
void runProcessCommand(const CommandLine& line, std::ostream& out);
void runDemoCommand(const CommandLine& line, std::ostream& out);
void runSkinCommand(const CommandLine& line, std::ostream& out);

// The bars the command line asks the piano roll to show, if any.
std::optional<PianoRoll::BarRange> barsOf(const CommandLine& line);

// The library the command line names, or the one beside the program.
std::string pluginPathOf(const CommandLine& line);

} // namespace quorlin::host
