#include "../common/DebugOutput.h"

namespace oltrex {

void writeSystemDebugOutput(std::string_view) {}

}  // namespace oltrex
