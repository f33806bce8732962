#pragma once

#include "host/render/SvgWriter.h"

#include <string_view>

namespace quorlin::host {

// What heads the picture above its rolls: the title, the caption and a legend of what the
// rolls draw; and, in the document's head, the title again and the style sheet every part uses.
class PictureHeader {
public:
    static constexpr double height = 96;

    // Both outlive the header.
    PictureHeader(std::string_view pictureTitle, std::string_view pictureCaption)
        : title(pictureTitle), caption(pictureCaption) {}

    // Never narrower than the legend and the caption.
    double width() const;

    // The document's title and style sheet, right after the svg element opens.
    void writeHead(SvgWriter& svg) const;
    // The title, the caption and the legend, at the top of the picture.
    void draw(SvgWriter& svg) const;

private:
    std::string_view title;
    std::string_view caption;
};

} // namespace quorlin::host
