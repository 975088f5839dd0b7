// SDL key codes to the virtual-key codes of the window messages.
#pragma once
#include <SDL_events.h>
#include <SDL_keyboard.h>

#include <cstdint>

#include "app/messages.h"

namespace mw {

// The virtual-key code of a key, by its key code (the layout's meaning) and, for letters and
// digits a layout gives other symbols, by its position; 0 when the key has no virtual-key code.
uint32_t virtualKeyFor(SDL_Keycode key, SDL_Scancode scancode);

// The key message for a key event; false when there is none: a key without a virtual-key code,
// or a system-key press (F10, or any key while Alt is held without Ctrl), which Windows sends as
// WM_SYSKEYDOWN and the window procedure does not record. Releases are always reported, so no
// key stays down when Alt is pressed while it is held.
bool keyMessageFor(const SDL_KeyboardEvent& event, WindowMessage& out);

}  // namespace mw
