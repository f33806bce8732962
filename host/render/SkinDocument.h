#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorlin::host {

// The elements of a skin description, in document order, as much XML as the skin uses:
// elements with attributes, comments, processing instructions; text between elements is
// ignored. Parsing throws HostError for a document that is not well formed.
class SkinDocument {
public:
    static constexpr std::size_t noParent = static_cast<std::size_t>(-1);

    struct Element {
        std::string name;
        std::vector<std::pair<std::string, std::string>> attributes;
        std::size_t parent = noParent;

        // Empty when the element has no such attribute.
        std::string attribute(std::string_view attributeName) const;
    };

    struct Bitmap {
        std::string name;
        std::string path; // what getSkinResource is asked for
    };

    static SkinDocument parse(std::string_view text);

    const std::vector<Element>& elements() const { return nodes; }
    // The bitmaps the document declares under its resources.
    std::vector<Bitmap> bitmaps() const;
    bool hasTemplate(std::string_view name) const;
    // The bitmap names a template draws: its background and its images.
    std::vector<std::string> bitmapsUsedBy(std::string_view templateName) const;

private:
    std::size_t templateIndex(std::string_view name) const;

    std::vector<Element> nodes;
};

} // namespace quorlin::host
