#include "SdCardFiles.h"

#include <cstdio>
#include <vector>

#include "oltrex/platform/SafeFile.h"
#include "oltrex/simkey/KeyForms.h"
#include "oltrex/testdata/DemoKey.h"
#include "oltrex/testdata/FileNames.h"

namespace oltrex::keytool {
namespace {

namespace fs = std::filesystem;
using testdata::KeyFile;

bool isCardName(const std::string& name) {
    return name.size() >= 2 && (name[0] == 'C' || name[0] == 'c') && name[1] == '_';
}

bool isTachographFile(const KeyFile& file) {
    return file.name.rfind("V_", 0) == 0 || file.name.rfind("C_", 0) == 0;
}

bool parseCount(const std::string& text, std::uint64_t& out) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::stoull(text);
    return true;
}

bool parseTime(const std::string& text, std::uint32_t& out) {
    if (text.size() == 8 && text.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos) {
        out = static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
        return true;
    }
    testdata::CalendarTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d_%2d-%2d-%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                    &t.second, &tail) != 6)
        return false;
    out = testdata::secondsFromCalendar(t);
    return true;
}

}  // namespace

bool SdCardSink::put(const KeyFile& file, std::string& error) {
    if (!simkey::isPlainFileName(file.name)) {
        error = "\"" + file.name + "\" is no plain file name";
        return false;
    }
    const auto secure = simkey::secureForm(file.name, file.bytes, &error);
    if (!secure) return false;
    std::error_code ec;
    if (!createNewFile(folder_ / file.name, secure->data(), secure->size(), ec)) {
        error = "cannot create " + (folder_ / file.name).string() + ": " + ec.message() +
                " (existing files are not replaced)";
        return false;
    }
    return true;
}

std::string sdCardFileName(const std::string& keyName) {
    const bool secondGeneration = keyName.size() > 2 && keyName.compare(keyName.size() - 2, 2, ".2") == 0;
    // The Funke's vehicle-unit files carry "oltrex" where the key's carry "V":
    // behind the import's "K_" it is the field that the generation-2 naming
    // passes over to reach the registration.
    const std::string name = keyName.rfind("V_", 0) == 0 ? "oltrex_" + keyName.substr(2) : keyName;
    return name + (secondGeneration ? ".dlb" : ".1.dlb");
}

int runSdCardCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
    auto usage = [&](const std::string& why) {
        err << "oltrex-keytool: " << why << "\nUsage: oltrex-keytool sdcard <card folder> [NAME...] [--seed N] "
               "[--time T]\n";
        return 2;
    };
    if (args.positional.empty()) return usage("sdcard takes a card folder");
    std::uint64_t seed = 1;
    std::uint32_t time = testdata::kDefaultDownloadTime;
    if (const auto s = args.value("seed"); s && !parseCount(*s, seed)) return usage("--seed takes a decimal number");
    if (const auto t = args.value("time"); t && !parseTime(*t, time))
        return usage("--time takes 8 hex digits or YYYY-MM-DD_hh-mm-ss");

    std::vector<KeyFile> vehicles, cards;
    for (auto& file : testdata::demoKeyFiles(seed, time)) {
        if (!isTachographFile(file)) continue;
        (isCardName(file.name) ? cards : vehicles).push_back(std::move(file));
    }

    std::vector<std::pair<KeyFile, std::string>> planned;  // (file under its card name, source name)
    const std::vector<std::string> names(args.positional.begin() + 1, args.positional.end());
    if (names.empty()) {
        for (const auto* group : {&vehicles, &cards})
            for (const auto& file : *group) planned.push_back({{sdCardFileName(file.name), file.bytes}, file.name});
    } else {
        std::size_t nextVehicle = 0, nextCard = 0;
        for (const auto& name : names) {
            const auto& group = isCardName(name) ? cards : vehicles;
            std::size_t& next = isCardName(name) ? nextCard : nextVehicle;
            if (group.empty()) return usage("the demo set holds no file for " + name);
            const KeyFile& source = group[next++ % group.size()];
            planned.push_back({{name, source.bytes}, source.name});
        }
    }

    const fs::path folder = args.positional.front();
    std::error_code ec;
    fs::create_directories(folder, ec);
    SdCardSink sink(folder);
    int failed = 0;
    for (const auto& [file, source] : planned) {
        std::string error;
        if (!sink.put(file, error)) {
            err << file.name << ": " << error << "\n";
            ++failed;
            continue;
        }
        out << file.name << ": " << source << " in the card's secure form\n";
    }
    out << (planned.size() - failed) << " SD-card files written to " << folder.string() << "\n";
    return failed ? 1 : 0;
}

}  // namespace oltrex::keytool
