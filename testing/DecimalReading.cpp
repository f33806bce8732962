#include "DecimalReading.h"

#include <cstring>
#include <limits>
#include <string>

namespace quorlin::reliability {

DecimalReading DecimalReading::of(const char* text) {
    // Worked on the digit string rather than by accumulating, so the oracle shares no overflow
    // logic with the code it checks.
    const char* p = text;
    while (*p != '\0' && std::strchr(" \t\n\v\f\r", *p) != nullptr) {
        ++p;
    }
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    std::string digits;
    while (*p >= '0' && *p <= '9') {
        digits.push_back(*p++);
    }
    if (digits.empty()) {
        return {};
    }
    std::size_t firstSignificant = digits.find_first_not_of('0');
    std::string significant =
        firstSignificant == std::string::npos ? "0" : digits.substr(firstSignificant);
    // "2147483648" has ten digits: anything longer is out of range whatever it says.
    const std::string limit = negative ? "2147483648" : "2147483647";
    bool beyond = significant.size() > limit.size() ||
                  (significant.size() == limit.size() && significant > limit);
    if (beyond) {
        return {true, negative ? std::numeric_limits<std::int32_t>::min()
                               : std::numeric_limits<std::int32_t>::max()};
    }
    std::int64_t magnitude = std::stoll(significant);
    return {true, static_cast<std::int32_t>(negative ? -magnitude : magnitude)};
}

} // namespace quorlin::reliability
