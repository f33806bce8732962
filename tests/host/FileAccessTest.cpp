#include "host/FileAccess.h"
#include "host/plugin/HostError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>

namespace quorlin::host {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

class HostFileAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("quorlin-file-access-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    void put(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    fs::path folder;
};

TEST_F(HostFileAccessTest, AFailureWhilePuttingFilesInPlaceLeavesEveryTargetAsItWas) {
    fs::path first = folder / "first.mid";
    fs::path second = folder / "second.svg";
    fs::path third = folder / "third.txt";
    put(first, "old first");
    put(third, "old third");
    std::string newFirst = "new first";
    std::string newSecond = "new second";
    std::string newThird = "new third";
    std::vector<OutputFile> files{{first.string(), bytesOf(newFirst)},
                                  {second.string(), bytesOf(newSecond)},
                                  {third.string(), bytesOf(newThird)}};
    // The third move fails, after the first two went through.
    int moves = 0;
    auto failThird = [&moves](const fs::path& from, const fs::path& to, std::error_code& error) {
        if (++moves == 3) {
            error = std::make_error_code(std::errc::io_error);
            return;
        }
        fs::rename(from, to, error);
    };
    EXPECT_THROW(writeFilesAtomically(files, failThird), HostError);
    EXPECT_EQ(moves, 3);
    EXPECT_EQ(contentOf(first), "old first");
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(contentOf(third), "old third");
    // Nothing of the attempt is left beside them.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    writeFilesAtomically(files);
    EXPECT_EQ(contentOf(first), newFirst);
    EXPECT_EQ(contentOf(second), newSecond);
    EXPECT_EQ(contentOf(third), newThird);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

TEST_F(HostFileAccessTest, OutputsThatAreTheInputOrEachOtherAreRefusedHoweverSpelled) {
    fs::path input = folder / "a.mid";
    put(input, "MThd");
    fs::create_directories(folder / "d");
    std::error_code noLinks;
    fs::create_symlink(input, folder / "link.mid", noLinks);
    std::vector<std::string> inputs{input.string()};
    auto refused = [&](std::vector<std::string> outputs, bool force) {
        try {
            checkOutputs(inputs, outputs, force);
        } catch (const HostError&) {
            return true;
        }
        return false;
    };
    std::string dotted = (folder / "d" / ".." / "." / "a.mid").string();
    EXPECT_TRUE(refused({dotted}, true));
    if (!noLinks) {
        EXPECT_TRUE(refused({(folder / "link.mid").string()}, true));
    }
    EXPECT_TRUE(refused({(folder / "b.mid").string(), (folder / "d/../b.mid").string()}, true));
    EXPECT_TRUE(refused({(folder / "d").string()}, true));
    // An existing file other than the input is replaced only when asked for.
    put(folder / "c.mid", "x");
    EXPECT_TRUE(refused({(folder / "c.mid").string()}, false));
    EXPECT_FALSE(refused({(folder / "c.mid").string()}, true));
    EXPECT_FALSE(refused({(folder / "new.mid").string(), "-"}, false));
}

} // namespace
} // namespace quorlin::host
