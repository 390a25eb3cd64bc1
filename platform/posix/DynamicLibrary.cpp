#include "oltrex/platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace oltrex {

bool DynamicLibrary::open(const std::string& name) {
    close();
    handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* message = ::dlerror();
        error_ = message ? message : "cannot load " + name;
        return false;
    }
    error_.clear();
    return true;
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return ::dlsym(handle_, name);
}

void* DynamicLibrary::symbolByOrdinal(unsigned) const {
    return nullptr;  // shared objects export by name only
}

}  // namespace oltrex
