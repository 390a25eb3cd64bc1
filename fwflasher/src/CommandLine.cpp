#include "oltrex/fwflasher/CommandLine.h"

namespace oltrex::fwflasher {

bool debugViewRequested(const std::vector<std::string>& arguments) {
    for (const auto& argument : arguments) {
        if (argument.find("/d") != std::string::npos || argument.find("/D") != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace oltrex::fwflasher
