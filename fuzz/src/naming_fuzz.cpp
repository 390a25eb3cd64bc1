// Naming on arbitrary overview and identification data: the name of one run
// fed with the records a container run meets, in any order, and the text
// helpers on arbitrary text. Names never leave their folder.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/conversion/Naming.h"
#include "oltrex/platform/Settings.h"

namespace {
constexpr const char* kTarget = "naming";

constexpr const char* kLanguages[] = {"DE", "ES", "EN", "", "XX"};
constexpr int kFirmwares[] = {0, 104, 105, 120, 830, 999};

bool safeName(const std::string& name) {
    if (name.find_first_not_of('.') == std::string::npos && !name.empty()) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F ||
               std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    });
}

bool cleanText(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               c == '_' || c == '-';
    });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    static fuzz::FixedClock clock;
    static MemorySettings settings = [] {
        MemorySettings s;
        s.set(kTachographSettingsPath, "ContainerPath",
              fuzz::ScratchFolder::instance().path().string());
        return s;
    }();
    // Layout (fuzz/seeds writes it): a text for the helpers, a nation code,
    // mode, language, firmware, kind name, local file name, then events, each
    // a type byte and, for records, the record's data (2-byte length first).
    fuzz::FrontReader in(data, size);

    // The helpers on a text of their own.
    std::string text = in.text();
    std::string cleaned = text;
    cleanNameText(cleaned);
    OLTREX_FUZZ_CHECK(cleaned.size() == text.size() && cleanText(cleaned),
                      "cleanNameText left other characters");
    std::string safe = text;
    makeFileNameSafe(safe);
    OLTREX_FUZZ_CHECK(safeName(safe),
                      "makeFileNameSafe left a name that can leave its folder: " + safe);
    (void)timeFromHexText(text, clock);
    (void)takeCharacters({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    if (text.size() >= 8) (void)chipSerialText(reinterpret_cast<const std::uint8_t*>(text.data()));
    if (text.size() >= 4) {
        const auto* field = reinterpret_cast<const std::uint8_t*>(text.data());
        (void)formatTimeLong(field);
        (void)formatTimeShort(field);
        (void)timeFieldToTime(field, clock);
    }
    (void)nationText(in.u8());

    NamingInput input;
    input.mode = in.u8() & 1;
    input.language = kLanguages[in.choice(std::size(kLanguages))];
    input.firmwareNumber = kFirmwares[in.choice(std::size(kFirmwares))];
    input.kindName = in.text();
    input.localPath = "/work/" + in.text();
    TachoNamer namer(input, clock, settings);

    bool vehicleUnit = false, smart = false;
    LocalTime headerTime = clock.localTime();
    for (int i = 0; i < 16 && !in.empty(); ++i) {
        switch (in.choice(6)) {
            case 0: {
                vehicleUnit = true;
                const Bytes block = in.bytes();
                if (auto t = namer.onVehicleOverviewGen1(block)) headerTime = *t;
                break;
            }
            case 1:
                vehicleUnit = true;
                namer.onVehicleOverviewGen2();
                break;
            case 2:
                vehicleUnit = smart = true;
                namer.onSmartBlock();
                break;
            case 3:
                (void)namer.onCardType(in.u8());
                break;
            case 4:
                namer.onChipIdentification(in.bytes());
                break;
            default:
                namer.onIdentification(in.bytes());
                break;
        }
    }
    namer.finishWorkingName(headerTime, vehicleUnit);
    namer.finishFiledName(vehicleUnit);
    const std::string shortName = namer.shortName(vehicleUnit, smart);
    OLTREX_FUZZ_CHECK(safeName(shortName), "a short name that can leave its folder: " + shortName);
    OLTREX_FUZZ_CHECK(namer.name().find('/') == std::string::npos,
                      "a name with a path separator: " + namer.name());
    OLTREX_FUZZ_CHECK(namer.name() != "." && namer.name() != "..",
                      "a name that is a folder reference");
    return 0;
}
