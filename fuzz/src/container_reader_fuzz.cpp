// The container reader on arbitrary containers. Random bytes rarely get past
// the outer decryption, so the input is also taken as the plain container,
// as the content behind a valid header record, and as a header block; the
// parts it accepts must lie inside the data and describe it completely.
#include <openssl/evp.h>

#include <string>

#include "FuzzSupport.h"
#include "oltrex/conversion/KeySets.h"
#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/dlcreader/ContainerReport.h"

namespace {
constexpr const char* kTarget = "container_reader";
using oltrex::Bytes;

Bytes encrypt(oltrex::KeySetId id, const Bytes& plain) {
    const oltrex::KeySet keys = oltrex::keySet(id);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(plain.size() + 32);
    int n1 = 0, n2 = 0;
    EVP_EncryptInit_ex(ctx, EVP_aes_192_cbc(), nullptr,
                       reinterpret_cast<const unsigned char*>(keys.key.data()),
                       reinterpret_cast<const unsigned char*>(keys.iv.data()));
    EVP_EncryptUpdate(ctx, out.data(), &n1, plain.data(), static_cast<int>(plain.size()));
    EVP_EncryptFinal_ex(ctx, out.data() + n1, &n2);
    EVP_CIPHER_CTX_free(ctx);
    out.resize(static_cast<std::size_t>(n1 + n2));
    return out;
}

void putBe32(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

Bytes headerRecord(const Bytes& block) {
    const Bytes sealed = encrypt(oltrex::KeySetId::HeaderA, block);
    Bytes record;
    putBe32(record, static_cast<std::uint32_t>(sealed.size() + 2));
    record.push_back(0x76);
    record.push_back(0xFF);
    record.insert(record.end(), sealed.begin(), sealed.end());
    return record;
}

Bytes validHeaderBlock(std::uint8_t installationClass) {
    Bytes block(228, 0);
    block[1] = 0x04;
    block[2] = installationClass;
    return block;
}

void checkAccepted(const oltrex::dlc::Outcome<oltrex::dlc::Container>& got,
                   std::size_t contentSize) {
    using namespace oltrex::dlc;
    if (!got.ok()) {
        OLTREX_FUZZ_CHECK(!got.message.empty(), "a failure without a message");
        return;
    }
    const Container& c = got.value;
    OLTREX_FUZZ_CHECK(c.header.block.size() == kHeaderBlockSize,
                      "an accepted header block of the wrong size");
    const Bytes eu = euDownloadFile(c);
    if (c.kind == ContentKind::VehicleUnit) {
        std::size_t total = 0;
        for (const auto& b : c.blocks) {
            OLTREX_FUZZ_CHECK(isVehicleUnitBlockTag(b.tag),
                              "an accepted block with an unknown tag");
            total += 6 + b.data.size();
        }
        OLTREX_FUZZ_CHECK(total == contentSize, "the blocks do not cover the content exactly");
        OLTREX_FUZZ_CHECK(eu.size() == contentSize - 4 * c.blocks.size(),
                          "the EU file has the wrong size");
    } else {
        std::size_t p = 0;
        for (const auto& r : c.cardRecords) {
            OLTREX_FUZZ_CHECK(r.offset == p, "card records leave a gap or overlap");
            p += 5 + r.length;
        }
        // A cut last record is accepted with a warning: the whole records
        // then cover all but that tail of the image.
        OLTREX_FUZZ_CHECK(c.cardImage.size() == contentSize, "the card image is not the content");
        if (c.warnings.empty())
            OLTREX_FUZZ_CHECK(p == c.cardImage.size(), "the card records do not cover the image");
        else
            OLTREX_FUZZ_CHECK(!c.cardRecords.empty() && p < c.cardImage.size(),
                              "a cut image without a whole record or a cut tail");
        OLTREX_FUZZ_CHECK(eu == c.cardImage, "the EU file of a card is not its image");
    }
    (void)describeContainer(c);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    if (size == 0) return 0;
    const Bytes rest(data + 1, data + size);
    switch (data[0] % 4) {
        case 0: {  // the file as it stands
            const auto got = dlc::readContainer(rest);
            if (got.ok()) checkAccepted(got, dlc::decryptOuterLayer(rest).value.size() - 246);
            break;
        }
        case 1:  // the plain container as it stands
            (void)dlc::parsePlainContainer(rest);
            break;
        case 2: {  // content behind a valid header record, also through the outer layer
            Bytes plain = headerRecord(validHeaderBlock(data[0] & 4 ? 10 : 5));
            const std::size_t headerSize = plain.size();
            plain.insert(plain.end(), rest.begin(), rest.end());
            const auto parsed = dlc::parsePlainContainer(plain);
            checkAccepted(parsed, rest.size());
            if (parsed.ok())
                OLTREX_FUZZ_CHECK(headerSize == 246, "a header record of an unexpected size");
            Bytes file = {0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x01};
            const Bytes sealed = encrypt(KeySetId::ContainerB, plain);
            file.insert(file.end(), sealed.begin(), sealed.end());
            const auto read = dlc::readContainer(file);
            OLTREX_FUZZ_CHECK(read.error == parsed.error,
                              "reading the file and parsing its plain form disagree");
            break;
        }
        default: {  // an arbitrary header block behind a valid record frame
            Bytes plain = headerRecord(rest);
            plain.push_back(0x00);
            (void)dlc::parsePlainContainer(plain);
            break;
        }
    }
    return 0;
}
