#pragma once

#include "host/plugin/PluginInstance.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorlin::host {

// A self-contained HTML page that lays out each view from its template over its bitmaps: the
// bitmaps travel as data: URLs, the skin description as text that the page parses in the
// browser, and value boxes show the text of the parameter they name.
class SkinPreview {
public:
    struct View {
        std::string name;
        std::string templateName;
        std::string document;
    };

    struct PixelSize {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
    };

    void addView(View view) { views.push_back(std::move(view)); }
    void addBitmap(const std::string& name, std::span<const std::uint8_t> bytes);
    void addParameter(const ParameterState& parameter) { parameters.push_back(parameter); }

    std::string html() const;

    // Width and height from a PNG header; empty for anything else.
    static std::optional<PixelSize> pngSize(std::span<const std::uint8_t> bytes);
    // A JSON string literal that is also safe inside a script element.
    static std::string scriptString(std::string_view text);

private:
    struct Bitmap {
        std::string name;
        std::string url;
        PixelSize size;
    };

    std::vector<View> views;
    std::vector<Bitmap> bitmaps;
    std::vector<ParameterState> parameters;
};

} // namespace quorlin::host
