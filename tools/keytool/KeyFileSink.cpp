#include "KeyFileSink.h"

#include <system_error>

#include "oltrex/platform/Process.h"
#include "oltrex/platform/SafeFile.h"

namespace oltrex::keytool {

namespace fs = std::filesystem;

bool KeyFolderSink::put(const testdata::KeyFile& file, std::string& error) {
    if (!simkey::isPlainFileName(file.name)) {
        error = "\"" + file.name + "\" is not a name the key can hold";
        return false;
    }
    std::error_code ec;
    if (fs::exists(simkey::keyFilePath(folder_, file.name), ec)) {
        error = "the key already holds a file named \"" + file.name + "\"";
        return false;
    }
    return simkey::writeKeyFile(folder_, file.name, file.bytes, &error);
}

bool makeKey(const fs::path& folder, const simkey::KeyIdentity& identity, const simkey::KeyFaults& faults,
             const std::function<bool(KeyFileSink&, std::string&)>& fill, std::string& error) {
    std::error_code ec;
    if (fs::exists(folder, ec) && !(fs::is_directory(folder, ec) && fs::is_empty(folder, ec))) {
        error = folder.string() + " already exists and is not an empty folder";
        return false;
    }
    const fs::path target = folder.has_filename() ? folder : folder.parent_path();
    const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    fs::create_directories(parent, ec);
    if (ec) {
        error = "cannot create " + parent.string() + ": " + ec.message();
        return false;
    }
    const fs::path building =
        parent / ("." + target.filename().string() + ".building-" + std::to_string(oltrex::currentProcessId()));
    if (fs::exists(building, ec)) {
        error = building.string() + " is in the way";
        return false;
    }
    bool ok = simkey::createKey(building, identity, &error);
    if (ok && (!faults.failRead.empty() || faults.failKeyInfo || faults.readDelayMs))
        ok = simkey::setFaults(building, faults, &error);
    if (ok) {
        KeyFolderSink sink(building);
        ok = fill(sink, error);
    }
    if (ok) {
        // Renaming over an empty folder replaces it in one step. Windows
        // replaces no folder: there the empty one goes first.
        fs::rename(building, target, ec);
        if (ec && fs::is_directory(target) && fs::is_empty(target) && fs::remove(target, ec))
            fs::rename(building, target, ec);
        if (ec) {
            error = "cannot move the new key to " + target.string() + ": " + ec.message();
            ok = false;
        } else if (!oltrex::syncFolder(parent, ec)) {
            error = "cannot sync " + parent.string() + ": " + ec.message();
            return false;  // the key is in place; only the folder sync failed
        }
    }
    if (!ok) fs::remove_all(building, ec);  // only the folder this call made
    return ok;
}

}  // namespace oltrex::keytool
