// The transport descrambling of protected keys on arbitrary data: it is its
// own inverse and agrees with the simulated key's protected form.
#include <cstring>

#include "FuzzSupport.h"
#include "oltrex/keyfetch/TransportScrambling.h"
#include "oltrex/simkey/KeyForms.h"

namespace {
constexpr const char* kTarget = "descrambling";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    const Bytes original(data, data + size);
    Bytes once = original;
    descrambleTransport(once.data(), once.size());
    OLTREX_FUZZ_CHECK(once == simkey::protectedForm(original),
                      "descrambling differs from the key's protected form");
    Bytes twice = once;
    descrambleTransport(twice.data(), twice.size());
    OLTREX_FUZZ_CHECK(twice == original, "descrambling twice does not give the original bytes");
    return 0;
}
