// oltrex-fwsynth: writes a synthetic firmware image as the firmware build
// would deliver it, an S-record file "FW_Update.a79" with its version file
// "fw_version.h". The bytes are opaque but shaped like a small Cortex-M image
// (vector table, Thumb code, constants, one unused hole) and hold the version
// label " FW-xxxx" that the boot loader reads. The same arguments always give
// the same files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kBase = 0x8000;
constexpr std::size_t kRecordBytes = 32;
constexpr std::size_t kHoleOffset = 0x1000;  // 256 bytes no record covers
constexpr std::size_t kHoleLength = 0x100;

struct Options {
    std::size_t length = 0;
    std::string version;      // "1.20"
    std::string description;  // S0 text, e.g. "ComP FW-0120"
    std::uint32_t seed = 1;
    std::string outDir = ".";
};

std::uint32_t nextRandom(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// "1.20" -> " FW-0120": two digits for the major, two for the minor version.
std::string versionLabel(const std::string& version) {
    const auto dot = version.find('.');
    const int major = std::atoi(version.substr(0, dot).c_str());
    const int minor = dot == std::string::npos ? 0 : std::atoi(version.substr(dot + 1).c_str());
    char label[16];
    std::snprintf(label, sizeof label, " FW-%02d%02d", major % 100, minor % 100);
    return label;
}

void put32(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> makeImage(const Options& options, const std::string& label) {
    std::vector<std::uint8_t> image(options.length, 0xFF);
    std::uint32_t state = options.seed ? options.seed : 1;

    // Vector table: stack top, reset handler, then the exception handlers.
    put32(image, 0, 0x20004000 + ((options.seed & 0xF) << 8));
    for (std::size_t i = 1; i < 48; ++i) put32(image, 4 * i, (kBase + 0x200 + 8 * i) | 1);

    // Identification block behind the vector table.
    const std::string ident = options.description.substr(0, 4) + label + '\0' +
                              "Synthetic test image, not a real firmware" + '\0';
    std::memcpy(image.data() + 0xC0, ident.data(), ident.size());

    // Thumb code: mostly common instructions, some arbitrary ones.
    static constexpr std::uint16_t kCommon[] = {
        0xB580, 0xB510, 0xBD10, 0xBD80, 0x4770, 0x2000, 0x2001, 0x6800, 0x6018, 0x4618,
        0x3001, 0x2800, 0xD1FA, 0xE7FE, 0xF000, 0xF800, 0x4B02, 0x681B, 0x4A03, 0x6013};
    const std::size_t codeEnd = options.length - 0x400;
    for (std::size_t at = 0x200; at + 1 < codeEnd; at += 2) {
        const std::uint32_t r = nextRandom(state);
        const std::uint16_t word = (r & 3) != 0 ? kCommon[(r >> 8) % std::size(kCommon)]
                                                : static_cast<std::uint16_t>(r >> 16);
        image[at] = static_cast<std::uint8_t>(word);
        image[at + 1] = static_cast<std::uint8_t>(word >> 8);
    }
    // Constants: addresses into RAM and peripherals, and literal words.
    for (std::size_t at = codeEnd; at + 4 <= options.length - 16; at += 4) {
        const std::uint32_t r = nextRandom(state);
        const std::uint32_t word = (r & 1) ? 0x20000000 | (r >> 20 << 2) : 0x40000000 | (r >> 12);
        put32(image, at, word);
    }
    for (std::size_t at = kHoleOffset; at < kHoleOffset + kHoleLength; ++at) image[at] = 0xFF;
    // Trailer: type code, image length, seed and a sum over all bytes before.
    std::memcpy(image.data() + options.length - 16, options.description.data(), 4);
    put32(image, options.length - 12, static_cast<std::uint32_t>(options.length));
    put32(image, options.length - 8, options.seed);
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < options.length - 4; ++at) sum += image[at];
    put32(image, options.length - 4, sum);
    return image;
}

std::string record(char type, std::uint32_t address, int addressBytes, const std::uint8_t* data,
                   std::size_t size) {
    const unsigned count = static_cast<unsigned>(addressBytes + size + 1);
    unsigned sum = count;
    char hex[8];
    std::string line = std::string("S") + type;
    std::snprintf(hex, sizeof hex, "%02X", count);
    line += hex;
    for (int i = addressBytes - 1; i >= 0; --i) {
        const unsigned byte = (address >> (8 * i)) & 0xFF;
        sum += byte;
        std::snprintf(hex, sizeof hex, "%02X", byte);
        line += hex;
    }
    for (std::size_t i = 0; i < size; ++i) {
        sum += data[i];
        std::snprintf(hex, sizeof hex, "%02X", data[i]);
        line += hex;
    }
    std::snprintf(hex, sizeof hex, "%02X", ~sum & 0xFF);
    line += hex;
    return line + "\r\n";
}

std::string sRecords(const std::vector<std::uint8_t>& image, const std::string& description) {
    const bool wide = kBase + image.size() > 0x10000;
    const char dataType = wide ? '2' : '1';
    const int addressBytes = wide ? 3 : 2;
    std::string text = record('0', 0, 2, reinterpret_cast<const std::uint8_t*>(description.data()),
                              description.size());
    unsigned records = 0;
    for (std::size_t at = 0; at < image.size(); at += kRecordBytes) {
        if (at >= kHoleOffset && at < kHoleOffset + kHoleLength) continue;
        const std::size_t size = std::min(kRecordBytes, image.size() - at);
        text += record(dataType, kBase + static_cast<std::uint32_t>(at), addressBytes,
                       image.data() + at, size);
        ++records;
    }
    text += record('5', records & 0xFFFF, 2, nullptr, 0);
    text += record(wide ? '8' : '9', kBase + 0x201, addressBytes, nullptr, 0);
    return text;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

int usage() {
    std::fprintf(stderr,
                 "usage: oltrex-fwsynth --length BYTES --version X.YY --description TEXT "
                 "[--seed N] [--out DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--length")
            options.length = std::strtoul(value, nullptr, 0);
        else if (name == "--version")
            options.version = value;
        else if (name == "--description")
            options.description = value;
        else if (name == "--seed")
            options.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 0));
        else if (name == "--out")
            options.outDir = value;
        else
            return usage();
    }
    if (argc % 2 == 0 || options.length < 0x1200 || options.length > 0x30000 ||
        options.version.empty() || options.description.size() < 4)
        return usage();

    const std::string label = versionLabel(options.version);
    const std::vector<std::uint8_t> image = makeImage(options, label);
    // The boot loader takes the first " FW-" it finds: there must be exactly one.
    const std::string bytes(image.begin(), image.end());
    const auto first = bytes.find(" FW-");
    if (first == std::string::npos || bytes.find(" FW-", first + 1) != std::string::npos) {
        std::fprintf(stderr, "oltrex-fwsynth: the label is not unique with this seed\n");
        return 1;
    }
    const std::string version =
        "/* Version of the firmware image in FW_Update.a79. */\r\n"
        "#ifndef FIRMWARE_VERSION_H\r\n#define FIRMWARE_VERSION_H\r\n"
        "#define FIRMWARE \"" +
        options.version + "\"\r\n#endif\r\n";
    if (!writeFile(options.outDir + "/FW_Update.a79", sRecords(image, options.description)) ||
        !writeFile(options.outDir + "/fw_version.h", version)) {
        std::fprintf(stderr, "oltrex-fwsynth: cannot write into %s\n", options.outDir.c_str());
        return 1;
    }
    return 0;
}
