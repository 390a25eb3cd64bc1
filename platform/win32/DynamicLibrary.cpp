#include "oltrex/platform/DynamicLibrary.h"

#include "WideText.h"

namespace oltrex {

bool DynamicLibrary::open(const std::string& name) {
    close();
    // A name without a folder is looked for beside the program first, then
    // along the system's search path.
    const std::wstring wide = win32::wideFromUtf8(name);
    handle_ = reinterpret_cast<void*>(::LoadLibraryW(wide.c_str()));
    if (handle_ == nullptr) {
        error_ = "cannot load " + name + " (error " + std::to_string(::GetLastError()) + ")";
        return false;
    }
    error_.clear();
    return true;
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void* DynamicLibrary::symbolByOrdinal(unsigned ordinal) const {
    if (handle_ == nullptr || ordinal == 0 || ordinal > 0xFFFF) return nullptr;
    return reinterpret_cast<void*>(
        ::GetProcAddress(static_cast<HMODULE>(handle_), MAKEINTRESOURCEA(static_cast<WORD>(ordinal))));
}

}  // namespace oltrex
