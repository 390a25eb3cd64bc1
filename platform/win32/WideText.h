#pragma once
// Text at the Win32 seam: the programs hold UTF-8, the system's wide-character
// functions take UTF-16.
#include <windows.h>

#include <string>
#include <string_view>
#include <system_error>

namespace oltrex::win32 {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

// The calling thread's last Win32 error as an error code.
inline std::error_code lastError() {
    return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
}

// Closes a Win32 handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() {
        if (valid()) ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (valid()) ::CloseHandle(h_);
        h_ = h;
    }
    HANDLE release() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE h_;
};

}  // namespace oltrex::win32
