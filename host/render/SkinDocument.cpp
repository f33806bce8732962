#include "host/render/SkinDocument.h"

#include "host/plugin/HostError.h"

namespace quorlin::host {

namespace {

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Parser {
public:
    explicit Parser(std::string_view document) : text(document) {}

    std::vector<SkinDocument::Element> run() {
        std::vector<std::size_t> open;
        bool rootSeen = false;
        while (true) {
            std::size_t tag = text.find('<', at);
            if (tag == std::string_view::npos) {
                break;
            }
            at = tag;
            if (starts("<!--")) {
                skipPast("-->", "comment");
            } else if (starts("<![CDATA[")) {
                skipPast("]]>", "character data");
            } else if (starts("<?")) {
                skipPast("?>", "processing instruction");
            } else if (starts("<!")) {
                skipPast(">", "declaration");
            } else if (starts("</")) {
                at += 2;
                std::string name = readName();
                skipSpace();
                expect('>');
                if (open.empty() || elements[open.back()].name != name) {
                    fail("closing tag </" + name + "> does not match");
                }
                open.pop_back();
            } else {
                ++at;
                if (open.empty() && rootSeen) {
                    fail("more than one root element");
                }
                rootSeen = true;
                SkinDocument::Element element;
                element.name = readName();
                element.parent = open.empty() ? SkinDocument::noParent : open.back();
                bool selfClosing = readAttributes(element);
                elements.push_back(std::move(element));
                if (!selfClosing) {
                    open.push_back(elements.size() - 1);
                }
            }
        }
        if (!open.empty()) {
            fail("element <" + elements[open.back()].name + "> is not closed");
        }
        if (!rootSeen) {
            fail("no root element");
        }
        return std::move(elements);
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw HostError("skin description, byte " + std::to_string(at) + ": " + what);
    }

    bool starts(std::string_view prefix) const { return text.substr(at, prefix.size()) == prefix; }

    void skipPast(std::string_view end, const char* what) {
        std::size_t found = text.find(end, at);
        if (found == std::string_view::npos) {
            fail(std::string("unterminated ") + what);
        }
        at = found + end.size();
    }

    void skipSpace() {
        while (at < text.size() && isSpace(text[at])) {
            ++at;
        }
    }

    void expect(char c) {
        if (at >= text.size() || text[at] != c) {
            fail(std::string("expected '") + c + "'");
        }
        ++at;
    }

    std::string readName() {
        std::size_t start = at;
        while (at < text.size() && isNameCharacter(text[at])) {
            ++at;
        }
        if (at == start) {
            fail("expected a name");
        }
        return std::string(text.substr(start, at - start));
    }

    // Reads up to the end of a start tag; true when the element closes itself.
    bool readAttributes(SkinDocument::Element& element) {
        while (true) {
            bool spaced = at < text.size() && isSpace(text[at]);
            skipSpace();
            if (starts("/>")) {
                at += 2;
                return true;
            }
            if (starts(">")) {
                ++at;
                return false;
            }
            if (!spaced) {
                fail("expected white space, '>' or '/>' in <" + element.name + ">");
            }
            std::string name = readName();
            skipSpace();
            expect('=');
            skipSpace();
            if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) {
                fail("attribute " + name + " has no quoted value");
            }
            char quote = text[at++];
            std::size_t end = text.find(quote, at);
            if (end == std::string_view::npos) {
                fail("unterminated value of attribute " + name);
            }
            element.attributes.emplace_back(name, decode(text.substr(at, end - at)));
            at = end + 1;
        }
    }

    std::string decode(std::string_view raw) const {
        static constexpr std::pair<std::string_view, char> entities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        std::string value;
        for (std::size_t i = 0; i < raw.size();) {
            bool replaced = false;
            if (raw[i] == '&') {
                for (const auto& [entity, character] : entities) {
                    if (raw.substr(i, entity.size()) == entity) {
                        value += character;
                        i += entity.size();
                        replaced = true;
                        break;
                    }
                }
            }
            if (!replaced) {
                value += raw[i++];
            }
        }
        return value;
    }

    std::string_view text;
    std::size_t at = 0;
    std::vector<SkinDocument::Element> elements;
};

} // namespace

std::string SkinDocument::Element::attribute(std::string_view attributeName) const {
    for (const auto& [key, value] : attributes) {
        if (key == attributeName) {
            return value;
        }
    }
    return {};
}

SkinDocument SkinDocument::parse(std::string_view text) {
    SkinDocument document;
    document.nodes = Parser(text).run();
    return document;
}

std::vector<SkinDocument::Bitmap> SkinDocument::bitmaps() const {
    std::vector<Bitmap> result;
    for (const Element& element : nodes) {
        if (element.name == "bitmap" && element.parent != noParent &&
            nodes[element.parent].name == "resources") {
            result.push_back({element.attribute("name"), element.attribute("path")});
        }
    }
    return result;
}

std::size_t SkinDocument::templateIndex(std::string_view name) const {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].name == "template" && nodes[i].attribute("name") == name) {
            return i;
        }
    }
    return noParent;
}

bool SkinDocument::hasTemplate(std::string_view name) const {
    return templateIndex(name) != noParent;
}

std::vector<std::string> SkinDocument::bitmapsUsedBy(std::string_view templateName) const {
    std::vector<std::string> used;
    std::size_t index = templateIndex(templateName);
    if (index == noParent) {
        return used;
    }
    if (std::string background = nodes[index].attribute("background"); !background.empty()) {
        used.push_back(background);
    }
    for (std::size_t i = index + 1; i < nodes.size(); ++i) {
        // Descendants follow their template in document order; walk up to see whose they are.
        std::size_t ancestor = nodes[i].parent;
        while (ancestor != noParent && ancestor != index) {
            ancestor = nodes[ancestor].parent;
        }
        if (ancestor != index) {
            continue;
        }
        if (std::string bitmap = nodes[i].attribute("bitmap"); !bitmap.empty()) {
            used.push_back(bitmap);
        }
    }
    return used;
}

} // namespace quorlin::host
