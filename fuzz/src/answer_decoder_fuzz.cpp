// The answer decoder of the transfer on arbitrary line bytes: it never stores
// more than its capacity, it gives back every stuffed frame unchanged, and
// the block and header parsers of the boot-loader side take whatever frame it
// decodes. The simulated boot loader is fed the same bytes.
#include <algorithm>

#include "FuzzSupport.h"
#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/transfer/Blocks.h"
#include "oltrex/transfer/Framing.h"

namespace {
constexpr const char* kTarget = "answer_decoder";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    if (size < 2) return 0;
    const std::size_t capacity =
        1 + data[0] % 64 * 9;  // 1 .. 568, around the 512 of the answer buffer
    const Bytes line(data + 1, data + size);

    FrameDecoder decoder(capacity);
    for (std::uint8_t byte : line) {
        const bool closed = decoder.feed(byte);
        OLTREX_FUZZ_CHECK(decoder.size() <= decoder.capacity(),
                          "the decoder stored more than its capacity");
        if (!closed) continue;
        OLTREX_FUZZ_CHECK(!decoder.inFrame(), "a closed frame is still open");
        BlockView view;
        if (parseDataBlock(decoder.data(), decoder.size(), view) == BlockCheck::Ok) {
            OLTREX_FUZZ_CHECK(view.data + view.size <= decoder.data() + decoder.size(),
                              "a parsed block's data runs past the frame");
            HeaderFields fields;
            (void)parseHeaderData(view.data, view.size, fields);
        }
        decoder.reset();
    }

    // The line bytes taken as one frame's content: stuffed and decoded again
    // they come back unchanged (up to the capacity).
    const Bytes stuffed = stuffedFrame(line);
    OLTREX_FUZZ_CHECK(stuffed.size() == stuffedFrameSize(line.data(), line.size()),
                      "the stuffed size is wrong");
    decoder.reset();
    bool closed = false;
    for (std::size_t i = 0; i < stuffed.size(); ++i) {
        closed = decoder.feed(stuffed[i]);
        OLTREX_FUZZ_CHECK(closed == (i + 1 == stuffed.size()),
                          "a stuffed frame closed early or not at all");
    }
    const std::size_t kept = std::min(line.size(), capacity);
    OLTREX_FUZZ_CHECK(
        decoder.size() == kept &&
            std::equal(line.begin(), line.begin() + static_cast<long>(kept), decoder.data()),
        "a stuffed frame does not decode to its content");
    OLTREX_FUZZ_CHECK(decoder.overflowed() == (line.size() > capacity),
                      "overflow is not reported as it happened");
    OLTREX_FUZZ_CHECK(decoder.malformed() == decoder.overflowed(),
                      "a well-stuffed frame counts as malformed");

    bootsim::BootLoader loader;
    for (std::uint8_t byte : line) {
        if (auto result = loader.feed(byte)) {
            OLTREX_FUZZ_CHECK(result->answerLine.size() <= 6,
                              "an answer frame longer than a stuffed code");
        }
    }
    OLTREX_FUZZ_CHECK(loader.image().size() <= bootsim::kMaxImageSize,
                      "the boot loader took an oversized image");
    return 0;
}
