#pragma once
// The container store files one downloaded and classified tachograph file:
// the container maker writes the encrypted container into the container
// folder and, when EU files are wanted, the EU download file into its "EU"
// subfolder (a converted card image replaces that file's content); only then,
// and only when the container is complete and synced, the file is deleted
// from the key (unless "NoDelete" is set).
//
// A file the maker cannot take whole (a block without its end marker, bytes
// that start no block, no block or card image at all) is filed as far as it
// can be, and the key file itself is kept byte for byte in the container
// folder's subfolder "Unvollstaendig", synced with its folder; only then may
// it leave the key.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/Clock.h"

namespace oltrex {

// The container maker's signature (buildContainer); tests put in their own.
using ContainerMakerFn = std::function<int(ConversionContext&, std::string& path,
                                           std::string_view kindName, int firmwareNumber)>;

struct FilingRequest {
    std::string localPath;                // the classified file in the work folder
    std::string kindName;                 // the key's name with the kind letter in front
    std::string keyName;                  // the name as the key listed it (for the delete)
    int firmwareNumber = 0;               // the key's decimal firmware number
    std::vector<std::uint8_t> cardImage;  // EU layout of a converted card, or empty
    std::string rawPath;  // the file as the key gave it: what is kept when it cannot be filed whole
    bool makeEuFile = false;  // "DDD-Datei erstellen"
    bool noDelete = false;    // "NoDelete": never delete from the key
};

struct FilingResult {
    int containerResult = -1;   // the maker's result for the container; 0 = filed
    std::string containerPath;  // the filed container
    int euResult = -1;          // the maker's result for the EU file (-1 when none was made)
    std::string euPath;         // where the EU file ended up, or empty
    bool deleteCalled = false;  // the delete call was made
    int deleteResult = -1;      // its result
    std::string untaken;        // why the maker could not take the whole file; empty when it did
    std::string keptPath;       // where the key file was kept, when it was not taken whole
    bool filed() const { return containerResult == 0; }  // a container was made
    bool whole() const { return filed() && untaken.empty(); }
    bool kept() const { return !keptPath.empty(); }
};

// The container folder's subfolder for key files that could not be filed whole.
inline constexpr const char* kKeptFilesFolder = "Unvollstaendig";

class ContainerStore {
  public:
    static constexpr int kAttempts = 10;
    static constexpr std::uint32_t kRetryWaitMs = 10;

    // `contextOptions` is the template of the conversion context created for
    // every filed file (settings, clock, cipher library, work folder).
    ContainerStore(KeyLibrary& key, ContextOptions contextOptions, Clock& clock,
                   ContainerMakerFn maker = {});

    FilingResult fileDownloadedFile(const FilingRequest& request);

    // The guarded run of the container maker: a safety copy of the local file
    // (path + "2") restores it between up to 10 attempts; an attempt succeeds
    // when the maker returns 0 and the file it names exists. `mode` 0 makes
    // the container, 1 the EU file. Returns the last attempt's result.
    int makeContainer(ConversionContext& context, std::string& path, std::string_view kindName,
                      int firmwareNumber, int mode);

  private:
    std::string containerFolder() const;
    void createContainerFolder() const;
    std::string keepKeyFile(const FilingRequest& request) const;
    std::string placeEuFile(const std::string& containerName, const std::string& producedPath);

    KeyLibrary& key_;
    ContextOptions contextOptions_;
    Clock& clock_;
    ContainerMakerFn maker_;
};

}  // namespace oltrex
