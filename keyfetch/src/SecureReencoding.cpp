#include "oltrex/keyfetch/SecureReencoding.h"

#include <cstdio>
#include <system_error>

#include "oltrex/platform/SafeFile.h"

namespace oltrex {
namespace {

constexpr std::uint8_t kEndMarker[4] = {0x76, 0xFF, 0x76, 0xFF};
constexpr std::uint8_t kCardStart[2] = {0x76, 0x06};

// Plain bit i is taken from bit kDecodeBits[i] of the unchained byte.
constexpr int kDecodeBits[8] = {7, 5, 0, 2, 3, 1, 4, 6};
// Written bit i is taken from bit kEncodeBits[i] of the chained byte.
constexpr int kEncodeBits[8] = {3, 0, 4, 7, 1, 6, 5, 2};

std::uint8_t moveBits(std::uint8_t x, const int (&from)[8]) {
    std::uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit)
        out |= static_cast<std::uint8_t>(((x >> from[bit]) & 1u) << bit);
    return out;
}

// Walks the plain body byte by byte and writes the PC-side form.
class Reencoder {
  public:
    Reencoder(SecureVariant variant, std::vector<std::uint8_t>& out)
        : variant_(variant), out_(out) {}

    void feed(std::uint8_t b) {
        if (variant_ == SecureVariant::Card && !firstRecord_) {
            if (!cardStarted_) {
                out_.insert(out_.end(), std::begin(kCardStart), std::end(kCardStart));
                cardStarted_ = true;
            }
            out_.push_back(secureEncodeByte(b, chain_));
            return;
        }
        if (i_ < 4) {
            length_ = (length_ << 8) | b;
            if (i_ == 3) dataEnd_ = static_cast<std::int64_t>(length_) - 2 + 6;
        } else if (i_ < 6) {
            if (variant_ == SecureVariant::VehicleUnit) out_.push_back(b);  // the tag, unchanged
            if (i_ == 5) chain_ = kSecureEncodeChainStart;
        } else if (!firstRecord_) {
            out_.push_back(secureEncodeByte(b, chain_));
        }
        ++i_;
        if (i_ >= 4 && i_ == dataEnd_) recordComplete();
    }

    void finish() {
        if (variant_ == SecureVariant::Card)
            out_.insert(out_.end(), std::begin(kEndMarker), std::end(kEndMarker));
    }

  private:
    void recordComplete() {
        i_ = 0;
        length_ = 0;
        dataEnd_ = 0;
        if (firstRecord_) {
            firstRecord_ = false;
        } else {
            out_.insert(out_.end(), std::begin(kEndMarker), std::end(kEndMarker));
        }
    }

    SecureVariant variant_;
    std::vector<std::uint8_t>& out_;
    std::int64_t i_ = 0;        // position inside the current record
    std::uint32_t length_ = 0;  // N, the record's length field
    std::int64_t dataEnd_ = 0;  // L + 6: the position at which the record is complete
    bool firstRecord_ = true;
    bool cardStarted_ = false;
    std::uint8_t chain_ = kSecureEncodeChainStart;
};

}  // namespace

SecureVariant secureVariantFor(std::string_view fileName) {
    if (fileName.size() >= 2 && (fileName[0] == 'C' || fileName[0] == 'c') && fileName[1] == '_')
        return SecureVariant::Card;
    return SecureVariant::VehicleUnit;
}

std::uint8_t secureDecodeByte(std::uint8_t scrambled, std::uint8_t& chain) {
    std::uint8_t x = static_cast<std::uint8_t>(scrambled ^ chain);
    chain = scrambled;
    return moveBits(x, kDecodeBits);
}

std::uint8_t secureEncodeByte(std::uint8_t plain, std::uint8_t& chain) {
    std::uint8_t x = static_cast<std::uint8_t>(plain ^ chain);
    chain = plain;
    return moveBits(x, kEncodeBits);
}

std::vector<std::uint8_t> reencodeSecureBytes(const std::vector<std::uint8_t>& source,
                                              SecureVariant variant) {
    std::vector<std::uint8_t> out;
    out.reserve(source.size() + source.size() / 64 + 16);
    Reencoder reencoder(variant, out);
    std::uint8_t chain = kSecureDecodeChainStart;
    for (std::size_t p = kSecureHeaderSize; p < source.size(); ++p)
        reencoder.feed(secureDecodeByte(source[p], chain));
    reencoder.finish();
    return out;
}

int reencodeSecureFile(const std::filesystem::path& localPath, std::string_view fileName,
                       const std::filesystem::path& workFolder) {
    ExclusiveFile temporary;  // a unique name, created exclusively, private to the user
    std::error_code ec;
    if (!temporary.createUnique(workFolder, "OXD", "", ec)) return kReencodeNoTemporaryFile;
    auto discard = [&temporary](int result) {
        temporary.close();
        std::error_code ignored;
        std::filesystem::remove(temporary.path(), ignored);
        return result;
    };

    Bytes source;
    if (!readWholeFile(localPath, source, ec)) return discard(kReencodeFailed);
    const Bytes result = reencodeSecureBytes(source, secureVariantFor(fileName));
    if (!temporary.write(result.data(), result.size(), ec) || !temporary.syncAndClose(ec))
        return discard(kReencodeFailed);
    // The rename replaces the local file in one step: it is either the old
    // content or the complete new one, never a mix or nothing.
    std::filesystem::rename(temporary.path(), localPath, ec);
    if (ec) return discard(kReencodeNotReplaced);
    syncFolder(localPath.parent_path().empty() ? "." : localPath.parent_path(), ec);
    return kReencodeOk;
}

}  // namespace oltrex
