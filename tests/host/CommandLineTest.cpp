#include "host/CommandLine.h"
#include "host/plugin/HostError.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorlin::host {
namespace {

using Command = CommandLine::Command;

CommandLine parse(std::vector<std::string> arguments) {
    return CommandLine::parse(arguments);
}

TEST(HostCommandLineTest, TakesEachCommandWithItsOptionsInAnyOrder) {
    CommandLine process =
        parse({"--log", "process", "in.mid", "--speed", "Off", "-o", "out.mid", "--plugin=x.so"});
    EXPECT_EQ(process.command, Command::Process);
    EXPECT_EQ(process.inputs, std::vector<std::string>{"in.mid"});
    EXPECT_EQ(process.output, "out.mid");
    EXPECT_EQ(process.speed, "Off");
    EXPECT_TRUE(process.log);
    EXPECT_EQ(process.pluginPath, "x.so");
    EXPECT_TRUE(process.svg.empty());
    EXPECT_EQ(parse({"process", "in.mid", "-o", "out.mid", "--svg", "roll.svg"}).svg, "roll.svg");
    EXPECT_EQ(parse({"demo", "--svg=demo.svg"}).svg, "demo.svg");

    CommandLine demo = parse({"demo"});
    EXPECT_EQ(demo.command, Command::Demo);
    EXPECT_EQ(demo.output, "quorlin-demo.mid");
    EXPECT_FALSE(demo.speed.has_value());
    EXPECT_EQ(parse({"demo", "--output", "d.mid", "--speed=-1"}).speed, "-1");
    EXPECT_EQ(parse({"demo", "--speed", "oFf"}).speed, "Off");

    CommandLine skin = parse({"skin", "--out", "dir"});
    EXPECT_EQ(skin.command, Command::Skin);
    EXPECT_EQ(skin.outputDirectory, "dir");
    EXPECT_EQ(parse({"--plugin", "lib.dll", "info"}).pluginPath, "lib.dll");
    // Help wins wherever it stands, even on a line that is otherwise wrong.
    EXPECT_EQ(parse({"process", "--bogus", "--help"}).command, Command::Help);
    EXPECT_EQ(parse({"help"}).command, Command::Help);
}

TEST(HostCommandLineTest, RefusesWhatItCannotTakeAsAUsageError) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"play"},
        {"info", "--frobnicate"},
        {"info", "extra"},
        {"info", "-o", "x"},
        {"info", "--log"},
        {"process", "in.mid"},
        {"process", "-o", "out.mid"},
        {"process", "a.mid", "b.mid", "-o", "out.mid"},
        {"process", "in.mid", "-o"},
        {"process", "in.mid", "-o", ""},
        {"--plugin=", "info"},
        {"process", "in.mid", "-o", "out.mid", "--log=yes"},
        {"demo", "--log"},
        {"skin"},
        {"skin", "--out", "d", "--speed", "3"},
        {"skin", "--out", "d", "--svg", "x.svg"},
        {"info", "--svg", "x.svg"},
        {"demo", "--svg"},
        {"demo", "--svg", ""},
        {"process", "in.mid", "-o", "same", "--svg", "same"},
        {"process", "in.mid", "-o", "out.mid", "--speed", "banana"},
        {"process", "in.mid", "-o", "out.mid", "--speed", "128"},
        {"process", "in.mid", "-o", "out.mid", "--speed", "aff"},
        {"process", "in.mid", "-o", "out.mid", "--channels", "0-3"},
        {"process", "in.mid", "-o", "out.mid", "--channels", "5-2"},
        {"process", "in.mid", "-o", "out.mid", "--tracks", "1,,2"},
        {"process", "a.mid", "b.mid", "--out-dir", "d", "--svg", "x.svg"},
        {"help", "frobnicate"},
    };
    for (const std::vector<std::string>& arguments : bad) {
        std::string line;
        for (const std::string& argument : arguments) {
            line += argument + " ";
        }
        SCOPED_TRACE(line);
        try {
            CommandLine::parse(arguments);
            ADD_FAILURE() << "accepted";
        } catch (const HostError& error) {
            EXPECT_EQ(error.exitCode(), HostError::usageExitCode);
            EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos);
        }
    }
}

} // namespace
} // namespace quorlin::host
