#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/plugin/HostError.h"

#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

using quorlin::host::CommandLine;

int run(const std::vector<std::string>& arguments) {
    CommandLine line = CommandLine::parse(arguments);
    switch (line.command) {
    case CommandLine::Command::Help:
        std::cout << CommandLine::usage(line.helpTopic);
        break;
    case CommandLine::Command::Version:
        quorlin::host::runVersionCommand(line, std::cout);
        break;
    case CommandLine::Command::Info:
        quorlin::host::runInfoCommand(line, std::cout);
        break;
    case CommandLine::Command::Process:
        quorlin::host::runProcessCommand(line, std::cout);
        break;
    case CommandLine::Command::Demo:
        quorlin::host::runDemoCommand(line, std::cout);
        break;
    case CommandLine::Command::Skin:
        quorlin::host::runSkinCommand(line, std::cout);
        break;
    }
    std::cout.flush();
    if (!std::cout) {
        throw quorlin::host::HostError("cannot write to standard output");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    constexpr const char* prefix = "quorlin-host: ";
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const quorlin::host::HostError& error) {
        std::cerr << prefix << error.what() << '\n';
        return error.exitCode();
    } catch (const std::bad_alloc&) {
        std::cerr << prefix << "out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << prefix << "unexpected failure: " << error.what() << '\n';
    } catch (...) {
        std::cerr << prefix << "unexpected failure\n";
    }
    return quorlin::host::HostError::failureExitCode;
}
