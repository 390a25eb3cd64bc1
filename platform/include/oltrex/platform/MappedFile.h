#pragma once
// A whole file mapped read-only into memory (no copy). Empty files give an
// empty view. Only for files of our own that nobody changes meanwhile.
#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>

namespace oltrex {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Fails for anything but a regular file.
    bool open(const std::filesystem::path& path, std::error_code& ec);
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    void* mapping_ = nullptr;
};

}  // namespace oltrex
