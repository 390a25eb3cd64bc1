// Generation-2 vehicle-unit blocks (TREP 0x21-0x25) and the "S" blocks: each
// block is a series of record arrays (record type, record size, number of
// records, records), the last one the signature record array.
#include <functional>

#include "Fields.h"
#include "VehicleStory.h"

namespace oltrex::testdata {

namespace {

// Record types of the record arrays.
enum : std::uint8_t {
    kActivityChangeInfo = 0x01,
    kCardSlotsStatus = 0x02,
    kCurrentDateTime = 0x03,
    kMemberStateCertificate = 0x04,
    kOdometerValueMidnight = 0x05,
    kDateOfDayDownloaded = 0x06,
    kSensorPaired = 0x07,
    kSignature = 0x08,
    kSpecificConditionRecord = 0x09,
    kVehicleIdentificationNumber = 0x0A,
    kVehicleRegistrationNumber = 0x0B,
    kVuCalibrationRecord = 0x0C,
    kVuCardIWRecord = 0x0D,
    kVuCardRecord = 0x0E,
    kVuCertificate = 0x0F,
    kVuCompanyLocksRecord = 0x10,
    kVuControlActivityRecord = 0x11,
    kVuDetailedSpeedBlock = 0x12,
    kVuDownloadablePeriod = 0x13,
    kVuDownloadActivityData = 0x14,
    kVuEventRecord = 0x15,
    kVuGnssAdRecord = 0x16,
    kVuItsConsentRecord = 0x17,
    kVuFaultRecord = 0x18,
    kVuIdentification = 0x19,
    kVuOverSpeedingControlData = 0x1A,
    kVuOverSpeedingEventRecord = 0x1B,
    kVuPlaceDailyWorkPeriodRecord = 0x1C,
    kVuTimeAdjustmentRecord = 0x1E,
    kVuPowerSupplyInterruptionRecord = 0x1F,
    kSensorPairedRecord = 0x20,
    kSensorExternalGnssCoupledRecord = 0x21,
};

constexpr std::uint16_t kSignatureSize = 64;

// Writes one record array; `fill` writes record i, which must have `size` bytes.
void recordArray(ByteWriter& w, std::uint8_t type, std::uint16_t size, int count,
                 const std::function<void(ByteWriter&, int)>& fill) {
    w.u8(type);
    w.u16(size);
    w.u16(static_cast<std::uint16_t>(count));
    for (int i = 0; i < count; ++i) {
        Bytes record;
        ByteWriter r(record);
        fill(r, i);
        expectBlockSize(record, size, "record of a record array");
        w.bytes(record);
    }
}

void randomArray(ByteWriter& w, Random& random, std::uint8_t type, std::uint16_t size, int count) {
    recordArray(w, type, size, count, [&](ByteWriter& r, int) { random.dataBytes(r, size); });
}

void signatureArray(ByteWriter& w, Random& random) { randomArray(w, random, kSignature, kSignatureSize, 1); }

void card(ByteWriter& w, const StoryCard& c) { fields::fullCardNumberAndGeneration(w, c.type, c.nation, c.number, 0x02); }

void certificate(ByteWriter& w, Random& random) {
    w.u8(0x7F);
    w.u8(0x21);
    w.u8(0x81);
    w.u8(0xC8);
    random.dataBytes(w, 201);
}

Bytes overview(const VehicleStory& story, Random& random) {
    const VehicleUnitOptions& s = story.options;
    Bytes out;
    ByteWriter w(out);
    recordArray(w, kMemberStateCertificate, 205, 1, [&](ByteWriter& r, int) { certificate(r, random); });
    recordArray(w, kVuCertificate, 205, 1, [&](ByteWriter& r, int) { certificate(r, random); });
    recordArray(w, kVehicleIdentificationNumber, 17, 1, [&](ByteWriter& r, int) { r.text(s.vin, 17); });
    recordArray(w, kVehicleRegistrationNumber, 14, 1,
                [&](ByteWriter& r, int) { fields::registrationNumber(r, s.registration); });
    recordArray(w, kCurrentDateTime, 4, 1, [&](ByteWriter& r, int) { r.u32(s.downloadTime); });
    recordArray(w, kVuDownloadablePeriod, 8, 1, [&](ByteWriter& r, int) {
        r.u32(story.days.empty() ? withoutTagByte(s.downloadTime - 86400) : story.days.front().midnight);
        r.u32(withoutTagByte(s.downloadTime - 60));
    });
    recordArray(w, kCardSlotsStatus, 1, 1, [&](ByteWriter& r, int) { r.u8(0x01); });
    recordArray(w, kVuDownloadActivityData, 59, 1, [&](ByteWriter& r, int) {
        r.u32(story.previousDownload);
        card(r, story.companyCard);
        fields::name(r, story.company);
    });
    recordArray(w, kVuCompanyLocksRecord, 99, s.companyLocks, [&](ByteWriter& r, int i) {
        r.u32(random.time(s.downloadTime - 900 * 86400, s.downloadTime - 300 * 86400));
        r.u32(i + 1 < s.companyLocks ? random.time(s.downloadTime - 290 * 86400, s.downloadTime - 100 * 86400) : 0);
        fields::name(r, story.company);
        fields::name(r, story.companyAddress);
        card(r, story.companyCard);
    });
    recordArray(w, kVuControlActivityRecord, 32, s.controls, [&](ByteWriter& r, int) {
        const std::uint32_t time = random.time(s.downloadTime - 60 * 86400, s.downloadTime - 86400);
        r.u8(0xC0);
        r.u32(time);
        card(r, story.controlCard);
        r.u32(withoutTagByte(time - 28 * 86400));
        r.u32(time);
    });
    signatureArray(w, random);
    return out;
}

Bytes activities(const VehicleStory& story, std::size_t dayIndex, Random& random) {
    const VehicleUnitOptions& s = story.options;
    const WorkDay& day = story.days[dayIndex];
    const StoryCard& driver = story.drivers[story.driverOfDay[dayIndex]];
    const std::uint32_t inserted = withoutTagByte(day.midnight + day.firstMinute * 60 - 120);
    const std::uint32_t withdrawn = withoutTagByte(day.midnight + day.lastMinute * 60 + 60);
    Bytes out;
    ByteWriter w(out);
    recordArray(w, kDateOfDayDownloaded, 4, 1, [&](ByteWriter& r, int) { r.u32(day.midnight); });
    recordArray(w, kOdometerValueMidnight, 3, 1, [&](ByteWriter& r, int) { r.u24(day.odometerStart); });
    recordArray(w, kVuCardIWRecord, 131, 1, [&](ByteWriter& r, int) {
        fields::name(r, driver.surname);
        fields::name(r, driver.firstNames);
        card(r, driver);
        r.u32(driver.expiry);
        r.u32(inserted);
        r.u24(day.odometerStart);
        r.u8(0);
        r.u32(withdrawn);
        r.u24(withoutTagByte(day.odometerStart + day.distance, 3));
        fields::vehicleRegistration(r, s.nation, story.previousRegistration);
        r.u32(withoutTagByte(inserted - 11 * 3600));
        r.u8(0x02);  // generation of the previous unit
        r.u8(0);     // no manual input
    });
    recordArray(w, kActivityChangeInfo, 2, static_cast<int>(day.spans.size()), [&](ByteWriter& r, int i) {
        const ActivitySpan& span = day.spans[static_cast<std::size_t>(i)];
        r.u16(fields::activityChange(0, 0, span.startMinute == 0 ? 1 : 0, span.activity, span.startMinute));
    });
    recordArray(w, kVuPlaceDailyWorkPeriodRecord, 40, 2, [&](ByteWriter& r, int end) {
        const std::uint32_t time = end ? withdrawn : inserted;
        card(r, driver);
        r.u32(time);
        r.u8(static_cast<std::uint8_t>(end));
        r.u8(s.nation);
        r.u8(static_cast<std::uint8_t>(random.below(0x10)));
        r.u24(withoutTagByte(day.odometerStart + (end ? day.distance : 0), 3));
        r.u32(time);
        r.u8(static_cast<std::uint8_t>(random.between(1, 20)));
        r.u24(random.value(0x7FFFFF, 3));
        r.u24(random.value(0x7FFFFF, 3));
    });
    const int gnss = day.lastMinute > day.firstMinute + 180 ? 1 : 0;
    recordArray(w, kVuGnssAdRecord, 56, gnss, [&](ByteWriter& r, int) {
        const std::uint32_t time = withoutTagByte(day.midnight + (day.firstMinute + 180) * 60);
        r.u32(time);
        card(r, driver);
        fields::noCardNumberAndGeneration(r);
        r.u32(time);
        r.u8(static_cast<std::uint8_t>(random.between(1, 20)));
        r.u24(random.value(0x7FFFFF, 3));
        r.u24(random.value(0x7FFFFF, 3));
        r.u24(withoutTagByte(day.odometerStart + day.distance / 2, 3));
    });
    recordArray(w, kSpecificConditionRecord, 5, 0, [](ByteWriter&, int) {});
    signatureArray(w, random);
    return out;
}

Bytes eventsAndFaults(const VehicleStory& story, Random& random) {
    const VehicleUnitOptions& s = story.options;
    Bytes out;
    ByteWriter w(out);
    auto someTime = [&] { return random.time(s.downloadTime - 300 * 86400, s.downloadTime - 3600); };
    auto fourCards = [&](ByteWriter& r, const StoryCard& c) {
        card(r, c);
        fields::noCardNumberAndGeneration(r);
        card(r, c);
        fields::noCardNumberAndGeneration(r);
    };
    recordArray(w, kVuFaultRecord, 90, random.between(0, 2), [&](ByteWriter& r, int) {
        const std::uint32_t begin = someTime();
        r.u8(static_cast<std::uint8_t>(0x30 + random.below(6)));
        r.u8(0x01);
        r.u32(begin);
        r.u32(withoutTagByte(begin + 300 + random.below(7200)));
        fourCards(r, story.drivers.front());
        r.zeros(4);  // manufacturer specific
    });
    recordArray(w, kVuEventRecord, 91, random.between(1, 4), [&](ByteWriter& r, int) {
        const std::uint32_t begin = someTime();
        r.u8(0x08);
        r.u8(0x02);
        r.u32(begin);
        r.u32(withoutTagByte(begin + 60 + random.below(600)));
        fourCards(r, story.drivers.back());
        r.u8(static_cast<std::uint8_t>(random.between(0, 3)));
        r.zeros(4);
    });
    recordArray(w, kVuOverSpeedingControlData, 9, 1, [&](ByteWriter& r, int) {
        r.u32(random.time(s.downloadTime - 30 * 86400, s.downloadTime - 86400));
        r.u32(random.time(s.downloadTime - 60 * 86400, s.downloadTime - 31 * 86400));
        r.u8(static_cast<std::uint8_t>(random.between(0, 3)));
    });
    recordArray(w, kVuOverSpeedingEventRecord, 32, random.between(0, 2), [&](ByteWriter& r, int) {
        const std::uint32_t begin = someTime();
        r.u8(0x07);
        r.u8(0x03);
        r.u32(begin);
        r.u32(withoutTagByte(begin + 60 + random.below(120)));
        r.u8(static_cast<std::uint8_t>(random.between(91, 99)));
        r.u8(static_cast<std::uint8_t>(random.between(90, 92)));
        card(r, story.drivers.front());
        r.u8(0);
    });
    recordArray(w, kVuTimeAdjustmentRecord, 99, random.between(0, 1), [&](ByteWriter& r, int) {
        const std::uint32_t old = someTime();
        r.u32(old);
        r.u32(withoutTagByte(old + static_cast<std::uint32_t>(random.between(5, 60))));
        fields::name(r, story.workshop);
        fields::name(r, story.workshopAddress);
        card(r, story.workshopCard);
    });
    signatureArray(w, random);
    return out;
}

Bytes detailedSpeed(const VehicleStory& story, Random& random) {
    // The most recent minutes of driving, one 60-speed block per minute.
    std::vector<std::uint32_t> minutes;
    for (auto day = story.days.rbegin(); day != story.days.rend(); ++day) {
        for (std::size_t i = day->spans.size(); i-- > 0;) {
            if (day->spans[i].activity != kDriving) continue;
            const int end = i + 1 < day->spans.size() ? day->spans[i + 1].startMinute : 1440;
            for (int m = end - 1; m >= day->spans[i].startMinute; --m) {
                if (static_cast<int>(minutes.size()) >= story.options.speedMinutes) break;
                const std::uint32_t t = day->midnight + static_cast<std::uint32_t>(m) * 60;
                if (withoutTagByte(t) == t) minutes.insert(minutes.begin(), t);
            }
        }
    }
    Bytes out;
    ByteWriter w(out);
    recordArray(w, kVuDetailedSpeedBlock, 64, static_cast<int>(minutes.size()), [&](ByteWriter& r, int i) {
        r.u32(minutes[static_cast<std::size_t>(i)]);
        int speed = random.between(40, 85);
        for (int k = 0; k < 60; ++k) {
            speed = std::min(90, std::max(0, speed + random.between(-3, 3)));
            r.u8(static_cast<std::uint8_t>(speed));
        }
    });
    signatureArray(w, random);
    return out;
}

Bytes technicalData(const VehicleStory& story, Random& random) {
    const VehicleUnitOptions& s = story.options;
    Bytes out;
    ByteWriter w(out);
    recordArray(w, kVuIdentification, 126, 1, [&](ByteWriter& r, int) {
        fields::name(r, "OSTWERK FAHRTENSCHREIBER AG");
        fields::name(r, "MESSWEG 4, 78048 SCHWARZTAL");
        r.text("2910." + random.digits(7), 16);
        fields::extendedSerialNumber(r, random, 6, 0x21);
        r.text("04." + random.digits(1), 4);
        r.u32(random.time(s.downloadTime - 900 * 86400, s.downloadTime - 400 * 86400));
        r.u32(random.time(s.downloadTime - 1200 * 86400, s.downloadTime - 900 * 86400));
        r.text("e1-" + random.digits(4), 16);
        r.u8(0x02);  // generation
        r.u8(0x00);  // abilities
    });
    recordArray(w, kSensorPairedRecord, 28, 1, [&](ByteWriter& r, int) {
        fields::extendedSerialNumber(r, random, 7, 0x21);
        r.text("e1-" + random.digits(4), 16);
        r.u32(random.time(s.downloadTime - 800 * 86400, s.downloadTime - 700 * 86400));
    });
    recordArray(w, kSensorExternalGnssCoupledRecord, 28, 1, [&](ByteWriter& r, int) {
        fields::extendedSerialNumber(r, random, 0x0F, 0x21);
        r.text("e1-" + random.digits(4), 16);
        r.u32(random.time(s.downloadTime - 800 * 86400, s.downloadTime - 700 * 86400));
    });
    std::uint32_t odometer = story.days.empty() ? 1000 : story.days.front().odometerStart / 2;
    recordArray(w, kVuCalibrationRecord, 212, s.calibrations, [&](ByteWriter& r, int i) {
        const std::uint32_t time = random.time(s.downloadTime - static_cast<std::uint32_t>(700 - 300 * i) * 86400,
                                               s.downloadTime - static_cast<std::uint32_t>(650 - 300 * i) * 86400);
        r.u8(static_cast<std::uint8_t>(i == 0 ? 0x03 : 0x04));
        fields::name(r, story.workshop);
        fields::name(r, story.workshopAddress);
        fields::fullCardNumber(r, story.workshopCard.type, story.workshopCard.nation, story.workshopCard.number);
        r.u32(story.workshopCard.expiry);
        r.text(s.vin, 17);
        fields::vehicleRegistration(r, s.nation, s.registration);
        r.u16(withoutTagByte(static_cast<std::uint32_t>(random.between(7800, 8200)), 2));
        r.u16(withoutTagByte(static_cast<std::uint32_t>(random.between(7800, 8200)), 2));
        r.u16(withoutTagByte(static_cast<std::uint32_t>(random.between(3100, 3300)), 2));
        r.text("315/80 R22.5", 15);
        r.u8(90);
        odometer = withoutTagByte(odometer, 3);
        r.u24(odometer);
        r.u24(odometer);
        r.u32(time);
        r.u32(time);
        r.u32(withoutTagByte(time + 730 * 86400));
        for (int seal = 0; seal < 5; ++seal) {  // seal records: equipment type, identifier
            r.u8(static_cast<std::uint8_t>(seal < 2 ? 6 + seal : 0));
            if (seal < 2) random.dataBytes(r, 8);
            else r.zeros(8);
        }
        odometer += static_cast<std::uint32_t>(random.between(20000, 90000));
    });
    recordArray(w, kVuCardRecord, 45, static_cast<int>(story.drivers.size()), [&](ByteWriter& r, int i) {
        const StoryCard& c = story.drivers[static_cast<std::size_t>(i)];
        card(r, c);
        fields::extendedSerialNumber(r, random, 1, 0x10);
        r.u16(0x0100);
        r.text(c.number, 16);
    });
    recordArray(w, kVuItsConsentRecord, 20, static_cast<int>(story.drivers.size()), [&](ByteWriter& r, int i) {
        card(r, story.drivers[static_cast<std::size_t>(i)]);
        r.u8(static_cast<std::uint8_t>(random.below(2)));
    });
    recordArray(w, kVuPowerSupplyInterruptionRecord, 87, 0, [](ByteWriter&, int) {});
    signatureArray(w, random);
    return out;
}

Bytes genericSData(const VehicleStory& story, std::uint16_t tag, Random& random) {
    Bytes out;
    ByteWriter w(out);
    recordArray(w, kCurrentDateTime, 4, 1, [&](ByteWriter& r, int) { r.u32(story.options.downloadTime); });
    randomArray(w, random, static_cast<std::uint8_t>(tag & 0xFF), 24, random.between(1, 6));
    signatureArray(w, random);
    return out;
}

}  // namespace

std::vector<VehicleUnitBlock> gen2Blocks(const VehicleStory& story) {
    Random random(story.options.seed ^ 0x2100000000ull);
    std::vector<VehicleUnitBlock> blocks;
    blocks.push_back({0x7621, overview(story, random)});
    for (std::size_t d = 0; d < story.days.size(); ++d) blocks.push_back({0x7622, activities(story, d, random)});
    blocks.push_back({0x7623, eventsAndFaults(story, random)});
    blocks.push_back({0x7624, detailedSpeed(story, random)});
    blocks.push_back({0x7625, technicalData(story, random)});
    return blocks;
}

VehicleUnitBlock sBlock(const VehicleStory& story, std::uint16_t tag) {
    Random random(story.options.seed ^ (0x1100000000ull + tag));
    switch (tag) {
        case 0x7611: return {tag, overview(story, random)};
        case 0x7612: return {tag, activities(story, story.days.size() - 1, random)};
        case 0x7613: return {tag, eventsAndFaults(story, random)};
        case 0x7614: return {tag, detailedSpeed(story, random)};
        case 0x7615: return {tag, technicalData(story, random)};
        default: return {tag, genericSData(story, tag, random)};
    }
}

}  // namespace oltrex::testdata
