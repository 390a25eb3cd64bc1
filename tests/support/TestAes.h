#pragma once
// AES-192-CBC with PKCS#7 padding for the tests, independent of the cipher
// library under test: libcrypto on Linux, the system's bcrypt.dll on Windows.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on
#else
#include <openssl/evp.h>
#endif

namespace oltrex::testaes {

inline std::optional<std::vector<std::uint8_t>> aes192Cbc(bool encrypt, const std::string& key,
                                                          const std::string& iv, const std::uint8_t* data,
                                                          std::size_t size) {
    std::vector<std::uint8_t> out(size + 32);
#ifdef _WIN32
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE handle = nullptr;
    std::vector<std::uint8_t> vector(iv.begin(), iv.end());
    ULONG produced = 0;
    bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0) == 0 &&
              BCryptSetProperty(algorithm, BCRYPT_CHAINING_MODE,
                                reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                                sizeof(BCRYPT_CHAIN_MODE_CBC), 0) == 0 &&
              BCryptGenerateSymmetricKey(algorithm, &handle, nullptr, 0,
                                         reinterpret_cast<PUCHAR>(const_cast<char*>(key.data())),
                                         static_cast<ULONG>(key.size()), 0) == 0;
    if (ok) {
        auto* input = const_cast<PUCHAR>(data);
        const auto inputSize = static_cast<ULONG>(size);
        ok = (encrypt ? BCryptEncrypt(handle, input, inputSize, nullptr, vector.data(),
                                      static_cast<ULONG>(vector.size()), out.data(),
                                      static_cast<ULONG>(out.size()), &produced, BCRYPT_BLOCK_PADDING)
                      : BCryptDecrypt(handle, input, inputSize, nullptr, vector.data(),
                                      static_cast<ULONG>(vector.size()), out.data(),
                                      static_cast<ULONG>(out.size()), &produced, 0)) == 0;
    }
    if (handle) BCryptDestroyKey(handle);
    if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok) return std::nullopt;
    out.resize(produced);
    if (!encrypt) {
        // Every padding byte is checked, as libcrypto does (Wine's bcrypt checks the last one only).
        const std::size_t count = out.empty() ? 0 : out.back();
        if (count == 0 || count > 16 || count > out.size()) return std::nullopt;
        for (std::size_t i = out.size() - count; i < out.size(); ++i)
            if (out[i] != count) return std::nullopt;
        out.resize(out.size() - count);
    }
#else
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int n1 = 0, n2 = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(key.data());
    const auto* v = reinterpret_cast<const unsigned char*>(iv.data());
    bool ok = (encrypt ? EVP_EncryptInit_ex(ctx, EVP_aes_192_cbc(), nullptr, k, v)
                       : EVP_DecryptInit_ex(ctx, EVP_aes_192_cbc(), nullptr, k, v)) == 1;
    ok = ok && (encrypt ? EVP_EncryptUpdate(ctx, out.data(), &n1, data, static_cast<int>(size))
                        : EVP_DecryptUpdate(ctx, out.data(), &n1, data, static_cast<int>(size))) == 1;
    ok = ok && (encrypt ? EVP_EncryptFinal_ex(ctx, out.data() + n1, &n2)
                        : EVP_DecryptFinal_ex(ctx, out.data() + n1, &n2)) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok) return std::nullopt;
    out.resize(static_cast<std::size_t>(n1 + n2));
#endif
    return out;
}

}  // namespace oltrex::testaes
