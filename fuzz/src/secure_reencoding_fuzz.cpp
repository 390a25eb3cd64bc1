// Secure re-encoding. Arbitrary bytes go through the re-encoder as the key's
// secure form (header, scrambled records); in addition the input taken as a
// plain key file is turned into the simulated key's secure form, and the
// re-encoded result must hold exactly that file's blocks (or card image) in
// the PC-side form.
#include <string>

#include "FuzzSupport.h"
#include "oltrex/keyfetch/SecureReencoding.h"
#include "oltrex/simkey/KeyForms.h"

namespace {
constexpr const char* kTarget = "secure_reencoding";
constexpr std::uint8_t kEndMarker[4] = {0x76, 0xFF, 0x76, 0xFF};

std::uint32_t be32(const oltrex::Bytes& b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
           std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// The PC-side form of a plain secure body: for a vehicle unit the name
// record's tag, then every further record as tag, data through the encoding
// chain (started afresh per record) and end marker; for a card 76 06, the image through one
// chain, and the end marker.
oltrex::Bytes expectedForm(const oltrex::Bytes& body, bool card) {
    using namespace oltrex;
    Bytes out;
    const std::size_t nameEnd = 4 + be32(body, 0);
    if (card) {
        // An empty image gets no card tag (nothing to start it), only the end.
        if (nameEnd < body.size()) out = {0x76, 0x06};
        std::uint8_t chain = kSecureEncodeChainStart;
        for (std::size_t p = nameEnd; p < body.size(); ++p)
            out.push_back(secureEncodeByte(body[p], chain));
        out.insert(out.end(), kEndMarker, kEndMarker + 4);
        return out;
    }
    out = {body[4], body[5]};
    for (std::size_t p = nameEnd; p < body.size();) {
        const std::size_t end = p + 4 + be32(body, p);
        out.push_back(body[p + 4]);
        out.push_back(body[p + 5]);
        std::uint8_t chain = kSecureEncodeChainStart;
        for (std::size_t q = p + 6; q < end; ++q) out.push_back(secureEncodeByte(body[q], chain));
        out.insert(out.end(), kEndMarker, kEndMarker + 4);
        p = end;
    }
    return out;
}
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
    if (const auto body = simkey::securePlainBody(name, keyFile)) {
        const auto secure = simkey::secureForm(name, keyFile);
        OLTREX_FUZZ_CHECK(secure.has_value(), "a plain body but no secure form");
        OLTREX_FUZZ_CHECK(
            secureVariantFor(name) == (card ? SecureVariant::Card : SecureVariant::VehicleUnit),
            "the variant does not follow the name");
        const Bytes out = reencodeSecureBytes(*secure, secureVariantFor(name));
        OLTREX_FUZZ_CHECK(out == expectedForm(*body, card),
                          "the re-encoded file is not the PC-side form of the key's file");
    }
    return 0;
}
