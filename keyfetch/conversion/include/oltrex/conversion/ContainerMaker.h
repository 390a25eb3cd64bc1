#pragma once
// The container maker: turns one downloaded tachograph file (vehicle-unit
// blocks or a card image, as the key delivers them) into
//   mode 0: an encrypted download container (".dlc") in the container folder,
//   mode 1: an EU download file (".DDD") in its "EU" subfolder,
// named after its content. The caller holds containerRunMutex() around a run.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "oltrex/blockscan/BlockScan.h"
#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/conversion/KeySets.h"
#include "oltrex/platform/Clock.h"

namespace oltrex {

inline constexpr int kContainerOk = 0;
inline constexpr int kContainerOpenFailed = -1;  // local file unreadable, or unusable context
inline constexpr int kContainerBroken = -2;      // the run broke off (e.g. the cipher failed)
inline constexpr int kContainerNothingToFile =
    -3;  // no block with data and no card image: nothing filed
inline constexpr int kContainerCreateFailed = -13;  // working or filed file cannot be created

inline constexpr std::size_t kHeaderBlockSize = 228;
inline constexpr std::size_t kHeaderTimeOffset = 223;
inline constexpr char kWorkingContainerName[] = "newContainer.dlc";

// Runs of the maker: reads the container folder ("ContainerPath") into
// context.folder, reads the local file at `path`, files the product and
// deletes the local file. On 0 `path` holds the full path of the filed file,
// which is complete, flushed and synced. On failure `path` is unchanged.
// Every run sets context.untaken: empty when the product holds all of the
// file, else why not (a block without its end marker, bytes that start no
// block); such a product holds what could be taken. A file with nothing to
// take gives kContainerNothingToFile and no product.
int buildContainer(ConversionContext& context, std::string& path, std::string_view kindName,
                   int firmwareNumber);

// AES-CBC of `data` with a key set through the context's cipher entry points
// (registers 1-3 in, 4 out; all four are empty again afterwards). The result
// is the ciphertext without the 16 bytes the library appends. nullopt when
// the context is unusable or the library fails.
std::optional<std::vector<std::uint8_t>> encryptBlock(const ConversionContext& context,
                                                      std::span<const std::uint8_t> data,
                                                      KeySetId keySet);

// ---- Pieces of a run, usable on their own ---------------------------------

// The maker recognises and records the tags of isVehicleUnitTag (BlockScan.h).
// The "S" blocks, 0x7611-0x7619:
bool isSmartTag(std::uint16_t tag);

// The 228-byte header block.
std::vector<std::uint8_t> makeHeaderBlock(int installationClass, const LocalTime& headerTime);

}  // namespace oltrex
