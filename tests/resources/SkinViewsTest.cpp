#include "resources/SkinViews.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace quorlin {
namespace {

constexpr std::int32_t skinDescriptionId = 1;
constexpr std::uint32_t documentSize = 1302;
constexpr std::uint32_t untouchedSize = 0xA5A5A5A5u;
constexpr char untouchedName[10] = "#########";

TEST(SkinViewsTest, EachViewGetsItsTemplateNameAndTheWholeDocument) {
    std::vector<char> documents[2];
    const char* views[2] = {"inspector", "editor"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(views[i]);
        EXPECT_TRUE(isViewName(views[i]));
        char templateName[10];
        std::memcpy(templateName, untouchedName, sizeof templateName);
        std::uint32_t size = untouchedSize;
        EXPECT_EQ(loadSkinDescription(views[i], skinDescriptionId, templateName, nullptr, &size),
                  resultOk);
        EXPECT_EQ(std::memcmp(templateName, views[i], std::strlen(views[i]) + 1), 0);
        ASSERT_EQ(size, documentSize);
        documents[i].assign(size + 1, '#');
        EXPECT_EQ(
            loadSkinDescription(views[i], skinDescriptionId, nullptr, documents[i].data(), nullptr),
            resultOk);
        EXPECT_EQ(documents[i].back(), '#'); // no terminating zero after the last line break
    }
    EXPECT_EQ(documents[0], documents[1]);
    EXPECT_EQ(std::memcmp(documents[0].data() + documentSize - 14, "<!-- eof -->\r\n", 14), 0);
}

TEST(SkinViewsTest, OtherViewNamesAreRefusedWithoutWriting) {
    for (const char* view : {"Inspector", "editor ", "Editor", "inspector ", "INSPECTOR", " editor",
                             "edit", "inspectors", ""}) {
        SCOPED_TRACE(view);
        EXPECT_FALSE(isViewName(view));
        char templateName[10];
        std::memcpy(templateName, untouchedName, sizeof templateName);
        char data[4] = {'#', '#', '#', '#'};
        std::uint32_t size = untouchedSize;
        EXPECT_EQ(loadSkinDescription(view, skinDescriptionId, templateName, data, &size),
                  resultFalse);
        EXPECT_STREQ(templateName, untouchedName);
        EXPECT_EQ(data[0], '#');
        EXPECT_EQ(size, untouchedSize);
    }
    EXPECT_FALSE(isViewName(nullptr));
}

TEST(SkinViewsTest, MissingDescriptionStillNamesTheTemplate) {
    for (std::int32_t id : {0, -1, 7}) {
        char templateName[10];
        std::memcpy(templateName, untouchedName, sizeof templateName);
        std::uint32_t size = untouchedSize;
        EXPECT_EQ(loadSkinDescription("editor", id, templateName, nullptr, &size), resultFalse);
        EXPECT_STREQ(templateName, "editor");
        EXPECT_EQ(size, untouchedSize);
    }
}

TEST(SkinViewsTest, ResourcePathIsReadAsLeadingDecimalNumber) {
    const struct {
        const char* path;
        std::uint32_t size;
    } found[] = {{"1001", 541},     {"1002", 3024},      {"1002abc", 3024},      {" 1002", 3024},
                 {"\t+1001x", 541}, {"1", documentSize}, {"65537", documentSize}};
    for (const auto& entry : found) {
        SCOPED_TRACE(entry.path);
        std::uint32_t size = untouchedSize;
        EXPECT_EQ(loadSkinResource(entry.path, nullptr, &size), resultOk);
        EXPECT_EQ(size, entry.size);
    }
    // Beyond 32 bits the number saturates at 2147483647, whose low 16 bits name nothing;
    // 4294967297 must not wrap round to 1.
    for (const char* path : {"abc", "", "0", "-5", "- 1001", "x1001", "-1001", "1003", "4294967297",
                             "99999999999999999999", "-4294967295"}) {
        SCOPED_TRACE(path);
        std::uint32_t size = untouchedSize;
        char data[4] = {'#', '#', '#', '#'};
        EXPECT_EQ(loadSkinResource(path, data, &size), resultFalse);
        EXPECT_EQ(size, untouchedSize);
        EXPECT_EQ(data[0], '#');
    }
    EXPECT_EQ(loadSkinResource(nullptr, nullptr, nullptr), resultFalse);
}

TEST(SkinViewsTest, ResourceCopiesTheBitmapAndPathOneIsTheDocument) {
    std::vector<unsigned char> bitmap(541);
    std::uint32_t size = 0;
    EXPECT_EQ(loadSkinResource("1001", bitmap.data(), &size), resultOk);
    EXPECT_EQ(size, 541u);
    const std::vector<unsigned char> signature = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(std::vector<unsigned char>(bitmap.begin(), bitmap.begin() + 8), signature);

    std::vector<char> byPath(documentSize);
    std::vector<char> byView(documentSize);
    EXPECT_EQ(loadSkinResource("1", byPath.data(), &size), resultOk);
    EXPECT_EQ(loadSkinDescription("editor", skinDescriptionId, nullptr, byView.data(), nullptr),
              resultOk);
    EXPECT_EQ(byPath, byView);
}

} // namespace
} // namespace quorlin
