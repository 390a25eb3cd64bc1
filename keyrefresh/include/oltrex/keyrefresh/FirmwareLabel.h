#pragma once
// Compile-time texts of a carried firmware image, made from what the
// generated header defines: FW_DESCRIPTION (the four type-code bytes) and
// FW_VERSION ("1.20").
#include <array>
#include <cstddef>
#include <cstdint>

namespace oltrex {

// "1.20" -> " FW-0120" (NUL-terminated): two digits for the major and two for
// the minor version, the form of the label inside the image.
consteval std::array<char, 9> firmwareVersionLabel(const char* version) {
    int major = 0, minor = 0, digits = 0;
    const char* p = version;
    for (; *p >= '0' && *p <= '9'; ++p) major = major * 10 + (*p - '0');
    if (*p == '.') ++p;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits) minor = minor * 10 + (*p - '0');
    if (*p != '\0' || digits == 0 || major > 99 || minor > 99) throw "version is not M.mm";
    return {' ',
            'F',
            'W',
            '-',
            static_cast<char>('0' + major / 10),
            static_cast<char>('0' + major % 10),
            static_cast<char>('0' + minor / 10),
            static_cast<char>('0' + minor % 10),
            '\0'};
}

// The four type-code characters as a NUL-terminated text ("ComP").
consteval std::array<char, 5> firmwareTypeCode(const std::uint8_t (&code)[4]) {
    return {static_cast<char>(code[0]), static_cast<char>(code[1]), static_cast<char>(code[2]),
            static_cast<char>(code[3]), '\0'};
}

// Type code and version label: "ComP FW-0120".
consteval std::array<char, 13> firmwareDescription(const std::uint8_t (&code)[4],
                                                   const char* version) {
    const auto label = firmwareVersionLabel(version);
    std::array<char, 13> text{};
    for (std::size_t i = 0; i < 4; ++i) text[i] = static_cast<char>(code[i]);
    for (std::size_t i = 0; i < 8; ++i) text[4 + i] = label[i];
    return text;
}

}  // namespace oltrex
