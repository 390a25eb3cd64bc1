#pragma once
// The names a plain key's download gives the demo set's tachograph files,
// made by the download's own classification and container store, for
// comparing the SD-card import's names with them. Names are compared without
// their time: an SD-card file names a card and a generation-2 vehicle unit
// with the time of the import, the key with the time of its download.
#include <regex>
#include <set>
#include <string>

#include "SdImportKit.h"
#include "oltrex/keyfetch/Classification.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/testdata/DemoKey.h"

namespace sdtest {

// "C_A_B_2024-05-06_07-08-09.dlc" -> "C_A_B"; other names stay as they are.
inline std::string withoutTime(const std::string& name) {
    static const std::regex time("_[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}\\.dlc$");
    return std::regex_replace(name, time, "");
}

inline bool isDemoTachographFile(const std::string& name) {
    return name.rfind("V_", 0) == 0 || name.rfind("C_", 0) == 0;
}

// Every demo tachograph file filed as a download from a plain key (firmware 0110) would file it.
inline std::multiset<std::string> plainKeyNamesWithoutTime() {
    ImportBench plain;
    std::multiset<std::string> names;
    for (const auto& file : oltrex::testdata::demoKeyFiles()) {
        if (!isDemoTachographFile(file.name)) continue;
        const fs::path local = plain.work / file.name;
        writeBytes(local, file.bytes);
        oltrex::ClassifiedFile classified;
        EXPECT_EQ(oltrex::classifyFile(local, file.name, classified), oltrex::kClassified);
        oltrex::FilingRequest request;
        request.localPath = local.string();
        request.kindName = classified.kindName;
        request.keyName = file.name;
        request.firmwareNumber = 110;
        request.noDelete = true;
        const auto result = plain.store->fileDownloadedFile(request);
        EXPECT_TRUE(result.whole()) << file.name;
        names.insert(withoutTime(oltrex::fileNameOf(result.containerPath)));
    }
    return names;
}

inline std::multiset<std::string> namesWithoutTime(const fs::path& folder) {
    std::multiset<std::string> names;
    for (const auto& name : filesIn(folder, ".dlc")) names.insert(withoutTime(name));
    return names;
}

}  // namespace sdtest
