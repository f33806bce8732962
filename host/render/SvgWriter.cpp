#include "host/render/SvgWriter.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace quorlin::host {

namespace {

// The length of the well-formed UTF-8 sequence at `at`, or 0 when there is none.
std::size_t utf8Length(std::string_view text, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    std::uint8_t lead = byte(at);
    std::size_t length = lead > 0xF4    ? 0
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC2 ? 2
                                        : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // Overlong three- and four-byte forms, surrogates and values beyond U+10FFFF.
    std::uint8_t second = byte(at + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
        return 0;
    }
    // U+FFFE and U+FFFF are no characters to XML.
    if (lead == 0xEF && second == 0xBF && byte(at + 2) >= 0xBE) {
        return 0;
    }
    return length;
}

std::string latin1(std::uint8_t byte) {
    return {static_cast<char>(0xC0 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F))};
}

} // namespace

std::string SvgWriter::escape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        auto byte = static_cast<std::uint8_t>(c);
        if (byte >= 0x80) {
            std::size_t length = utf8Length(text, i);
            if (length > 0) {
                escaped += text.substr(i, length);
                i += length;
            } else {
                // Most files that are not UTF-8 carry Latin-1; its control range stays unshown.
                escaped += byte < 0xA0 ? std::string("?") : latin1(byte);
                ++i;
            }
            continue;
        }
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            // XML admits no other control characters than tab and line breaks.
            escaped += byte < 0x20 && c != '\t' && c != '\n' && c != '\r' ? '?' : c;
            break;
        }
        ++i;
    }
    return escaped;
}

std::string SvgWriter::number(double value) {
    double rounded = std::round(value * 10.0) / 10.0;
    if (rounded == 0.0) {
        return "0"; // never "-0"
    }
    char text[32];
    if (rounded == std::trunc(rounded)) {
        std::snprintf(text, sizeof text, "%.0f", rounded);
    } else {
        std::snprintf(text, sizeof text, "%.1f", rounded);
    }
    return text;
}

void SvgWriter::start(std::string_view name, Attributes attributes) {
    out += '<';
    out += name;
    for (const Attribute& attribute : attributes) {
        out += ' ';
        out += attribute.name;
        out += "=\"";
        out += escape(attribute.value);
        out += '"';
    }
}

void SvgWriter::open(std::string_view name, Attributes attributes) {
    start(name, attributes);
    out += ">\n";
    openElements.emplace_back(name);
}

void SvgWriter::close() {
    out += "</" + openElements.back() + ">\n";
    openElements.pop_back();
}

void SvgWriter::leaf(std::string_view name, Attributes attributes) {
    start(name, attributes);
    out += "/>\n";
}

void SvgWriter::text(std::string_view name, Attributes attributes, std::string_view content) {
    start(name, attributes);
    out += '>';
    out += escape(content);
    out += "</";
    out += name;
    out += ">\n";
}

std::string SvgWriter::finish() {
    while (!openElements.empty()) {
        close();
    }
    return std::move(out);
}

} // namespace quorlin::host
