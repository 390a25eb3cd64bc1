#include "oltrex/conversion/ConversionContext.h"

#include <filesystem>
#include <system_error>

#include "oltrex/platform/Folders.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Trace.h"

namespace oltrex {
namespace {

// Loads a library given by name the way Windows does: from the program's own
// folder first, then through the loader's search path. A path is used as given.
bool openLibrary(DynamicLibrary& library, const std::string& name) {
    if (fileNameOf(name) == name) {
        const auto folder = programFolder();
        const auto path = folder / pathFromUtf8(name);
        if (!folder.empty() && std::filesystem::exists(path) && library.open(utf8Of(path))) return true;
    }
    return library.open(name);
}

}  // namespace

void ConversionContext::Companion::release(int /*flags*/) {}

ConversionContext::ConversionContext(ContextOptions options)
    : settings_(options.settings ? options.settings : &machineSettings()),
      clock_(options.clock ? options.clock : &systemClock()),
      workFolder_(std::move(options.workFolder)) {
    // The folder field first receives the installation type; every container
    // run replaces it by the container folder.
    const SettingResult instTyp = settings_->read(kTachographSettingsPath, "InstTyp");
    if (instTyp.found()) folder = instTyp.value;
    installationClass_ = folder == "BEH" ? kInstallationClassBeh : kInstallationClassDefault;

    companion_ = std::make_unique<Companion>();

    const SettingResult language = settings_->read(kKeySettingsPath, "Language");
    if (language.found()) language_ = language.value;

    loadCipher(options);
}

ConversionContext::~ConversionContext() {
    if (companion_) companion_->release(1);
    cipher_ = {};
    cipherLibrary_.close();
}

void ConversionContext::loadCipher(const ContextOptions& options) {
    unusable_ = -1;
    if (options.cipherTable) {
        cipher_ = *options.cipherTable;
    } else {
        if (!openLibrary(cipherLibrary_, options.cipherLibrary)) {
            tracef("cipher library %s not loaded: %s\r\n", options.cipherLibrary.c_str(),
                   cipherLibrary_.error().c_str());
            return;
        }
        cipher_.putRegAdd = reinterpret_cast<HI_PUTREGADD_fn>(cipherLibrary_.symbol("HI_PUTREGADD"));
        cipher_.getReg = reinterpret_cast<HI_GETREG_fn>(cipherLibrary_.symbol("HI_GETREG"));
        cipher_.regGetLen = reinterpret_cast<HI_REGGETLEN_fn>(cipherLibrary_.symbol("HI_REGGETLEN"));
        cipher_.encryptAesCbc =
            reinterpret_cast<HI_ENCRYPT_AES_CBC_fn>(cipherLibrary_.symbol("HI_ENCRYPT_AES_CBC"));
        cipher_.decryptAesCbc =
            reinterpret_cast<HI_DECRYPT_AES_CBC_fn>(cipherLibrary_.symbol("HI_DECRYPT_AES_CBC"));
        cipher_.regClear = reinterpret_cast<HI_REGCLEAR_fn>(cipherLibrary_.symbol("HI_REGCLEAR"));
    }
    if (!cipher_.complete()) {
        trace("cipher library lacks an entry point\r\n");
        cipher_ = {};
        cipherLibrary_.close();
        return;
    }
    unusable_ = 0;
}

std::mutex& containerRunMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace oltrex
