// Ends of the session that come from outside: a hang-up signal and the X server going away.
#pragma once

namespace mw {

// After SDL has started: a hang-up (the terminal closed) ends the program as SIGTERM and SIGINT
// do, through the quit path, with exit code 0.
void quitOnHangup();
// Before the display is opened: when the X server goes away, one line on standard error and exit
// code 0 at once, instead of Xlib's own report and exit code 1. Nothing is being written then
// that could be left half done: the snapshot file is replaced whole or not at all.
void endQuietlyWhenDisplayGoes();

}  // namespace mw
