#include "host/CommandLine.h"

#include "host/HostError.h"

#include <vector>

namespace quorlin::host {

namespace {

using Command = CommandLine::Command;

struct CommandName {
    const char* name;
    Command command;
};

constexpr CommandName commandNames[] = {{"info", Command::Info},
                                        {"process", Command::Process},
                                        {"demo", Command::Demo},
                                        {"skin", Command::Skin},
                                        {"help", Command::Help}};

const char* nameOf(Command command) {
    for (const CommandName& entry : commandNames) {
        if (entry.command == command) {
            return entry.name;
        }
    }
    return "?";
}

// Splits "--name=value" so both spellings of an option with a value are taken.
struct Option {
    std::string name;
    std::optional<std::string> inlineValue;
};

Option splitOption(const std::string& argument) {
    std::size_t equals = argument.find('=');
    if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
        return {argument.substr(0, equals), argument.substr(equals + 1)};
    }
    return {argument, std::nullopt};
}

} // namespace

const char* CommandLine::usage() {
    return "Usage: quorlin-host [--plugin PATH] COMMAND [OPTIONS]\n"
           "\n"
           "Loads the Quorlin MIDI plug-in and drives it as a sequencer does.\n"
           "\n"
           "Commands:\n"
           "  info                          vendor, classes, module information and\n"
           "                                parameters of the plug-in\n"
           "  process IN.mid -o OUT.mid     run every track that holds notes through its\n"
           "          [--speed N|Off]       own plug-in instance; --speed sets the\n"
           "          [--log]               portamento speed, --log prints what went in\n"
           "          [--svg FILE]          and what came out, --svg draws the result as\n"
           "                                a piano roll per track\n"
           "  demo [-o FILE] [--speed N|Off] [--svg FILE]\n"
           "                                run a built-in phrase and print the table\n"
           "                                (writes quorlin-demo.mid by default)\n"
           "  skin --out DIR                write the skin description, its bitmaps and\n"
           "                                preview.html showing both views\n"
           "\n"
           "Options:\n"
           "  --plugin PATH                 the plug-in library to load (default: the\n"
           "                                one beside this program)\n"
           "  -h, --help                    show this text\n";
}

CommandLine CommandLine::parse(std::span<const std::string> arguments) {
    CommandLine line;
    bool commandGiven = false;
    bool outputGiven = false;
    bool outputDirectoryGiven = false;
    bool svgGiven = false;
    bool pluginGiven = false;
    std::vector<std::string> operands;

    // Asking for help is answered whatever else the line holds.
    for (const std::string& argument : arguments) {
        if (argument == "-h" || argument == "--help") {
            return line;
        }
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        Option option = splitOption(arguments[i]);
        auto value = [&]() -> std::string {
            if (option.inlineValue) {
                return *option.inlineValue;
            }
            if (i + 1 >= arguments.size()) {
                throw usageError("option " + option.name + " needs a value");
            }
            return arguments[++i];
        };
        auto noValue = [&]() {
            if (option.inlineValue) {
                throw usageError("option " + option.name + " takes no value");
            }
        };
        if (option.name == "--plugin") {
            line.pluginPath = value();
            pluginGiven = true;
        } else if (option.name == "-o" || option.name == "--output") {
            line.output = value();
            outputGiven = true;
        } else if (option.name == "--out") {
            line.outputDirectory = value();
            outputDirectoryGiven = true;
        } else if (option.name == "--svg") {
            line.svg = value();
            svgGiven = true;
        } else if (option.name == "--speed") {
            line.speed = value();
        } else if (option.name == "--log") {
            noValue();
            line.log = true;
        } else if (option.name.size() > 1 && option.name[0] == '-') {
            throw usageError("unknown option '" + option.name + "'");
        } else if (!commandGiven) {
            bool known = false;
            for (const CommandName& entry : commandNames) {
                if (arguments[i] == entry.name) {
                    line.command = entry.command;
                    known = true;
                }
            }
            if (!known) {
                throw usageError("unknown command '" + arguments[i] + "'");
            }
            commandGiven = true;
        } else {
            operands.push_back(arguments[i]);
        }
    }

    if (!commandGiven) {
        throw usageError("no command given");
    }
    auto refuse = [&](bool given, const char* option) {
        if (given) {
            throw usageError(std::string("option ") + option + " does not apply to '" +
                             nameOf(line.command) + "'");
        }
    };
    bool wantsInput = line.command == Command::Process;
    if (operands.size() > (wantsInput ? 1u : 0u)) {
        throw usageError("unexpected argument '" + operands.back() + "'");
    }
    switch (line.command) {
    case Command::Help:
        break;
    case Command::Info:
        refuse(outputGiven, "-o");
        refuse(outputDirectoryGiven, "--out");
        refuse(line.speed.has_value(), "--speed");
        refuse(line.log, "--log");
        refuse(svgGiven, "--svg");
        break;
    case Command::Process:
        refuse(outputDirectoryGiven, "--out");
        if (operands.empty()) {
            throw usageError("process needs an input file");
        }
        line.input = operands.front();
        if (!outputGiven) {
            throw usageError("process needs an output file (-o OUT.mid)");
        }
        break;
    case Command::Demo:
        refuse(outputDirectoryGiven, "--out");
        refuse(line.log, "--log");
        if (!outputGiven) {
            line.output = "quorlin-demo.mid";
        }
        break;
    case Command::Skin:
        refuse(outputGiven, "-o");
        refuse(line.speed.has_value(), "--speed");
        refuse(line.log, "--log");
        refuse(svgGiven, "--svg");
        if (!outputDirectoryGiven) {
            throw usageError("skin needs an output directory (--out DIR)");
        }
        break;
    }
    if ((outputGiven && line.output.empty()) || (pluginGiven && line.pluginPath.empty()) ||
        (outputDirectoryGiven && line.outputDirectory.empty()) || (svgGiven && line.svg.empty()) ||
        (line.command == Command::Process && line.input.empty())) {
        throw usageError("empty file name");
    }
    if (svgGiven && line.svg == line.output) {
        throw usageError("the piano roll and the MIDI file need different names");
    }
    return line;
}

} // namespace quorlin::host
