#include "oltrex/fwflasher/FlasherForm.h"

#include <string>
#include <thread>

namespace oltrex::fwflasher {

// The view as the flow and the transfer see it: calls from the worker are
// handed to the view's thread with copies of their texts.
class FlasherForm::ViewThreadWindow final : public FlasherWindow {
public:
    explicit ViewThreadWindow(FlasherView& view)
        : view_(view), viewThread_(std::this_thread::get_id()) {}

    void addMemoLine(std::string_view text) override {
        onViewThread([this, line = std::string(text)] { view_.addMemoLine(line); });
    }
    void showStatus(std::string_view text, BgrColour colour) override {
        onViewThread([this, status = std::string(text), colour] { view_.showStatus(status, colour); });
    }
    void showProgress(int percent) override {
        onViewThread([this, percent] { view_.showProgress(percent); });
    }
    void repaintForm() override {
        onViewThread([this] { view_.repaintForm(); });
    }
    // The rest happens on the view's thread only.
    void showStickSerial(const std::string& text) override { view_.showStickSerial(text); }
    void showStickFirmware(const std::string& text) override { view_.showStickFirmware(text); }
    void showNewFirmware(const std::string& text) override { view_.showNewFirmware(text); }
    void showInfoKeyId(const std::string& text) override { view_.showInfoKeyId(text); }
    void enableControls(bool enabled) override { view_.enableControls(enabled); }
    void showInfoForm() override { view_.showInfoForm(); }

private:
    void onViewThread(std::function<void()> change) {
        if (std::this_thread::get_id() == viewThread_) {
            change();
        } else {
            view_.postToViewThread(std::move(change));
        }
    }

    FlasherView& view_;
    const std::thread::id viewThread_;
};

FlasherForm::FlasherForm(const FlasherServices& services, FlasherView& view)
    : view_(view), window_(std::make_unique<ViewThreadWindow>(view)) {
    transfer_ = std::make_unique<Userdownloadunit>(*services.port, *services.clock, *window_,
                                                   services.image, services.limits);
    FlasherFlowSetup setup;
    setup.keys = services.keys;
    setup.prompts = services.prompts;
    setup.window = window_.get();
    setup.transfer = transfer_.get();
    setup.clock = services.clock;
    setup.imageLabel = services.imageLabel;
    setup.bootLoaderStartMs = services.bootLoaderStartMs;
    flow_ = std::make_unique<FlasherFlow>(setup);
    upgrade_ = std::make_unique<BackgroundUpgrade>(*flow_, *window_);
}

FlasherForm::~FlasherForm() { upgrade_.reset(); }

bool FlasherForm::claimFirstShow() {
    if (firstShowClaimed_) return false;
    firstShowClaimed_ = true;
    return true;
}

void FlasherForm::formShow() {
    firstShowClaimed_ = true;
    if (flow_->formShow() == FlowOutcome::EndProgram) view_.endProgram();
}

void FlasherForm::buttonUpgradeClick() {
    // A view may deliver a click its disabled button should not have given.
    if (!controlsEnabled()) return;
    const FlowOutcome outcome =
        upgrade_->start([this] { view_.postToViewThread([this] { upgradeEnded(); }); });
    if (outcome == FlowOutcome::EndProgram) view_.endProgram();
}

void FlasherForm::upgradeEnded() {
    const int result = upgrade_->finish();
    view_.repaintForm();
    view_.onTransferEnded(result);
}

void FlasherForm::buttonCancelClick() {
    if (controlsEnabled()) view_.closeForm();
}

void FlasherForm::image1Click() {
    if (controlsEnabled()) flow_->image1Click();
}

}  // namespace oltrex::fwflasher
