#include "oltrex/keyfetch/ContainerStore.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "oltrex/conversion/ContainerMaker.h"
#include "oltrex/conversion/Naming.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/platform/Trace.h"

namespace oltrex {
namespace fs = std::filesystem;

namespace {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(pathFromUtf8(path), ec);
}

void removeIfPresent(const std::string& path) {
    std::error_code ec;
    fs::remove(pathFromUtf8(path), ec);
}

bool copyFile(const std::string& from, const std::string& to, bool overwrite) {
    std::error_code ec;
    return oltrex::copyFile(pathFromUtf8(from), pathFromUtf8(to), overwrite, ec);
}

// The container must be on disk, complete and synced before the key may let
// go of the file: a non-empty regular file, fsynced together with its folder.
bool containerIsSafe(const std::string& text) {
    const fs::path path = pathFromUtf8(text);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) == 0 || ec) return false;
    const fs::path folder = path.parent_path();
    return syncFile(path, ec) && syncFolder(folder.empty() ? fs::path(".") : folder, ec);
}

}  // namespace

ContainerStore::ContainerStore(KeyLibrary& key, ContextOptions contextOptions, Clock& clock,
                               ContainerMakerFn maker)
    : key_(key),
      contextOptions_(std::move(contextOptions)),
      clock_(clock),
      maker_(std::move(maker)) {
    if (!maker_)
        maker_ = [](ConversionContext& c, std::string& p, std::string_view k, int f) {
            return buildContainer(c, p, k, f);
        };
}

int ContainerStore::makeContainer(ConversionContext& context, std::string& path,
                                  std::string_view kindName, int firmwareNumber, int mode) {
    if (!context.usable()) return -1;

    const std::string original = path;
    const std::string safetyCopy = original + "2";
    removeIfPresent(safetyCopy);
    copyFile(original, safetyCopy, true);

    int result = -1;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!fileExists(path)) {
            // The maker consumes the local file; the safety copy brings it back.
            path = original;
            copyFile(safetyCopy, path, true);
        }
        context.mode = mode;
        result = maker_(context, path, kindName, firmwareNumber);
        context.mode = 0;
        if (result == 0 && fileExists(path)) break;
        if (result == kContainerNothingToFile) break;  // the same file gives the same answer
        if (result == 0) result = -1;                  // "success" without a product is no success
        if (attempt + 1 < kAttempts) clock_.sleepMs(kRetryWaitMs);
    }
    removeIfPresent(safetyCopy);
    return result;
}

std::string ContainerStore::placeEuFile(const std::string& containerName,
                                        const std::string& producedPath) {
    const PathParts produced = splitPath(producedPath);
    std::string base = splitPath(containerName).base;
    // A container numbered because of a name collision ("...[3]") gives an EU
    // name without that number when it is free.
    const auto bracket = base.rfind('[');
    const bool numbered = bracket != std::string::npos;
    if (numbered) base.erase(bracket);
    if (!base.empty() && base[0] == 'V') base[0] = 'M';

    std::string suffix;
    if (numbered) {
        for (int i = 1; fileExists(produced.folder + base + suffix + produced.ext); ++i)
            suffix = "[" + std::to_string(i) + "]";
    }
    const std::string target = produced.folder + base + suffix + produced.ext;
    if (target == producedPath) return producedPath;
    // An EU file of that name is never replaced: the new one keeps the name the maker gave it.
    std::error_code ec;
    return moveWithoutReplacing(pathFromUtf8(producedPath), pathFromUtf8(target), ec) ? target
                                                                                     : producedPath;
}

std::string ContainerStore::containerFolder() const {
    const SettingsStore& settings =
        contextOptions_.settings ? *contextOptions_.settings : machineSettings();
    const SettingResult folder = settings.read(kTachographSettingsPath, "ContainerPath");
    return folder.found() ? folder.value : std::string();
}

void ContainerStore::createContainerFolder() const {
    const std::string folder = containerFolder();
    if (folder.empty()) return;
    std::error_code ec;
    fs::create_directories(pathFromUtf8(folder), ec);
}

std::string ContainerStore::keepKeyFile(const FilingRequest& request) const {
    std::error_code ec;
    Bytes bytes;
    if (request.rawPath.empty() || !readWholeFile(pathFromUtf8(request.rawPath), bytes, ec)) {
        tracef("the key file %s cannot be kept: %s\r\n", request.keyName.c_str(),
               request.rawPath.empty() ? "no copy of it" : ec.message().c_str());
        return {};
    }
    // Like the containers, relative to the current folder when no folder is set.
    const std::string parent = containerFolder().empty() ? std::string(".") : containerFolder();
    const std::string folder = joinPath(parent, kKeptFilesFolder);
    fs::create_directories(pathFromUtf8(folder), ec);
    // The subfolder's own entry must survive a crash as well as the file in it.
    if (!syncFolder(pathFromUtf8(parent), ec)) {
        tracef("the key file %s cannot be kept in %s: %s\r\n", request.keyName.c_str(),
               folder.c_str(), ec.message().c_str());
        return {};
    }
    std::string name = request.keyName;
    makeFileNameSafe(name);
    if (name.empty() || name.front() == '.') name.insert(name.begin(), '_');
    std::string path = joinPath(folder, name);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        makeUniquePath(path);
        // Created only under a free name, written, synced with its folder.
        if (createNewFile(pathFromUtf8(path), bytes.data(), bytes.size(), ec)) return path;
        if (ec != std::errc::file_exists) break;
    }
    tracef("the key file %s cannot be kept as %s: %s\r\n", request.keyName.c_str(), path.c_str(),
           ec.message().c_str());
    return {};
}

FilingResult ContainerStore::fileDownloadedFile(const FilingRequest& request) {
    FilingResult result;
    {
        // Container runs share working names and the cipher library's registers.
        std::lock_guard runLock(containerRunMutex());
        ConversionContext context(contextOptions_);

        const std::string euCopy = request.localPath + ".tmpdlt";
        removeIfPresent(euCopy);
        if (request.makeEuFile) copyFile(request.localPath, euCopy, true);

        // The container folder is made when missing, as the EU run makes it and its "EU" subfolder.
        createContainerFolder();
        std::string path = request.localPath;
        result.containerResult =
            makeContainer(context, path, request.kindName, request.firmwareNumber, 0);
        if (result.filed()) result.containerPath = path;
        const bool nothingToFile = result.containerResult == kContainerNothingToFile;
        if (result.filed() || nothingToFile) result.untaken = context.untaken;
        const std::string containerName = fileNameOf(path);

        // The EU file is made for filed containers only: a failed run leaves no
        // container folder in the context to place it in.
        if (request.makeEuFile && result.filed() && copyFile(euCopy, request.localPath, false)) {
            std::string folder = context.folder;
            appendSeparator(folder);
            std::error_code ec;
            if (!folder.empty()) fs::create_directories(pathFromUtf8(folder), ec);
            const std::string euPart = std::string(1, kPathSep) + euSubfolder();
            if ((std::string(1, kPathSep) + folder).find(euPart) == std::string::npos) folder += euSubfolder();
            fs::create_directories(pathFromUtf8(folder), ec);
            context.folder = folder;

            std::string euPath = request.localPath;
            result.euResult =
                makeContainer(context, euPath, request.kindName, request.firmwareNumber, 1);
            if (result.euResult == 0 && euPath != result.containerPath)
                result.euPath = placeEuFile(containerName, euPath);

            if (!request.cardImage.empty() && !result.euPath.empty()) {
                // The converted card image is the card's EU file.
                if (!replaceFile(pathFromUtf8(result.euPath), request.cardImage, ec))
                    tracef("card image not written to %s: %s\r\n", result.euPath.c_str(),
                           ec.message().c_str());
            }
        }
        removeIfPresent(euCopy);
        removeIfPresent(request.localPath);

        if (!result.untaken.empty()) {
            result.keptPath = keepKeyFile(request);
            tracef("%s: not all of it could be filed (%s); %s\r\n", request.keyName.c_str(),
                   result.untaken.c_str(),
                   result.kept() ? ("the key file is kept as " + result.keptPath).c_str()
                                 : "the key file could not be kept");
        }
    }

    if (!result.filed() && !result.kept()) {
        trace("container not made; the file stays on the key: " + request.keyName + "\r\n");
        return result;
    }
    // What could not be filed leaves the key only when the key file is kept.
    if (!result.untaken.empty() && !result.kept()) {
        trace("not filed whole; the file stays on the key: " + request.keyName + "\r\n");
        return result;
    }
    if (request.noDelete) return result;
    if (result.filed() && !containerIsSafe(result.containerPath)) {
        trace("container not safely on disk; the file stays on the key: " + request.keyName +
              "\r\n");
        return result;
    }
    result.deleteCalled = true;
    result.deleteResult = key_.deleteFile(request.keyName);
    return result;
}

}  // namespace oltrex
