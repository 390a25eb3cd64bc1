// Conversion of card images into the EU card download layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "converter_images.h"
#include "oltrex/conversion/CardConverter.h"

using namespace oltrex::testing;
using oltrex::CTachoConvert;

namespace {

class ConvertTest : public ::testing::Test {
protected:
    // Converts through a buffer of exactly the image's size; the used bytes.
    Bytes convert(const Bytes& image) {
        const ExactBuffer exact(image);
        status = "not touched";
        used = converter.convert(exact.data(), &output, exact.size(), &status);
        EXPECT_EQ(status, "");
        EXPECT_LE(used, output.size());
        return Bytes(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(std::min(used, output.size())));
    }
    // Records of table rows first..last (1-based), each with its own fill.
    std::vector<Bytes> tableRecords(std::size_t first, std::size_t last) const {
        std::vector<Bytes> out;
        for (std::size_t row = first; row <= last; ++row) {
            const auto& entry = *converter.entries()[row - 1];
            std::size_t size = entry.size;
            if (entry.name.find("Certificate") != std::string::npos && entry.name.find("_2G_") != std::string::npos) {
                size = 204;  // what real generation-2 cards carry
            }
            out.push_back(cardRecord(tagValue(entry.tag), size, static_cast<std::uint8_t>(0x10 + row)));
        }
        return out;
    }
    static Bytes joined(const std::vector<Bytes>& records) {
        Bytes out;
        for (const Bytes& r : records) append(out, r);
        return out;
    }

    CTachoConvert converter;
    Bytes output;
    std::string status;
    std::size_t used = 0;
};

TEST_F(ConvertTest, AGeneration1ImageInTableOrderConvertsToItself) {
    const Bytes image = joined(tableRecords(1, 28));
    EXPECT_EQ(convert(image), image);
    EXPECT_EQ(output.size(), image.size() + 100) << "the buffer has 100 bytes more than the image";
}

TEST_F(ConvertTest, AGeneration2ImageInTableOrderConvertsToItself) {
    const Bytes image = joined(tableRecords(1, 62));
    ASSERT_GE(image.size(), 30000u);
    EXPECT_EQ(convert(image), image);
}

TEST_F(ConvertTest, RecordsComeOutInTableOrderWhateverTheImageOrder) {
    std::vector<Bytes> records = tableRecords(1, 62);
    const Bytes expected = joined(records);
    std::shuffle(records.begin(), records.end(), std::mt19937(7));
    EXPECT_EQ(convert(joined(records)), expected);
}

TEST_F(ConvertTest, RecordsOutsideTheTableAreLeftOut) {
    const std::vector<Bytes> records = tableRecords(1, 28);
    Bytes image;
    for (const Bytes& r : records) {
        append(image, r);
        append(image, cardRecord(0xC20900, 30, 0x77));  // not an EU record
    }
    EXPECT_EQ(convert(image), joined(records));
}

TEST_F(ConvertTest, AnImageBelow30000BytesIsGeneration1OnlyEvenWithGeneration2Records) {
    const Bytes gen1 = joined(tableRecords(1, 28));
    const Bytes image = padded(concat({gen1, cardRecord(0x050403, 64, 0x71), cardRecord(0x052002, 143, 0x72)}), 29999);
    EXPECT_EQ(convert(image), gen1);
    const Bytes bigger = padded(image, 30000);
    const Bytes out = convert(bigger);
    EXPECT_GT(out.size(), gen1.size()) << "at 30000 bytes the generation-2 records count";
}

TEST_F(ConvertTest, WithoutGeneration2ChipRecordsTheGeneration1OnesAreWrittenTwice) {
    const Bytes icc = cardRecord(0x000200, 25, 0x21);
    const Bytes ic = cardRecord(0x000500, 8, 0x22);
    const Bytes signature = cardRecord(0x050403, 64, 0x23);
    const Bytes image = padded(concat({icc, ic, signature}), 30000);
    EXPECT_EQ(convert(image), concat({icc, ic, icc, ic, signature}));
}

TEST_F(ConvertTest, Generation1ChipRecordsOfAnyLengthStandInForMissingGeneration2Ones) {
    const Bytes icc = cardRecord(0x000200, 20, 0x21);  // not 25: not copied as entry 1
    const Bytes signature = cardRecord(0x050403, 64, 0x23);
    const Bytes image = padded(concat({icc, signature}), 30000);
    EXPECT_EQ(convert(image), concat({icc, signature}));
}

TEST_F(ConvertTest, Generation2ChipRecordsOfTheExpectedSizeAreCopiedThemselves) {
    const Bytes icc1 = cardRecord(0x000200, 25, 0x21);
    const Bytes icc2 = cardRecord(0x000202, 25, 0x31);
    const Bytes ic2 = cardRecord(0x000502, 8, 0x32);
    const Bytes signature = cardRecord(0x050403, 64, 0x23);
    const Bytes image = padded(concat({icc1, icc2, ic2, signature}), 30000);
    EXPECT_EQ(convert(image), concat({icc1, icc2, ic2, signature}));
}

TEST_F(ConvertTest, ARecordOfAnotherSizeThanTheTableIsLeftOutAndTheRestKept) {
    std::vector<Bytes> records = tableRecords(1, 28);
    const Bytes shortActivity = cardRecord(0x050400, 13000, 0x44);
    records[16] = shortActivity;  // row 17, driver activity, expects 13780
    const Bytes image = joined(records);
    records.erase(records.begin() + 16);
    EXPECT_EQ(convert(image), joined(records));
}

TEST_F(ConvertTest, TheFirstOccurrenceOfTheExpectedLengthWinsEvenInsideOtherData) {
    // An events record whose data holds a decoy identification header of the
    // wrong length and then a whole identification record of the right one.
    Bytes events = cardRecord(0x050200, 1728, 0x51);
    const Bytes decoy{0x05, 0x20, 0x00, 0x00, 0x10};
    const Bytes inner = cardRecord(0x052000, 143, 0x52);
    std::copy(decoy.begin(), decoy.end(), events.begin() + 20);
    std::copy(inner.begin(), inner.end(), events.begin() + 100);
    const Bytes real = cardRecord(0x052000, 143, 0x53);
    EXPECT_EQ(convert(concat({events, real})), concat({inner, events}));
}

TEST_F(ConvertTest, AZeroLengthIsNeverTakenAsARecord) {
    const Bytes id = cardRecord(0x052000, 143, 0x61);
    const Bytes image = concat({Bytes{0x05, 0x20, 0x00, 0x00, 0x00}, id, Bytes{0x05, 0x0E, 0x00, 0x00, 0x00}});
    EXPECT_EQ(convert(image), id);
}

TEST_F(ConvertTest, AnImageWithoutTableTagsGivesNothingAndAnAllZeroBuffer) {
    const Bytes image(500, 0x5A);
    EXPECT_EQ(convert(image), Bytes{});
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(output, Bytes(600, 0x00));
}

TEST_F(ConvertTest, MissingInputCreatesNoBuffer) {
    const Bytes image = cardRecord(0x052000, 143);
    output = {9, 9, 9};
    status = "old";
    EXPECT_EQ(converter.convert(nullptr, &output, image.size(), &status), 0u);
    EXPECT_EQ(output, (Bytes{9, 9, 9}));
    EXPECT_EQ(status, "");
    EXPECT_EQ(converter.convert(image.data(), &output, 0, nullptr), 0u);
    EXPECT_EQ(output, (Bytes{9, 9, 9}));
    EXPECT_EQ(converter.convert(image.data(), nullptr, image.size(), nullptr), 0u);
}

TEST_F(ConvertTest, ARecordRunningPastTheImageIsLeftOutWithoutReadingBeyondIt) {
    const Bytes id = cardRecord(0x052000, 143, 0x61);
    Bytes truncated = cardRecord(0x052200, 280, 0x62);
    truncated.resize(100);
    EXPECT_EQ(convert(concat({id, truncated})), id);
    // A header cut off inside its length field.
    EXPECT_EQ(convert(concat({id, Bytes{0x05, 0x22, 0x00, 0x01}})), id);
}

TEST_F(ConvertTest, OutputThatNeedsMoreThanTheBufferMakesTheBufferGrow) {
    // Records nested inside the data of bigger ones are copied once for each
    // table row that finds them, so the output outgrows image + 100 bytes.
    Bytes activity = cardRecord(0x050400, 13780, 0x11);
    const Bytes vehicles2 = cardRecord(0x050502, 9602, 0x12);
    const Bytes events2 = cardRecord(0x050202, 3168, 0x13);
    std::copy(vehicles2.begin(), vehicles2.end(), activity.begin() + 5);
    std::copy(events2.begin(), events2.end(), activity.begin() + 5 + vehicles2.size());
    Bytes vehicles = cardRecord(0x050500, 6202, 0x14);
    const Bytes gnss = cardRecord(0x052402, 6050, 0x15);
    std::copy(gnss.begin(), gnss.end(), vehicles.begin() + 5);
    const Bytes signature = cardRecord(0x050403, 64, 0x16);
    const Bytes image = padded(concat({activity, vehicles, signature}), 30000);

    const Bytes out = convert(image);
    const Bytes expected = concat({activity, vehicles, events2, signature, vehicles2, gnss});
    ASSERT_GT(expected.size(), image.size() + 100);
    EXPECT_EQ(out, expected);
}

TEST_F(ConvertTest, Generation2CertificatesOf204To341BytesAreKept) {
    const Bytes signature = cardRecord(0x050403, 64, 0x23);
    for (std::size_t length : {204u, 205u, 341u}) {
        const Bytes cert = cardRecord(0xC10002, length, 0x31);
        const Bytes sign = cardRecord(0xC10102, length, 0x32);
        const Bytes ca = cardRecord(0xC10802, length, 0x33);
        const Bytes link = cardRecord(0xC10902, length, 0x34);
        const Bytes image = padded(concat({link, ca, sign, cert, signature}), 30000);
        EXPECT_EQ(convert(image), concat({cert, sign, ca, link, signature})) << length;
    }
}

TEST_F(ConvertTest, Generation2CertificatesOutsideThatRangeAreLeftOut) {
    const Bytes signature = cardRecord(0x050403, 64, 0x23);
    for (std::size_t length : {203u, 342u}) {
        const Bytes image = padded(concat({cardRecord(0xC10002, length, 0x31), signature}), 30000);
        EXPECT_EQ(convert(image), signature) << length;
    }
}

TEST_F(ConvertTest, TheFirstGeneration2CertificateInRangeWins) {
    const Bytes tooShort = cardRecord(0xC10802, 150, 0x31);
    const Bytes first = cardRecord(0xC10802, 204, 0x32);
    const Bytes second = cardRecord(0xC10802, 205, 0x33);
    const Bytes signature = cardRecord(0x050403, 64, 0x23);
    const Bytes image = padded(concat({tooShort, first, second, signature}), 30000);
    EXPECT_EQ(convert(image), concat({first, signature}));
}

TEST_F(ConvertTest, Generation1CertificatesKeepTheirFixedLength) {
    const Bytes wrong = cardRecord(0xC10000, 204, 0x31);
    const Bytes right = cardRecord(0xC10800, 194, 0x32);
    EXPECT_EQ(convert(concat({wrong, right})), right);
}

}  // namespace
