// Generation-1 vehicle-unit blocks (TREP 0x01-0x05): fixed parts and counted
// record lists of the EU download format, generation 1.
#include <algorithm>

#include "Fields.h"
#include "VehicleStory.h"

namespace oltrex::testdata {

namespace {

constexpr std::size_t kGen1Certificate = 194;
constexpr std::size_t kGen1Signature = 128;

void cardNumber(ByteWriter& w, const StoryCard& c) { fields::fullCardNumber(w, c.type, c.nation, c.number); }

Bytes overview(const VehicleStory& story, Random& random) {
    const VehicleUnitOptions& s = story.options;
    Bytes out;
    ByteWriter w(out);
    random.dataBytes(w, kGen1Certificate);  // member state certificate
    random.dataBytes(w, kGen1Certificate);  // vehicle unit certificate
    w.text(s.vin, 17);
    fields::vehicleRegistration(w, s.nation, s.registration);
    w.u32(s.downloadTime);
    // Downloadable period.
    w.u32(story.days.empty() ? withoutTagByte(s.downloadTime - 86400) : story.days.front().midnight);
    w.u32(withoutTagByte(s.downloadTime - 60));
    w.u8(0x01);  // card slots: driver card in the driver slot
    // Last download: time, company card, company name.
    w.u32(story.previousDownload);
    cardNumber(w, story.companyCard);
    fields::name(w, story.company);
    expectBlockSize(out, 491, "overview fixed part");

    w.u8(static_cast<std::uint8_t>(s.companyLocks));
    for (int i = 0; i < s.companyLocks; ++i) {
        w.u32(random.time(s.downloadTime - 900 * 86400, s.downloadTime - 300 * 86400));  // lock in
        w.u32(i + 1 < s.companyLocks ? random.time(s.downloadTime - 290 * 86400, s.downloadTime - 100 * 86400) : 0);
        fields::name(w, story.company);
        fields::name(w, story.companyAddress);
        cardNumber(w, story.companyCard);
    }
    w.u8(static_cast<std::uint8_t>(s.controls));
    for (int i = 0; i < s.controls; ++i) {
        const std::uint32_t time = random.time(s.downloadTime - 60 * 86400, s.downloadTime - 86400);
        w.u8(0xC0);  // card and vehicle unit downloaded
        w.u32(time);
        cardNumber(w, story.controlCard);
        w.u32(withoutTagByte(time - 28 * 86400));
        w.u32(time);
    }
    random.dataBytes(w, kGen1Signature);
    return out;
}

Bytes activities(const VehicleStory& story, std::size_t dayIndex, Random& random) {
    const VehicleUnitOptions& s = story.options;
    const WorkDay& day = story.days[dayIndex];
    const StoryCard& driver = story.drivers[story.driverOfDay[dayIndex]];
    Bytes out;
    ByteWriter w(out);
    w.u32(day.midnight);
    w.u24(day.odometerStart);
    // Card insertion and withdrawal.
    const std::uint32_t inserted = withoutTagByte(day.midnight + day.firstMinute * 60 - 120);
    const std::uint32_t withdrawn = withoutTagByte(day.midnight + day.lastMinute * 60 + 60);
    w.u16(1);
    fields::name(w, driver.surname);
    fields::name(w, driver.firstNames);
    cardNumber(w, driver);
    w.u32(driver.expiry);
    w.u32(inserted);
    w.u24(day.odometerStart);
    w.u8(0);  // driver slot
    w.u32(withdrawn);
    w.u24(withoutTagByte(day.odometerStart + day.distance, 3));
    fields::vehicleRegistration(w, s.nation, story.previousRegistration);
    w.u32(withoutTagByte(inserted - 11 * 3600));
    w.u8(0);  // no manual input
    // Activity changes of the driver slot.
    w.u16(static_cast<std::uint16_t>(day.spans.size()));
    for (const ActivitySpan& span : day.spans) {
        const bool cardIn = span.startMinute != 0;
        w.u16(fields::activityChange(0, 0, cardIn ? 0 : 1, span.activity, span.startMinute));
    }
    // Places at the begin and end of the daily work period.
    w.u8(2);
    for (int end = 0; end < 2; ++end) {
        cardNumber(w, driver);
        w.u32(end ? withdrawn : inserted);
        w.u8(static_cast<std::uint8_t>(end));
        w.u8(s.nation);
        w.u8(static_cast<std::uint8_t>(random.below(0x10)));
        w.u24(withoutTagByte(day.odometerStart + (end ? day.distance : 0), 3));
    }
    // Specific conditions: none on most days.
    const bool ferry = random.chance(15);
    w.u16(ferry ? 2 : 0);
    if (ferry) {
        const std::uint32_t begin = random.time(inserted, withdrawn);
        w.u32(begin);
        w.u8(0x03);
        w.u32(withoutTagByte(begin + 2400));
        w.u8(0x03);
    }
    random.dataBytes(w, kGen1Signature);
    return out;
}

Bytes eventsAndFaults(const VehicleStory& story, Random& random) {
    const VehicleUnitOptions& s = story.options;
    Bytes out;
    ByteWriter w(out);
    auto someTime = [&] { return random.time(s.downloadTime - 300 * 86400, s.downloadTime - 3600); };
    auto fourCards = [&](const StoryCard* driver) {
        for (int i = 0; i < 4; ++i) {
            if (driver && (i == 0 || i == 2)) cardNumber(w, *driver);
            else fields::noCardNumber(w);
        }
    };
    const int faultCount = random.between(0, 2);
    w.u8(static_cast<std::uint8_t>(faultCount));
    for (int i = 0; i < faultCount; ++i) {
        const std::uint32_t begin = someTime();
        w.u8(static_cast<std::uint8_t>(0x30 + random.below(6)));  // recording equipment fault
        w.u8(0x01);
        w.u32(begin);
        w.u32(withoutTagByte(begin + 300 + random.below(7200)));
        fourCards(story.drivers.empty() ? nullptr : &story.drivers.front());
    }
    const int eventCount = random.between(1, 4);
    w.u8(static_cast<std::uint8_t>(eventCount));
    for (int i = 0; i < eventCount; ++i) {
        const std::uint32_t begin = someTime();
        static constexpr std::uint8_t kEventTypes[] = {0x05, 0x08, 0x09};  // insertion while driving, power, motion
        w.u8(kEventTypes[random.below(3)]);
        w.u8(0x02);
        w.u32(begin);
        w.u32(withoutTagByte(begin + 60 + random.below(600)));
        fourCards(&story.drivers[random.below(static_cast<std::uint32_t>(story.drivers.size()))]);
        w.u8(static_cast<std::uint8_t>(random.between(0, 3)));
    }
    // Overspeeding control data.
    w.u32(random.time(s.downloadTime - 30 * 86400, s.downloadTime - 86400));
    w.u32(random.time(s.downloadTime - 60 * 86400, s.downloadTime - 31 * 86400));
    w.u8(static_cast<std::uint8_t>(random.between(0, 3)));
    const int overspeeds = random.between(0, 2);
    w.u8(static_cast<std::uint8_t>(overspeeds));
    for (int i = 0; i < overspeeds; ++i) {
        const std::uint32_t begin = someTime();
        w.u8(0x07);
        w.u8(0x03);
        w.u32(begin);
        w.u32(withoutTagByte(begin + 60 + random.below(120)));
        w.u8(static_cast<std::uint8_t>(random.between(91, 99)));
        w.u8(static_cast<std::uint8_t>(random.between(90, 92)));
        cardNumber(w, story.drivers.front());
        w.u8(0);
    }
    const int adjustments = random.between(0, 1);
    w.u8(static_cast<std::uint8_t>(adjustments));
    for (int i = 0; i < adjustments; ++i) {
        const std::uint32_t old = someTime();
        w.u32(old);
        w.u32(withoutTagByte(old + static_cast<std::uint32_t>(random.between(5, 60))));
        fields::name(w, story.workshop);
        fields::name(w, story.workshopAddress);
        cardNumber(w, story.workshopCard);
    }
    random.dataBytes(w, kGen1Signature);
    return out;
}

// One block of 60 speeds per minute of driving on the most recent days.
std::vector<std::uint32_t> drivingMinutes(const VehicleStory& story, int wanted) {
    std::vector<std::uint32_t> minutes;
    for (auto day = story.days.rbegin(); day != story.days.rend() && static_cast<int>(minutes.size()) < wanted; ++day) {
        std::vector<std::uint32_t> ofDay;
        for (std::size_t i = 0; i < day->spans.size(); ++i) {
            if (day->spans[i].activity != kDriving) continue;
            const int end = i + 1 < day->spans.size() ? day->spans[i + 1].startMinute : 1440;
            for (int m = day->spans[i].startMinute; m < end; ++m) {
                const std::uint32_t t = day->midnight + static_cast<std::uint32_t>(m) * 60;
                if (withoutTagByte(t) == t) ofDay.push_back(t);
            }
        }
        const std::size_t take = std::min(ofDay.size(), static_cast<std::size_t>(wanted) - minutes.size());
        minutes.insert(minutes.begin(), ofDay.end() - static_cast<std::ptrdiff_t>(take), ofDay.end());
    }
    return minutes;
}

void speeds(ByteWriter& w, Random& random) {
    int speed = random.between(40, 85);
    for (int i = 0; i < 60; ++i) {
        speed = std::clamp(speed + random.between(-3, 3), 0, 90);
        w.u8(static_cast<std::uint8_t>(speed));
    }
}

Bytes detailedSpeed(const VehicleStory& story, Random& random) {
    const std::vector<std::uint32_t> minutes = drivingMinutes(story, story.options.speedMinutes);
    Bytes out;
    ByteWriter w(out);
    w.u16(static_cast<std::uint16_t>(minutes.size()));
    for (const auto begin : minutes) {
        w.u32(begin);
        speeds(w, random);
    }
    random.dataBytes(w, kGen1Signature);
    return out;
}

Bytes technicalData(const VehicleStory& story, Random& random) {
    const VehicleUnitOptions& s = story.options;
    Bytes out;
    ByteWriter w(out);
    // Vehicle unit identification.
    fields::name(w, "OSTWERK FAHRTENSCHREIBER AG");
    fields::name(w, "MESSWEG 4, 78048 SCHWARZTAL");
    w.text("1381." + random.digits(7), 16);
    fields::extendedSerialNumber(w, random, 6, 0x21);
    w.text("0" + random.digits(1) + "." + random.digits(1), 4);  // software version
    w.u32(random.time(s.downloadTime - 1500 * 86400, s.downloadTime - 900 * 86400));
    w.u32(random.time(s.downloadTime - 2000 * 86400, s.downloadTime - 1500 * 86400));
    w.text("e1-" + random.digits(3), 8);
    // Paired motion sensor.
    fields::extendedSerialNumber(w, random, 7, 0x21);
    w.text("e1-" + random.digits(3), 8);
    w.u32(random.time(s.downloadTime - 1400 * 86400, s.downloadTime - 800 * 86400));
    expectBlockSize(out, 136, "technical data fixed part");
    // Calibrations.
    w.u8(static_cast<std::uint8_t>(s.calibrations));
    std::uint32_t odometer = story.days.empty() ? 1000 : story.days.front().odometerStart / 2;
    for (int i = 0; i < s.calibrations; ++i) {
        const std::uint32_t time =
            random.time(s.downloadTime - static_cast<std::uint32_t>(700 - 300 * i) * 86400,
                        s.downloadTime - static_cast<std::uint32_t>(650 - 300 * i) * 86400);
        w.u8(static_cast<std::uint8_t>(i == 0 ? 0x03 : 0x04));  // installation, periodic inspection
        fields::name(w, story.workshop);
        fields::name(w, story.workshopAddress);
        cardNumber(w, story.workshopCard);
        w.u32(story.workshopCard.expiry);
        w.text(s.vin, 17);
        fields::vehicleRegistration(w, s.nation, s.registration);
        w.u16(withoutTagByte(static_cast<std::uint32_t>(random.between(7800, 8200)), 2));  // w
        w.u16(withoutTagByte(static_cast<std::uint32_t>(random.between(7800, 8200)), 2));  // k
        w.u16(withoutTagByte(static_cast<std::uint32_t>(random.between(3100, 3300)), 2));  // l in 1/8 mm
        w.text("315/80 R22.5", 15);
        w.u8(90);
        odometer = withoutTagByte(odometer, 3);
        w.u24(odometer);
        w.u24(odometer);
        w.u32(time);
        w.u32(time);
        w.u32(withoutTagByte(time + 730 * 86400));
        odometer += static_cast<std::uint32_t>(random.between(20000, 90000));
    }
    random.dataBytes(w, kGen1Signature);
    return out;
}

}  // namespace

std::vector<VehicleUnitBlock> gen1Blocks(const VehicleStory& story) {
    Random random(story.options.seed ^ 0x0100000000ull);
    std::vector<VehicleUnitBlock> blocks;
    blocks.push_back({0x7601, overview(story, random)});
    for (std::size_t d = 0; d < story.days.size(); ++d) blocks.push_back({0x7602, activities(story, d, random)});
    blocks.push_back({0x7603, eventsAndFaults(story, random)});
    blocks.push_back({0x7604, detailedSpeed(story, random)});
    blocks.push_back({0x7605, technicalData(story, random)});
    return blocks;
}

}  // namespace oltrex::testdata
