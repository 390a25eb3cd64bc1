#include "oltrex/fwflasher/HeadlessFlasher.h"

#include <ostream>

#include "oltrex/fwflasher/FlasherFlow.h"
#include "oltrex/fwflasher/FlasherPrompts.h"
#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/fwflasher/FlasherWindow.h"
#include "oltrex/fwflasher/Userdownloadunit.h"

namespace oltrex::fwflasher {
namespace {

// The window's controls as lines of text.
class TerminalWindow final : public FlasherWindow {
public:
    TerminalWindow(std::ostream& out, bool debugView) : out_(out), debugView_(debugView) {}

    void addMemoLine(std::string_view text) override {
        if (debugView_) out_ << "  " << text << '\n';
    }
    void showStatus(std::string_view text, BgrColour) override {
        out_ << "Status: " << text << '\n';
    }
    void showProgress(int percent) override {
        // Every tenth is enough on a terminal.
        if (percent / 10 != shownTenth_) {
            shownTenth_ = percent / 10;
            out_ << "Fortschritt: " << percent << " %\n";
        }
    }
    void showStickSerial(const std::string& text) override {
        out_ << "OltrexStick Seriennummer:" << text << '\n';
    }
    void showStickFirmware(const std::string& text) override {
        out_ << "Stick-Firmware:" << text << '\n';
    }
    void showNewFirmware(const std::string& text) override {
        out_ << "neue Firmware:" << text << '\n';
    }
    void showInfoKeyId(const std::string&) override {}
    void repaintForm() override { out_.flush(); }
    void enableControls(bool) override {}
    void showInfoForm() override {}

private:
    std::ostream& out_;
    bool debugView_;
    int shownTenth_ = -1;
};

// Prints each box and answers it as the command line says.
class CommandLinePrompts final : public FlasherPrompts {
public:
    CommandLinePrompts(std::ostream& out, const HeadlessFlasherSetup& setup)
        : out_(out), setup_(setup) {}

    PromptAnswer ask(PromptKind, std::string_view caption, std::string_view text,
                     PromptButtons buttons) override {
        out_ << caption << '\n' << text << '\n';
        PromptAnswer answer = PromptAnswer::Ok;
        if (buttons == PromptButtons::OkCancel) {
            if (text == kConditionsText) {
                answer = setup_.conditionsAccepted ? PromptAnswer::Ok : PromptAnswer::Cancel;
            } else if (text == kNoKeyText) {
                // OK stops here; Cancel goes on without a key.
                answer = setup_.withoutKey ? PromptAnswer::Cancel : PromptAnswer::Ok;
            } else {
                // The switch to the boot loader failed: stop.
                answer = PromptAnswer::Cancel;
            }
        }
        out_ << "-> " << (answer == PromptAnswer::Ok ? "OK" : "Abbrechen") << "\n\n";
        lastText_ = std::string(text);
        return answer;
    }

    const std::string& lastText() const { return lastText_; }

private:
    std::ostream& out_;
    const HeadlessFlasherSetup& setup_;
    std::string lastText_;
};

}  // namespace

int runHeadlessFlasher(const HeadlessFlasherSetup& setup, std::ostream& out) {
    TerminalWindow window(out, setup.debugView);
    CommandLinePrompts prompts(out, setup);
    Userdownloadunit transfer(*setup.port, *setup.clock, window, setup.image, setup.limits);
    FlasherFlowSetup flowSetup;
    flowSetup.keys = setup.keys;
    flowSetup.prompts = &prompts;
    flowSetup.window = &window;
    flowSetup.transfer = &transfer;
    flowSetup.clock = setup.clock;
    flowSetup.imageLabel = setup.imageLabel;
    flowSetup.bootLoaderStartMs = setup.bootLoaderStartMs;
    FlasherFlow flow(flowSetup);

    if (flow.formShow() == FlowOutcome::EndProgram) {
        return prompts.lastText() == kConditionsText ? kExitConditionsNotAccepted : kExitStopped;
    }
    if (flow.buttonUpgradeClick() == FlowOutcome::EndProgram) return kExitStopped;
    out.flush();
    return flow.lastTransferResult() == 1 ? kExitFlashed : kExitTransferFailed;
}

}  // namespace oltrex::fwflasher
