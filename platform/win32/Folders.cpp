#include "oltrex/platform/Folders.h"

// clang-format off
#include "WideText.h"  // windows.h before the other system headers
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
// clang-format on

#include <memory>
#include <random>
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"

namespace oltrex {
namespace fs = std::filesystem;

namespace {

struct LocalFreeDeleter {
    void operator()(void* p) const { ::LocalFree(p); }
};

// The SID of the user this process runs as, as text ("S-1-5-21-...").
std::wstring currentUserSid() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    win32::Handle owned(raw);
    DWORD size = 0;
    ::GetTokenInformation(raw, TokenUser, nullptr, 0, &size);
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[size]);
    if (!::GetTokenInformation(raw, TokenUser, buffer.get(), size, &size)) return {};
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &text)) return {};
    std::unique_ptr<wchar_t, LocalFreeDeleter> owner(text);
    return text;
}

// Windows names compare without regard to case.
bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    std::wstring x = fs::weakly_canonical(a, ec).lexically_normal().wstring();
    std::wstring y = fs::weakly_canonical(b, ec).lexically_normal().wstring();
    while (!x.empty() && (x.back() == L'\\' || x.back() == L'/')) x.pop_back();
    while (!y.empty() && (y.back() == L'\\' || y.back() == L'/')) y.pop_back();
    return ::CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()),
                                  TRUE) == CSTR_EQUAL;
}

}  // namespace

fs::path systemTempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return fs::path(L"C:\\Windows\\Temp");
    return fs::path(std::wstring(buffer, length));
}

fs::path createPrivateFolder(const fs::path& parent, const std::string& prefix, std::error_code& ec) {
    ec.clear();
    // Full control for the user alone, not inherited from the parent; files
    // and folders made inside inherit it.
    const std::wstring sid = currentUserSid();
    if (sid.empty()) {
        ec = win32::lastError();
        return {};
    }
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + sid + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        ec = win32::lastError();
        return {};
    }
    std::unique_ptr<void, LocalFreeDeleter> owned(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};

    static thread_local std::mt19937 random{std::random_device{}() ^ static_cast<unsigned>(currentProcessId())};
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t unique[16];
        ::swprintf(unique, 16, L"%08x", static_cast<unsigned>(random()));
        const fs::path folder = parent / (win32::wideFromUtf8(prefix) + unique);
        if (::CreateDirectoryW(folder.c_str(), &attributes)) return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    ec = win32::lastError();
    return {};
}

bool isPrivateFolder(const fs::path& folder) {
    if (folder.empty()) return false;
    std::error_code ec;
    const fs::path self = fs::absolute(folder, ec);
    if (ec || self == self.root_path() || sameFolder(self, systemTempFolder())) return false;
    const DWORD attributes = ::GetFileAttributesW(self.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return false;
    }
    // Private: every entry of its access list that lets someone in is for this
    // user, or for the system and the administrators, who may enter any folder.
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(self.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    std::unique_ptr<void, LocalFreeDeleter> owned(descriptor);
    if (dacl == nullptr) return false;  // no access list: open to everyone
    const std::wstring user = currentUserSid();
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) return false;
        if (static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        wchar_t* text = nullptr;
        if (!::ConvertSidToStringSidW(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, &text)) return false;
        std::unique_ptr<wchar_t, LocalFreeDeleter> sid(text);
        if (user != text && std::wstring_view(text) != L"S-1-5-18" && std::wstring_view(text) != L"S-1-5-32-544")
            return false;
    }
    return true;
}

fs::path createWorkFolder(std::error_code& ec) {
    return createPrivateFolder(systemTempFolder(), "oltrex-keyfetch-", ec);
}

fs::path programDataFolder() {
    if (auto dir = environmentValue("OLTREX_DATA_DIR"); dir && !dir->empty()) return pathFromUtf8(*dir);
    wchar_t buffer[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return fs::path(L"C:\\ProgramData\\OLTREX");
    return fs::path(buffer) / L"OLTREX";
}

fs::path runtimeFolder() { return systemTempFolder(); }

fs::path programFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace oltrex
