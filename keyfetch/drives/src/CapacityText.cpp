#include "oltrex/drives/CapacityText.h"

#include <algorithm>
#include <cstdio>

namespace oltrex {

std::string capacityText(std::uint64_t bytes, int unitStep, char separator) {
    const int steps = std::clamp(unitStep, 0, 3);
    double value = static_cast<double>(bytes);
    for (int i = 0; i < steps; ++i) value /= 1024.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%1.0f", value);
    std::string digits(buffer);
    if (separator == '\0') return digits;
    std::string grouped;
    const std::size_t count = digits.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) grouped += separator;
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace oltrex
