// quorlin-host's `process` as a WebAssembly module with no imports, for the page: one file in,
// the processed file, its piano roll and the warnings out, from the same code as the program
// and with the same arguments. The module is made for one file: the caller writes the arguments
// and the file into the room the module gives, calls quorlin_host_process once and reads what it
// left. A refused file traps (the module has no exceptions); quorlin_host_message then gives the
// message the program prints after "quorlin-host: ", and the caller takes a fresh instance.
//
// What the functions hand out stays where it is until the next call that writes; a call that
// allocates may grow the memory, so views of it must be made again after each.

#include "host/CommandLine.h"
#include "host/FileRun.h"
#include "host/plugin/BankPlayers.h"
#include "host/plugin/HostError.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace quorlin::web {

namespace {

using host::Failure;

// The input, the arguments and what the run left.
struct Run {
    std::vector<std::uint8_t> input;
    std::string arguments;
    host::FileRun::Result result;
    std::string warnings;
};

Run run;

std::vector<std::string> argumentsOf(const std::string& text) {
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        arguments.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return arguments;
}

void process() {
    host::CommandLine line = host::CommandLine::parse(argumentsOf(run.arguments));
    if (line.command != host::CommandLine::Command::Process || line.inputs.size() != 1 ||
        line.output.empty()) {
        Failure::raise(host::HostError("the page processes one file: process IN.mid -o OUT.mid"));
    }
    // The page names the files by their own names: no folder, no stream.
    const std::string& name = line.inputs.front();
    host::FileRun file(line, std::move(run.input), {name, name, line.output, line.output},
                       !line.svg.empty());
    // In the browser there is no plug-in library: the channel bank plays, which at the
    // defaults gives the library's bytes.
    host::BankPlayers players(line.speed, line.playing);
    run.result = file.play(players, nullptr);
    for (const std::string& warning : run.result.warnings) {
        run.warnings += warning + '\n';
    }
}

} // namespace

} // namespace quorlin::web

using quorlin::web::run;

// The module's allocations: memory that runs out is a failure told in the program's words, "out
// of memory", rather than the C++ library's abort, which says nothing.
void* operator new(std::size_t size) {
    void* memory = std::malloc(size != 0 ? size : 1);
    if (memory == nullptr) {
        quorlin::host::Failure::outOfMemory();
    }
    return memory;
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

extern "C" {

void __wasm_call_ctors();

// Called once, before any other function: the module's own initialisation. With it the module
// is a library whose state lasts from call to call; without it the linker would make each export
// a whole program, started and ended around the call.
__attribute__((export_name("_initialize"))) void _initialize() {
    __wasm_call_ctors();
}

// Room for the input file of `size` bytes, to be written before quorlin_host_process.
__attribute__((export_name("quorlin_host_input"))) std::uint8_t*
quorlin_host_input(std::uint32_t size) {
    run.input.assign(size, 0);
    return run.input.data();
}

// Room for the arguments as quorlin-host takes them ("process", IN, "-o", OUT, options), each
// ended by a NUL, `size` bytes in all.
__attribute__((export_name("quorlin_host_arguments"))) char*
quorlin_host_arguments(std::uint32_t size) {
    run.arguments.assign(size, '\0');
    return run.arguments.data();
}

// Processes the input with the arguments; 1 when the output is there. A refused file traps.
__attribute__((export_name("quorlin_host_process"))) std::int32_t quorlin_host_process() {
    quorlin::web::process();
    return 1;
}

__attribute__((export_name("quorlin_host_output"))) const std::uint8_t* quorlin_host_output() {
    return run.result.bytes.data();
}

__attribute__((export_name("quorlin_host_output_size"))) std::uint32_t quorlin_host_output_size() {
    return static_cast<std::uint32_t>(run.result.bytes.size());
}

// The piano roll as --svg writes it, UTF-8; empty without --svg.
__attribute__((export_name("quorlin_host_picture"))) const char* quorlin_host_picture() {
    return run.result.picture.data();
}

__attribute__((export_name("quorlin_host_picture_size"))) std::uint32_t
quorlin_host_picture_size() {
    return static_cast<std::uint32_t>(run.result.picture.size());
}

// The warnings, a line each, as the program prints them after "quorlin-host: warning: ".
__attribute__((export_name("quorlin_host_warnings"))) const char* quorlin_host_warnings() {
    return run.warnings.data();
}

__attribute__((export_name("quorlin_host_warnings_size"))) std::uint32_t
quorlin_host_warnings_size() {
    return static_cast<std::uint32_t>(run.warnings.size());
}

// The message of the failure that trapped, one line; empty before one.
__attribute__((export_name("quorlin_host_message"))) const char* quorlin_host_message() {
    return quorlin::host::Failure::message().data();
}

__attribute__((export_name("quorlin_host_message_size"))) std::uint32_t
quorlin_host_message_size() {
    return static_cast<std::uint32_t>(quorlin::host::Failure::message().size());
}

} // extern "C"
