#include "KeyTool.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>

#include "Arguments.h"
#include "KeyFileSink.h"
#include "KeyListing.h"
#include "KeyRules.h"
#include "SdCardFiles.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/testdata/DemoKey.h"
#include "oltrex/testdata/EuImport.h"
#include "oltrex/testdata/FileNames.h"

namespace oltrex::keytool {

namespace {

namespace fs = std::filesystem;
using namespace oltrex::testdata;

constexpr const char* kUsage = R"(oltrex-keytool - makes simulated Oltrex-Keys (key folders) and looks into them

Usage: oltrex-keytool <command> [arguments] [options]

Commands:
  empty <key>                 a new key without files
  demo <key>                  a new key with the demo files: two vehicle units of each
                              generation (one an "S" file), driver, workshop, control and
                              company cards of both generations, a log file and a TREP file
  protected <key>             a demo key that is read with the transport protection
                              (default series OX, firmware 0150; also e.g. OB 0102)
  secure <key>                a demo key that is read in secure mode
                              (default series OX, firmware 0830)
  import <key> <file>...      EU download files (.DDD, .TGD) into the key's form; a file
                              that does not walk to its exact end is refused
  export <key> <name> <file>  a key file written out as an EU download file
  sdcard <folder> [NAME...]   the demo set's tachograph files as an Oltrex-Funke leaves
                              them on its SD card (secure form; see docs/simulated-key.md)
  list <key>                  the key's identity and files
  help                        this text

<key> is the key's folder (key.ini and files/); $OLTREX_KEY names the key the
simulated adapter holds. A new key is built beside <key> and moved into place
when complete; <key> must not exist or be an empty folder. Existing files are
never replaced.

Options of the commands that make a key (empty, demo, protected, secure, import --create):
  --series XX           two letters (default OX)
  --number NNNNNNNNNN   ten digits (default 0012345678)
  --firmware NNNN       four digits (default 0110: plain read, no secure mode)
  --fail-read NAME,...  reads of these files fail
  --fail-keyinfo        the key information call fails
  --read-delay MS       delay of every file read in milliseconds
Options of demo, protected and secure:
  --seed N              seed of the generated files (default 1)
  --workshop-holder N   surname of the workshop cards (Latin-1 letters, e.g. "Müller")
  --time T              download time of the newest file, 8 hex digits or
                        YYYY-MM-DD_hh-mm-ss, UTC (default 2022-03-11_14-05-09)
Options of import:
  --create              make a new key for the imported files
  --time T              time for names of files that hold no valid time (default: now)

Exit status: 0 done, 1 a command failed or a file was refused, 2 wrong usage.
)";

struct Context {
    const Arguments& args;
    std::ostream& out;
    std::ostream& err;
};

int usageError(Context& c, const std::string& why) {
    c.err << "oltrex-keytool: " << why << "\nTry 'oltrex-keytool help'.\n";
    return 2;
}

int failure(Context& c, const std::string& why) {
    c.err << "oltrex-keytool: " << why << "\n";
    return 1;
}

bool parseTime(const std::string& text, std::uint32_t& out) {
    if (text == "now") {
        out = static_cast<std::uint32_t>(std::time(nullptr));
        return true;
    }
    if (text.size() == 8 && text.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos) {
        out = static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
        return true;
    }
    CalendarTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d_%2d-%2d-%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                    &t.second, &tail) != 6)
        return false;
    if (t.year < 1970 || t.year > 2105 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        return false;
    out = secondsFromCalendar(t);
    return true;
}

bool parseUnsigned(const std::string& text, std::uint64_t& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18) return false;
    out = std::stoull(text);
    return true;
}

// Identity and faults of a new key from the options, with the command's default firmware.
bool keySettings(Context& c, const std::string& defaultFirmware, simkey::KeyIdentity& id, simkey::KeyFaults& faults,
                 std::string& error) {
    id.series = c.args.value("series").value_or("OX");
    id.number = c.args.value("number").value_or("0012345678");
    id.firmware = c.args.value("firmware").value_or(defaultFirmware);
    if (!simkey::isValidIdentity(id, &error)) return false;
    if (const auto names = c.args.value("fail-read")) {
        std::size_t start = 0;
        while (start <= names->size()) {
            const auto comma = names->find(',', start);
            const std::string name = names->substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            if (!name.empty()) faults.failRead.push_back(name);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    faults.failKeyInfo = c.args.has("fail-keyinfo");
    if (const auto delay = c.args.value("read-delay")) {
        std::uint64_t ms = 0;
        if (!parseUnsigned(*delay, ms) || ms > 600000) {
            error = "--read-delay takes milliseconds (0-600000)";
            return false;
        }
        faults.readDelayMs = static_cast<std::uint32_t>(ms);
    }
    return true;
}

std::optional<fs::path> keyFolderArgument(Context& c, std::size_t expected) {
    if (c.args.positional.size() != expected) return std::nullopt;
    return fs::path(c.args.positional.front());
}

// Makes a new key from the options and the files `fill` puts into it.
int makeKeyCommand(Context& c, const std::string& defaultFirmware,
                   const std::function<bool(simkey::KeyIdentity&, std::string&)>& checkIdentity,
                   const std::vector<KeyFile>& files) {
    const auto folder = keyFolderArgument(c, 1);
    if (!folder) return usageError(c, c.args.command + " takes one key folder");
    simkey::KeyIdentity id;
    simkey::KeyFaults faults;
    std::string error;
    if (!keySettings(c, defaultFirmware, id, faults, error)) return usageError(c, error);
    if (checkIdentity && !checkIdentity(id, error)) return usageError(c, error);
    const bool ok = makeKey(*folder, id, faults, [&](KeyFileSink& sink, std::string& why) {
        for (const auto& file : files)
            if (!sink.put(file, why)) return false;
        return true;
    }, error);
    if (!ok) return failure(c, error);
    c.out << "made key " << id.series << id.number << " FW-" << id.firmware << " at " << folder->string() << " with "
          << files.size() << " files\n";
    return 0;
}

bool demoFiles(Context& c, std::vector<KeyFile>& files, std::string& error) {
    std::uint64_t seed = 1;
    std::uint32_t time = kDefaultDownloadTime;
    if (const auto s = c.args.value("seed"); s && !parseUnsigned(*s, seed)) {
        error = "--seed takes a decimal number";
        return false;
    }
    if (const auto t = c.args.value("time"); t && !parseTime(*t, time)) {
        error = "--time takes 8 hex digits or YYYY-MM-DD_hh-mm-ss";
        return false;
    }
    // The card holds Latin-1: a UTF-8 name is taken character by character.
    std::string holder;
    const std::string given = c.args.value("workshop-holder").value_or("");
    for (std::size_t i = 0; i < given.size(); ++i) {
        const auto b = static_cast<unsigned char>(given[i]);
        if (b < 0x80) {
            holder += given[i];
        } else if ((b == 0xC2 || b == 0xC3) && i + 1 < given.size()) {
            holder += static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(given[++i]) & 0x3F));
        } else {
            error = "--workshop-holder takes Latin-1 letters only";
            return false;
        }
    }
    files = demoKeyFiles(seed, time, holder);
    return true;
}

// Firmware of plain keys: read without transport protection and without secure mode.
constexpr const char* kPlainFirmware = "0110";

int commandEmpty(Context& c) { return makeKeyCommand(c, kPlainFirmware, nullptr, {}); }

int commandDemo(Context& c, const std::string& defaultFirmware,
                const std::function<bool(simkey::KeyIdentity&, std::string&)>& checkIdentity) {
    std::vector<KeyFile> files;
    std::string error;
    if (!demoFiles(c, files, error)) return usageError(c, error);
    return makeKeyCommand(c, defaultFirmware, checkIdentity, files);
}

int commandProtected(Context& c) {
    return commandDemo(c, "0150", [](simkey::KeyIdentity& id, std::string& error) {
        if (needsProtectedRead(id.series, std::stoi(id.firmware))) return true;
        error = "series " + id.series + " with firmware " + id.firmware + " is not read with the transport protection";
        return false;
    });
}

int commandSecure(Context& c) {
    return commandDemo(c, "0830", [](simkey::KeyIdentity& id, std::string& error) {
        if (needsSecureMode(id.series, std::stoi(id.firmware))) return true;
        error = "series " + id.series + " with firmware " + id.firmware + " is not read in secure mode";
        return false;
    });
}

int commandImport(Context& c) {
    if (c.args.positional.size() < 2) return usageError(c, "import takes a key folder and at least one EU file");
    const fs::path folder = c.args.positional.front();
    std::uint32_t fallback = 0;
    if (!parseTime(c.args.value("time").value_or("now"), fallback))
        return usageError(c, "--time takes 8 hex digits or YYYY-MM-DD_hh-mm-ss");

    std::vector<KeyFile> accepted;
    int refused = 0;
    for (std::size_t i = 1; i < c.args.positional.size(); ++i) {
        const std::string& path = c.args.positional[i];
        oltrex::Bytes bytes;
        std::error_code ec;
        if (!oltrex::readWholeFile(path, bytes, ec)) {
            c.err << path << ": cannot read: " << ec.message() << "\n";
            ++refused;
            continue;
        }
        ImportRefusal refusal;
        auto imported = importEuFile(bytes, path, fallback, refusal);
        if (!imported) {
            c.err << refusal.message() << "\n";
            ++refused;
            continue;
        }
        const bool taken = std::any_of(accepted.begin(), accepted.end(),
                                       [&](const KeyFile& f) { return f.name == imported->file.name; });
        if (taken) {
            c.err << path << ": not imported: another file of this import is named \"" << imported->file.name << "\"\n";
            ++refused;
            continue;
        }
        c.out << path << ": " << imported->file.name << " (" << imported->file.bytes.size() << " bytes)\n";
        accepted.push_back(std::move(imported->file));
    }

    std::string error;
    std::size_t stored = accepted.size();
    if (c.args.has("create")) {
        simkey::KeyIdentity id;
        simkey::KeyFaults faults;
        if (!keySettings(c, kPlainFirmware, id, faults, error)) return usageError(c, error);
        const bool ok = makeKey(folder, id, faults, [&](KeyFileSink& sink, std::string& why) {
            for (const auto& file : accepted)
                if (!sink.put(file, why)) return false;
            return true;
        }, error);
        if (!ok) return failure(c, error);
    } else {
        if (!simkey::isKeyPlugged(folder)) return failure(c, folder.string() + " is not a key (no key.ini); use --create");
        KeyFolderSink sink(folder);
        for (const auto& file : accepted) {
            if (!sink.put(file, error)) {
                c.err << file.name << ": " << error << "\n";
                ++refused;
                --stored;
            }
        }
    }
    c.out << stored << " imported, " << refused << " refused\n";
    return refused ? 1 : 0;
}

int commandExport(Context& c) {
    if (c.args.positional.size() != 3) return usageError(c, "export takes a key folder, a file name and an output file");
    const fs::path folder = c.args.positional[0];
    const std::string& name = c.args.positional[1];
    const fs::path output = c.args.positional[2];
    std::string error;
    const auto bytes = simkey::readKeyFile(folder, name, &error);
    if (!bytes) return failure(c, error);
    WalkError walk;
    const auto eu = euFileOfKeyForm(*bytes, walk);
    if (!eu) return failure(c, name + ": not in the key's form, offset " + std::to_string(walk.offset) + ": " + walk.reason);
    std::error_code ec;
    if (!oltrex::createNewFile(output, eu->data(), eu->size(), ec))
        return failure(c, "cannot create " + output.string() + ": " + ec.message() + " (existing files are not replaced)");
    c.out << name << ": " << eu->size() << " bytes to " << output.string() << "\n";
    return 0;
}

int commandList(Context& c) {
    const auto folder = keyFolderArgument(c, 1);
    if (!folder) return usageError(c, "list takes one key folder");
    std::string error;
    if (!listKey(*folder, c.out, error)) return failure(c, error);
    return 0;
}

struct Command {
    const char* name;
    std::function<int(Context&)> run;
};

}  // namespace

int runKeyTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Arguments parsed;
    std::string error;
    if (!parseArguments(args, {"create", "fail-keyinfo", "help"}, parsed, error)) {
        err << "oltrex-keytool: " << error << "\n";
        return 2;
    }
    Context c{parsed, out, err};
    if (parsed.command.empty() || parsed.command == "help" || parsed.has("help") || parsed.command == "-h") {
        out << kUsage;
        return parsed.command.empty() && !parsed.has("help") ? 2 : 0;
    }
    // A further output (the Oltrex-Funke's SD-card files) becomes one more entry here.
    const std::vector<Command> commands{
        {"empty", commandEmpty},
        {"demo", [](Context& ctx) { return commandDemo(ctx, kPlainFirmware, nullptr); }},
        {"protected", commandProtected},
        {"secure", commandSecure},
        {"import", commandImport},
        {"export", commandExport},
        {"list", commandList},
        {"sdcard", [](Context& ctx) { return runSdCardCommand(ctx.args, ctx.out, ctx.err); }},
    };
    for (const auto& command : commands)
        if (parsed.command == command.name) return command.run(c);
    return usageError(c, "unknown command \"" + parsed.command + "\"");
}

}  // namespace oltrex::keytool
