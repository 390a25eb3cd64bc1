#pragma once
// A library loaded by name at run time: LoadLibrary/GetProcAddress on Windows,
// dlopen/dlsym here. Names are UTF-8.
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
    // The entry point exported under `ordinal` (Windows); nullptr where the
    // platform has no ordinals, when it is missing or the library is not open.
    void* symbolByOrdinal(unsigned ordinal) const;
    const std::string& error() const { return error_; }

    // The symbol as a function pointer of type Fn.
    template <class Fn>
    Fn symbol(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(symbol(name)));
    }

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace oltrex
