#include "oltrex/sdimport/ConsoleImport.h"

#include <istream>
#include <ostream>

#include "oltrex/drives/DriveChoice.h"
#include "oltrex/sdimport/SdCardImport.h"

namespace oltrex {

ConsoleDriveChooser::ConsoleDriveChooser(std::istream& in, std::ostream& out, DriveSources sources)
    : in_(in), out_(out), sources_(std::move(sources)) {}

bool ConsoleDriveChooser::chooseDrive(std::string& rootText) {
    DriveScanner scanner(sources_);
    scanner.scanDrives();
    // The same list as the window's chooser.
    const std::vector<DriveChoice> drives = driveChoices(scanner.drives());

    out_ << kKeyFetchCaption << "\nBitte wählen Sie ein Laufwerk aus:\n(Buchstabe aus Explorer ersichtlich)\n";
    for (std::size_t i = 0; i < drives.size(); ++i) out_ << "  " << (i + 1) << "  " << drives[i].text << '\n';
    for (;;) {
        out_ << "Laufwerk [" << (drives.empty() ? 0 : 1) << "], a = Abbrechen: " << std::flush;
        std::string line;
        if (!std::getline(in_, line)) {
            out_ << '\n';
            rootText.clear();
            return false;
        }
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        while (!line.empty() && line.front() == ' ') line.erase(0, 1);
        if (line == "a" || line == "A") {
            rootText.clear();
            return false;
        }
        if (line.empty()) {
            rootText = drives.empty() ? std::string() : drives.front().rootText;
            return true;
        }
        std::size_t pick = 0;
        bool number = line.find_first_not_of("0123456789") == std::string::npos && line.size() < 6;
        if (number) pick = std::stoul(line);
        if (number && pick >= 1 && pick <= drives.size()) {
            rootText = drives[pick - 1].rootText;
            return true;
        }
        out_ << "Keine gültige Auswahl.\n";
    }
}

int runConsoleSdImport(ContainerStore& store, Clock& clock, const std::filesystem::path& workFolder,
                       const ConsoleSdImportOptions& options, std::istream& in, std::ostream& out) {
    SdCardImport import(store, clock, options.drives, workFolder);
    ConsoleDriveChooser chooser(in, out, options.drives);
    SdImportRequest request;
    request.makeEuFile = options.makeEuFile;
    request.firmwareNumber = options.firmwareNumber;
    request.namedDrive = options.mountPoint;
    const SdImportResult result = import.run(request, chooser);
    if (result.cancelled) return kSdImportCancelled;
    for (const SdFileReport& file : result.files) {
        if (file.outcome != SdFileOutcome::Kept) continue;
        out << file.title << ": not all of it could be filed (" << file.filing.untaken
            << "); the card file is kept as " << file.filing.keptPath;
        if (file.filing.filed()) out << "; what could be filed is in " << file.filing.containerPath;
        out << '\n';
    }
    if (result.message) out << result.message->text << std::endl;
    if (result.kept() > 0) return kSdImportFilesKept;
    return result.containers() > 0 ? kSdImportContainersMade : kSdImportNothingFound;
}

int runConsoleSdImport(const ConsoleSdImportEnvironment& env, const ConsoleSdImportOptions& options,
                       std::istream& in, std::ostream& out) {
    ContextOptions context;
    context.settings = &env.settings;
    context.clock = &env.clock;
    if (!env.cipherLibrary.empty()) context.cipherLibrary = env.cipherLibrary;
    context.workFolder = env.workFolder;
    ContainerStore store(env.key, context, env.clock);
    return runConsoleSdImport(store, env.clock, env.workFolder, options, in, out);
}

}  // namespace oltrex
