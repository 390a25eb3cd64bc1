// The secure re-encoding: the expected PC-side forms are built here from the
// rules (key-side scrambler, PC-side encoding chain, markers), not from the
// code under test.
#include <gtest/gtest.h>

#include "KeyFetchFakes.h"
#include "oltrex/keyfetch/SecureReencoding.h"

using namespace kftest;
using oltrex::SecureVariant;

namespace {

const Bytes kCardStart = {0x76, 0x06};

Bytes nameRecord() {
    return secureRecord(0x7600, bytesOf({'V', '_', 'A', 'B', 'C'}));
}

Bytes reencode(const Bytes& plainBody, SecureVariant variant) {
    return oltrex::reencodeSecureBytes(secureFile(plainBody), variant);
}

}  // namespace

TEST(SecureReencodingOfVehicleUnits, writesTheFirstTagThenEachRecordWithEncodedDataAndEndMarker) {
    const Bytes data2 = filler(300, 5), data3 = filler(17, 9);
    Bytes body = nameRecord();
    append(body, secureRecord(0x7601, data2));
    append(body, secureRecord(0x7602, data3));

    Bytes expected = {0x76, 0x00};
    append(expected, {0x76, 0x01});
    append(expected, pcEncode(data2));  // the chain restarts for every record's data
    append(expected, kEndMarker);
    append(expected, {0x76, 0x02});
    append(expected, pcEncode(data3));
    append(expected, kEndMarker);
    EXPECT_EQ(reencode(body, SecureVariant::VehicleUnit), expected);
}

TEST(SecureReencodingOfVehicleUnits, endsARecordWithoutDataRightAfterItsTag) {
    Bytes body = secureRecord(0x7600, {});
    append(body, secureRecord(0x7603, {}));
    append(body, secureRecord(0x7604, bytesOf({1, 2, 3})));
    Bytes expected = {0x76, 0x00, 0x76, 0x03};
    append(expected, kEndMarker);
    append(expected, {0x76, 0x04});
    append(expected, pcEncode(bytesOf({1, 2, 3})));
    append(expected, kEndMarker);
    EXPECT_EQ(reencode(body, SecureVariant::VehicleUnit), expected);
}

TEST(SecureReencodingOfVehicleUnits, writesARecordCutOffByTheFileEndWithoutEndMarker) {
    Bytes body = nameRecord();
    Bytes cut = secureRecord(0x7605, filler(100));
    cut.resize(cut.size() - 40);
    append(body, cut);
    Bytes expected = {0x76, 0x00, 0x76, 0x05};
    append(expected, pcEncode(filler(60)));
    EXPECT_EQ(reencode(body, SecureVariant::VehicleUnit), expected);
}

TEST(SecureReencodingOfVehicleUnits, readsABodyThatIsNotAMultipleOf256ToItsLastByte) {
    const Bytes data = filler(987, 2);  // a body of 1004 bytes: 3 full blocks of 256 and 236 more
    Bytes body = nameRecord();
    ASSERT_EQ(body.size(), 11u);
    append(body, secureRecord(0x7602, data));
    Bytes expected = {0x76, 0x00, 0x76, 0x02};
    append(expected, pcEncode(data));
    append(expected, kEndMarker);
    EXPECT_EQ(reencode(body, SecureVariant::VehicleUnit), expected);
}

TEST(SecureReencodingOfCards, writesCardStartEncodedRestAndEndMarker) {
    Bytes body = nameRecord();
    const Bytes rest = filler(10, 4);
    append(body, rest);
    Bytes expected = kCardStart;
    append(expected, pcEncode(rest));  // one chain for the whole rest
    append(expected, kEndMarker);
    EXPECT_EQ(reencode(body, SecureVariant::Card), expected);
}

TEST(SecureReencodingOfCards, givesOnlyTheEndMarkerForABodyHoldingOnlyTheFirstRecord) {
    EXPECT_EQ(reencode(nameRecord(), SecureVariant::Card), kEndMarker);
    EXPECT_EQ(oltrex::reencodeSecureBytes(bytesOf({1, 2, 3}), SecureVariant::Card), kEndMarker);
}

TEST(SecureReencodingOfCards, treatsRecordLikeBytesAfterTheFirstRecordAsPlainImageBytes) {
    Bytes body = nameRecord();
    const Bytes image = secureRecord(0x0520, filler(600, 1));
    append(body, image);
    Bytes expected = kCardStart;
    append(expected, pcEncode(image));
    append(expected, kEndMarker);
    EXPECT_EQ(reencode(body, SecureVariant::Card), expected);
}

TEST(SecureVariantChoice, takesTheCardVariantForNamesStartingWithCUnderscoreInEitherCase) {
    EXPECT_EQ(oltrex::secureVariantFor("C_1234"), SecureVariant::Card);
    EXPECT_EQ(oltrex::secureVariantFor("c_1234"), SecureVariant::Card);
    EXPECT_EQ(oltrex::secureVariantFor("V_C_1234"), SecureVariant::VehicleUnit);
    EXPECT_EQ(oltrex::secureVariantFor("C1234"), SecureVariant::VehicleUnit);
}

class SecureReencodingOfFiles : public ::testing::Test {
  protected:
    TempFolder work;
    fs::path local = work / "V_ABC_623B1A2C";

    std::vector<std::string> otherFiles() {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(work.path()))
            if (e.path() != local) names.push_back(e.path().filename().string());
        return names;
    }
};

TEST_F(SecureReencodingOfFiles, replacesTheFileAndLeavesNoTemporaryFileBehind) {
    Bytes body = nameRecord();
    append(body, secureRecord(0x7601, filler(50)));
    writeBytes(local, secureFile(body));

    EXPECT_EQ(oltrex::reencodeSecureFile(local, "V_ABC_623B1A2C", work.path()), 0);
    Bytes expected = {0x76, 0x00, 0x76, 0x01};
    append(expected, pcEncode(filler(50)));
    append(expected, kEndMarker);
    EXPECT_EQ(readBytes(local), expected);
    EXPECT_TRUE(otherFiles().empty());
}

TEST_F(SecureReencodingOfFiles, choosesTheVariantByTheFileName) {
    Bytes body = nameRecord();
    append(body, filler(20));
    writeBytes(local, secureFile(body));
    EXPECT_EQ(oltrex::reencodeSecureFile(local, "c_DF000001_623B1A2C", work.path()), 0);
    const Bytes result = readBytes(local);
    ASSERT_GE(result.size(), 2u);
    EXPECT_EQ(Bytes(result.begin(), result.begin() + 2), kCardStart);
}

TEST_F(SecureReencodingOfFiles, leavesTheFileUntouchedWhenNoTemporaryFileCanBeCreated) {
    const Bytes original = secureFile(nameRecord());
    writeBytes(local, original);
    EXPECT_EQ(oltrex::reencodeSecureFile(local, "V_ABC_623B1A2C", work / "gone"), -13);
    EXPECT_EQ(readBytes(local), original);
}

TEST_F(SecureReencodingOfFiles, failsWithoutCreatingAnythingWhenTheSourceIsMissing) {
    EXPECT_EQ(oltrex::reencodeSecureFile(local, "V_ABC_623B1A2C", work.path()), -2);
    EXPECT_FALSE(fs::exists(local));
    EXPECT_TRUE(otherFiles().empty());
}
