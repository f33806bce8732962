// Resources whose bytes cannot be obtained, which the embedded resources never are: this
// program brings its own resource table instead of the library's.

#include "platform/ResourceStandIn.h"
#include "resources/ResourceLoader.h"
#include "resources/SkinViews.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {
const unsigned char present[] = {'a', 'b', 'c'};
} // namespace

const StandInResource standInResources[] = {
    {10, 5, 1031, nullptr, 3}, // listed, but without data
    {10, 6, 1031, present, 3}, // data
    {3, 7, 1031, present, 3},  // another resource type
};
const std::size_t standInResourceCount = 3;

namespace quorlin {
namespace {

TEST(UnobtainableResourceTest, SizeIsReportedEvenWhenTheDataIsNot) {
    const std::int32_t number = 5;
    unsigned char buffer[3] = {'#', '#', '#'};
    std::uint32_t size = 0;
    EXPECT_FALSE(loadResourceData(nullptr, &number, buffer, &size));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(buffer[0], '#');
    // Without a buffer the data is not needed, so the resource counts as found.
    size = 0;
    EXPECT_TRUE(loadResourceData(nullptr, &number, nullptr, &size));
    EXPECT_EQ(size, 3u);

    size = 0;
    EXPECT_EQ(loadSkinResource("5", buffer, &size), resultFalse);
    EXPECT_EQ(size, 3u);
    size = 0;
    EXPECT_EQ(loadSkinDescription("inspector", 5, nullptr, buffer, &size), resultFalse);
    EXPECT_EQ(size, 3u);
}

TEST(UnobtainableResourceTest, OnlyRawDataResourcesAreFound) {
    const std::int32_t rawData = 6;
    const std::int32_t otherType = 7;
    unsigned char buffer[3] = {};
    EXPECT_TRUE(loadResourceData(nullptr, &rawData, buffer, nullptr));
    EXPECT_EQ(buffer[2], 'c');
    std::uint32_t size = 0;
    EXPECT_FALSE(loadResourceData(nullptr, &otherType, nullptr, &size));
    EXPECT_EQ(size, 0u);
}

} // namespace
} // namespace quorlin
