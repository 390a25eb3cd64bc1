// The container maker: one local file in, one filed container or EU file out.
// The whole run works in memory; the product reaches its folder as a complete,
// synced file under its final name.
#include "oltrex/conversion/ContainerMaker.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>

#include "FilePlacement.h"
#include "oltrex/conversion/Naming.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/platform/Trace.h"

namespace oltrex {
namespace fs = std::filesystem;

namespace {

constexpr std::uint16_t kOverviewGen1 = 0x7601;
constexpr std::uint16_t kOverviewGen2 = 0x7621;
constexpr std::uint16_t kOverviewGen2v2 = 0x7631;
constexpr std::uint16_t kSmartBlock = 0x7611;
constexpr std::uint8_t kVersionRecord[8] = {0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x01};
// Length, tag and the header block encrypted (228 bytes pad to 240).
constexpr std::size_t kHeaderRecordSize = 4 + 2 + 240;

constexpr std::uint16_t kFileApplicationIdentification = 0x0501;
constexpr std::uint16_t kFileChipIdentification = 0x0005;
constexpr std::uint16_t kFileIdentification = 0x0520;
constexpr std::uint16_t kFileDriverActivity = 0x0504;

std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

void appendBe32(Bytes& out, std::uint32_t v) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    out.insert(out.end(), b, b + 4);
}

void appendTag(Bytes& out, std::uint16_t tag) {
    out.push_back(static_cast<std::uint8_t>(tag >> 8));
    out.push_back(static_cast<std::uint8_t>(tag));
}

void traceFilename(const std::string& path) {
    trace("Filename:");
    trace(path);
    trace("\r\n");
}

std::string format(const char* pattern, auto... args) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// What one run took from the local file.
struct ScanResult {
    Bytes content;                 // the header gap, then the plain blocks (or card image)
    std::set<std::uint16_t> tagsMet;
    LocalTime headerTime;
    bool nothingTaken = false;     // no block with data and no card image: nothing to file
    std::string untaken;           // why the file was not taken whole; empty when it was
};

// The first card record of an image lies wholly inside it.
bool holdsCardRecord(std::span<const std::uint8_t> image) {
    return image.size() >= 5 && 5u + be16(image.data() + 3) <= image.size();
}

// Turns the block scan of the local file into the content of the product and
// feeds the namer the records as the file meets them.
class ContentBuilder {
public:
    // `headerGap` bytes are left free at the start of the content for the
    // header record, so that the container is encrypted in one piece.
    ContentBuilder(std::span<const std::uint8_t> file, int mode, TachoNamer& namer, LocalTime runStart,
                   std::size_t headerGap)
        : file_(file), mode_(mode), namer_(namer) {
        result_.headerTime = runStart;
        result_.content.reserve(headerGap + file.size() + file.size() / 64 + 16);
        result_.content.resize(headerGap);
    }

    ScanResult run() {
        const KeyFileScan scan = scanKeyFile(file_);
        bool taken = false;
        if (scan.card) {
            taken = takeCard(file_.subspan(scan.imageBegin, scan.imageEnd - scan.imageBegin));
        } else {
            for (const ScannedBlock& block : scan.blocks) taken = takeBlock(block) || taken;
        }
        if (scan.openBlock != kNoOffset) {
            // Its tag counts as met; its data, without an end marker, is not taken.
            const std::uint16_t tag = be16(file_.data() + scan.openBlock);
            meetTag(tag);
            addUntaken(format("the block 0x%04X at offset %zu has no end marker", static_cast<unsigned>(tag),
                              scan.openBlock));
        }
        if (scan.skippedBytes > 0)
            addUntaken(format("%zu bytes from offset %zu start no block", scan.skippedBytes, scan.firstSkipped));
        if (!taken) {
            result_.nothingTaken = true;
            result_.untaken = std::string(scan.card ? "the card image holds no card record"
                                                    : "the file holds no vehicle-unit block with data and no card image") +
                              (result_.untaken.empty() ? std::string() : "; " + result_.untaken);
        }
        return std::move(result_);
    }

private:
    void addUntaken(const std::string& why) {
        if (!result_.untaken.empty()) result_.untaken += "; ";
        result_.untaken += why;
    }

    // True when the image holds a card record and was taken.
    bool takeCard(std::span<const std::uint8_t> image) {
        if (!holdsCardRecord(image)) return false;
        result_.content.insert(result_.content.end(), image.begin(), image.end());
        walkCard(image);
        return true;
    }

    void walkCard(std::span<const std::uint8_t> image) {
        std::size_t p = 0;
        while (p + 5 <= image.size()) {
            const std::uint16_t fid = be16(image.data() + p);
            const std::uint8_t appendix = image[p + 2];
            const std::size_t length = be16(image.data() + p + 3);
            // A record whose length runs past the image ends the walk.
            if (length > image.size() - p - 5) return;
            const auto data = image.subspan(p + 5, length);
            if (appendix == 0) {
                if (fid == kFileApplicationIdentification && !data.empty()) {
                    if (namer_.onCardType(data[0])) return;
                } else if (fid == kFileChipIdentification) {
                    namer_.onChipIdentification(data);
                } else if (fid == kFileIdentification) {
                    namer_.onIdentification(data);
                } else if (fid == kFileDriverActivity) {
                    result_.headerTime = namer_.cardTime();
                    return;
                }
            }
            p += 5 + length;
        }
    }

    void meetTag(std::uint16_t tag) {
        result_.tagsMet.insert(tag);
        if (tag == kSmartBlock) namer_.onSmartBlock();
    }

    // True when the block had data to take.
    bool takeBlock(const ScannedBlock& block) {
        meetTag(block.tag);
        const auto data = file_.subspan(block.tagOffset + 2, block.dataLength);
        if (!data.empty()) {
            if (mode_ == 0) appendBe32(result_.content, static_cast<std::uint32_t>(data.size() + 2));
            appendTag(result_.content, block.tag);
            result_.content.insert(result_.content.end(), data.begin(), data.end());
        }
        // A block that closes the file does not name it.
        if (block.end() < file_.size()) {
            if (block.tag == kOverviewGen1) {
                if (auto time = namer_.onVehicleOverviewGen1(data)) result_.headerTime = *time;
            } else if (block.tag == kOverviewGen2 || block.tag == kOverviewGen2v2) {
                namer_.onVehicleOverviewGen2();
            }
        }
        return !data.empty();
    }

    std::span<const std::uint8_t> file_;
    int mode_;
    TachoNamer& namer_;
    ScanResult result_;
};

// The container folder from the settings; a missing key leaves the folder as it was.
void readContainerFolder(ConversionContext& context) {
    const SettingResult value = context.settings().read(kTachographSettingsPath, "ContainerPath");
    if (!value.keyOpened()) return;
    context.folder.clear();
    if (!value.found()) return;
    context.folder = value.value;
    // As a 260-byte registry read: a value filling the buffer gets no separator.
    if (context.folder.size() + 1 < 260) appendSeparator(context.folder);
}

// Proves that a working file can be made in the work folder.
bool workFolderWritable(const fs::path& workFolder) {
    if (workFolder.empty()) return false;
    const fs::path probe = workFolder / kWorkingContainerName;
    std::FILE* file = openFile(probe, "ab");
    if (file == nullptr) return false;
    std::fclose(file);
    std::error_code ec;
    fs::remove(probe, ec);
    return true;
}

// In EU mode the filed name carries "DDD" as its extension.
void markEuFile(std::string& fileName) {
    const auto dot = fileName.rfind('.');
    if (dot != std::string::npos && fileName.size() - dot == 4) {
        fileName.replace(fileName.size() - 3, 3, "DDD");
    } else {
        // A short name with another extension (or none) gets ".DDD" in its place.
        if (dot != std::string::npos && dot > 0) fileName.erase(dot);
        fileName += ".DDD";
    }
}

// Removes the working files of runs and imports. Only KeyFetch's own private
// folder is tidied, never a shared one, and never the file just filed (should
// the container folder be the work folder).
void cleanWorkFolder(const fs::path& workFolder, const fs::path& filed) {
    if (!isPrivateWorkFolder(workFolder)) {
        trace("work folder is not private: no clean-up\r\n");
        return;
    }
    removeMatchingFiles(workFolder, "K_*.dlt", filed);
    removeMatchingFiles(workFolder, "K_*.dlc", filed);
    removeMatchingFiles(workFolder, "*.dlc", filed);
}

}  // namespace

bool isSmartTag(std::uint16_t tag) { return tag >= 0x7611 && tag <= 0x7619; }

std::vector<std::uint8_t> makeHeaderBlock(int installationClass, const LocalTime& headerTime) {
    std::vector<std::uint8_t> block(kHeaderBlockSize, 0);
    block[1] = 0x04;
    block[2] = static_cast<std::uint8_t>(installationClass);
    // Calendar values taken as they are, no time-zone conversion.
    const auto seconds = static_cast<std::uint32_t>(epochFromCalendar({headerTime.year, headerTime.month,
                                                                       headerTime.day, headerTime.hour,
                                                                       headerTime.minute, headerTime.second, 0}));
    block[kHeaderTimeOffset + 0] = static_cast<std::uint8_t>(seconds >> 24);
    block[kHeaderTimeOffset + 1] = static_cast<std::uint8_t>(seconds >> 16);
    block[kHeaderTimeOffset + 2] = static_cast<std::uint8_t>(seconds >> 8);
    block[kHeaderTimeOffset + 3] = static_cast<std::uint8_t>(seconds);
    return block;
}

namespace {

// Encrypts `data` through the cipher library and hands the result (without
// the 16 bytes the library appends) to `use` while the library still holds
// it, so that a large container is not copied once more. Registers 1-4 are
// empty before and after. False when the cipher fails; `use`'s result else.
bool sealWith(const ConversionContext& context, std::span<const std::uint8_t> data, KeySetId keySetId,
              const std::function<bool(std::span<const std::uint8_t>)>& use, bool& cipherFailed) {
    cipherFailed = true;
    if (!context.usable() || data.size() > static_cast<std::size_t>(INT_MAX) - 64) return false;
    const CipherEntryPoints& hi = context.cipher();
    const KeySet keys = keySet(keySetId);
    auto clearRegisters = [&hi] {
        for (int reg = 1; reg <= 4; ++reg) hi.regClear(reg);
    };
    clearRegisters();  // a failed earlier call may have left bytes behind
    bool used = false;
    const bool ok = hi.putRegAdd(1, data.data(), static_cast<int>(data.size())) == 0 &&
                    hi.putRegAdd(2, keys.key.data(), static_cast<int>(keys.key.size())) == 0 &&
                    hi.putRegAdd(3, keys.iv.data(), static_cast<int>(keys.iv.size())) == 0 &&
                    hi.encryptAesCbc(1, 2, 3, 4) == 0;
    if (ok) {
        const int length = hi.regGetLen(4);
        const auto* bytes = static_cast<const std::uint8_t*>(hi.getReg(4));
        if (length >= 16 && bytes != nullptr) {
            cipherFailed = false;
            try {
                used = use({bytes, static_cast<std::size_t>(length - 16)});
            } catch (...) {
                clearRegisters();
                throw;
            }
        }
    }
    clearRegisters();
    return used;
}

// The header record: length, tag 0x76FF and the encrypted header block.
std::optional<Bytes> headerRecord(const ConversionContext& context, const LocalTime& headerTime) {
    const Bytes header = makeHeaderBlock(context.installationClass(), headerTime);
    auto sealed = encryptBlock(context, header, KeySetId::HeaderA);
    if (!sealed) return std::nullopt;
    Bytes record;
    record.reserve(sealed->size() + 6);
    appendBe32(record, static_cast<std::uint32_t>(sealed->size() + 2));
    appendTag(record, 0x76FF);
    record.insert(record.end(), sealed->begin(), sealed->end());
    return record;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encryptBlock(const ConversionContext& context,
                                                      std::span<const std::uint8_t> data, KeySetId keySetId) {
    std::optional<std::vector<std::uint8_t>> result;
    bool cipherFailed = false;
    sealWith(
        context, data, keySetId,
        [&result](std::span<const std::uint8_t> sealed) {
            result.emplace(sealed.begin(), sealed.end());
            return true;
        },
        cipherFailed);
    return result;
}

int buildContainer(ConversionContext& context, std::string& path, std::string_view kindName, int firmwareNumber) {
    if (!context.usable()) return kContainerOpenFailed;
    const std::string localPath = path;
    context.untaken.clear();
    try {
        readContainerFolder(context);

        const fs::path& workFolder = context.workFolder();
        if (!workFolderWritable(workFolder)) return kContainerCreateFailed;

        std::error_code ec;
        ScanResult scan;
        Clock& clock = context.clock();
        TachoNamer namer({localPath, std::string(kindName), firmwareNumber, context.mode, context.language()}, clock,
                         context.settings());
        const std::size_t headerGap = context.mode == 0 ? kHeaderRecordSize : 0;
        {
            MappedFile file;
            if (!file.open(pathFromUtf8(localPath), ec)) {
                fs::remove(pathFromUtf8(localPath), ec);
                return kContainerOpenFailed;
            }
            scan = ContentBuilder(file.bytes(), context.mode, namer, clock.localTime(), headerGap).run();
        }
        context.untaken = scan.untaken;
        if (!scan.untaken.empty()) tracef("%s not taken whole: %s\r\n", localPath.c_str(), scan.untaken.c_str());
        if (scan.nothingTaken) {
            fs::remove(pathFromUtf8(localPath), ec);
            return kContainerNothingToFile;
        }
        const bool vehicleUnit = !scan.tagsMet.empty();
        const bool smartMet =
            std::any_of(scan.tagsMet.begin(), scan.tagsMet.end(), [](std::uint16_t t) { return isSmartTag(t); });

        // Working name, then the filed name.
        namer.finishWorkingName(scan.headerTime, vehicleUnit);
        const std::string shortName = namer.shortName(vehicleUnit, smartMet);
        traceFilename(joinPath(utf8Of(workFolder), namer.hasName() ? namer.name() : shortName));

        if (context.mode == 1) context.folder += euSubfolder();
        namer.finishFiledName(vehicleUnit);
        // A file that got no name is filed under its short name all the same.
        std::string fileName = namer.hasName() ? namer.name() : shortName;
        makeFileNameSafe(fileName);
        if (fileName.empty()) fileName.push_back('_');
        // A filed download is never a hidden file (a key file named ".x" has
        // no base name to go by), nor one that looks like a working file.
        if (fileName.front() == '.') fileName.front() = '_';
        if (context.mode == 1) markEuFile(fileName);
        std::string filed = context.folder + fileName;
        traceFilename(filed);
        makeUniquePath(filed);

        bool placed = false;
        if (context.mode == 0) {
            // Version record, then the plain container (header record in the
            // gap left for it, then the content) encrypted as one piece.
            auto record = headerRecord(context, scan.headerTime);
            if (!record) return kContainerBroken;
            if (record->size() == headerGap) {
                std::copy(record->begin(), record->end(), scan.content.begin());
            } else {  // a cipher that pads otherwise: rebuild the front
                scan.content.erase(scan.content.begin(), scan.content.begin() + static_cast<std::ptrdiff_t>(headerGap));
                scan.content.insert(scan.content.begin(), record->begin(), record->end());
            }
            bool cipherFailed = false;
            placed = sealWith(
                context, scan.content, KeySetId::ContainerB,
                [&](std::span<const std::uint8_t> sealed) {
                    return placeNewFile(filed, {std::span<const std::uint8_t>(kVersionRecord), sealed}, ec);
                },
                cipherFailed);
            if (cipherFailed) return kContainerBroken;
        } else {
            placed = placeNewFile(filed, {std::span<const std::uint8_t>(scan.content)}, ec);
        }
        if (!placed) {
            tracef("cannot file %s: %s\r\n", filed.c_str(), ec.message().c_str());
            return kContainerCreateFailed;
        }
        fs::remove(pathFromUtf8(localPath), ec);
        cleanWorkFolder(workFolder, pathFromUtf8(filed));
        path = std::move(filed);
        return kContainerOk;
    } catch (const std::exception& e) {
        tracef("container run broke off: %s\r\n", e.what());
    } catch (...) {
        trace("container run broke off\r\n");
    }
    std::error_code ec;
    fs::remove(pathFromUtf8(localPath), ec);
    return kContainerBroken;
}

}  // namespace oltrex
