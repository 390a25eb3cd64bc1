// The converter on the EU card downloads of $OLTREX_SAMPLES. A sample that
// already holds the table's records in table order and sizes converts to
// itself; a sample whose records all have table sizes converts to its records
// in table order; any other sample converts to whole records of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "converter_images.h"
#include "oltrex/conversion/CardConverter.h"

namespace fs = std::filesystem;
using namespace oltrex::testing;
using oltrex::CTachoConvert;

namespace {

struct Record {
    std::uint32_t tag;
    std::size_t offset;
    std::size_t size;  // with header
};

// The records of an EU card file, or nothing when it is not one (a vehicle
// unit, or records that do not end exactly at the end of the file).
std::vector<Record> cardRecords(const Bytes& file) {
    std::vector<Record> out;
    if (file.empty() || file[0] == 0x76) return {};
    std::size_t p = 0;
    while (p + 5 <= file.size()) {
        const std::size_t length = static_cast<std::size_t>(file[p + 3]) << 8 | file[p + 4];
        if (p + 5 + length > file.size()) return {};
        out.push_back({std::uint32_t{file[p]} << 16 | std::uint32_t{file[p + 1]} << 8 | file[p + 2], p, 5 + length});
        p += 5 + length;
    }
    return p == file.size() ? out : std::vector<Record>{};
}

std::vector<fs::path> cardSamples(const fs::path& folder) {
    std::vector<fs::path> out;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.is_regular_file() && item.path().extension() != ".md") out.push_back(item.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class ConverterSamplesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* folder = std::getenv("OLTREX_SAMPLES");
        if (folder == nullptr || !fs::is_directory(folder)) {
            GTEST_SKIP() << "no EU sample downloads: $OLTREX_SAMPLES is not set or not a folder";
        }
        folder_ = folder;
        for (std::size_t row = 0; row < converter_.entries().size(); ++row) {
            const auto& entry = *converter_.entries()[row];
            rowOf_.emplace(tagValue(entry.tag), Row{row, entry.size});
        }
    }
    struct Row {
        std::size_t index;
        std::size_t size;
    };
    fs::path folder_;
    CTachoConvert converter_;
    std::multimap<std::uint32_t, Row> rowOf_;

    // The table row that takes a record of this tag and data length, if any.
    const Row* rowFor(const Record& r) const {
        auto [begin, end] = rowOf_.equal_range(r.tag);
        for (auto it = begin; it != end; ++it) {
            if (it->second.size == r.size - 5) return &it->second;
        }
        return nullptr;
    }
};

TEST_F(ConverterSamplesTest, EachEuCardSampleConvertsToTheSameRecordsInTableOrder) {
    int cards = 0;
    int unchanged = 0;
    for (const fs::path& path : cardSamples(folder_)) {
        const Bytes file = readFile(path);
        const std::vector<Record> records = cardRecords(file);
        if (records.empty()) continue;  // a vehicle unit
        ++cards;
        SCOPED_TRACE(path.filename().string());

        const ExactBuffer image(file);
        Bytes output;
        const std::size_t used = converter_.convert(image.data(), &output, image.size(), nullptr);
        const Bytes converted(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(used));

        bool allInTable = true;
        bool inTableOrder = true;
        std::size_t lastRow = 0;
        for (const Record& r : records) {
            const Row* row = rowFor(r);
            if (row == nullptr) {
                allInTable = false;
                continue;
            }
            if (row->index < lastRow) inTableOrder = false;
            lastRow = row->index;
        }
        if (allInTable && inTableOrder) {
            ++unchanged;
            EXPECT_EQ(converted, file) << "a sample in table order and sizes must convert to itself";
        } else if (allInTable) {
            std::vector<Record> sorted = records;
            std::stable_sort(sorted.begin(), sorted.end(),
                             [&](const Record& a, const Record& b) { return rowFor(a)->index < rowFor(b)->index; });
            Bytes expected;
            for (const Record& r : sorted) expected.insert(expected.end(), file.begin() + r.offset, file.begin() + r.offset + r.size);
            EXPECT_EQ(converted, expected) << "the sample's records in table order";
        } else {
            // Not an EU layout: whatever comes out is whole records of the sample.
            const std::vector<Record> out = cardRecords(converted);
            EXPECT_TRUE(used == 0 || !out.empty());
            for (const Record& r : out) {
                const auto found = std::search(file.begin(), file.end(), converted.begin() + r.offset,
                                               converted.begin() + r.offset + r.size);
                EXPECT_NE(found, file.end()) << "record at output offset " << r.offset << " is not in the sample";
            }
        }
    }
    if (cards == 0) GTEST_SKIP() << "no card samples in " << folder_;
    EXPECT_GT(unchanged, 0) << "at least one sample is expected in table order";
}

}  // namespace
