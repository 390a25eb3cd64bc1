// Secure re-encoding. Arbitrary bytes go through the re-encoder as the key's
// secure form (header, scrambled records); in addition the input taken as a
// plain key file is turned into the simulated key's secure form, and
// re-encoding that gives the key file back byte for byte (a vehicle unit
// behind the first record's tag 0x76 0x00), also under the protected read.
#include <string>

#include "FuzzSupport.h"
#include "oltrex/keyfetch/SecureReencoding.h"
#include "oltrex/keyfetch/TransportScrambling.h"
#include "oltrex/simkey/KeyForms.h"

namespace {
constexpr const char* kTarget = "secure_reencoding";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    const Bytes input(data, data + size);
    for (SecureVariant variant : {SecureVariant::VehicleUnit, SecureVariant::Card}) {
        const Bytes out = reencodeSecureBytes(input, variant);
        // Per record at most the 4-byte length is dropped and a marker added.
        OLTREX_FUZZ_CHECK(out.size() <= 2 * size + 16,
                          "the re-encoded form grew out of all proportion");
    }

    const bool card = size > 0 && (data[0] & 1) != 0;
    const std::string name = card ? "C_FUZZ_00000000" : "V_FUZZ_00000000";
    const Bytes keyFile(input.begin() + (size > 0 ? 1 : 0), input.end());
    const auto secure = simkey::secureForm(name, keyFile);
    OLTREX_FUZZ_CHECK(card || secure.has_value(), "a vehicle-unit file without a secure form");
    if (secure) {
        OLTREX_FUZZ_CHECK(
            secureVariantFor(name) == (card ? SecureVariant::Card : SecureVariant::VehicleUnit),
            "the variant does not follow the name");
        Bytes expected = card ? Bytes{} : Bytes{0x76, 0x00};
        expected.insert(expected.end(), keyFile.begin(), keyFile.end());
        OLTREX_FUZZ_CHECK(reencodeSecureBytes(*secure, secureVariantFor(name)) == expected,
                          "re-encoding the secure form does not give the key file back");
        Bytes read = simkey::protectedForm(*secure);
        descrambleTransport(read.data(), read.size());
        OLTREX_FUZZ_CHECK(reencodeSecureBytes(read, secureVariantFor(name)) == expected,
                          "the protected read of the secure form does not give the key file back");
    }
    return 0;
}
