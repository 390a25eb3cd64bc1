#pragma once
// A key library whose key information text the test sets, counting calls.
#include <cstdio>
#include <deque>
#include <string>

#include "oltrex/device/KeyLibrary.h"

namespace oltrex::test {

class FakeKeys final : public KeyLibrary {
  public:
    // Texts for the next key-info calls; the last one stays.
    std::deque<std::string> infoTexts{" StickID: OX0012345678 FW-0110"};
    int infoResult = 0;
    int keyInfoCalls = 0;
    int updateModeCalls = 0;
    int calls() const { return keyInfoCalls + updateModeCalls + otherCalls; }

    int keyInfo(char* text, int size) override {
        ++keyInfoCalls;
        const std::string next = infoTexts.front();
        if (infoTexts.size() > 1) infoTexts.pop_front();
        std::snprintf(text, static_cast<std::size_t>(size), "%s", next.c_str());
        return infoResult;
    }
    int firmwareUpdateMode() override {
        ++updateModeCalls;
        return 0;
    }
    int readDirectory(DirectoryBuffers&) override { return ++otherCalls, -1; }
    int readFile(const std::string&, const std::string&) override { return ++otherCalls, -1; }
    int deleteFile(const std::string&) override { return ++otherCalls, -1; }
    int beginSecureMode() override { return ++otherCalls, -1; }
    int endSecureMode() override { return ++otherCalls, -1; }
    int getSerialNumber(char*) override { return ++otherCalls, -1; }
    int initSwDownload() override { return ++otherCalls, -1; }

  private:
    int otherCalls = 0;
};

}  // namespace oltrex::test
