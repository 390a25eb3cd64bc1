#pragma once
// What KeyFetch must file for a key file, worked out here from the rules of
// the system (names, EU layouts) and not by calling KeyFetch's own code.
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

#include "KeyFetchFakes.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/testdata/CardTable.h"

namespace kftest {

struct KeyBlock {
    std::uint16_t tag;
    Bytes data;
    bool closesFile;  // its end marker is the last 4 bytes of the file
};

inline bool isVehicleTag(std::uint16_t t) {
    return (t >= 0x7601 && t <= 0x7605) || (t >= 0x7611 && t <= 0x7619) ||
           (t >= 0x7621 && t <= 0x7625) || (t >= 0x7631 && t <= 0x7635);
}

inline bool isCardKeyFile(const Bytes& f) {
    return f.size() >= 6 && f[0] == 0x76 && f[1] == 0x06;
}
inline Bytes cardImageOfKeyFile(const Bytes& f) {
    return Bytes(f.begin() + 2, f.end() - 4);
}

// The blocks of a vehicle unit's key file: tag, data up to the end marker
// (the last one of a run of 76 FF pairs: data may end in 76 FF).
inline std::vector<KeyBlock> keyBlocks(const Bytes& f) {
    std::vector<KeyBlock> out;
    std::size_t p = 0;
    while (p + 2 <= f.size()) {
        const std::uint16_t tag = static_cast<std::uint16_t>(f[p] << 8 | f[p + 1]);
        if (!isVehicleTag(tag)) {
            p += 2;
            continue;
        }
        const auto m = std::search(f.begin() + static_cast<long>(p + 2), f.end(),
                                   kEndMarker.begin(), kEndMarker.end());
        if (m == f.end()) break;
        auto end = static_cast<std::size_t>(m - f.begin());
        while (end + 6 <= f.size() && f[end + 4] == 0x76 && f[end + 5] == 0xFF) end += 2;
        out.push_back(
            {tag, Bytes(f.begin() + static_cast<long>(p + 2), f.begin() + static_cast<long>(end)),
             end + 4 == f.size()});
        p = end + 4;
    }
    return out;
}

// The EU vehicle-unit download inside a key file: every block as tag and data.
inline Bytes euVehicleUnit(const std::vector<KeyBlock>& blocks) {
    Bytes out;
    for (const auto& b : blocks) {
        if (b.data.empty()) continue;
        out.push_back(static_cast<std::uint8_t>(b.tag >> 8));
        out.push_back(static_cast<std::uint8_t>(b.tag));
        append(out, b.data);
    }
    return out;
}

// ---- Card records and the EU card layout -------------------------------------

struct CardRec {
    std::uint16_t fid;
    std::uint8_t appendix;
    std::size_t offset;  // of the header
    std::size_t length;
};

inline std::vector<CardRec> cardRecords(const Bytes& image) {
    std::vector<CardRec> out;
    std::size_t p = 0;
    while (p + 5 <= image.size()) {
        const std::size_t len = static_cast<std::size_t>(image[p + 3] << 8 | image[p + 4]);
        if (p + 5 + len > image.size()) break;
        out.push_back(
            {static_cast<std::uint16_t>(image[p] << 8 | image[p + 1]), image[p + 2], p, len});
        p += 5 + len;
    }
    return out;
}

inline const CardRec* findRec(const std::vector<CardRec>& recs, std::uint16_t fid, std::uint8_t app,
                              std::optional<std::size_t> size = std::nullopt) {
    for (const auto& r : recs)
        if (r.fid == fid && r.appendix == app && r.length > 0 && (!size || r.length == *size))
            return &r;
    return nullptr;
}

// The converter's EU layout of a well-formed card image: the table's EFs in
// table order at their table sizes; generation 2 only for an image of 30000
// bytes or more with the generation-2 activity signature.
inline Bytes euCardLayout(const Bytes& image) {
    const auto recs = cardRecords(image);
    const bool gen2 = image.size() >= 30000 && findRec(recs, 0x0504, 0x03);
    Bytes out;
    auto copy = [&](const CardRec* r) {
        if (r)
            out.insert(out.end(), image.begin() + static_cast<long>(r->offset),
                       image.begin() + static_cast<long>(r->offset + 5 + r->length));
    };
    const auto table = oltrex::testdata::converterCardFiles();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!gen2 && i >= oltrex::testdata::kGen1CardFileCount) break;
        const auto& e = table[i];
        if ((e.fileId == 0x0002 || e.fileId == 0x0005) && e.appendix == 0x02) {
            const CardRec* r2 = findRec(recs, e.fileId, 0x02);
            copy(r2 && r2->length == e.size ? r2 : findRec(recs, e.fileId, 0x00));
            continue;
        }
        copy(findRec(recs, e.fileId, e.appendix, e.size));
    }
    return out;
}

// True when the image already is in the EU layout (table order and sizes).
inline bool inTableLayout(const Bytes& image) {
    return euCardLayout(image) == image;
}

// ---- Names -------------------------------------------------------------------

inline std::string longTime(const oltrex::LocalTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04i-%02i-%02i_%02i-%02i-%02i", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

inline std::string takeChars(const Bytes& d, std::size_t at, std::size_t n) {
    std::string s;
    for (std::size_t i = at; i < at + n && i < d.size(); ++i)
        s += (d[i] == 0 || d[i] == 0xFF) ? ' ' : char(d[i]);
    return s;
}

inline std::string trimmed(std::string s) {
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

inline std::string cleaned(std::string s) {
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') c = '_';
    return s;
}

inline std::optional<oltrex::LocalTime> timeOfField(const Bytes& d, std::size_t at) {
    const std::uint32_t v =
        std::uint32_t(d[at]) << 24 | std::uint32_t(d[at + 1]) << 16 | d[at + 2] << 8 | d[at + 3];
    if (v == 0 || (v & 0x80000000u)) return std::nullopt;
    return oltrex::utcFromEpoch(v);
}

inline oltrex::LocalTime timeFromHexName(const std::string& name, const oltrex::LocalTime& now) {
    if (name.size() < 8) return now;
    const std::string hex = name.substr(name.size() - 8);
    if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) return now;
    return oltrex::utcFromEpoch(std::stoll(hex, nullptr, 16));
}

// The container name of a plain key file (language "DE", firmware below 800,
// the key file named by the key's convention).
inline std::string expectedContainerName(const std::string& keyName, const Bytes& keyFile,
                                         const oltrex::LocalTime& now, int firmware) {
    if (isCardKeyFile(keyFile)) {
        const Bytes image = cardImageOfKeyFile(keyFile);
        const oltrex::LocalTime cardTime = firmware >= 105 ? timeFromHexName(keyName, now) : now;
        std::string chip = "0000000000000000";
        std::string name;
        oltrex::LocalTime header = now;
        int type = 0;
        for (const auto& r : cardRecords(image)) {
            if (r.appendix != 0) continue;
            const Bytes d(image.begin() + static_cast<long>(r.offset + 5),
                          image.begin() + static_cast<long>(r.offset + 5 + r.length));
            if (r.fid == 0x0005 && d.size() >= 8) {
                chip.clear();
                for (int i = 0; i < 8; ++i) {
                    char hex[4];
                    std::snprintf(hex, sizeof hex, "%X", d[static_cast<std::size_t>(i)]);
                    chip += hex;
                }
            } else if (r.fid == 0x0501 && !d.empty()) {
                type = d[0];
                if (type == 3 || type == 4) return "C_" + chip + "_" + longTime(cardTime) + ".dlc";
            } else if (r.fid == 0x0520 && (type == 1 || type == 2)) {
                const std::size_t s = type == 1 ? 66 : 138, g = type == 1 ? 102 : 174;
                std::string surname = trimmed(takeChars(d, s, 35)),
                            first = trimmed(takeChars(d, g, 35));
                if (type == 1) surname = cleaned(surname), first = cleaned(first);
                name = "C_" + surname + "_" + first;
                std::replace(name.begin(), name.end(), ' ', '_');
                if (surname.empty() && first.empty()) name = "C_UnknownCardHolderName";
            } else if (r.fid == 0x0504) {
                header = cardTime;
                break;
            }
        }
        return name + "_" + longTime(header) + ".dlc";
    }

    const auto blocks = keyBlocks(keyFile);
    bool smart = false;
    for (const auto& b : blocks)
        if (b.tag >= 0x7611 && b.tag <= 0x7619 && b.tag != 0x7617) smart = true;
    const std::string prefix = smart ? "S_" : "V_";
    for (const auto& b : blocks) {
        if (b.closesFile) continue;
        if (b.tag == 0x7601 && b.data.size() >= 424) {
            std::string reg = trimmed(takeChars(b.data, 407, 13));
            const auto time = timeOfField(b.data, 420);
            return cleaned(trimmed(prefix + reg)) + "_" + (time ? longTime(*time) : "") + ".dlc";
        }
        if (b.tag == 0x7621 || b.tag == 0x7631) {
            const std::string base = keyName.substr(0, keyName.rfind('.'));
            std::vector<std::string> fields;
            std::size_t from = 0;
            for (std::size_t at; (at = base.find('_', from)) != std::string::npos; from = at + 1)
                fields.push_back(base.substr(from, at - from));
            fields.push_back(base.substr(from));
            const std::string vehicle = fields.size() >= 4 ? fields[1] : fields[0];
            const std::string time = fields[fields.size() - 2] + "_" + fields.back();
            return prefix + vehicle + "_" + time + ".dlc";
        }
    }
    return {};
}

// The EU file's name: the container's, with "M" for "V" and ".DDD".
inline std::string expectedEuName(const std::string& containerName) {
    std::string base = containerName.substr(0, containerName.rfind('.'));
    if (!base.empty() && base[0] == 'V') base[0] = 'M';
    return base + ".DDD";
}

}  // namespace kftest
