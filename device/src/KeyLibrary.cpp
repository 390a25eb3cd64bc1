#include "oltrex/device/KeyLibrary.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "oltrex/platform/PathText.h"

namespace oltrex {

std::string DirectoryBuffers::entry(std::size_t i) const {
    const auto& buffer = buffers.at(i);
    const char* end = std::find(buffer.begin(), buffer.end(), '\0');
    return std::string(buffer.data(), end);
}

int KeyLibrary::keyInfoText(std::string& text, int bufferSize) {
    std::vector<char> buffer(static_cast<std::size_t>(std::max(bufferSize, 1)), '\0');
    int result = keyInfo(buffer.data(), bufferSize);
    buffer.back() = '\0';  // never trust the library to terminate a full buffer
    text.assign(buffer.data());
    return result;
}

std::mutex& LinkedKeyLibrary::lock() {
    static std::mutex mutex;
    return mutex;
}

int LinkedKeyLibrary::keyInfo(char* text, int size) {
    std::lock_guard guard(lock());
    return KL_GetKeyInfo(text, size);
}

int LinkedKeyLibrary::readDirectory(DirectoryBuffers& dir) {
    std::lock_guard guard(lock());
    int result = KL_ReadDirectory(dir.pointers.data());
    for (auto& buffer : dir.buffers) buffer.back() = '\0';
    return result;
}

int LinkedKeyLibrary::readFile(const std::string& remoteName, const std::string& localPath) {
    // The library takes single-byte texts: on Windows the local path goes over
    // in the system's code page.
    const std::string path = systemCodePageText(localPath);
    std::lock_guard guard(lock());
    return KL_ReadFile(remoteName.c_str(), path.c_str());
}

int LinkedKeyLibrary::deleteFile(const std::string& name) {
    std::lock_guard guard(lock());
    return KL_DeleteFile(name.c_str());
}

int LinkedKeyLibrary::firmwareUpdateMode() {
    std::lock_guard guard(lock());
    return KL_FirmwareUpdateMode();
}

int LinkedKeyLibrary::beginSecureMode() {
    std::lock_guard guard(lock());
    return KL_BeginSecureMode();
}

int LinkedKeyLibrary::endSecureMode() {
    std::lock_guard guard(lock());
    return KL_EndSecureMode();
}

int LinkedKeyLibrary::getSerialNumber(char* record) {
    std::lock_guard guard(lock());
    return _getSerialNumber(record);
}

int LinkedKeyLibrary::initSwDownload() {
    std::lock_guard guard(lock());
    return _initSwDownLoad();
}

KeyLibrary& keyLibrary() {
    static LinkedKeyLibrary library;
    return library;
}

}  // namespace oltrex
