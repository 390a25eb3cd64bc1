// The key information text as the key library hands it out, read by all
// three programs: KeyFetch's display fields, series, firmware number and the
// decisions taken on them; KeyRefresh's key page; FwFlasher's record fields.
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "oltrex/fwflasher/KeyRecord.h"
#include "oltrex/keyfetch/KeyInfo.h"
#include "oltrex/keyfetch/TransportScrambling.h"
#include "oltrex/keyrefresh/KeyIdentification.h"

namespace {
constexpr const char* kTarget = "key_info";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    // The library fills a zeroed buffer and the programs read it as a C text:
    // everything from the first NUL on is not part of it.
    const auto* text = reinterpret_cast<const char*>(data);
    const std::string_view keyInfo(text, strnlen(text, size));

    const std::string firmware = displayFirmware(keyInfo);
    const std::string number = displayKeyNumber(keyInfo);
    const std::string series = keySeries(keyInfo);
    const int firmwareNumber = keyFirmwareNumber(keyInfo);
    OLTREX_FUZZ_CHECK(firmware.size() <= 4, "the firmware text is longer than 4 characters");
    OLTREX_FUZZ_CHECK(number.size() <= 10, "the key number is longer than 10 characters");
    OLTREX_FUZZ_CHECK(series.size() <= 2, "the series is longer than 2 characters");
    (void)needsSecureMode(series, firmwareNumber);
    (void)needsProtectedRead(series, firmwareNumber);
    (void)decimalValue(keyInfo);

    (void)isUpdatableKeyText(keyInfo);
    OLTREX_FUZZ_CHECK(keySerialFromText(keyInfo).size() <= 10,
                      "KeyRefresh's serial is longer than 10 characters");
    (void)keyFirmwareFromText(keyInfo);
    (void)editControlLines(std::string_view(text, size));

    const std::string record = fwflasher::recordFromBuffer(text, size);
    OLTREX_FUZZ_CHECK(record == keyInfo, "FwFlasher's record is not the text up to its NUL");
    (void)fwflasher::stickSerialText(record);
    (void)fwflasher::keyIdText(record);
    (void)fwflasher::stickFirmwareText(record);
    (void)fwflasher::keyVersionNumber(record);
    (void)fwflasher::imageVersionNumber(record);
    (void)fwflasher::infoKeyIdLine(record);
    return 0;
}
