#include "oltrex/dlcreader/ContainerReport.h"

#include <chrono>
#include <cstdio>

namespace oltrex::dlc {

std::string headerTimeText(std::uint32_t seconds) {
    using namespace std::chrono;
    const sys_seconds time{std::chrono::seconds{seconds}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::string describeContainer(const Container& container) {
    std::string text;
    char line[128];
    std::snprintf(line, sizeof line, "installation class: %d\n", container.header.installationClass);
    text += line;
    std::snprintf(line, sizeof line, "header time: %s (0x%08X)\n", headerTimeText(container.header.headerTime).c_str(),
                  static_cast<unsigned>(container.header.headerTime));
    text += line;
    if (container.kind == ContentKind::VehicleUnit) {
        std::snprintf(line, sizeof line, "vehicle unit: %zu blocks\n", container.blocks.size());
        text += line;
        for (const auto& block : container.blocks) {
            std::snprintf(line, sizeof line, "  block 0x%04X  %zu bytes\n", static_cast<unsigned>(block.tag),
                          block.data.size());
            text += line;
        }
    } else {
        std::snprintf(line, sizeof line, "card: %zu bytes, %zu records\n", container.cardImage.size(),
                      container.cardRecords.size());
        text += line;
        for (const auto& record : container.cardRecords) {
            std::snprintf(line, sizeof line, "  record 0x%04X appendix 0x%02X  %zu bytes\n",
                          static_cast<unsigned>(record.fileId), static_cast<unsigned>(record.appendix),
                          record.length);
            text += line;
        }
    }
    for (const auto& warning : container.warnings) text += "warning: " + warning + "\n";
    return text;
}

}  // namespace oltrex::dlc
