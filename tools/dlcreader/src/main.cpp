// oltrex-dlcreader: checks a download container and can write the EU
// download file it holds.
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/dlcreader/ContainerReport.h"
#include "oltrex/platform/SafeFile.h"

namespace {

constexpr int kValid = 0;
constexpr int kInvalid = 1;
constexpr int kUsage = 2;

void printHelp(std::FILE* out) {
    std::fputs(
        "Usage: oltrex-dlcreader [--eu FILE] [--quiet] CONTAINER.dlc\n"
        "\n"
        "Checks a download container: the version record, the outer decryption,\n"
        "the header record (installation class, header time), then the vehicle-unit\n"
        "blocks (length, tag, data) or the card image records (file identifier,\n"
        "appendix, length), and lists them. A card image that ends inside its last\n"
        "record is valid with a warning (the image is kept as it was filed).\n"
        "\n"
        "Options:\n"
        "  --eu FILE   write the EU download file the container holds to FILE\n"
        "              (vehicle unit: tag and data of each block; card: the image).\n"
        "              An existing FILE is never overwritten.\n"
        "  --quiet     print errors and warnings only\n"
        "  -h, --help  show this help\n"
        "\n"
        "Exit status: 0 the container is valid (and FILE was written), 1 it is not\n"
        "or FILE could not be written, 2 wrong usage.\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    std::string container;
    std::string euFile;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
            printHelp(stdout);
            return kValid;
        }
        if (!std::strcmp(arg, "--quiet")) {
            quiet = true;
        } else if (!std::strcmp(arg, "--eu")) {
            if (i + 1 >= argc) {
                std::fputs("oltrex-dlcreader: --eu needs a file name\n", stderr);
                return kUsage;
            }
            euFile = argv[++i];
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "oltrex-dlcreader: unknown option %s\n", arg);
            printHelp(stderr);
            return kUsage;
        } else if (container.empty()) {
            container = arg;
        } else {
            std::fputs("oltrex-dlcreader: one container at a time\n", stderr);
            return kUsage;
        }
    }
    if (container.empty()) {
        printHelp(stderr);
        return kUsage;
    }

    const auto result = oltrex::dlc::readContainerFile(container);
    if (!result.ok()) {
        std::fprintf(stderr, "%s: invalid container: %s\n", container.c_str(), result.message.c_str());
        return kInvalid;
    }
    if (!quiet) {
        std::printf("%s: valid container\n%s", container.c_str(),
                    oltrex::dlc::describeContainer(result.value).c_str());
    } else {
        for (const auto& warning : result.value.warnings)
            std::fprintf(stderr, "%s: warning: %s\n", container.c_str(), warning.c_str());
    }
    if (!euFile.empty()) {
        const oltrex::dlc::Bytes eu = oltrex::dlc::euDownloadFile(result.value);
        std::error_code ec;
        if (!oltrex::createNewFile(euFile, eu.data(), eu.size(), ec)) {
            std::fprintf(stderr, "%s: cannot write the EU file: %s\n", euFile.c_str(), ec.message().c_str());
            return kInvalid;
        }
        if (!quiet) std::printf("EU download file written: %s (%zu bytes)\n", euFile.c_str(), eu.size());
    }
    return kValid;
}
