#include <fstream>
#include <iterator>
#include <system_error>

#include "oltrex/keyrefresh/FirmwareHeader.h"
#include "oltrex/keyrefresh/UpdateLog.h"
#include "oltrex/platform/SafeFile.h"

namespace fs = std::filesystem;

namespace oltrex {
namespace {

// The folder above `folder` ("…/KeyRefresh2/1.20" -> "…/KeyRefresh2").
fs::path folderAbove(const fs::path& folder) {
    fs::path path = fs::absolute(folder).lexically_normal();
    if (!path.has_filename()) path = path.parent_path();  // trailing separator
    return path.parent_path();
}

bool readAll(const fs::path& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

MakeFirmwareHeaderResult makeFirmwareHeader(const fs::path& folder, CWLog* log, SRecordImage& image,
                                            std::ostream& diagnostics) {
    MakeFirmwareHeaderResult result;
    if (log != nullptr) log->writeEntry("Make FW 120");

    const fs::path header = folder / "fw.h";
    result.parse = image.parse(folder / "FW_Update.a79", SRecordImage::kDefaultBase);
    if (result.parse == kSRecordOk) {
        result.generate = GenHeaderFileFromFw(image, (folder / "fw_version.h").string(),
                                              header.string(), diagnostics);
    } else {
        diagnostics << "makeFirmwareHeader(): Error: can't read S-records from <"
                    << (folder / "FW_Update.a79").string() << ">";
        if (image.errorLine() > 0) diagnostics << " line " << image.errorLine();
        diagnostics << ": " << image.errorText() << "\r\n";
    }

    // Whatever happened above, an existing "fw.h" is wrapped.
    std::string content;
    if (!readAll(header, content)) return result;
    const fs::path wrapped = folder / "fw120.h";
    std::ofstream out(wrapped, std::ios::binary | std::ios::trunc);
    if (!out) {
        diagnostics << "makeFirmwareHeader(): Error: can't create <" << wrapped.string() << ">\r\n";
        return result;
    }
    if (content.empty()) return result;  // an empty "fw.h" leaves an empty "fw120.h"
    out << wrappedHeaderText(content);
    out.close();
    if (!out) {
        diagnostics << "makeFirmwareHeader(): Error: can't write <" << wrapped.string() << ">\r\n";
        return result;
    }
    result.wrapped = true;

    std::error_code ec;
    const fs::path copy = folderAbove(folder) / "fw120.h";
    copyFile(wrapped, copy, true, ec);
    if (ec) {
        diagnostics << "makeFirmwareHeader(): Error: can't copy to <" << copy.string()
                    << ">: " << ec.message() << "\r\n";
        return result;
    }
    result.copied = true;
    return result;
}

}  // namespace oltrex
