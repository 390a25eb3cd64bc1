#pragma once
// The two AES-192 key sets of the container format: set A encrypts the header
// block, set B the whole container. Both are built at run time from character
// constants; every reader of containers uses the same values. They obfuscate,
// they do not protect: anyone with this source can decrypt a container.
#include <string>

namespace oltrex {

struct KeySet {
    std::string key;  // 24 characters
    std::string iv;   // 16 characters
};

enum class KeySetId { HeaderA, ContainerB };

KeySet keySet(KeySetId id);

}  // namespace oltrex
