// The boot loader's check of the line settings the PC made: 115200 baud 8N1,
// raw, no flow control, read on the master side of a pseudo-terminal.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "LineSettings.h"

namespace oltrex::bootsim {
namespace {

termios keySettings() {
    termios t{};
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&t, B115200);
    return t;
}

TEST(LineSettings, TakeTheKeysSettingsAndNameEachDeparture) {
    EXPECT_EQ(lineSettingsProblem(keySettings()), "");
    const std::vector<std::pair<std::function<void(termios&)>, std::string>> cases = {
        {[](termios& t) { ::cfsetspeed(&t, B38400); }, "38400 baud"},
        {[](termios& t) { t.c_cflag = (t.c_cflag & ~CSIZE) | CS7; }, "not 8 data bits"},
        {[](termios& t) { t.c_cflag |= PARENB; }, "parity"},
        {[](termios& t) { t.c_cflag |= CSTOPB; }, "2 stop bits"},
        {[](termios& t) { t.c_cflag |= CRTSCTS; }, "RTS/CTS flow control"},
        {[](termios& t) { t.c_iflag |= IXON; }, "XON/XOFF flow control"},
        {[](termios& t) { t.c_iflag |= ICRNL; }, "not raw (ICRNL)"},
        {[](termios& t) { t.c_oflag |= OPOST; }, "not raw (OPOST)"},
        {[](termios& t) { t.c_lflag |= ICANON | ECHO; }, "not raw (ICANON ECHO)"},
    };
    for (const auto& [change, problem] : cases) {
        termios t = keySettings();
        change(t);
        EXPECT_EQ(lineSettingsProblem(t), problem);
    }
}

TEST(LineSettings, AreReadOnTheMasterAsThePcSetThemOnItsSide) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    // A fresh pseudo-terminal is a cooked terminal line.
    EXPECT_NE(lineSettingsProblem(master), "");
    const termios settings = keySettings();
    ASSERT_EQ(::tcsetattr(slave, TCSANOW, &settings), 0);
    EXPECT_EQ(lineSettingsProblem(master), "");
    ::close(slave);
    ::close(master);
    EXPECT_NE(lineSettingsProblem(master), "") << "a closed line cannot be read";
}

}  // namespace
}  // namespace oltrex::bootsim
