#pragma once
// What code writes to a C stream, as text: through a temporary file, which
// every platform has (open_memstream is POSIX only).
#include <cstdio>
#include <functional>
#include <string>

namespace oltrex::testing {

inline std::string capturedOutput(const std::function<void(std::FILE*)>& write) {
    std::FILE* out = std::tmpfile();
    if (out == nullptr) return "(no temporary file for the output)";
    write(out);
    std::string text;
    std::rewind(out);
    for (int c; (c = std::fgetc(out)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(out);
    return text;
}

}  // namespace oltrex::testing
