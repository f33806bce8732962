#include "host/CommandLine.h"

#include "host/plugin/HostError.h"
#include "legato/PlayingRanges.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quorlin::host {

namespace {

using Command = CommandLine::Command;

// One option of a command: its spellings, whether it takes a value, and what it sets.
struct OptionRule {
    const char* name;
    const char* alias; // may be null
    bool takesValue;
    void (*take)(CommandLine& line, const std::string& value, const std::string& spelled);
};

constexpr OptionRule outputOption{
    "--output", "-o", true,
    [](CommandLine& line, const std::string& value, const std::string&) { line.output = value; }};
constexpr OptionRule svgOption{
    "--svg", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string&) { line.svg = value; }};
constexpr OptionRule speedOption{"--speed", nullptr, true,
                                 [](CommandLine& line, const std::string& value,
                                    const std::string&) { line.speed = speedOf(value); }};
// A whole number from 0 to `highest`, or a usage error that names the option and the `unit`.
std::uint32_t wholeNumberOf(const std::string& value, const std::string& spelled,
                            std::int32_t highest, const char* unit) {
    std::uint32_t number = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, number);
    if (error != std::errc() || stop != end || number > static_cast<std::uint32_t>(highest)) {
        Failure::raise(usageError("option " + spelled + " takes " + unit + " from 0 to " +
                                  std::to_string(highest) + ", not '" + value + "'"));
    }
    return number;
}

constexpr OptionRule chordWindowOption{
    "--chord-window", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string& spelled) {
        line.playing.chordWindow =
            wholeNumberOf(value, spelled, playing::chordWindowHighest, "milliseconds");
    }};
constexpr OptionRule intervalLimitOption{
    "--interval-limit", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string& spelled) {
        // The top of the bank's range means no limit, which is the option left out.
        line.playing.intervalLimit =
            wholeNumberOf(value, spelled, playing::intervalLimitNone - 1, "semitones");
    }};
constexpr OptionRule legatoToleranceOption{
    "--legato-tolerance", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string& spelled) {
        line.playing.legatoTolerance =
            wholeNumberOf(value, spelled, playing::legatoToleranceHighest, "milliseconds");
    }};
constexpr OptionRule glideSourceOption{"--glide-source", nullptr, false,
                                       [](CommandLine& line, const std::string&,
                                          const std::string&) { line.playing.glideSource = true; }};
constexpr OptionRule cc65Option{
    "--cc65", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string& spelled) {
        if (value != "every" && value != "change") {
            Failure::raise(
                usageError("option " + spelled + " takes every or change, not '" + value + "'"));
        }
        line.playing.portamentoOnChange = value == "change";
    }};
constexpr OptionRule replaceControllersOption{
    "--replace-controllers", nullptr, false,
    [](CommandLine& line, const std::string&, const std::string&) {
        line.playing.replaceControllers = true;
    }};
constexpr OptionRule engineOption{
    "--engine", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string& spelled) {
        if (value == "auto") {
            line.engine = CommandLine::Engine::Automatic;
        } else if (value == "library") {
            line.engine = CommandLine::Engine::Library;
        } else if (value == "core") {
            line.engine = CommandLine::Engine::Core;
        } else {
            Failure::raise(usageError("option " + spelled + " takes auto, library or core, not '" +
                                      value + "'"));
        }
    }};
constexpr OptionRule perTrackOption{
    "--per-track", nullptr, false,
    [](CommandLine& line, const std::string&, const std::string&) { line.perTrack = true; }};
constexpr OptionRule logOption{
    "--log", nullptr, false,
    [](CommandLine& line, const std::string&, const std::string&) { line.log = true; }};
constexpr OptionRule forceOption{
    "--force", "-f", false,
    [](CommandLine& line, const std::string&, const std::string&) { line.force = true; }};
constexpr OptionRule channelsOption{
    "--channels", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string& spelled) {
        line.choice.chooseChannels(value, spelled);
    }};
constexpr OptionRule tracksOption{
    "--tracks", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string& spelled) {
        line.choice.chooseTracks(value, spelled);
    }};
constexpr OptionRule barsOption{
    "--bars", nullptr, true,
    [](CommandLine& line, const std::string& value, const std::string& spelled) {
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        const char* end = value.data() + value.size();
        auto [dash, firstError] = std::from_chars(value.data(), end, first);
        bool good = firstError == std::errc() && dash != end && *dash == '-';
        if (good) {
            auto [stop, lastError] = std::from_chars(dash + 1, end, last);
            good = lastError == std::errc() && stop == end;
        }
        if (!good || first < 1) {
            Failure::raise(
                usageError("option " + spelled + " takes FROM-TO, bar numbers from 1, e.g. 9-16"));
        }
        if (last < first) {
            Failure::raise(usageError("option " + spelled + " " + value + ": bar " +
                                      std::to_string(first) + " comes after bar " +
                                      std::to_string(last) + "; give FROM-TO, e.g. " +
                                      std::to_string(last) + "-" + std::to_string(first)));
        }
        line.bars = std::make_pair(first, last);
    }};
constexpr OptionRule outDirOption{"--out-dir", nullptr, true,
                                  [](CommandLine& line, const std::string& value,
                                     const std::string&) { line.outputDirectory = value; }};
constexpr OptionRule outOption{"--out", nullptr, true,
                               [](CommandLine& line, const std::string& value, const std::string&) {
                                   line.outputDirectory = value;
                               }};
constexpr OptionRule pluginOption{"--plugin", nullptr, true,
                                  [](CommandLine& line, const std::string& value,
                                     const std::string&) { line.pluginPath = value; }};

constexpr OptionRule processOptions[] = {outputOption,
                                         outDirOption,
                                         svgOption,
                                         barsOption,
                                         speedOption,
                                         chordWindowOption,
                                         cc65Option,
                                         intervalLimitOption,
                                         glideSourceOption,
                                         legatoToleranceOption,
                                         replaceControllersOption,
                                         engineOption,
                                         perTrackOption,
                                         logOption,
                                         forceOption,
                                         channelsOption,
                                         tracksOption};
constexpr OptionRule demoOptions[] = {outputOption, svgOption, barsOption, speedOption,
                                      forceOption};
constexpr OptionRule skinOptions[] = {outOption, forceOption};
constexpr OptionRule globalOptions[] = {pluginOption};

// A command: its name, its options, its operands and its help.
struct CommandRule {
    const char* name;
    Command command;
    std::span<const OptionRule> options;
    std::size_t maxOperands;
    const char* help;
    // Checks what belongs together once the whole line is read.
    void (*finish)(CommandLine& line, std::vector<std::string>& operands);
};

void finishProcess(CommandLine& line, std::vector<std::string>& operands) {
    if (operands.empty()) {
        Failure::raise(usageError("process needs an input file"));
    }
    line.inputs = std::move(operands);
    bool toDirectory = !line.outputDirectory.empty();
    if (toDirectory && !line.output.empty()) {
        Failure::raise(usageError("give either -o OUT.mid or --out-dir DIR, not both"));
    }
    if (!toDirectory && line.output.empty()) {
        Failure::raise(usageError("process needs an output file (-o OUT.mid)"));
    }
    if (!toDirectory && line.inputs.size() > 1) {
        Failure::raise(usageError("several input files need --out-dir DIR"));
    }
    if (line.bars && line.svg.empty()) {
        Failure::raise(usageError("--bars chooses what --svg draws; give --svg FILE"));
    }
    if (toDirectory && line.svg.size() > 4 && line.svg.ends_with(".svg")) {
        Failure::raise(usageError("with --out-dir, --svg takes a folder for the rolls, not '" +
                                  line.svg + "'"));
    }
    if (line.svg == "-") {
        Failure::raise(
            usageError("--svg needs a file name: only the MIDI file can go to standard output"));
    }
    if (line.engine == CommandLine::Engine::Library && !line.playing.atDefaults()) {
        Failure::raise(
            usageError("--engine library plays only the portamento speed; the other playing "
                       "options need --engine core or auto"));
    }
    if (line.output == "-" && line.log) {
        Failure::raise(usageError("--log prints to standard output, where -o - puts the MIDI file; "
                                  "leave out one of them"));
    }
}

void finishDemo(CommandLine& line, std::vector<std::string>&) {
    if (line.output.empty()) {
        line.output = "quorlin-demo.mid";
    }
}

void finishSkin(CommandLine& line, std::vector<std::string>&) {
    if (line.outputDirectory.empty()) {
        Failure::raise(usageError("skin needs an output directory (--out DIR)"));
    }
}

void finishNothing(CommandLine&, std::vector<std::string>&) {}

void finishHelp(CommandLine& line, std::vector<std::string>& operands);

constexpr CommandRule commandRules[] = {
    {"info",
     Command::Info,
     {},
     0,
     "  info                          what the plug-in is and its parameters,\n"
     "                                then its records: vendor, classes, module\n"
     "                                information\n",
     finishNothing},
    {"process", Command::Process, processOptions, 65535,
     "  process IN.mid... (-o OUT.mid | --out-dir DIR)\n"
     "          [--speed N|Off] [--chord-window MS] [--cc65 every|change]\n"
     "          [--interval-limit N] [--glide-source] [--legato-tolerance MS]\n"
     "          [--replace-controllers] [--engine auto|library|core]\n"
     "          [--per-track] [--channels LIST] [--tracks LIST]\n"
     "          [--log] [--svg FILE] [--bars FROM-TO] [--force]\n"
     "                                play the chosen channels of the chosen\n"
     "                                tracks as a synthesizer hears them: the\n"
     "                                tracks merged in time, one plug-in\n"
     "                                instance per channel for the whole file.\n"
     "                                IN or OUT may be - for standard input or\n"
     "                                output; several inputs go to DIR/<name>\n"
     "                                (DIR is created when its parent exists);\n"
     "                                each file is all or nothing, the others\n"
     "                                still run, and the exit code is 1 if any\n"
     "                                failed.\n"
     "      --speed N|Off             the portamento speed, 0..127, the value of\n"
     "                                controller 5; Off (any case) or -1: no\n"
     "                                controller 5 is sent (default: Off)\n"
     "      --chord-window MS         keys struck less than MS milliseconds (0..100)\n"
     "                                after the key before them make one chord:\n"
     "                                only its first key may glide, from an older\n"
     "                                held key (default: 0, every held key counts)\n"
     "      --cc65 every|change       controller 65 before every note-on, or only\n"
     "                                when its value changes on the channel\n"
     "                                (default: every)\n"
     "      --interval-limit N        held keys more than N semitones (0..127) from\n"
     "                                a note-on do not count as held for it\n"
     "                                (default: no limit)\n"
     "      --glide-source            controller 84 before each gliding note-on,\n"
     "                                naming the key it glides from; a named key\n"
     "                                still sounding stops sounding (default: off)\n"
     "      --legato-tolerance MS     a key let go less than MS milliseconds\n"
     "                                (0..100) before a note-on still counts as\n"
     "                                held, and is named by controller 84\n"
     "                                (default: 0)\n"
     "      --replace-controllers     leave out the input's own controllers 5 and\n"
     "                                65 on the channels that go through, so\n"
     "                                Quorlin's are the only ones (default: keep\n"
     "                                them, with a warning)\n"
     "      --engine auto|library|core\n"
     "                                what plays the channels: the plug-in\n"
     "                                library through its tables, or the legato\n"
     "                                core in this program; auto takes the\n"
     "                                library unless a playing option above is\n"
     "                                set off its default (default: auto)\n"
     "      --per-track               one instance per track and channel, as a\n"
     "                                sequencer with the plug-in on one track;\n"
     "                                warns when tracks share a channel\n"
     "      --channels LIST           channels through the plug-in, e.g. 1-9,11-16\n"
     "                                or all (default: all but drum channel 10)\n"
     "      --tracks LIST             tracks through the plug-in, from 1 (default:\n"
     "                                all); other events pass untouched\n"
     "      --log                     print what went in and what came out\n"
     "      --svg FILE                draw the result as a piano roll per track;\n"
     "                                with --out-dir, FILE is a folder that gets\n"
     "                                <name>.svg per input (give DIR itself to\n"
     "                                put each beside its MIDI file); files\n"
     "                                of up to 10 MiB\n"
     "      --bars FROM-TO            draw only those bars, e.g. 9-16\n"
     "      -f, --force               replace existing output files\n",
     finishProcess},
    {"demo", Command::Demo, demoOptions, 0,
     "  demo [-o FILE] [--speed N|Off] [--svg FILE] [--force]\n"
     "                                run a built-in phrase and print the table\n"
     "                                (writes quorlin-demo.mid by default)\n",
     finishDemo},
    {"skin", Command::Skin, skinOptions, 0,
     "  skin --out DIR [--force]      write the skin description, its bitmaps and\n"
     "                                preview.html showing both views into DIR\n"
     "                                (created when its parent exists); existing\n"
     "                                files are replaced only with --force\n",
     finishSkin},
    {"help",
     Command::Help,
     {},
     1,
     "  help [COMMAND]                this text, or one command's\n",
     finishHelp},
};

const CommandRule* findCommand(const std::string& name) {
    for (const CommandRule& rule : commandRules) {
        if (name == rule.name) {
            return &rule;
        }
    }
    return nullptr;
}

const CommandRule& ruleOf(Command command) {
    for (const CommandRule& rule : commandRules) {
        if (rule.command == command) {
            return rule;
        }
    }
    return commandRules[0];
}

void finishHelp(CommandLine& line, std::vector<std::string>& operands) {
    if (!operands.empty()) {
        const CommandRule* topic = findCommand(operands.front());
        if (topic == nullptr) {
            Failure::raise(usageError("unknown command '" + operands.front() + "'"));
        }
        line.helpTopic = topic->command;
    }
}

const OptionRule* findOption(std::span<const OptionRule> options, const std::string& name) {
    for (const OptionRule& option : options) {
        if (name == option.name || (option.alias != nullptr && name == option.alias)) {
            return &option;
        }
    }
    return nullptr;
}

// Whether any command takes `name` with a value: such an option's next argument is its value.
bool anyTakesValue(const std::string& name) {
    if (const OptionRule* global = findOption(globalOptions, name)) {
        return global->takesValue;
    }
    for (const CommandRule& rule : commandRules) {
        if (const OptionRule* option = findOption(rule.options, name)) {
            return option->takesValue;
        }
    }
    return false;
}

// Splits "--name=value" so both spellings of an option with a value are taken.
struct Spelled {
    std::string name;
    std::optional<std::string> inlineValue;
};

Spelled splitOption(const std::string& argument) {
    std::size_t equals = argument.find('=');
    if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
        return {argument.substr(0, equals), argument.substr(equals + 1)};
    }
    return {argument, std::nullopt};
}

bool isOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// The command word: the first argument that is neither an option nor an option's value. A word
// that names no command is a usage error, or with `lenient` no command.
const CommandRule* commandOf(std::span<const std::string> arguments, bool lenient) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        Spelled spelled = splitOption(arguments[i]);
        if (!isOption(arguments[i])) {
            const CommandRule* rule = findCommand(arguments[i]);
            if (rule == nullptr && !lenient) {
                Failure::raise(usageError("unknown command '" + arguments[i] + "'"));
            }
            return rule;
        }
        if (!spelled.inlineValue && anyTakesValue(spelled.name)) {
            ++i;
        }
    }
    return nullptr;
}

} // namespace

std::string speedOf(const std::string& text) {
    std::optional<std::int32_t> value = playing::speedFromText(text);
    if (!value) {
        Failure::raise(usageError("--speed must be Off, -1 or 0..127, not '" + text + "'"));
    }
    return *value == playing::speedOff && text != "-1" ? "Off" : text;
}

std::string CommandLine::usage(std::optional<Command> topic) {
    if (topic && *topic != Command::Help && *topic != Command::Version) {
        return std::string("Usage: quorlin-host [--plugin PATH] ") + ruleOf(*topic).name +
               " [OPTIONS]\n\n" + ruleOf(*topic).help;
    }
    std::string text = "Usage: quorlin-host [--plugin PATH] COMMAND [OPTIONS]\n"
                       "\n"
                       "Loads the Quorlin MIDI plug-in and drives it as a sequencer does.\n"
                       "\n"
                       "Commands:\n";
    for (const CommandRule& rule : commandRules) {
        text += rule.help;
    }
    text += "\n"
            "Options:\n"
            "  --plugin PATH                 the plug-in library to load (default: the\n"
            "                                one installed with this program)\n"
            "  --version                     the program's and the plug-in's version\n"
            "  -h, --help                    show this text, or with a command its own\n";
    return text;
}

CommandLine CommandLine::parse(std::span<const std::string> arguments) {
    CommandLine line;
    bool helpWanted = std::any_of(arguments.begin(), arguments.end(),
                                  [](const std::string& a) { return a == "-h" || a == "--help"; });
    bool versionWanted =
        std::find(arguments.begin(), arguments.end(), "--version") != arguments.end();
    const CommandRule* rule = commandOf(arguments, helpWanted || versionWanted);
    // Asking for help or the version is answered whatever else the line holds.
    if (helpWanted) {
        if (rule != nullptr && rule->command != Command::Help) {
            line.helpTopic = rule->command;
        }
        return line;
    }
    if (versionWanted) {
        line.command = Command::Version;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            if (arguments[i] == "--plugin" && i + 1 < arguments.size()) {
                line.pluginPath = arguments[i + 1];
            } else if (arguments[i].rfind("--plugin=", 0) == 0) {
                line.pluginPath = arguments[i].substr(9);
            }
        }
        return line;
    }
    if (rule == nullptr) {
        Failure::raise(usageError("no command given"));
    }
    line.command = rule->command;

    std::vector<std::string> operands;
    std::vector<std::string> given;
    bool commandSeen = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (!isOption(arguments[i])) {
            if (commandSeen) {
                operands.push_back(arguments[i]);
            }
            commandSeen = true;
            continue;
        }
        Spelled spelled = splitOption(arguments[i]);
        const OptionRule* option = findOption(globalOptions, spelled.name);
        if (option == nullptr) {
            option = findOption(rule->options, spelled.name);
        }
        if (option == nullptr) {
            if (anyTakesValue(spelled.name) || findOption(processOptions, spelled.name) ||
                findOption(demoOptions, spelled.name) || findOption(skinOptions, spelled.name)) {
                Failure::raise(usageError("option " + spelled.name + " does not apply to '" +
                                          rule->name + "'"));
            }
            Failure::raise(usageError("unknown option '" + spelled.name + "'"));
        }
        std::string value;
        if (option->takesValue) {
            if (spelled.inlineValue) {
                value = *spelled.inlineValue;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                Failure::raise(usageError("option " + spelled.name + " needs a value"));
            }
            if (value.empty()) {
                Failure::raise(
                    usageError("option " + spelled.name + " needs a value, not an empty one"));
            }
        } else if (spelled.inlineValue) {
            Failure::raise(usageError("option " + spelled.name + " takes no value"));
        }
        option->take(line, value, spelled.name);
    }
    if (operands.size() > rule->maxOperands) {
        Failure::raise(usageError("unexpected argument '" + operands.back() + "'"));
    }
    rule->finish(line, operands);
    if (std::any_of(line.inputs.begin(), line.inputs.end(),
                    [](const std::string& input) { return input.empty(); })) {
        Failure::raise(usageError("empty file name"));
    }
    if (!line.svg.empty() && line.svg == line.output) {
        Failure::raise(usageError("the piano roll and the MIDI file need different names"));
    }
    return line;
}

} // namespace quorlin::host
