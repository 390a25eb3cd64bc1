#include "KeyListing.h"

#include <algorithm>
#include <cctype>

#include "KeyRules.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/simkey/KeyForms.h"
#include "oltrex/testdata/CardTable.h"
#include "oltrex/testdata/EuImport.h"

namespace oltrex::keytool {

namespace {

using namespace oltrex::testdata;

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

const char* cardTypeText(std::uint8_t type) {
    switch (type) {
        case 1: return "driver card";
        case 2: return "workshop card";
        case 3: return "control card";
        case 4: return "company card";
        default: return "card of unknown type";
    }
}

}  // namespace

std::string describeKeyFile(const std::string& name, const Bytes& bytes) {
    const std::string low = lower(name);
    if (low.find("oltrexlog") != std::string::npos) return "key log file (left alone)";
    if (low.find("trep") != std::string::npos) return "TREP file (left alone)";
    if (bytes.size() <= 10) return "too small (left alone)";
    WalkError error;
    const auto layout = walkKeyFile(bytes, error);
    if (!layout) return "not in the key's form: " + error.reason + " (offset " + std::to_string(error.offset) + ")";
    if (layout->kind == EuFileKind::Card) {
        std::uint8_t type = 0;
        bool gen2 = false;
        for (const auto& r : layout->records) {
            if (r.fileId == 0x0501 && (r.appendix == 0 || r.appendix == 2) && r.length > 0 && type == 0)
                type = bytes[r.offset + 5];
            gen2 = gen2 || r.appendix >= kGen2Data;
        }
        return std::string(cardTypeText(type)) + ", generation " + (gen2 ? "2" : "1") + ", " +
               std::to_string(layout->records.size()) + " records";
    }
    bool gen2 = false, sFile = false;
    for (const auto& b : layout->blocks) {
        gen2 = gen2 || isGen2BlockTag(b.tag) || isGen2Version2BlockTag(b.tag);
        sFile = sFile || (isSBlockTag(b.tag) && b.tag != 0x7617);
    }
    return std::string("vehicle unit, generation ") + (gen2 ? "2" : "1") + ", " +
           std::to_string(layout->blocks.size()) + " blocks" + (sFile ? ", \"S\" file" : "");
}

bool listKey(const std::filesystem::path& folder, std::ostream& out, std::string& error) {
    const auto ini = simkey::readKeyIni(folder, &error);
    if (!ini) return false;
    const auto& id = ini->identity;
    const int firmware = std::stoi(id.firmware);
    out << "key folder:  " << folder.string() << "\n"
        << "key info:    \"" << simkey::keyInfoText(id) << "\"\n"
        << "series " << id.series << ", key number " << id.number << ", firmware " << id.firmware << "\n"
        << "read as:     " << (needsProtectedRead(id.series, firmware) ? "protected read" : "plain read") << ", "
        << (needsSecureMode(id.series, firmware) ? "secure mode" : "no secure mode") << "\n"
        << "boot loader: " << (ini->bootloader ? "running (key information fails)" : "off") << "\n";
    const auto& f = ini->faults;
    out << "faults:     ";
    if (f.failRead.empty() && !f.failKeyInfo && f.readDelayMs == 0) out << " none";
    for (const auto& name : f.failRead) out << " fail_read=" << name;
    if (f.failKeyInfo) out << " fail_keyinfo";
    if (f.readDelayMs) out << " read_delay_ms=" << f.readDelayMs;
    out << "\n";
    const auto files = simkey::listKeyFiles(folder);
    out << "files:       " << files.size() << "\n";
    for (const auto& file : files) {
        std::string readError;
        const auto bytes = simkey::readKeyFile(folder, file.name, &readError);
        out << simkey::directoryEntry(file.size, file.name) << "  "
            << (bytes ? describeKeyFile(file.name, *bytes) : "unreadable: " + readError) << "\n";
    }
    return true;
}

}  // namespace oltrex::keytool
