#pragma once
// A library loaded by name at run time (LoadLibrary/GetProcAddress on Windows).
#include <string>

namespace oltrex {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    explicit DynamicLibrary(const std::string& name) { open(name); }
    ~DynamicLibrary() { close(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

    bool open(const std::string& name);
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    // nullptr when the symbol is missing or the library is not open.
    void* symbol(const char* name) const;
    const std::string& error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace oltrex
