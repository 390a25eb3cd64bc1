#pragma once
// The programs' one access point to the key library. KeyFetch calls it from
// its poller thread and, for the SD-card import, from the dialog thread: every
// call is serialised by one lock. Tests substitute their own implementation.
#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "oltrex/device/keylink.h"

namespace oltrex {

// The 128 directory buffers of 100 bytes and the pointer array handed to the library.
struct DirectoryBuffers {
    std::array<std::array<char, KL_DIR_ENTRY_SIZE>, KL_DIR_ENTRIES> buffers{};
    std::array<char*, KL_DIR_ENTRIES> pointers{};
    DirectoryBuffers() { clear(); }
    void clear() {
        for (std::size_t i = 0; i < buffers.size(); ++i) {
            buffers[i].fill('\0');
            pointers[i] = buffers[i].data();
        }
    }
    // Entry i as text (never reads past its buffer).
    std::string entry(std::size_t i) const;
};

class KeyLibrary {
public:
    virtual ~KeyLibrary() = default;
    // Key info into a zeroed buffer of `size` bytes (the callers use 128, 500 or 32).
    virtual int keyInfo(char* text, int size) = 0;
    virtual int readDirectory(DirectoryBuffers& dir) = 0;
    virtual int readFile(const std::string& remoteName, const std::string& localPath) = 0;
    virtual int deleteFile(const std::string& name) = 0;
    virtual int firmwareUpdateMode() = 0;
    virtual int beginSecureMode() = 0;
    virtual int endSecureMode() = 0;
    virtual int getSerialNumber(char* record) = 0;
    virtual int initSwDownload() = 0;

    // Convenience: key info as text through a zeroed buffer of `bufferSize` bytes;
    // returns the library's result.
    int keyInfoText(std::string& text, int bufferSize);
};

// The linked library (libkeylink.so), every call under one process-wide lock.
class LinkedKeyLibrary final : public KeyLibrary {
public:
    int keyInfo(char* text, int size) override;
    int readDirectory(DirectoryBuffers& dir) override;
    int readFile(const std::string& remoteName, const std::string& localPath) override;
    int deleteFile(const std::string& name) override;
    int firmwareUpdateMode() override;
    int beginSecureMode() override;
    int endSecureMode() override;
    int getSerialNumber(char* record) override;
    int initSwDownload() override;

private:
    static std::mutex& lock();
};

// The process-wide linked library.
KeyLibrary& keyLibrary();

}  // namespace oltrex
