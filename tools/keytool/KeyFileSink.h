#pragma once
// Where the key tool puts the files it makes. A key folder now; the SD-card
// files of the Oltrex-Funke (secure form, "*.dlb") are a second sink to come,
// fed by the same commands.
#include <filesystem>
#include <functional>
#include <string>

#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/testdata/KeyForm.h"

namespace oltrex::keytool {

class KeyFileSink {
public:
    virtual ~KeyFileSink() = default;
    // Stores one file; false with a reason when it cannot (an existing file of
    // that name is never replaced).
    virtual bool put(const testdata::KeyFile& file, std::string& error) = 0;
};

// Files into an existing key folder (files/<name>), each written safely.
class KeyFolderSink final : public KeyFileSink {
public:
    explicit KeyFolderSink(std::filesystem::path folder) : folder_(std::move(folder)) {}
    bool put(const testdata::KeyFile& file, std::string& error) override;

private:
    std::filesystem::path folder_;
};

// Makes a new key at `folder` holding `identity`, `faults` and what `fill`
// puts into it. The key is built in a hidden folder beside it and moved into
// place when complete, so a program watching `folder` never sees half a key.
// `folder` must not exist or be an empty folder.
bool makeKey(const std::filesystem::path& folder, const simkey::KeyIdentity& identity,
             const simkey::KeyFaults& faults, const std::function<bool(KeyFileSink&, std::string&)>& fill,
             std::string& error);

}  // namespace oltrex::keytool
