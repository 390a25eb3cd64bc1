// The card converter on arbitrary card images: the record search with
// arbitrary tag texts, and the conversion into the EU layout, whose output
// must consist of whole records taken from the image.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "oltrex/conversion/CardConverter.h"

namespace {
constexpr const char* kTarget = "card_converter";

std::string tagText(FuzzedDataProvider& in) {
    static constexpr char kHex[] = "0123456789ABCDEFabcdef";
    if (in.ConsumeBool())
        return in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 3));
    std::string text(2, '0');
    for (char& c : text) c = kHex[in.ConsumeIntegralInRange<std::size_t>(0, sizeof kHex - 2)];
    return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    static const CTachoConvert converter;
    FuzzedDataProvider in(data, size);
    const std::string t1 = tagText(in), t2 = tagText(in), t3 = tagText(in);
    // Now and then (one input in 256, chosen by a hash of the whole input, so
    // that mutations do not inherit it) the image is padded with zeros to the
    // size from which the converter looks for generation-2 records: short
    // inputs reach that path too, without every run paying for a long image.
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    const bool pad = (hash & 0xFF) == 0x5A;
    Bytes image = in.ConsumeRemainingBytes<std::uint8_t>();
    if (pad && image.size() < 30000) image.resize(30000, 0);

    std::vector<std::uint8_t> record;
    std::size_t position = 99;
    const int found = converter.findCardRecord(t1.c_str(), t2.c_str(), t3.c_str(), image.data(),
                                               image.size(), &record, &position);
    if (found > 0) {
        const auto n = static_cast<std::size_t>(found);
        OLTREX_FUZZ_CHECK(n == record.size() && position + n <= image.size(),
                          "a found record runs past the image");
        OLTREX_FUZZ_CHECK(
            std::equal(record.begin(), record.end(), image.begin() + static_cast<long>(position)),
            "the record copy differs from the image");
        OLTREX_FUZZ_CHECK(n == 5 + (std::size_t{record[3]} << 8 | record[4]),
                          "the result is not 5 + the length");
    } else {
        OLTREX_FUZZ_CHECK(record.empty() && position == 0,
                          "no match but a record or position handed out");
    }

    std::vector<std::uint8_t> output;
    std::string status = "x";
    const std::size_t used = converter.convert(image.data(), &output, image.size(), &status);
    OLTREX_FUZZ_CHECK(status.empty(), "the status text is not emptied");
    if (image.empty()) {
        OLTREX_FUZZ_CHECK(used == 0, "an empty image converted to something");
        return 0;
    }
    OLTREX_FUZZ_CHECK(used <= output.size(), "more bytes used than the output holds");
    OLTREX_FUZZ_CHECK(output.size() >= image.size() + CTachoConvert::kOutputSlack,
                      "the output buffer is too small");
    for (std::size_t p = 0; p < used;) {
        OLTREX_FUZZ_CHECK(p + 5 <= used, "the output ends inside a record header");
        const std::size_t length = std::size_t{output[p + 3]} << 8 | output[p + 4];
        OLTREX_FUZZ_CHECK(length > 0 && p + 5 + length <= used,
                          "an output record runs past the used bytes");
        const auto begin = output.begin() + static_cast<long>(p);
        const auto end = begin + static_cast<long>(5 + length);
        OLTREX_FUZZ_CHECK(std::search(image.begin(), image.end(), begin, end) != image.end(),
                          "an output record that is not in the image");
        p += 5 + length;
    }
    return 0;
}
