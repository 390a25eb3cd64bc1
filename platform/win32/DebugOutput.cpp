#include <string>

#include "../common/DebugOutput.h"
#include "WideText.h"

namespace oltrex {

void writeSystemDebugOutput(std::string_view text) {
    const std::wstring wide = win32::wideFromUtf8(text);
    ::OutputDebugStringW(wide.c_str());
}

}  // namespace oltrex
