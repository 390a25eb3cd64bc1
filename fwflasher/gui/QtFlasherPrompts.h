#pragma once
// FwFlasher's message boxes as modal Qt message boxes with the buttons
// "OK" and "Abbrechen".
#include <QPointer>
#include <QWidget>

#include "oltrex/fwflasher/FlasherPrompts.h"

namespace oltrex::fwflasher {

class QtFlasherPrompts final : public FlasherPrompts {
public:
    // The boxes stand in the middle of `parent` when it is visible, else in
    // the middle of the screen.
    void setParent(QWidget* parent) { parent_ = parent; }

    PromptAnswer ask(PromptKind kind, std::string_view caption, std::string_view text,
                     PromptButtons buttons) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace oltrex::fwflasher
