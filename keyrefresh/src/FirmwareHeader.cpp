#include "oltrex/keyrefresh/FirmwareHeader.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace oltrex {
namespace {

// One array element in the header's layout: 16 bytes a line, four blanks in.
void appendByte(std::string& text, std::int32_t index, std::uint8_t value) {
    static constexpr char kHex[] = "0123456789abcdef";
    if (index == 0) {
        text += "    0x";
    } else if (index % 16 == 0) {
        text += ",\r\n    0x";
    } else {
        text += ", 0x";
    }
    text += kHex[value >> 4];
    text += kHex[value & 0x0F];
}

}  // namespace

int getFirmWareVersion(const std::string& versionFile, std::string& version,
                       std::ostream& diagnostics) {
    if (versionFile.empty()) return -1;
    version.clear();
    std::ifstream in(versionFile, std::ios::binary);
    if (!in) {
        diagnostics << "getFirmWareVersion(): Error: can't open file\r\n";
        return -2;
    }
    std::string line;
    while (std::getline(in, line)) {
        const auto keyword = line.find("FIRMWARE");
        if (keyword == std::string::npos) continue;
        const auto open = line.find('"', keyword);
        if (open == std::string::npos) continue;
        const auto close = line.find('"', open + 1);
        if (close == std::string::npos) continue;
        version = line.substr(open, close - open + 1);
        return 0;
    }
    return -3;
}

std::string firmwareHeaderText(const SRecordImage& image, std::string_view version) {
    const auto& code = image.typeCode();
    std::string text;
    text.reserve(64 * 4 + static_cast<std::size_t>(image.length()) * 6);
    text += "#ifndef __FIRMWARE_H__\r\n";
    text += "#define __FIRMWARE_H__\r\n\r\n";
    text += "#define FW_VERSION ";
    text += version;
    text += "\r\n\r\n";
    char line[64];
    std::snprintf(line, sizeof line, "#define FW_DESCRIPTION {0x%02x,0x%02x,0x%02x,0x%02x}\r\n\r\n",
                  code[0], code[1], code[2], code[3]);
    text += line;
    text += "uint8_t firmware[]=\r\n{\r\n";
    for (std::int32_t i = 0; i < image.length(); ++i) appendByte(text, i, image.data()[i]);
    text += "\r\n};\r\n\r\n";
    std::snprintf(line, sizeof line, "#define FW_LEN %d\r\n\r\n", static_cast<int>(image.length()));
    text += line;
    text += "#endif //__FIRMWARE_H__\r\n";
    return text;
}

int GenHeaderFileFromFw(const SRecordImage& image, const std::string& versionFile,
                        const std::string& headerFile, std::ostream& diagnostics) {
    if (versionFile.empty() || headerFile.empty()) return -1;
    std::FILE* out = std::fopen(headerFile.c_str(), "wb");
    if (out == nullptr) {
        diagnostics << "GenHeaderFileFromFw(): Error: can't open header file <" << headerFile
                    << ">\r\n";
        return -2;
    }
    std::string version;
    if (getFirmWareVersion(versionFile, version, diagnostics) != 0 ||
        version.size() > kMaxVersionText) {
        diagnostics << "GenHeaderFileFromFw(): Error: can't read version from <" << versionFile
                    << ">\r\n";
        std::fclose(out);
        return -4;
    }
    const std::string text = firmwareHeaderText(image, version);
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        diagnostics << "GenHeaderFileFromFw(): Error: can't write header file <" << headerFile
                    << ">\r\n";
        return -3;
    }
    diagnostics << "GenHeaderFileFromFw(): FW translation from <" << versionFile << "> done\r\n";
    return 0;
}

std::string wrappedHeaderText(std::string_view header) {
    std::string text = "#ifdef  __UPDATE_120__\r\n";
    text += header;
    text += "#endif \r\n";
    return text;
}

std::filesystem::path firmwareHeaderFolder(std::string_view commandLineFolder) {
    const char* fromEnvironment = std::getenv("OLTREX_FW_DIR");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
    return std::filesystem::path(commandLineFolder);
}

}  // namespace oltrex
