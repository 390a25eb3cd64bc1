// oltrex-fuzz-seeds OUT: writes the seed corpus of every fuzz target into
// OUT/<target>/, made with the tachograph test-data builder, the key forms of
// the simulated key, the container maker and the transfer's frame builders.
// When the EU samples are there ($OLTREX_SAMPLES, else the samples folder
// beside the repository) their key forms and containers are added; they stay
// in OUT, which lies in the build folder and is never committed.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "oltrex/conversion/ContainerMaker.h"
#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/simkey/KeyForms.h"
#include "oltrex/testdata/CardBuilder.h"
#include "oltrex/testdata/DemoKey.h"
#include "oltrex/testdata/EuImport.h"
#include "oltrex/testdata/VehicleUnitBuilder.h"
#include "oltrex/transfer/Blocks.h"
#include "oltrex/transfer/Framing.h"

namespace {

namespace fs = std::filesystem;
namespace td = oltrex::testdata;
using Bytes = std::vector<std::uint8_t>;

fs::path gOut;
int gWritten = 0;
// Seeds of the samples are numbered: their key names carry personal values.
std::map<std::string, std::string> gSampleLabels;

void seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path folder = gOut / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ++gWritten;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::string label(const td::KeyFile& f);

void putText(Bytes& out, const std::string& s) {  // FrontReader::text
    const std::size_t n = std::min<std::size_t>(s.size(), 255);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), s.begin(), s.begin() + static_cast<long>(n));
}

void putRun(Bytes& out, const Bytes& b) {  // FrontReader::bytes
    const std::size_t n = std::min<std::size_t>(b.size(), 65535);
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), b.begin(), b.begin() + static_cast<long>(n));
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string safeName(std::string s) {
    for (char& c : s)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
    return s;
}

std::string label(const td::KeyFile& f) {
    const auto it = gSampleLabels.find(f.name);
    return it != gSampleLabels.end() ? it->second : safeName(f.name);
}

fs::path samplesFolder() {
    if (const char* env = std::getenv("OLTREX_SAMPLES"); env != nullptr && *env != '\0') return env;
    return fs::path(OLTREX_SOURCE_DIR) / ".." / "shared" / "samples" / "ddd";
}

// Small vehicle units and the cards of every type and generation.
std::vector<td::KeyFile> generatedKeyFiles() {
    std::vector<td::KeyFile> files = td::demoKeyFiles(7);
    td::VehicleUnitOptions vu;
    vu.activityDays = 1;
    vu.speedMinutes = 2;
    vu.calibrations = 1;
    files.push_back(td::buildVehicleUnitFile(vu));
    vu.generation = td::Generation::Second;
    vu.sBlocks = td::defaultSBlocks();
    files.push_back(td::buildVehicleUnitFile(vu));
    vu.registration = "";
    vu.vin = "";
    vu.seed = 99;
    vu.sBlocks.clear();
    files.push_back(td::buildVehicleUnitFile(vu));
    for (auto type : {td::CardType::Driver, td::CardType::Workshop, td::CardType::Control,
                      td::CardType::Company}) {
        for (auto generation : {td::Generation::First, td::Generation::Second}) {
            td::CardOptions card;
            card.type = type;
            card.generation = generation;
            card.seed = 5;
            files.push_back(td::buildCardFile(card));
        }
    }
    return files;
}

// The key forms of the EU samples that import.
std::vector<td::KeyFile> sampleKeyFiles() {
    std::vector<td::KeyFile> files;
    std::error_code ec;
    const fs::path folder = samplesFolder();
    if (!fs::is_directory(folder, ec)) return files;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        td::ImportRefusal refusal;
        if (auto imported = td::importEuFile(bytes, entry.path().filename().string(),
                                             td::kDefaultDownloadTime, refusal)) {
            gSampleLabels[imported->file.name] = "sample" + std::to_string(files.size() + 1);
            files.push_back(imported->file);
        }
    }
    return files;
}

bool isCard(const td::KeyFile& f) {
    return f.name.size() > 1 && (f.name[0] == 'C' || f.name[0] == 'c');
}

Bytes cardImageOf(const Bytes& keyFile) {
    return keyFile.size() > 6 ? Bytes(keyFile.begin() + 2, keyFile.end() - 4) : Bytes();
}

// The data of the first block with `tag` in a key-form vehicle unit.
Bytes blockData(const Bytes& keyFile, std::uint16_t tag) {
    td::WalkError error;
    if (auto layout = td::walkKeyFile(keyFile, error)) {
        for (const auto& b : layout->blocks) {
            if (b.tag == tag)
                return Bytes(keyFile.begin() + static_cast<long>(b.offset + 2),
                             keyFile.begin() + static_cast<long>(b.offset + 2 + b.dataSize));
        }
    }
    return {};
}

// The data of the first card record with file identifier `fid` and appendix 0.
Bytes recordData(const Bytes& image, std::uint16_t fid) {
    for (std::size_t p = 0; p + 5 <= image.size();) {
        const std::uint16_t id = static_cast<std::uint16_t>(image[p] << 8 | image[p + 1]);
        const std::size_t n = std::size_t{image[p + 3]} << 8 | image[p + 4];
        if (p + 5 + n > image.size()) break;
        if (id == fid && image[p + 2] == 0)
            return Bytes(image.begin() + static_cast<long>(p + 5),
                         image.begin() + static_cast<long>(p + 5 + n));
        p += 5 + n;
    }
    return {};
}

void keyTextSeeds() {
    oltrex::simkey::KeyIdentity id;
    seed("key_info", "plain", text(oltrex::simkey::keyInfoText(id)));
    seed("key_info", "serial", text(oltrex::simkey::serialNumberText(id)));
    id.series = "OB";
    id.firmware = "0102";
    seed("key_info", "ob", text(oltrex::simkey::keyInfoText(id)));
    id.series = "OX";
    id.firmware = "0830";
    seed("key_info", "secure", text(oltrex::simkey::keyInfoText(id)));
    seed("key_info", "short", text(" StickID: O"));
    seed("key_info", "empty", {});
}

void directorySeeds(const std::vector<td::KeyFile>& files) {
    std::string listing;
    for (const auto& f : files) {
        const std::string entry = oltrex::simkey::directoryEntry(f.bytes.size(), f.name);
        listing += entry + "\n";
        seed("directory_entry", label(f), text(entry));
    }
    listing += oltrex::simkey::directoryEntry(4000, "V_oltrexlog_1") + "\n";
    listing += oltrex::simkey::directoryEntry(5000, "TREP_0001") + "\n";
    seed("directory_entry", "listing", text(listing));
    seed("directory_entry", "parent", text("    4096 Bytes - \"../../etc/passwd\""));
    seed("directory_entry", "control", text("    4096 Bytes - \"V_\x01\x7f.2\""));
}

void keyFileSeeds(const std::vector<td::KeyFile>& files) {
    for (const auto& f : files) {
        const std::string name = label(f);
        seed("classification", name, f.bytes);
        Bytes flagged{static_cast<std::uint8_t>(isCard(f) ? 1 : 0)};
        seed("secure_reencoding", name, concat(flagged, f.bytes));
        if (auto secure = oltrex::simkey::secureForm(f.name, f.bytes))
            seed("secure_reencoding", name + ".secure", *secure);
        if (f.bytes.size() < 20000) seed("descrambling", name, f.bytes);
        if (isCard(f)) seed("card_converter", name, cardImageOf(f.bytes));

        // The maker: mode, language, installation type, firmware, key name,
        // kind letter, the listed name, the file.
        for (std::uint8_t mode : {0, 1}) {
            Bytes in{mode, static_cast<std::uint8_t>(mode ? 1 : 0), 0, 3, 0, 0};
            putText(in, f.name);
            seed("container_maker", name + (mode ? ".eu" : ".dlc"), concat(in, f.bytes));
        }
    }
    seed("descrambling", "odd", text("abcdefg"));
}

void namingSeeds(const std::vector<td::KeyFile>& files) {
    for (const auto& f : files) {
        Bytes in;
        putText(in, f.name);
        in.push_back(13);                     // nation
        in.push_back(0);                      // mode
        in.push_back(0);                      // language DE
        in.push_back(3);                      // firmware 120
        putText(in, "V" + f.name.substr(1));  // kind name
        putText(in, f.name);                  // local file name
        if (isCard(f)) {
            const Bytes image = cardImageOf(f.bytes);
            const Bytes type = recordData(image, 0x0501);
            in.push_back(3);
            in.push_back(type.empty() ? 1 : type[0]);
            in.push_back(4);
            putRun(in, recordData(image, 0x0005));
            in.push_back(5);
            putRun(in, recordData(image, 0x0520));
        } else {
            const Bytes overview = blockData(f.bytes, 0x7601);
            if (!overview.empty()) {
                in.push_back(0);
                putRun(in, overview);
            } else {
                in.push_back(1);
            }
            if (f.name[0] == 'S') in.push_back(2);
        }
        seed("naming", label(f), in);
    }
}

// Containers made by the maker through libhime.so (beside this program).
void containerSeeds(const std::vector<td::KeyFile>& files) {
    std::error_code ec;
    const fs::path base =
        oltrex::createPrivateFolder(oltrex::systemTempFolder(), "oltrex-seeds-", ec);
    if (base.empty()) return;
    const fs::path work = base / "work", containers = base / "containers";
    fs::create_directories(containers / "EU", ec);
    fs::create_directory(work, ec);
    fs::permissions(work, fs::perms::owner_all, fs::perm_options::replace, ec);
    oltrex::MemorySettings settings;
    settings.set(oltrex::kTachographSettingsPath, "ContainerPath", containers.string());
    oltrex::ContextOptions options;
    options.settings = &settings;
    options.workFolder = work;
    for (const auto& f : files) {
        oltrex::ConversionContext context(options);
        if (!context.usable()) {
            std::fprintf(stderr, "oltrex-fuzz-seeds: libhime.so not loaded: no container seeds\n");
            break;
        }
        const fs::path local = work / f.name;
        {
            std::ofstream out(local, std::ios::binary);
            out.write(reinterpret_cast<const char*>(f.bytes.data()),
                      static_cast<std::streamsize>(f.bytes.size()));
        }
        std::string path = local.string();
        if (oltrex::buildContainer(context, path, f.name, 120) != oltrex::kContainerOk) continue;
        std::ifstream in(path, std::ios::binary);
        const Bytes container((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
        seed("container_reader", label(f) + ".dlc", concat({0x00}, container));
        fs::remove(path, ec);
    }
    fs::remove_all(base, ec);

    // Content behind a valid header record: blocks in container form, a card image.
    for (const auto& f : files) {
        Bytes content;
        if (isCard(f)) {
            content = cardImageOf(f.bytes);
        } else {
            td::WalkError error;
            if (auto layout = td::walkKeyFile(f.bytes, error)) {
                for (const auto& b : layout->blocks) {
                    const auto n = static_cast<std::uint32_t>(b.dataSize + 2);
                    for (int s = 24; s >= 0; s -= 8)
                        content.push_back(static_cast<std::uint8_t>(n >> s));
                    content.insert(content.end(), f.bytes.begin() + static_cast<long>(b.offset),
                                   f.bytes.begin() + static_cast<long>(b.offset + 2 + b.dataSize));
                }
            }
        }
        if (content.size() < 60000)
            seed("container_reader", label(f) + ".plain", concat({0x02}, content));
    }
    Bytes header(228, 0);
    header[1] = 0x04;
    header[2] = 5;
    seed("container_reader", "header", concat({0x03}, header));
}

Bytes fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void firmwareSeeds() {
    const fs::path source(OLTREX_SOURCE_DIR);
    for (const char* program : {"keyrefresh", "fwflasher"}) {
        const Bytes records = fileBytes(source / program / "firmware" / "FW_Update.a79");
        // The first records and the last ones: the whole file is long.
        std::size_t cut = 0;
        for (int lines = 0; cut < records.size() && lines < 12; ++cut)
            if (records[cut] == '\n') ++lines;
        seed("srecord", std::string(program) + ".head",
             Bytes(records.begin(), records.begin() + static_cast<long>(cut)));
        std::size_t tail = records.size() > 400 ? records.size() - 400 : 0;
        while (tail < records.size() && records[tail] != '\n') ++tail;
        seed("srecord", std::string(program) + ".tail",
             Bytes(records.begin() + static_cast<long>(tail), records.end()));
        seed("version_file", program, fileBytes(source / program / "firmware" / "fw_version.h"));
    }
    seed("srecord", "s1s3",
         text("S00600004844521B\nS1130000285F245F2212226A000424290008237C2A\nS30D000080000102030405"
              "0607082E\n"
              "S9030000FC\n"));
    seed("version_file", "plain", text("#define FIRMWARE \"1.20\"\r\n"));
    seed("version_file", "unquoted", text("#define FIRMWARE 1.20\r\n"));
}

void transferSeeds() {
    const std::uint8_t ack = oltrex::kAnswerAck, nack = oltrex::kAnswerNack;
    std::vector<std::uint8_t> frame(oltrex::kFrameBufferSize);
    Bytes data(256);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
    const std::size_t blockLength =
        oltrex::buildDataBlock(frame.data(), oltrex::kFirstBlockAddress, data.data(), 256);
    const Bytes block = oltrex::stuffedFrame(frame.data(), blockLength);
    oltrex::HeaderFields fields;
    fields.imageLength = 256;
    fields.typeCode = {'C', 'o', 'm', 'P'};
    const std::size_t headerLength = oltrex::buildHeaderBlock(frame.data(), fields);
    const Bytes header = oltrex::stuffedFrame(frame.data(), headerLength);
    const std::uint8_t reboot = oltrex::kRebootCommand;
    Bytes line = concat(block, header);
    line = concat(line, oltrex::stuffedFrame(&reboot, 1));
    seed("answer_decoder", "answers",
         concat({56}, concat(oltrex::stuffedFrame(&ack, 1), oltrex::stuffedFrame(&nack, 1))));
    seed("answer_decoder", "transfer", concat({56}, line));
    seed("answer_decoder", "small", concat({0}, block));

    seed("com_task", "loader_answers", Bytes(64, 0));
    seed("com_task", "silence", Bytes(64, 5));
    Bytes mixed;
    for (int i = 0; i < 64; ++i) mixed.push_back(static_cast<std::uint8_t>(i % 3 == 2 ? 2 : 0));
    seed("com_task", "mixed", mixed);
}

void patternSeeds() {
    // FuzzedDataProvider's string: a backslash and another character end it.
    seed("pattern_match", "dlb", text("*.dlb\\Xx.dlb"));
    seed("pattern_match", "dlb1", text("*.1.dlb\\Xx.1.dlb"));
    seed("pattern_match", "question", text("cd??????.crd\\XCD000001.CRD"));
    seed("pattern_match", "plain", text("name\\Xname"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: oltrex-fuzz-seeds OUT\n");
        return 2;
    }
    gOut = argv[1];
    std::vector<td::KeyFile> files = generatedKeyFiles();
    const std::vector<td::KeyFile> samples = sampleKeyFiles();
    files.insert(files.end(), samples.begin(), samples.end());

    keyTextSeeds();
    directorySeeds(files);
    keyFileSeeds(files);
    namingSeeds(files);
    containerSeeds(files);
    firmwareSeeds();
    transferSeeds();
    patternSeeds();
    std::printf("oltrex-fuzz-seeds: %d seeds in %s (%zu from the samples)\n", gWritten,
                gOut.c_str(), samples.size());
    return 0;
}
