#include "oltrex/platform/InstanceLock.h"

#include "WideText.h"

namespace oltrex {

InstanceLock::InstanceLock(const std::string& name, std::filesystem::path /*folder*/) {
    const std::wstring wide = win32::wideFromUtf8(name);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, wide.c_str());
    if (mutex == nullptr) return;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);  // another instance holds it
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

InstanceLock::~InstanceLock() {
    if (handle_ != kNone) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace oltrex
