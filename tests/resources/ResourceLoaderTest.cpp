#include "resources/ResourceLoader.h"
#include "ResourceFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quorlin {
namespace {

constexpr std::uint32_t untouchedSize = 0xA5A5A5A5u;
constexpr unsigned char guard = 0xEE;

std::vector<unsigned char> fileBytes(const char* name) {
    std::ifstream file(std::string(resourceDirectory) + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Loads resource `number` in two calls, size first, into a buffer with guard bytes behind it.
std::vector<unsigned char> loadWithGuard(std::int32_t number, std::size_t guardCount) {
    std::uint32_t size = untouchedSize;
    EXPECT_TRUE(loadResourceData(nullptr, &number, nullptr, &size));
    std::vector<unsigned char> buffer(size + guardCount, guard);
    std::uint32_t copied = untouchedSize;
    EXPECT_TRUE(loadResourceData(nullptr, &number, buffer.data(), &copied));
    EXPECT_EQ(copied, size);
    return buffer;
}

TEST(ResourceLoaderTest, ServesExactlyTheBytesOfTheResourceFiles) {
    const struct {
        std::int32_t number;
        const char* file;
        std::size_t size;
    } resources[] = {
        {1, "skin.xml", 1302}, {1001, "bmInspector.png", 541}, {1002, "bmEditor.png", 3024}};
    for (const auto& resource : resources) {
        SCOPED_TRACE(resource.file);
        std::vector<unsigned char> buffer = loadWithGuard(resource.number, 4);
        ASSERT_EQ(buffer.size(), resource.size + 4);
        // Nothing is added after the data, not even a terminating zero.
        EXPECT_EQ(std::vector<unsigned char>(buffer.end() - 4, buffer.end()),
                  std::vector<unsigned char>(4, guard));
        buffer.resize(resource.size);
        EXPECT_EQ(buffer, fileBytes(resource.file));
    }
}

TEST(ResourceLoaderTest, SizeAndBufferAreEachOptional) {
    const std::int32_t number = 1001;
    EXPECT_TRUE(loadResourceData(nullptr, &number, nullptr, nullptr));
    std::vector<unsigned char> buffer(541);
    EXPECT_TRUE(loadResourceData(nullptr, &number, buffer.data(), nullptr));
    EXPECT_EQ(buffer, fileBytes("bmInspector.png"));
}

TEST(ResourceLoaderTest, MissingResourcesWriteNothing) {
    for (std::int32_t number : {0, -1, -5, INT32_MIN, 2, 1000, 1003, 65535, INT32_MAX}) {
        SCOPED_TRACE(number);
        std::uint32_t size = untouchedSize;
        unsigned char buffer[4] = {guard, guard, guard, guard};
        EXPECT_FALSE(loadResourceData(nullptr, &number, buffer, &size));
        EXPECT_FALSE(loadResourceData(nullptr, &number, nullptr, &size));
        EXPECT_EQ(size, untouchedSize);
        EXPECT_EQ(buffer[0], guard);
    }
    EXPECT_FALSE(loadResourceData(nullptr, nullptr, nullptr, nullptr));
}

TEST(ResourceLoaderTest, OnlyTheLowSixteenBitsSelectTheResource) {
    // 65537 is 0x10001 and 0x103E9 ends in 1001; -65535 is negative and so finds nothing.
    const std::int32_t description = 65537;
    const std::int32_t inspector = 0x103E9;
    const std::int32_t negative = -65535;
    std::uint32_t size = 0;
    EXPECT_TRUE(loadResourceData(nullptr, &description, nullptr, &size));
    EXPECT_EQ(size, 1302u);
    EXPECT_TRUE(loadResourceData(nullptr, &inspector, nullptr, &size));
    EXPECT_EQ(size, 541u);
    EXPECT_FALSE(loadResourceData(nullptr, &negative, nullptr, &size));
}

} // namespace
} // namespace quorlin
