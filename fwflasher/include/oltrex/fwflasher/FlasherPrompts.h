#pragma once
// FwFlasher's message boxes. The window shows them as modal boxes; tests
// answer them from a script.
#include <string_view>

namespace oltrex::fwflasher {

enum class PromptButtons { Ok, OkCancel };
enum class PromptAnswer { Ok, Cancel };
// Only for the box's icon.
enum class PromptKind { Question, Warning, Error };

class FlasherPrompts {
public:
    virtual ~FlasherPrompts() = default;
    // Shows the box and waits for the answer. Closing an OK/Cancel box any
    // other way answers Cancel; an OK-only box always answers Ok.
    virtual PromptAnswer ask(PromptKind kind, std::string_view caption, std::string_view text,
                             PromptButtons buttons) = 0;
};

}  // namespace oltrex::fwflasher
