// oltrex-fwheader: the developer's firmware header path from a terminal.
//
//   oltrex-fwheader [--no-log] [FOLDER]
//       FOLDER/FW_Update.a79 + FOLDER/fw_version.h -> FOLDER/fw.h -> FOLDER/fw120.h,
//       copied to the folder above FOLDER. $OLTREX_FW_DIR, when set, names the
//       folder instead. Writes "Make FW 120" to the update log unless --no-log.
//   oltrex-fwheader --srec FILE --version FILE --header FILE [--base ADDRESS]
//       Only turns one S-record file into one header (the build uses this).
//
// Exit status 0 only when every step succeeded.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "oltrex/keyrefresh/FirmwareHeader.h"
#include "oltrex/keyrefresh/SRecordImage.h"
#include "oltrex/keyrefresh/UpdateLog.h"

namespace {

int usage() {
    std::cerr
        << "usage: oltrex-fwheader [--no-log] [FOLDER]\n"
           "       oltrex-fwheader --srec FILE --version FILE --header FILE [--base ADDRESS]\n";
    return 2;
}

int headerOnly(const std::string& srec, const std::string& version, const std::string& header,
               std::uint32_t base) {
    oltrex::SRecordImage image;
    const int parsed = image.parse(srec, base);
    if (parsed != oltrex::kSRecordOk) {
        std::cerr << "oltrex-fwheader: cannot use <" << srec << ">";
        if (image.errorLine() > 0) std::cerr << " line " << image.errorLine();
        std::cerr << ": " << image.errorText() << "\n";
        return 1;
    }
    return oltrex::GenHeaderFileFromFw(image, version, header) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    bool log = true;
    std::string folder, srec, version, header;
    std::uint32_t base = oltrex::SRecordImage::kDefaultBase;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--no-log") {
            log = false;
        } else if (arg == "--srec" && hasValue) {
            srec = argv[++i];
        } else if (arg == "--version" && hasValue) {
            version = argv[++i];
        } else if (arg == "--header" && hasValue) {
            header = argv[++i];
        } else if (arg == "--base" && hasValue) {
            base = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 0));
        } else if (!arg.empty() && arg[0] != '-' && folder.empty()) {
            folder = arg;
        } else {
            return usage();
        }
    }

    if (!srec.empty() || !version.empty() || !header.empty()) {
        if (srec.empty() || version.empty() || header.empty() || !folder.empty()) return usage();
        return headerOnly(srec, version, header, base);
    }

    const std::filesystem::path target = oltrex::firmwareHeaderFolder(folder);
    if (target.empty()) return usage();
    std::unique_ptr<oltrex::CWLog> updateLog;
    if (log) updateLog = std::make_unique<oltrex::CWLog>();
    oltrex::SRecordImage image;
    const auto result = oltrex::makeFirmwareHeader(target, updateLog.get(), image);
    if (!result.ok()) {
        std::cerr << "oltrex-fwheader: the firmware header in <" << target.string()
                  << "> is not up to date\n";
        return 1;
    }
    return 0;
}
