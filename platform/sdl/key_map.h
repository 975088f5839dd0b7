// SDL key codes to the virtual-key codes of the window messages.
#pragma once
#include <SDL_keyboard.h>

#include <cstdint>

namespace mw {

// The virtual-key code of a key, by its key code (the layout's meaning) and, for letters and
// digits a layout gives other symbols, by its position; 0 when the key has no virtual-key code.
uint32_t virtualKeyFor(SDL_Keycode key, SDL_Scancode scancode);

}  // namespace mw
