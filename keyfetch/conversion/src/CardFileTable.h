#pragma once
// The elementary files of the EU card download layout, in download order.
#include <cstddef>
#include <cstdint>

namespace oltrex::cardtable {

struct Row {
    const char* name;
    const char* tag;
    std::uint16_t size;
};

constexpr std::size_t kRowCount = 62;
extern const Row kRows[kRowCount];

}  // namespace oltrex::cardtable
