#include "oltrex/testdata/CardBuilder.h"

#include <stdexcept>

#include "Fields.h"
#include "History.h"
#include "Invented.h"
#include "oltrex/testdata/FileNames.h"

namespace oltrex::testdata {

namespace {

// Record counts of the cyclic EFs (they give the converter's sizes).
constexpr int kEventsPerType = 12;
constexpr int kFaultsPerType = 24;
constexpr int kActivityBytes = 13776;
constexpr int kVehicleRecords = 200;
constexpr int kPlaceRecords = 112;
constexpr int kGen1SpecificConditions = 56;
constexpr int kGen2SpecificConditions = 112;
constexpr int kVehicleUnitRecords = 200;
constexpr int kGnssRecords = 336;
constexpr int kCalibrationRecords = 88;
constexpr int kCalibrationRecordSize = 105;
constexpr int kActivityRecords = 230;  // controller and company activity
constexpr int kActivityRecordSize = 46;

struct CardVehicle {
    std::string registration;
    std::string vin;
    std::uint8_t nation = 13;
};

// Everything the EF writers share: the resolved options and the invented history.
struct CardStory {
    CardOptions options;
    std::array<std::uint8_t, 8> chip{};
    InventedPerson holder;
    std::string authority;
    std::string address;
    std::string licenceNumber;
    std::uint32_t issueDate = 0, validityBegin = 0, expiryDate = 0, lastDownload = 0;
    std::vector<WorkDay> days;
    std::vector<CardVehicle> vehicles;
    std::vector<std::size_t> vehicleOfDay;
};

void expectSize(const Bytes& data, std::size_t size, const char* what) {
    if (data.size() != size)
        throw std::logic_error(std::string("generated EF ") + what + " has " + std::to_string(data.size()) +
                               " bytes instead of " + std::to_string(size));
}

std::uint8_t equipmentType(CardType type) { return static_cast<std::uint8_t>(type); }

Bytes signature(Random& random, std::size_t size) {
    Bytes out;
    ByteWriter w(out);
    random.dataBytes(w, size);
    return out;
}

Bytes certificate(Random& random, bool gen2) {
    Bytes out;
    ByteWriter w(out);
    if (!gen2) {
        random.dataBytes(w, 194);
        return out;
    }
    // An ECC certificate: tag 7F21, length 200.
    w.u8(0x7F);
    w.u8(0x21);
    w.u8(0x81);
    w.u8(0xC8);
    random.dataBytes(w, 201);
    return out;
}

Bytes icc(const CardStory& story, Random& random) {
    Bytes out;
    ByteWriter w(out);
    w.u8(static_cast<std::uint8_t>(random.below(0x10)));  // clock stop mode
    fields::extendedSerialNumber(w, random, equipmentType(story.options.type), 0x10 + static_cast<std::uint8_t>(random.below(0x20)));
    w.text("e1-" + random.digits(3), 8);                  // card approval number
    w.u8(static_cast<std::uint8_t>(random.between(1, 0x40)));  // personaliser
    w.text(countryText(story.options.nation), 2);          // embedder country
    unsigned embedder;
    do {
        embedder = random.below(10000);
    } while (fields::bcdHasTagByte(embedder, 4));
    fields::bcd(w, embedder, 4);
    w.u8(random.dataByte());  // manufacturer information
    w.u8(random.dataByte());  // IC identifier
    w.u8(random.dataByte());
    expectSize(out, 25, "ICC");
    return out;
}

Bytes applicationIdentification(const CardStory& story, bool gen2) {
    Bytes out;
    ByteWriter w(out);
    w.u8(static_cast<std::uint8_t>(story.options.type));
    w.u16(gen2 ? 0x0100 : 0x0001);  // card structure version
    w.u8(kEventsPerType);
    w.u8(kFaultsPerType);
    w.u16(kActivityBytes);
    w.u16(kVehicleRecords);
    if (!gen2) {
        w.u8(kPlaceRecords);
        expectSize(out, 10, "application identification");
        return out;
    }
    w.u16(kPlaceRecords);
    w.u16(kGnssRecords);
    w.u16(kGen2SpecificConditions);
    w.u16(kVehicleUnitRecords);
    expectSize(out, 17, "application identification");
    return out;
}

Bytes identification(const CardStory& story, std::size_t size) {
    const CardOptions& s = story.options;
    Bytes out;
    ByteWriter w(out);
    w.u8(s.nation);
    w.text(s.cardNumber, 16);
    fields::name(w, story.authority);
    w.u32(story.issueDate);
    w.u32(story.validityBegin);
    w.u32(story.expiryDate);
    // Holder part of the card type.
    switch (s.type) {
        case CardType::Driver:
            fields::name(w, s.surname);
            fields::name(w, s.firstNames);
            fields::bcdDate(w, story.holder.birthYear, story.holder.birthMonth, story.holder.birthDay);
            w.text("de", 2);
            break;
        case CardType::Workshop:
        case CardType::Control:
            fields::name(w, s.organisation);
            fields::name(w, story.address);
            fields::name(w, s.surname);
            fields::name(w, s.firstNames);
            w.text("de", 2);
            break;
        case CardType::Company:
            fields::name(w, s.organisation);
            fields::name(w, story.address);
            w.text("de", 2);
            break;
    }
    out.resize(size, 0x00);
    return out;
}

Bytes cardDownload(const CardStory& story) {
    Bytes out;
    ByteWriter w(out);
    w.u32(story.lastDownload);
    return out;
}

Bytes drivingLicence(const CardStory& story) {
    Bytes out;
    ByteWriter w(out);
    fields::name(w, story.authority);
    w.u8(story.options.nation);
    w.text(story.licenceNumber, 16);
    expectSize(out, 53, "driving licence");
    return out;
}

// CardEventRecord / CardFaultRecord: type, begin, end, vehicle registration (24 bytes).
void eventRecord(ByteWriter& w, std::uint8_t type, std::uint32_t begin, std::uint32_t end, const CardVehicle& v) {
    w.u8(type);
    w.u32(begin);
    w.u32(end);
    fields::vehicleRegistration(w, v.nation, v.registration);
}

Bytes events(const CardStory& story, Random& random, bool gen2) {
    static constexpr std::uint8_t kGen1Types[] = {0x03, 0x05, 0x06, 0x08, 0x09, 0x10};
    static constexpr std::uint8_t kGen2Types[] = {0x03, 0x05, 0x06, 0x08, 0x09, 0x10, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E};
    const std::span<const std::uint8_t> types = gen2 ? std::span<const std::uint8_t>(kGen2Types)
                                                     : std::span<const std::uint8_t>(kGen1Types);
    Bytes out;
    ByteWriter w(out);
    for (const auto type : types) {
        const int used = story.days.empty() ? 0 : random.between(0, 2);
        for (int i = 0; i < kEventsPerType; ++i) {
            if (i < used) {
                const auto d = random.below(static_cast<std::uint32_t>(story.days.size()));
                const WorkDay& day = story.days[d];
                const std::uint32_t begin = random.time(day.midnight + day.firstMinute * 60, day.midnight + day.lastMinute * 60);
                eventRecord(w, type, begin, withoutTagByte(begin + random.below(600)), story.vehicles[story.vehicleOfDay[d]]);
            } else {
                w.zeros(24);
            }
        }
    }
    expectSize(out, types.size() * kEventsPerType * 24, "events");
    return out;
}

Bytes faults(const CardStory& story, Random& random) {
    static constexpr std::uint8_t kTypes[] = {0x30, 0x20};  // recording equipment, card
    Bytes out;
    ByteWriter w(out);
    for (const auto type : kTypes) {
        const int used = story.days.empty() ? 0 : random.between(0, 1);
        for (int i = 0; i < kFaultsPerType; ++i) {
            if (i < used) {
                const auto d = random.below(static_cast<std::uint32_t>(story.days.size()));
                const WorkDay& day = story.days[d];
                const std::uint32_t begin = random.time(day.midnight + day.firstMinute * 60, day.midnight + day.lastMinute * 60);
                eventRecord(w, static_cast<std::uint8_t>(type + random.below(4)), begin,
                            withoutTagByte(begin + 60 + random.below(3600)), story.vehicles[story.vehicleOfDay[d]]);
            } else {
                w.zeros(24);
            }
        }
    }
    expectSize(out, 1152, "faults");
    return out;
}

// Driver activity: two pointers, then the cyclic buffer of daily records
// (previous length, length, date, presence counter, distance, activity changes).
Bytes driverActivity(const CardStory& story, Random& random) {
    Bytes ring(kActivityBytes, 0x00);
    std::vector<Bytes> records;
    unsigned counter = static_cast<unsigned>(random.between(20, 900));
    std::uint16_t previous = 0;
    for (const WorkDay& day : story.days) {
        Bytes rec;
        ByteWriter w(rec);
        const auto length = static_cast<std::uint16_t>(12 + 2 * day.spans.size());
        w.u16(previous);
        w.u16(length);
        w.u32(day.midnight);
        while (fields::bcdHasTagByte(counter, 4)) ++counter;
        fields::bcd(w, counter++, 4);
        w.u16(static_cast<std::uint16_t>(day.distance));
        for (const ActivitySpan& span : day.spans) w.u16(fields::activityChange(0, 0, 0, span.activity, span.startMinute));
        previous = length;
        records.push_back(std::move(rec));
    }
    // Where the buffer starts: a position whose pointers hold no 0x76 byte.
    std::uint32_t start = random.below(kActivityBytes);
    std::uint32_t oldest = 0, newest = 0;
    for (;; start = (start + 1) % kActivityBytes) {
        std::uint32_t pos = start;
        oldest = newest = start;
        for (const Bytes& rec : records) {
            newest = pos;
            pos = (pos + static_cast<std::uint32_t>(rec.size())) % kActivityBytes;
        }
        if (withoutTagByte(oldest, 2) == oldest && withoutTagByte(newest, 2) == newest) break;
    }
    std::uint32_t pos = start;
    for (const Bytes& rec : records)
        for (const auto b : rec) {
            ring[pos] = b;
            pos = (pos + 1) % kActivityBytes;
        }
    Bytes out;
    ByteWriter w(out);
    w.u16(static_cast<std::uint16_t>(oldest));
    w.u16(static_cast<std::uint16_t>(newest));
    w.bytes(ring);
    expectSize(out, 13780, "driver activity");
    return out;
}

// Vehicles used: newest-record pointer, then one record per stretch in a vehicle.
Bytes vehiclesUsed(const CardStory& story, Random& random, bool gen2) {
    Bytes out;
    ByteWriter w(out);
    const std::size_t recordSize = gen2 ? 48 : 31;
    std::vector<Bytes> records;
    std::size_t first = 0;
    for (std::size_t d = 0; d < story.days.size(); ++d) {
        const bool last = d + 1 == story.days.size() || story.vehicleOfDay[d + 1] != story.vehicleOfDay[d];
        if (!last) continue;
        const WorkDay& a = story.days[first];
        const WorkDay& b = story.days[d];
        const CardVehicle& v = story.vehicles[story.vehicleOfDay[d]];
        Bytes rec;
        ByteWriter r(rec);
        r.u24(a.odometerStart);
        r.u24(withoutTagByte(b.odometerStart + b.distance, 3));
        r.u32(withoutTagByte(a.midnight + a.firstMinute * 60));
        r.u32(withoutTagByte(b.midnight + b.lastMinute * 60));
        fields::vehicleRegistration(r, v.nation, v.registration);
        unsigned counter;
        do {
            counter = random.below(10000);
        } while (fields::bcdHasTagByte(counter, 4));
        fields::bcd(r, counter, 4);
        if (gen2) r.text(v.vin, 17);
        records.push_back(std::move(rec));
        first = d + 1;
    }
    w.u16(records.empty() ? 0 : static_cast<std::uint16_t>(records.size() - 1));
    for (const Bytes& rec : records) w.bytes(rec);
    w.zeros(static_cast<std::size_t>(kVehicleRecords - static_cast<int>(records.size())) * recordSize);
    expectSize(out, gen2 ? 9602 : 6202, "vehicles used");
    return out;
}

// Places: begin and end of every working day.
Bytes places(const CardStory& story, Random& random, bool gen2) {
    Bytes out;
    ByteWriter w(out);
    const std::size_t recordSize = gen2 ? 21 : 10;
    int count = 0;
    Bytes body;
    ByteWriter b(body);
    for (const WorkDay& day : story.days) {
        for (int end = 0; end < 2 && count < kPlaceRecords; ++end, ++count) {
            const std::uint32_t time = withoutTagByte(day.midnight + (end ? day.lastMinute : day.firstMinute) * 60);
            b.u32(time);
            b.u8(static_cast<std::uint8_t>(end));  // 0 begin, 1 end of the daily work period
            b.u8(story.options.nation);
            b.u8(static_cast<std::uint8_t>(random.below(0x10)));  // region
            b.u24(withoutTagByte(day.odometerStart + (end ? day.distance : 0), 3));
            if (gen2) {
                b.u32(time);                                       // GNSS time stamp
                b.u8(static_cast<std::uint8_t>(random.between(1, 20)));  // accuracy
                b.u24(random.value(0x7FFFFF, 3));                  // longitude
                b.u24(random.value(0x7FFFFF, 3));                  // latitude
            }
        }
    }
    if (gen2) w.u16(count ? static_cast<std::uint16_t>(count - 1) : 0);
    else w.u8(count ? static_cast<std::uint8_t>(count - 1) : 0);
    w.bytes(body);
    w.zeros(static_cast<std::size_t>(kPlaceRecords - count) * recordSize);
    expectSize(out, gen2 ? 2354 : 1121, "places");
    return out;
}

Bytes currentUsage(const CardStory& story, Random& random) {
    Bytes out;
    ByteWriter w(out);
    const CardVehicle& v = story.vehicles.back();
    w.u32(random.time(story.options.downloadTime - 6 * 3600, story.options.downloadTime - 600));
    fields::vehicleRegistration(w, v.nation, v.registration);
    return out;
}

Bytes controlActivity(const CardStory& story, Random& random) {
    Bytes out;
    ByteWriter w(out);
    if (story.days.empty() || random.chance(50)) {
        w.zeros(46);
        return out;
    }
    const WorkDay& day = story.days[random.below(static_cast<std::uint32_t>(story.days.size()))];
    const std::uint32_t time = random.time(day.midnight + day.firstMinute * 60, day.midnight + day.lastMinute * 60);
    w.u8(0x90);  // card downloaded, displayed
    w.u32(time);
    Random cardRandom = random.fork(0xC0);
    fields::fullCardNumber(w, CardType::Control, story.options.nation, inventCardNumber(cardRandom, CardType::Control));
    const CardVehicle& v = story.vehicles.front();
    fields::vehicleRegistration(w, v.nation, v.registration);
    w.u32(withoutTagByte(time - 28 * 86400));
    w.u32(time);
    expectSize(out, 46, "control activity");
    return out;
}

Bytes specificConditions(const CardStory& story, Random& random, bool gen2) {
    Bytes out;
    ByteWriter w(out);
    const int records = gen2 ? kGen2SpecificConditions : kGen1SpecificConditions;
    int used = 0;
    Bytes body;
    ByteWriter b(body);
    if (!story.days.empty() && random.chance(50)) {
        const WorkDay& day = story.days[random.below(static_cast<std::uint32_t>(story.days.size()))];
        const std::uint32_t begin = random.time(day.midnight + day.firstMinute * 60, day.midnight + day.lastMinute * 60);
        b.u32(begin);
        b.u8(0x03);  // ferry or train crossing
        b.u32(withoutTagByte(begin + 3600));
        b.u8(0x03);
        used = 2;
    }
    if (gen2) w.u16(used ? static_cast<std::uint16_t>(used - 1) : 0);
    w.bytes(body);
    w.zeros(static_cast<std::size_t>(records - used) * 5);
    expectSize(out, gen2 ? 562 : 280, "specific conditions");
    return out;
}

Bytes vehicleUnitsUsed(const CardStory& story, Random& random) {
    Bytes out;
    ByteWriter w(out);
    const int used = std::min<int>(static_cast<int>(story.vehicles.size()), kVehicleUnitRecords);
    w.u16(used ? static_cast<std::uint16_t>(used - 1) : 0);
    for (int i = 0; i < used; ++i) {
        const WorkDay& day = story.days.empty() ? WorkDay{} : story.days[static_cast<std::size_t>(i) % story.days.size()];
        w.u32(withoutTagByte(day.midnight + day.firstMinute * 60));
        w.u8(static_cast<std::uint8_t>(0x10 + random.below(0x20)));  // manufacturer code
        w.u8(static_cast<std::uint8_t>(random.between(1, 9)));       // device id
        w.text("0" + random.digits(3), 4);                          // software version
    }
    w.zeros(static_cast<std::size_t>(kVehicleUnitRecords - used) * 10);
    expectSize(out, 2002, "vehicle units used");
    return out;
}

// GNSS accumulated driving: a position every three hours of driving.
Bytes gnssPlaces(const CardStory& story, Random& random) {
    Bytes out;
    ByteWriter w(out);
    Bytes body;
    ByteWriter b(body);
    int used = 0;
    for (const WorkDay& day : story.days) {
        if (used >= kGnssRecords) break;
        const std::uint32_t time = withoutTagByte(day.midnight + (day.firstMinute + 180) * 60);
        b.u32(time);
        b.u32(time);
        b.u8(static_cast<std::uint8_t>(random.between(1, 20)));
        b.u24(random.value(0x7FFFFF, 3));
        b.u24(random.value(0x7FFFFF, 3));
        b.u24(withoutTagByte(day.odometerStart + day.distance / 2, 3));
        ++used;
    }
    w.u16(used ? static_cast<std::uint16_t>(used - 1) : 0);
    w.bytes(body);
    w.zeros(static_cast<std::size_t>(kGnssRecords - used) * 18);
    expectSize(out, 6050, "GNSS places");
    return out;
}

// The EFs of workshop, control and company cards that the converter does not take.
Bytes filledRecords(Random& random, int records, int recordSize, int headerBytes, int used) {
    Bytes out;
    ByteWriter w(out);
    if (headerBytes == 3) {
        w.u16(static_cast<std::uint16_t>(used));
        w.u8(used ? static_cast<std::uint8_t>(used - 1) : 0);
    } else {
        w.u16(used ? static_cast<std::uint16_t>(used - 1) : 0);
    }
    for (int i = 0; i < records; ++i) {
        if (i < used) random.dataBytes(w, static_cast<std::size_t>(recordSize));
        else w.zeros(static_cast<std::size_t>(recordSize));
    }
    return out;
}

struct TypeFile {
    std::uint16_t fileId;
    Bytes data;
};

std::vector<TypeFile> cardTypeFiles(const CardStory& story, Random& random) {
    std::vector<TypeFile> files;
    switch (story.options.type) {
        case CardType::Driver: break;
        case CardType::Workshop: {
            files.push_back({0x050A, filledRecords(random, kCalibrationRecords, kCalibrationRecordSize, 3,
                                                   random.between(1, 6))});
            Bytes sensor;
            ByteWriter w(sensor);
            random.dataBytes(w, 16);
            files.push_back({0x050B, sensor});
            break;
        }
        case CardType::Control:
            files.push_back({0x050C, filledRecords(random, kActivityRecords, kActivityRecordSize, 2, random.between(1, 9))});
            break;
        case CardType::Company:
            files.push_back({0x050D, filledRecords(random, kActivityRecords, kActivityRecordSize, 2, random.between(1, 9))});
            break;
    }
    return files;
}

CardStory inventStory(const CardOptions& options) {
    CardStory story;
    story.options = options;
    CardOptions& s = story.options;
    Random people(options.seed * 0x2545F4914F6CDD1Dull + static_cast<std::uint64_t>(options.type));
    story.holder = inventPerson(people);
    if (s.surname.empty() && s.type != CardType::Company) s.surname = story.holder.surname;
    if (s.firstNames.empty() && s.type != CardType::Company) s.firstNames = story.holder.firstNames;
    if (s.organisation.empty()) {
        switch (s.type) {
            case CardType::Driver: break;
            case CardType::Workshop: s.organisation = inventWorkshop(people); break;
            case CardType::Control: s.organisation = inventControlBody(people); break;
            case CardType::Company: s.organisation = inventCompany(people); break;
        }
    }
    if (s.cardNumber.empty()) s.cardNumber = inventCardNumber(people, s.type);
    story.authority = inventAuthority(people);
    story.address = inventAddress(people);
    story.licenceNumber = "B" + people.digits(9) + people.letters(1) + people.digits(2);

    Random timeline = people.fork(1);
    story.expiryDate = timeline.time(s.downloadTime + 200 * 86400, s.downloadTime + 1700 * 86400);
    story.validityBegin = withoutTagByte(story.expiryDate - 5 * 365 * 86400);
    story.issueDate = withoutTagByte(story.validityBegin - 86400 * static_cast<std::uint32_t>(timeline.between(3, 20)));
    story.lastDownload = timeline.time(s.downloadTime - 28 * 86400, s.downloadTime - 7 * 86400);

    Random chip = people.fork(2);
    for (auto& b : story.chip) b = chip.dataByte();

    Random fleet = people.fork(3);
    const int vehicleCount = fleet.between(1, 3);
    for (int i = 0; i < vehicleCount; ++i) {
        const std::uint8_t nation = fleet.chance(80) ? s.nation : 1;
        story.vehicles.push_back({inventRegistration(fleet, nation), inventVin(fleet), nation});
    }
    story.days = inventWorkDays(fleet, s.downloadTime - 3600, fleet.between(6, 16),
                                static_cast<std::uint32_t>(fleet.between(40000, 800000)));
    std::size_t vehicle = 0;
    for (std::size_t d = 0; d < story.days.size(); ++d) {
        if (d > 0 && fleet.chance(20)) vehicle = (vehicle + 1) % story.vehicles.size();
        story.vehicleOfDay.push_back(vehicle);
    }
    return story;
}

// The data of one EF of the converter's table.
Bytes entryData(const CardStory& story, const CardFileEntry& e, Random& random) {
    const bool gen2 = e.appendix >= kGen2Data;
    if (e.appendix == kGen1Signature || e.appendix == kGen2Signature) return signature(random, e.size);
    switch (e.fileId) {
        case 0x0002: return icc(story, random);
        case 0x0005: return Bytes(story.chip.begin(), story.chip.end());
        case 0x0501: return applicationIdentification(story, gen2);
        case 0xC100:
        case 0xC101:
        case 0xC108:
        case 0xC109: return certificate(random, gen2);
        case 0x0520:
            return identification(story, story.options.identificationDataSize ? story.options.identificationDataSize
                                                                            : identificationSize(story.options.type));
        case 0x050E: return cardDownload(story);
        case 0x0521: return drivingLicence(story);
        case 0x0502: return events(story, random, gen2);
        case 0x0503: return faults(story, random);
        case 0x0504: return driverActivity(story, random);
        case 0x0505: return vehiclesUsed(story, random, gen2);
        case 0x0506: return places(story, random, gen2);
        case 0x0507: return currentUsage(story, random);
        case 0x0508: return controlActivity(story, random);
        case 0x0522: return specificConditions(story, random, gen2);
        case 0x0523: return vehicleUnitsUsed(story, random);
        case 0x0524: return gnssPlaces(story, random);
        default: break;
    }
    throw std::logic_error("no generator for a card EF");
}

}  // namespace

GeneratedCard buildCardContent(const CardOptions& options) {
    const CardStory story = inventStory(options);
    GeneratedCard card;
    card.options = story.options;
    card.chip = story.chip;

    const auto table = converterCardFiles();
    const int generations = options.generation == Generation::Second ? 2 : 1;
    for (int g = 0; g < generations; ++g) {
        const std::size_t first = g == 0 ? 0 : kGen1CardFileCount;
        const std::size_t last = g == 0 ? kGen1CardFileCount : table.size();
        Random random(options.seed ^ (0xCA4D0000ull + static_cast<std::uint64_t>(g)));
        for (std::size_t i = first; i < last; ++i) {
            const CardFileEntry& e = table[i];
            if (g == 1 && !options.gen2ChipRecords && (e.fileId == 0x0002 || e.fileId == 0x0005)) continue;
            Bytes data = entryData(story, e, random);
            if (e.fileId != 0x0520) expectSize(data, e.size, std::string(e.name).c_str());
            card.records.push_back({e.fileId, e.appendix, std::move(data)});
            // The card type's own EFs follow the specific conditions.
            if (e.fileId == 0x0522 && (e.appendix == kGen1Signature || e.appendix == kGen2Signature)) {
                const auto dataAppendix = static_cast<std::uint8_t>(e.appendix - 1);
                for (TypeFile& f : cardTypeFiles(story, random)) {
                    card.records.push_back({f.fileId, dataAppendix, std::move(f.data)});
                    card.records.push_back({f.fileId, e.appendix, signature(random, g == 0 ? 128 : 64)});
                }
            }
        }
    }
    return card;
}

Bytes cardImage(const std::vector<CardRecord>& records) {
    Bytes out;
    ByteWriter w(out);
    for (const CardRecord& r : records) {
        w.u16(r.fileId);
        w.u8(r.appendix);
        w.u16(static_cast<std::uint16_t>(r.data.size()));
        w.bytes(r.data);
    }
    return out;
}

KeyFile buildCardFile(const CardOptions& options) {
    const GeneratedCard card = buildCardContent(options);
    return {cardFileName(options.generation, card.options.cardNumber, options.downloadTime), keyCardFile(cardImage(card.records))};
}

}  // namespace oltrex::testdata
