// FwFlasher in a terminal: the boxes answered from the command line, the
// window's lines printed, and exit statuses that tell what happened.
#include <gtest/gtest.h>

#include <sstream>

#include "FlasherTestSupport.h"
#include "oltrex/fwflasher/HeadlessFlasher.h"

using namespace flashertest;

namespace {

struct HeadlessRig {
    HeadlessFlasherSetup setup(bool accepted = true) {
        HeadlessFlasherSetup s;
        s.conditionsAccepted = accepted;
        s.keys = &keys;
        s.port = &port;
        s.clock = &clock;
        s.image = carriedImage();
        s.imageLabel = fwFlasherFirmwareLabel();
        return s;
    }
    int run(const HeadlessFlasherSetup& s) { return runHeadlessFlasher(s, out); }

    StepClock clock;
    BootLoaderPort port{clock};
    SetKeyLibrary keys;
    std::ostringstream out;
};

bool contains(const std::ostringstream& out, const std::string& text) {
    return out.str().find(text) != std::string::npos;
}

TEST(HeadlessFlasher, StopsBeforeReadingTheKeyUnlessTheConditionsAreAccepted) {
    HeadlessRig rig;
    EXPECT_EQ(rig.run(rig.setup(false)), kExitConditionsNotAccepted);
    EXPECT_TRUE(contains(rig.out, "Wichtige Bedingungen:\nSehr geehrter Kunde,"));
    EXPECT_EQ(rig.keys.serialCalls, 0);
    EXPECT_EQ(rig.port.opens, 0);
}

TEST(HeadlessFlasher, FlashesAFoundKeyAndPrintsTheWindowsLines) {
    HeadlessRig rig;
    EXPECT_EQ(rig.run(rig.setup()), kExitFlashed);
    EXPECT_TRUE(rig.port.loader.rebooted());
    EXPECT_TRUE(contains(rig.out, "OltrexStick Seriennummer: OX12345678\n"));
    EXPECT_TRUE(contains(rig.out, "Stick-Firmware: FW-0110\n"));
    EXPECT_TRUE(contains(rig.out, "neue Firmware: FW-0114\n"));
    EXPECT_TRUE(contains(rig.out, "Status: Datentransfer läuft\n"));
    EXPECT_TRUE(contains(rig.out, "Fortschritt: 0 %\n"));
    EXPECT_TRUE(contains(rig.out, "Fortschritt: 9"));
    EXPECT_FALSE(contains(rig.out, "Fortschritt: 100 %"));
    EXPECT_TRUE(contains(rig.out, "Status: Datentransfer abgeschlossen\n"));
    EXPECT_FALSE(contains(rig.out, "block sent")) << "the memo only with /d";
}

TEST(HeadlessFlasher, PrintsTheMemoLinesWithSlashD) {
    HeadlessRig rig;
    auto setup = rig.setup();
    setup.debugView = true;
    EXPECT_EQ(rig.run(setup), kExitFlashed);
    EXPECT_TRUE(contains(rig.out, "  vor Open_ComPort()\n  USB-Mode 115200 Baud\n"));
    EXPECT_TRUE(contains(rig.out, "  nach Open_ComPort()\n"));
    EXPECT_TRUE(contains(rig.out, "  send eSystemReboot\n"));
}

TEST(HeadlessFlasher, StopsWithoutAKeyUnlessToldToGoOn) {
    HeadlessRig rig;
    rig.keys.serialResult = -1;
    EXPECT_EQ(rig.run(rig.setup()), kExitStopped);
    EXPECT_EQ(rig.port.opens, 0);

    HeadlessRig goOn;
    goOn.keys.serialResult = -1;
    auto setup = goOn.setup();
    setup.withoutKey = true;
    EXPECT_EQ(goOn.run(setup), kExitFlashed);
    EXPECT_EQ(goOn.keys.initCalls, 0);
}

TEST(HeadlessFlasher, StopsWhenTheKeyCannotBeSwitchedToItsBootLoader) {
    HeadlessRig rig;
    rig.keys.initResult = -2;
    EXPECT_EQ(rig.run(rig.setup()), kExitStopped);
    EXPECT_TRUE(contains(rig.out, "Fehler: Firmware-Update nicht initialisierbar!"));
    EXPECT_EQ(rig.port.opens, 0);
}

TEST(HeadlessFlasher, ReportsAFailedTransfer) {
    HeadlessRig rig;
    rig.port.openResult = -1;
    EXPECT_EQ(rig.run(rig.setup()), kExitTransferFailed);
    EXPECT_TRUE(contains(rig.out, "Status: Fehler beim Öffnen von COMx\n"));
}

}  // namespace
