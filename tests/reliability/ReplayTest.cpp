// The fuzzers' checks run without the fuzzing engine: over the committed seed inputs, over
// every regression input, and over a fixed series of random inputs.

#include "fuzz/CallSequence.h"
#include "fuzz/DecimalTextCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace quorlin::reliability {
namespace {

namespace fs = std::filesystem;

const ReferenceSkin& skin() {
    static const ReferenceSkin files(QUORLIN_RESOURCE_DIR);
    return files;
}

std::vector<std::uint8_t> readInput(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The committed inputs of one target: its seed corpus and the regressions named after it.
std::vector<fs::path> committedInputs(const std::string& target) {
    std::vector<fs::path> inputs;
    fs::path corpus = fs::path(QUORLIN_FUZZ_DIR) / "corpus" / target;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        inputs.push_back(entry.path());
    }
    fs::path regressions = fs::path(QUORLIN_FUZZ_DIR) / "regressions";
    if (fs::exists(regressions)) {
        for (const auto& entry : fs::directory_iterator(regressions)) {
            if (entry.path().filename().string().starts_with(target)) {
                inputs.push_back(entry.path());
            }
        }
    }
    return inputs;
}

std::vector<std::uint8_t> randomInput(std::mt19937& random, std::size_t maxSize) {
    std::vector<std::uint8_t> input(random() % maxSize);
    for (std::uint8_t& byte : input) {
        byte = static_cast<std::uint8_t>(random());
    }
    return input;
}

std::string runSequence(const std::vector<std::uint8_t>& input) {
    CallSequence sequence(skin());
    return sequence.run(input.data(), input.size());
}

TEST(ReplayTest, CommittedCallSequencesMatchTheModel) {
    std::vector<fs::path> inputs = committedInputs("call_sequence");
    ASSERT_GE(inputs.size(), 4u);
    for (const fs::path& path : inputs) {
        EXPECT_EQ(runSequence(readInput(path)), "") << path;
    }
}

TEST(ReplayTest, RandomCallSequencesMatchTheModel) {
    std::mt19937 random(20240607);
    for (int i = 0; i < 300; ++i) {
        std::vector<std::uint8_t> input = randomInput(random, 1500);
        ASSERT_EQ(runSequence(input), "") << "random input " << i;
    }
}

TEST(ReplayTest, DecimalTextsMatchTheModel) {
    DecimalTextCheck check(skin());
    std::vector<fs::path> inputs = committedInputs("decimal_text");
    ASSERT_GE(inputs.size(), 4u);
    for (const fs::path& path : inputs) {
        std::vector<std::uint8_t> input = readInput(path);
        EXPECT_EQ(check.run(input.data(), input.size()), "") << path;
    }
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::uint8_t> input = randomInput(random, 40);
        // Mostly digits, signs and blanks, so most texts hold a number.
        for (std::size_t at = 13; at < input.size(); ++at) {
            input[at] = static_cast<std::uint8_t>(" \t+-0123456789x"[input[at] % 15]);
        }
        ASSERT_EQ(check.run(input.data(), input.size()), "") << "random text " << i;
    }
}

} // namespace
} // namespace quorlin::reliability
