#include "LineSettings.h"

#include <errno.h>

#include <cstring>
#include <vector>

namespace oltrex::bootsim {
namespace {

struct Flag {
    tcflag_t bit;
    const char* name;
};

// Input and output left untouched: these translate, strip or interpret bytes.
// (IGNBRK may stay: it drops break conditions, not bytes, and Wine's COM
// ports set it.)
constexpr Flag kInputTranslations[] = {{BRKINT, "BRKINT"}, {PARMRK, "PARMRK"},
                                       {ISTRIP, "ISTRIP"}, {INLCR, "INLCR"},   {IGNCR, "IGNCR"},
                                       {ICRNL, "ICRNL"},   {IUCLC, "IUCLC"}};
constexpr Flag kFlowControl[] = {{IXON, "IXON"}, {IXOFF, "IXOFF"}, {IXANY, "IXANY"}};
constexpr Flag kLocalModes[] = {{ICANON, "ICANON"}, {ECHO, "ECHO"},   {ECHONL, "ECHONL"},
                                {ISIG, "ISIG"},     {IEXTEN, "IEXTEN"}};

void collect(tcflag_t value, const Flag* flags, std::size_t count, std::vector<std::string>& set) {
    for (std::size_t i = 0; i < count; ++i)
        if (value & flags[i].bit) set.emplace_back(flags[i].name);
}

std::string speedText(speed_t speed) {
    switch (speed) {
        case B0: return "0";
        case B9600: return "9600";
        case B19200: return "19200";
        case B38400: return "38400";
        case B57600: return "57600";
        case B115200: return "115200";
        case B230400: return "230400";
        default: return "another speed";
    }
}

}  // namespace

std::string lineSettingsProblem(const termios& t) {
    std::vector<std::string> wrong;
    const speed_t out = cfgetospeed(&t), in = cfgetispeed(&t);
    if (out != B115200) wrong.push_back(speedText(out) + " baud");
    // An input speed of 0 means "as the output speed".
    if (in != B115200 && in != B0 && in != out) wrong.push_back("input " + speedText(in) + " baud");
    if ((t.c_cflag & CSIZE) != CS8) wrong.emplace_back("not 8 data bits");
    if (t.c_cflag & PARENB) wrong.emplace_back("parity");
    if (t.c_cflag & CSTOPB) wrong.emplace_back("2 stop bits");
    if (t.c_cflag & CRTSCTS) wrong.emplace_back("RTS/CTS flow control");
    std::vector<std::string> flags;
    collect(t.c_iflag, kFlowControl, std::size(kFlowControl), flags);
    if (!flags.empty()) wrong.push_back("XON/XOFF flow control");
    flags.clear();
    collect(t.c_iflag, kInputTranslations, std::size(kInputTranslations), flags);
    if (t.c_oflag & OPOST) flags.emplace_back("OPOST");
    collect(t.c_lflag, kLocalModes, std::size(kLocalModes), flags);
    if (!flags.empty()) {
        std::string raw = "not raw (";
        for (std::size_t i = 0; i < flags.size(); ++i) raw += (i ? " " : "") + flags[i];
        wrong.push_back(raw + ")");
    }
    std::string text;
    for (std::size_t i = 0; i < wrong.size(); ++i) text += (i ? ", " : "") + wrong[i];
    return text;
}

std::string lineSettingsProblem(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return std::string("line settings unreadable: ") + std::strerror(errno);
    return lineSettingsProblem(settings);
}

}  // namespace oltrex::bootsim
