// Ends of the session that come from outside: signals, a display that does not answer, and the X
// server going away.
#pragma once

namespace mw {

// First thing at start: SIGTERM, SIGINT and SIGHUP (the terminal closed) end the program with exit
// code 0 at any time. Until quitThroughMainLoop they end it at once; after it they ask the main
// loop to quit (quitSignalled), which ends it as Escape does. A signal found ignored stays so.
void endOnQuitSignals();
void quitThroughMainLoop();
bool quitSignalled();
// Before SDL opens the display: false when the X display in DISPLAY takes longer than `seconds`
// to answer a connection (a stopped server, or a socket that never replies). True when it
// answers, refuses, or no X display is set.
bool xDisplayAnswers(int seconds);
// Before the display is opened: when the X server goes away, one line on standard error and exit
// code 0 at once, instead of Xlib's own report and exit code 1. Nothing is being written then
// that could be left half done: the snapshot file is replaced whole or not at all.
void endQuietlyWhenDisplayGoes();

}  // namespace mw
