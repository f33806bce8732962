#include "host/render/SkinDocument.h"
#include "host/plugin/HostError.h"
#include "host/render/Base64.h"
#include "host/render/SkinPreview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorlin::host {
namespace {

constexpr const char* document = "<!-- header with <tags> inside -->\r\n"
                                 "<skin>\r\n"
                                 "\t<resources>\r\n"
                                 "\t\t<bitmap name=\"bmA\" path=\"1001\"/>\r\n"
                                 "\t\t<bitmap name='bmB' path = '1002' />\r\n"
                                 "\t</resources>\r\n"
                                 "\t<!-- <template name=\"hidden\"/> -->\r\n"
                                 "\t<template name=\"inspector\">\r\n"
                                 "\t\t<image bitmap=\"bmA\" size=\"0,6,...,...\"/>\r\n"
                                 "\t\t<valuebox name=\"speed\" tip=\"a &amp; b &lt;c&gt;\"/>\r\n"
                                 "\t</template>\r\n"
                                 "\t<template name=\"editor\" background=\"bmB\">\r\n"
                                 "\t\t<label title=\"Portamento\"/>\r\n"
                                 "\t</template>\r\n"
                                 "</skin>\r\n"
                                 "<!-- eof -->\r\n";

TEST(HostSkinDocumentTest, FindsBitmapsTemplatesAndWhatEachTemplateDraws) {
    SkinDocument skin = SkinDocument::parse(document);
    std::vector<SkinDocument::Bitmap> bitmaps = skin.bitmaps();
    ASSERT_EQ(bitmaps.size(), 2u);
    EXPECT_EQ(bitmaps[0].name, "bmA");
    EXPECT_EQ(bitmaps[0].path, "1001");
    EXPECT_EQ(bitmaps[1].name, "bmB");
    EXPECT_EQ(bitmaps[1].path, "1002");
    EXPECT_TRUE(skin.hasTemplate("inspector"));
    EXPECT_TRUE(skin.hasTemplate("editor"));
    EXPECT_FALSE(skin.hasTemplate("hidden"));
    EXPECT_EQ(skin.bitmapsUsedBy("inspector"), std::vector<std::string>{"bmA"});
    EXPECT_EQ(skin.bitmapsUsedBy("editor"), std::vector<std::string>{"bmB"});

    const SkinDocument::Element& valuebox = skin.elements()[6];
    EXPECT_EQ(valuebox.name, "valuebox");
    EXPECT_EQ(valuebox.attribute("tip"), "a & b <c>");
    EXPECT_EQ(valuebox.attribute("missing"), "");
    EXPECT_EQ(skin.elements()[valuebox.parent].attribute("name"), "inspector");
}

TEST(HostSkinDocumentTest, RefusesDocumentsThatAreNotWellFormed) {
    const char* bad[] = {
        "",
        "<!-- only a comment -->",
        "<skin>",
        "<skin></skins>",
        "<skin/><other/>",
        "<skin><!-- unterminated </skin>",
        "<skin name=unquoted/>",
        "<skin name=\"open/>",
        "<skin a=\"1\"b=\"2\"/>",
        "<skin></>",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_THROW(SkinDocument::parse(text), HostError);
    }
}

TEST(HostSkinPreviewTest, EncodesBitmapsAndTextForThePage) {
    auto bytes = [](const std::string& text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    EXPECT_EQ(base64(bytes("")), "");
    EXPECT_EQ(base64(bytes("f")), "Zg==");
    EXPECT_EQ(base64(bytes("fo")), "Zm8=");
    EXPECT_EQ(base64(bytes("foo")), "Zm9v");
    EXPECT_EQ(base64(bytes("foobar")), "Zm9vYmFy");
    EXPECT_EQ(base64(std::vector<std::uint8_t>{0xFF, 0xEF, 0xBE}), "/+++");

    EXPECT_EQ(SkinPreview::scriptString("a\"b\\c\r\n</script>\x01\xE9"),
              "\"a\\\"b\\\\c\\r\\n\\u003C/script\\u003E\\u0001\\u00E9\"");

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                     'I',  'H', 'D', 'R', 0,    0,    0,    157,  0, 0, 0, 26};
    std::optional<SkinPreview::PixelSize> size = SkinPreview::pngSize(png);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 157u);
    EXPECT_EQ(size->height, 26u);
    png[1] = 'X';
    EXPECT_FALSE(SkinPreview::pngSize(png).has_value());
    EXPECT_FALSE(SkinPreview::pngSize(std::vector<std::uint8_t>(png.begin(), png.begin() + 20)));
}

} // namespace
} // namespace quorlin::host
