#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace quorlin::reliability {

// The skin resources as a host should receive them: the bytes of the files the library is
// built from, found by number and by view name.
class ReferenceSkin {
public:
    static constexpr std::int32_t descriptionNumber = 1;

    // Reads skin.xml, bmInspector.png and bmEditor.png from `resourceDirectory`.
    explicit ReferenceSkin(const std::string& resourceDirectory);

    // The bytes of resource `number`: numbers of 0 or below name nothing, and only the low 16
    // bits of a larger one select. Null when there is no such resource.
    const std::string* resource(std::int32_t number) const;
    const std::string& description() const { return *resource(descriptionNumber); }

    // Exactly "editor" or "inspector".
    static bool isView(const char* name);

private:
    std::map<std::uint16_t, std::string> files;
};

} // namespace quorlin::reliability
