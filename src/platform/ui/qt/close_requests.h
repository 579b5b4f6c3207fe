#pragma once

// The ways a Linux desktop asks a program to end, turned into the framework's close request
// (DeliverCloseRequest), which ends it as its own exit command does: SIGTERM (the session's end
// under systemd, kill), SIGHUP (the terminal or the login going away), SIGINT (Ctrl+C in a
// terminal), and the X session manager's end of the session.
namespace ui::qt {

void DeliverCloseRequestsFromOutside();

}  // namespace ui::qt
