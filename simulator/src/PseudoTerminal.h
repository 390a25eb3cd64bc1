#pragma once
// A pseudo-terminal standing in for the adapter's USB-serial line. The
// simulator keeps the master; the slave's path is published as a symbolic
// link, which the D2XX stand-in opens as device 0.
#include <string>

namespace oltrex::bootsim {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens master and slave, both raw (no echo, no line-end translation).
    bool open(std::string& error);
    // Publishes the slave at `link` (atomically). An existing entry there is
    // replaced only when it is a link to a pseudo-terminal (a simulator's that
    // ended without tidying up); anything else is left alone and refused.
    bool publish(const std::string& link, std::string& error);
    // Removes the link again when it still points at this terminal.
    void unpublish();

    int master() const { return master_; }
    // Forgets the closes of the slave seen so far.
    void forgetCloses();
    // Waits until a user of the slave (the PC) closes it, at most `timeoutMs`.
    // Data still queued for the slave is lost when the master goes away, so
    // the last answer must be read before the simulator ends.
    bool waitForClose(int timeoutMs);
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees a hang-up between users
    int closes_ = -1;  // inotify: closes of the slave by its users
    std::string slavePath_;
    std::string link_;
};

}  // namespace oltrex::bootsim
