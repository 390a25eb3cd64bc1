#include "oltrex/fwflasher/FlasherFlow.h"

#include <array>

#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/fwflasher/KeyRecord.h"

namespace oltrex::fwflasher {

FlasherFlow::FlasherFlow(const FlasherFlowSetup& setup) : setup_(setup) {}

bool FlasherFlow::readKey() {
    std::array<char, kRecordBufferSize> buffer{};
    if (setup_.keys->getSerialNumber(buffer.data()) != 0) return false;
    // The library writes at most a short record; the last byte stays NUL regardless.
    buffer.back() = '\0';
    record_ = recordFromBuffer(buffer.data(), buffer.size());
    keyFound_ = true;
    setup_.window->showInfoKeyId(infoKeyIdLine(record_));
    setup_.window->showStickSerial(stickSerialText(record_));
    setup_.window->showStickFirmware(stickFirmwareText(record_));
    return true;
}

FlowOutcome FlasherFlow::formShow() {
    FlasherPrompts& prompts = *setup_.prompts;
    if (prompts.ask(PromptKind::Question, kConditionsCaption, kConditionsText,
                    PromptButtons::OkCancel) == PromptAnswer::Cancel) {
        return FlowOutcome::EndProgram;
    }
    if (!readKey()) {
        // OK stops the program; Cancel goes on without a key (e.g. one that
        // already runs its boot loader).
        if (prompts.ask(PromptKind::Error, kUpdateCaption, kNoKeyText, PromptButtons::OkCancel) ==
            PromptAnswer::Ok) {
            return FlowOutcome::EndProgram;
        }
    }
    setup_.window->showNewFirmware(setup_.imageLabel);
    const unsigned keyVersion = keyFound_ ? keyVersionNumber(record_) : 0;
    if (keyVersion >= imageVersionNumber(setup_.imageLabel)) {
        prompts.ask(PromptKind::Warning, kUpdateCaption, kNotNewerText, PromptButtons::Ok);
    }
    return FlowOutcome::Continue;
}

FlowOutcome FlasherFlow::buttonUpgradeClick() {
    if (beginUpgrade() == FlowOutcome::EndProgram) return FlowOutcome::EndProgram;
    runTransfer();
    return FlowOutcome::Continue;
}

FlowOutcome FlasherFlow::beginUpgrade() {
    if (keyFound_ && setup_.keys->initSwDownload() != 0) {
        if (setup_.prompts->ask(PromptKind::Error, kUpdateCaption, kInitFailedText,
                                PromptButtons::OkCancel) == PromptAnswer::Cancel) {
            return FlowOutcome::EndProgram;
        }
    }
    return FlowOutcome::Continue;
}

int FlasherFlow::runTransfer() {
    setup_.clock->sleepMs(setup_.bootLoaderStartMs);
    Userdownloadunit& transfer = *setup_.transfer;
    transfer.setState(eStart);
    // The form is repainted now and then, for a window that handles no
    // messages while the transfer runs on its thread.
    unsigned steps = 0;
    int result = 0;
    while ((result = transfer.step()) == 0) {
        if (setup_.repaintEverySteps != 0 && ++steps % setup_.repaintEverySteps == 0) {
            setup_.window->repaintForm();
        }
    }
    lastResult_ = result;
    return result;
}

void FlasherFlow::image1Click() {
    if (readKey()) setup_.window->repaintForm();
    setup_.window->showInfoForm();
}

}  // namespace oltrex::fwflasher
