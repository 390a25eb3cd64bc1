#include "oltrex/platform/MappedFile.h"

#include "WideText.h"

namespace oltrex {

MappedFile::~MappedFile() {
    if (data_ != nullptr) ::UnmapViewOfFile(data_);
    if (mapping_ != nullptr) ::CloseHandle(static_cast<HANDLE>(mapping_));
}

bool MappedFile::open(const std::filesystem::path& path, std::error_code& ec) {
    ec.clear();
    win32::Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        ec = win32::lastError();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) {
        ec = win32::lastError();
        return false;
    }
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
        ec = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    const std::uint64_t size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size == 0) return true;
    if (size > SIZE_MAX) {
        ec = std::make_error_code(std::errc::file_too_large);
        return false;
    }
    HANDLE mapping = ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) {
        ec = win32::lastError();
        return false;
    }
    const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) {
        ec = win32::lastError();
        ::CloseHandle(mapping);
        return false;
    }
    mapping_ = mapping;
    data_ = static_cast<const std::uint8_t*>(view);
    size_ = static_cast<std::size_t>(size);
    return true;
}

}  // namespace oltrex
