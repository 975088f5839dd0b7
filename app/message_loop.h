// Quit posting and the message peek that turns a posted quit into WM_QUIT.
#pragma once
#include "app/messages.h"

namespace mw {

class Platform;
struct QuitState;

// Asks the main loop to end: WM_QUIT is delivered once no other message waits.
void postQuitMessage(QuitState& quit, int exitCode);
// Takes one message without blocking: a platform message first, else a posted quit (taken once).
bool peekMessage(Platform& platform, QuitState& quit, WindowMessage& out);

}  // namespace mw
