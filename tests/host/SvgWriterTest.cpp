#include "host/render/SvgWriter.h"

#include <gtest/gtest.h>

namespace quorlin::host {
namespace {

TEST(HostSvgWriterTest, EscapesMarkupAndKeepsAnyTextWellFormed) {
    EXPECT_EQ(SvgWriter::escape("Lead <solo> & \"sax\""),
              "Lead &lt;solo&gt; &amp; &quot;sax&quot;");
    // Tab and line breaks are XML characters; other control characters are not.
    EXPECT_EQ(SvgWriter::escape(std::string("a\tb\x01"
                                            "c\x1F",
                                            6)),
              "a\tb?c?");
    // Well-formed UTF-8 stays as it is: two, three and four bytes.
    EXPECT_EQ(SvgWriter::escape("Caf\xC3\xA9 \xE2\x86\x92 \xF0\x9F\x8E\xB9"),
              "Caf\xC3\xA9 \xE2\x86\x92 \xF0\x9F\x8E\xB9");
    // Other bytes are read as Latin-1; its control range is not shown.
    EXPECT_EQ(SvgWriter::escape("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(SvgWriter::escape("x\x85y"), "x?y");
    // Truncated, overlong and surrogate sequences are not UTF-8.
    EXPECT_EQ(SvgWriter::escape("\xE2\x86"), "\xC3\xA2?");
    EXPECT_EQ(SvgWriter::escape("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(SvgWriter::escape("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0?");
    EXPECT_EQ(SvgWriter::escape("\xF4\x90\x80\x80"), "\xC3\xB4???");
    // Lead bytes past F4 and the non-characters U+FFFE, U+FFFF never pass through as they are.
    EXPECT_EQ(SvgWriter::escape("\xF5\x80\x80"), "\xC3\xB5??");
    EXPECT_EQ(SvgWriter::escape("\xFF\xBF\xBF\xBF"), "\xC3\xBF\xC2\xBF\xC2\xBF\xC2\xBF");
    EXPECT_EQ(SvgWriter::escape("\xEF\xBF\xBE"), "\xC3\xAF\xC2\xBF\xC2\xBE");
    EXPECT_EQ(SvgWriter::escape("\xEF\xBF\xBD"), "\xEF\xBF\xBD");
}

TEST(HostSvgWriterTest, WritesCompactNumbersAndClosesWhatIsOpen) {
    EXPECT_EQ(SvgWriter::number(12.0), "12");
    EXPECT_EQ(SvgWriter::number(12.34), "12.3");
    EXPECT_EQ(SvgWriter::number(12.96), "13");
    EXPECT_EQ(SvgWriter::number(-0.04), "0");
    EXPECT_EQ(SvgWriter::number(-2.5), "-2.5");
    EXPECT_EQ(SvgWriter::number(60092.0), "60092");

    SvgWriter svg;
    svg.open("svg", {{"width", "10"}});
    svg.open("g", {{"class", "a&b"}});
    svg.leaf("rect", {{"x", SvgWriter::number(1.25)}});
    svg.text("text", {}, "1 < 2");
    EXPECT_EQ(svg.finish(), "<svg width=\"10\">\n<g class=\"a&amp;b\">\n<rect x=\"1.3\"/>\n"
                            "<text>1 &lt; 2</text>\n</g>\n</svg>\n");
}

} // namespace
} // namespace quorlin::host
