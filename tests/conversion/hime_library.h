#pragma once
// Test access to the cipher library, loaded at run time and never linked, as
// the program loads it: libhime.so by path from $OLTREX_BIN; on Windows
// hime.dll by name (it lies beside the test program).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "hime.h"
#include "oltrex/platform/DynamicLibrary.h"

namespace oltrex::testing {

class HimeLibrary {
public:
    HimeLibrary() {
#ifdef _WIN32
        const std::string path = "hime.dll";
#else
        const char* bin = std::getenv("OLTREX_BIN");
        const std::string path = std::string(bin ? bin : ".") + "/libhime.so";
#endif
        if (!library_.open(path)) return;
        put = reinterpret_cast<HI_PUTREGADD_fn>(library_.symbol("HI_PUTREGADD"));
        get = reinterpret_cast<HI_GETREG_fn>(library_.symbol("HI_GETREG"));
        length = reinterpret_cast<HI_REGGETLEN_fn>(library_.symbol("HI_REGGETLEN"));
        encrypt = reinterpret_cast<HI_ENCRYPT_AES_CBC_fn>(library_.symbol("HI_ENCRYPT_AES_CBC"));
        decrypt = reinterpret_cast<HI_DECRYPT_AES_CBC_fn>(library_.symbol("HI_DECRYPT_AES_CBC"));
        clear = reinterpret_cast<HI_REGCLEAR_fn>(library_.symbol("HI_REGCLEAR"));
    }
    bool loaded() const { return put && get && length && encrypt && decrypt && clear; }
    std::string error() const { return library_.error(); }

    // The bytes of a register.
    std::vector<std::uint8_t> bytes(int reg) const {
        const auto* data = static_cast<const std::uint8_t*>(get(reg));
        const int size = length(reg);
        if (data == nullptr || size <= 0) return {};
        return {data, data + size};
    }
    int putText(int reg, const std::string& text) const {
        return put(reg, text.data(), static_cast<int>(text.size()));
    }
    int putBytes(int reg, const std::vector<std::uint8_t>& data) const {
        return put(reg, data.data(), static_cast<int>(data.size()));
    }
    void clearAll() const {
        for (int reg = 0; reg < HI_REGISTER_COUNT; ++reg) clear(reg);
    }

    HI_PUTREGADD_fn put = nullptr;
    HI_GETREG_fn get = nullptr;
    HI_REGGETLEN_fn length = nullptr;
    HI_ENCRYPT_AES_CBC_fn encrypt = nullptr;
    HI_DECRYPT_AES_CBC_fn decrypt = nullptr;
    HI_REGCLEAR_fn clear = nullptr;

private:
    DynamicLibrary library_;
};

// A fixture whose registers start empty in every test.
class HimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(hime.loaded()) << "cipher library not loadable: " << hime.error();
        hime.clearAll();
    }
    void TearDown() override {
        if (hime.loaded()) hime.clearAll();
    }
    HimeLibrary hime;
};

}  // namespace oltrex::testing
