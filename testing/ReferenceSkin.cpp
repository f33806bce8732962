#include "ReferenceSkin.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quorlin::reliability {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

ReferenceSkin::ReferenceSkin(const std::string& resourceDirectory) {
    files[1] = readFile(resourceDirectory + "/skin.xml");
    files[1001] = readFile(resourceDirectory + "/bmInspector.png");
    files[1002] = readFile(resourceDirectory + "/bmEditor.png");
}

const std::string* ReferenceSkin::resource(std::int32_t number) const {
    if (number <= 0) {
        return nullptr;
    }
    auto found = files.find(static_cast<std::uint16_t>(number & 0xFFFF));
    return found == files.end() ? nullptr : &found->second;
}

bool ReferenceSkin::isView(const char* name) {
    return std::strcmp(name, "editor") == 0 || std::strcmp(name, "inspector") == 0;
}

} // namespace quorlin::reliability
