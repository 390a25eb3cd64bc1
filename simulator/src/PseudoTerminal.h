#pragma once
// A pseudo-terminal standing in for the adapter's USB-serial line. The
// simulator keeps the master; the slave's path is published as a symbolic
// link, which the D2XX stand-in opens as device 0. The slave starts with the
// system's ordinary terminal settings, and gets them back whenever its last
// user (the PC) closes it: each PC has to set the line up itself.
#include <termios.h>

#include <string>

namespace oltrex::bootsim {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens master and slave.
    bool open(std::string& error);
    // Publishes the slave at `link` (atomically). An existing entry there is
    // replaced only when it is a link to a pseudo-terminal (a simulator's that
    // ended without tidying up); anything else is left alone and refused.
    bool publish(const std::string& link, std::string& error);
    // Removes the link again when it still points at this terminal.
    void unpublish();

    int master() const { return master_; }
    // Readable when users opened or closed the slave: call takeUseEvents().
    int useEvents() const { return uses_; }
    // Counts the opens and closes of the slave since the last call; when the
    // last user has gone, the slave's settings are reset once everything that
    // user wrote has been read (it was sent with the user's settings).
    void takeUseEvents();
    // Users of the slave (the PC) that have it open now.
    int users() const { return users_; }
    // Waits until no user has the slave open, at most `timeoutMs`. Data still
    // queued for the slave is lost when the master goes away, so the last
    // answer must be read before the simulator ends.
    bool waitUntilUnused(int timeoutMs);
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees a hang-up between users
    int uses_ = -1;   // inotify: opens and closes of the slave by its users
    int users_ = 0;
    bool resetDue_ = false;
    termios initial_{};
    std::string slavePath_;
    std::string link_;
};

}  // namespace oltrex::bootsim
