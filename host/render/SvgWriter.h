#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quorlin::host {

// Builds SVG markup element by element. Attribute values and text are escaped; bytes that are
// not well-formed UTF-8 are read as Latin-1, and control characters become '?', so any track
// name from any file keeps the document well-formed. Numbers carry at most one decimal: large
// pictures stay compact.
class SvgWriter {
public:
    struct Attribute {
        std::string_view name;
        std::string value;
    };
    using Attributes = std::initializer_list<Attribute>;

    void open(std::string_view name, Attributes attributes = {});
    void close();
    // An element without content.
    void leaf(std::string_view name, Attributes attributes);
    // An element holding only text.
    void text(std::string_view name, Attributes attributes, std::string_view content);
    // Markup written as it is, such as a style sheet.
    void raw(std::string_view markup) { out += markup; }
    // The document with every element still open closed.
    std::string finish();

    static std::string number(double value);
    static std::string escape(std::string_view text);

private:
    void start(std::string_view name, Attributes attributes);

    std::string out;
    std::vector<std::string> openElements;
};

} // namespace quorlin::host
