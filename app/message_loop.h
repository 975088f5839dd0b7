// The thread's quit state and the message peek that turns it into WM_QUIT.
#pragma once
#include "app/messages.h"

namespace mw {

class Platform;

// Asks the main loop to end: WM_QUIT is delivered once no other message waits.
void postQuitMessage(int exitCode);
// Takes one message without blocking: a platform message first, else a posted quit.
bool peekMessage(Platform& platform, WindowMessage& out);
// Forgets a posted quit (a new program run starts with none).
void resetQuitState();

}  // namespace mw
