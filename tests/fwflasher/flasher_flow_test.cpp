// FwFlasher's flow: the boxes and labels when the form is shown, the
// "Update" button and the key picture, with a set key library and an
// in-process boot loader.
#include <gtest/gtest.h>

#include "FlasherTestSupport.h"
#include "oltrex/fwflasher/FlasherFlow.h"
#include "oltrex/fwflasher/FlasherTexts.h"

using namespace flashertest;

namespace {

struct FlowRig {
    explicit FlowRig(std::vector<PromptAnswer> answers = {}) : prompts(std::move(answers)) {}

    FlasherFlowSetup setup() {
        FlasherFlowSetup s;
        s.keys = &keys;
        s.prompts = &prompts;
        s.window = &window;
        s.transfer = &unit;
        s.clock = &clock;
        s.imageLabel = fwFlasherFirmwareLabel();
        return s;
    }

    StepClock clock;
    BootLoaderPort port{clock};
    RecordingWindow window;
    Userdownloadunit unit{port, clock, window, carriedImage()};
    SetKeyLibrary keys;
    ScriptedPrompts prompts;
};

TEST(FormShow, EndsTheProgramWhenTheConditionsAreDeclined) {
    FlowRig rig({PromptAnswer::Cancel});
    FlasherFlow flow(rig.setup());
    EXPECT_EQ(flow.formShow(), FlowOutcome::EndProgram);
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    EXPECT_EQ(rig.prompts.shown[0].caption, "Wichtige Bedingungen:");
    EXPECT_EQ(rig.prompts.shown[0].buttons, PromptButtons::OkCancel);
    EXPECT_TRUE(rig.prompts.shown[0].text.starts_with("Sehr geehrter Kunde,\n\nHaftung und Gewährleistung"));
    EXPECT_TRUE(rig.prompts.shown[0].text.ends_with(
        "Bedingungen akzeptieren und weiter mit dem Update: <OK> Abbruch mit: <Abbrechen>"));
    EXPECT_EQ(rig.keys.serialCalls, 0);
}

TEST(FormShow, ShowsTheKeysSerialNumberAndFirmwareNextToTheImagesVersion) {
    FlowRig rig({PromptAnswer::Ok});
    FlasherFlow flow(rig.setup());
    EXPECT_EQ(flow.formShow(), FlowOutcome::Continue);
    EXPECT_TRUE(flow.keyFound());
    EXPECT_EQ(rig.window.stickSerial, " OX12345678");
    EXPECT_EQ(rig.window.stickFirmware, " FW-0110");
    EXPECT_EQ(rig.window.newFirmware, " FW-0114");
    EXPECT_EQ(rig.window.infoKeyId, "Stick-ID: OX12345678 FW-0110");
    EXPECT_EQ(rig.prompts.shown.size(), 1u) << "an older key gets no warning";
}

TEST(FormShow, WarnsAKeyThatAlreadyHasTheImagesVersionAndStillLetsItBeFlashed) {
    FlowRig rig({PromptAnswer::Ok});
    rig.keys.serialRecord = " StickID: OX12345678 FW-0114";
    FlasherFlow flow(rig.setup());
    EXPECT_EQ(flow.formShow(), FlowOutcome::Continue);
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1].caption, "Softwareupdate:");
    EXPECT_EQ(rig.prompts.shown[1].text,
              "Warnung: die neue Firmwareversion ist nicht aktueller\nals die derzeitige auf dem OltrexStick!");
    EXPECT_EQ(rig.prompts.shown[1].buttons, PromptButtons::Ok);

    EXPECT_EQ(flow.buttonUpgradeClick(), FlowOutcome::Continue);
    EXPECT_EQ(rig.keys.initCalls, 1);
    EXPECT_EQ(flow.lastTransferResult(), 1);
    EXPECT_TRUE(rig.port.loader.rebooted());
}

TEST(FormShow, WarnsAKeyWithANewerVersionToo) {
    FlowRig rig({PromptAnswer::Ok});
    rig.keys.serialRecord = " StickID: OX12345678 FW-0120";
    FlasherFlow flow(rig.setup());
    flow.formShow();
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1].kind, PromptKind::Warning);
}

TEST(FormShow, EndsTheProgramWhenNoKeyAnswersAndTheUserChoosesOk) {
    FlowRig rig({PromptAnswer::Ok, PromptAnswer::Ok});
    rig.keys.serialResult = -1;
    FlasherFlow flow(rig.setup());
    EXPECT_EQ(flow.formShow(), FlowOutcome::EndProgram);
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1].caption, "Softwareupdate:");
    EXPECT_TRUE(rig.prompts.shown[1].text.starts_with("Fehler: kein OltrexStick am System angeschlossen!"));
    EXPECT_FALSE(flow.keyFound());
    EXPECT_EQ(rig.window.stickSerial, " ---");
    EXPECT_EQ(rig.window.infoKeyId, "Stick-ID: ---- ");
}

TEST(FormShow, GoesOnWithoutAKeyWhenTheUserChoosesAbbrechen) {
    FlowRig rig({PromptAnswer::Ok, PromptAnswer::Cancel});
    rig.keys.serialResult = -1;
    FlasherFlow flow(rig.setup());
    EXPECT_EQ(flow.formShow(), FlowOutcome::Continue);
    EXPECT_EQ(rig.window.newFirmware, " FW-0114");
    EXPECT_EQ(rig.prompts.shown.size(), 2u) << "without a key its version reads as 0: no warning";
}

TEST(ButtonUpgradeClick, SkipsTheSwitchWithoutAKeyAndStartsTheTransferAfterTheWait) {
    FlowRig rig({PromptAnswer::Ok, PromptAnswer::Cancel});
    rig.keys.serialResult = -1;
    FlasherFlow flow(rig.setup());
    flow.formShow();
    EXPECT_EQ(flow.buttonUpgradeClick(), FlowOutcome::Continue);
    EXPECT_EQ(rig.keys.initCalls, 0);
    EXPECT_EQ(rig.clock.slept, std::vector<std::uint32_t>{1000});
    ASSERT_FALSE(rig.window.memo.empty());
    EXPECT_EQ(rig.window.memo.front(), "vor Open_ComPort()");
    EXPECT_EQ(flow.lastTransferResult(), 1);
}

TEST(ButtonUpgradeClick, EndsTheProgramWithoutTransferWhenTheSwitchFailsAndTheUserStops) {
    FlowRig rig({PromptAnswer::Ok, PromptAnswer::Cancel});
    rig.keys.initResult = -5;
    FlasherFlow flow(rig.setup());
    flow.formShow();
    EXPECT_EQ(flow.buttonUpgradeClick(), FlowOutcome::EndProgram);
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1].caption, "Softwareupdate:");
    EXPECT_TRUE(rig.prompts.shown[1].text.starts_with("Fehler: Firmware-Update nicht initialisierbar!"));
    EXPECT_EQ(rig.port.opens, 0);
    EXPECT_TRUE(rig.clock.slept.empty());
    EXPECT_EQ(flow.lastTransferResult(), 0);
}

TEST(ButtonUpgradeClick, TransfersAnywayWhenTheSwitchFailsAndTheUserChoosesOk) {
    FlowRig rig({PromptAnswer::Ok, PromptAnswer::Ok});
    rig.keys.initResult = -5;
    FlasherFlow flow(rig.setup());
    flow.formShow();
    EXPECT_EQ(flow.buttonUpgradeClick(), FlowOutcome::Continue);
    EXPECT_EQ(rig.port.opens, 1);
    EXPECT_EQ(flow.lastTransferResult(), 1);
}

TEST(ButtonUpgradeClick, RepaintsTheFormAfterEvery21Steps) {
    // The same transfer run by hand gives the number of steps.
    std::size_t steps = 0;
    {
        FlowRig manual;
        manual.unit.setState(eStart);
        while (manual.unit.step() == 0) ++steps;
    }
    FlowRig rig({PromptAnswer::Ok});
    FlasherFlow flow(rig.setup());
    flow.formShow();
    flow.buttonUpgradeClick();
    ASSERT_GT(steps, 21u * 10);
    EXPECT_EQ(static_cast<std::size_t>(rig.window.repaints), steps / 21);
}

TEST(ButtonUpgradeClick, CanStartANewTransferAfterAFailedOne) {
    FlowRig rig({PromptAnswer::Ok});
    FlasherFlow flow(rig.setup());
    flow.formShow();
    rig.port.openResult = -1;
    flow.buttonUpgradeClick();
    EXPECT_EQ(flow.lastTransferResult(), -1);
    EXPECT_EQ(rig.window.statuses.back().text, "Fehler beim Öffnen von COMx");

    rig.port.openResult = 0;
    flow.buttonUpgradeClick();
    EXPECT_EQ(flow.lastTransferResult(), 1);
    EXPECT_EQ(rig.keys.initCalls, 2);
    EXPECT_EQ(rig.window.statuses.back().text, "Datentransfer abgeschlossen");
}

TEST(Image1Click, ReadsTheKeyAgainAndShowsTheInfoForm) {
    FlowRig rig({PromptAnswer::Ok});
    FlasherFlow flow(rig.setup());
    flow.formShow();
    rig.keys.serialRecord = " StickID: OX87654321 FW-0114";
    flow.image1Click();
    EXPECT_EQ(rig.window.stickSerial, " OX87654321");
    EXPECT_EQ(rig.window.stickFirmware, " FW-0114");
    EXPECT_EQ(rig.window.infoKeyId, "Stick-ID: OX87654321 FW-0114");
    EXPECT_EQ(rig.window.repaints, 1);
    EXPECT_EQ(rig.window.infoFormShown, 1);
}

TEST(Image1Click, ShowsTheInfoFormUnchangedWhenNoKeyAnswers) {
    FlowRig rig({PromptAnswer::Ok});
    FlasherFlow flow(rig.setup());
    flow.formShow();
    rig.keys.serialResult = -1;
    flow.image1Click();
    EXPECT_EQ(rig.window.stickSerial, " OX12345678");
    EXPECT_EQ(rig.window.infoKeyId, "Stick-ID: OX12345678 FW-0110");
    EXPECT_EQ(rig.window.repaints, 0);
    EXPECT_EQ(rig.window.infoFormShown, 1);
    EXPECT_TRUE(flow.keyFound()) << "a key once found stays found";
}

TEST(Image1Click, ShowsDashesForAKeyIdOfNeitherTenNorEighteenCharacters) {
    FlowRig rig;
    rig.keys.serialRecord = " StickID: OX0012345678 FW-0120";
    FlasherFlow flow(rig.setup());
    flow.image1Click();
    EXPECT_EQ(rig.window.infoKeyId, "Stick-ID: ---");
}

}  // namespace
