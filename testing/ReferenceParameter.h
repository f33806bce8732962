#pragma once

#include <cstdint>
#include <vector>

namespace quorlin::reliability {

class ReferenceInstance;

// What a host should observe of one portamentoSpeed parameter: its value, whether changes are
// reported, whether listeners are owed a report, and who listens, in registration order.
class ReferenceParameter {
public:
    static constexpr std::int32_t off = -1;
    static constexpr std::int32_t highest = 127;
    static constexpr std::int32_t reportingOption = 1;

    explicit ReferenceParameter(ReferenceInstance* instance) : owner(instance) {}

    std::int32_t value() const { return current; }
    bool owesListeners() const { return owed; }
    const std::vector<int>& listeners() const { return listening; }

    // Clamps into -1..127; a real change tells the owner at once and owes the listeners one
    // report, unless reporting is switched off.
    void setValue(std::int32_t requested);
    // A leading number is set (clamped); any other text means Off.
    void fromText(const char* text);
    void setOption(std::int32_t kind, std::int32_t enabled);

    // Duplicates are allowed; removal takes the first entry of that listener.
    void addListener(int listener);
    bool removeListener(int listener);
    bool isListening(int listener) const;
    void settleListeners() { owed = false; }

    // The owning instance is gone: later changes reach nobody at once.
    void detachOwner() { owner = nullptr; }

private:
    ReferenceInstance* owner;
    std::int32_t current = off;
    bool silent = false;
    bool owed = false;
    std::vector<int> listening;
};

} // namespace quorlin::reliability
