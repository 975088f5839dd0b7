// Key mapping: the virtual-key codes the program reads arrive for the keys a user presses.
#include "platform/sdl/key_map.h"

#include <gtest/gtest.h>

namespace mw {
namespace {

uint32_t vk(SDL_Keycode key) { return virtualKeyFor(key, SDL_SCANCODE_UNKNOWN); }

TEST(KeyMap, ProgramKeysAndBothEnterKeys) {
  EXPECT_EQ(vk(SDLK_RETURN), 0x0Du);
  EXPECT_EQ(vk(SDLK_KP_ENTER), 0x0Du);
  EXPECT_EQ(vk(SDLK_ESCAPE), 0x1Bu);
  EXPECT_EQ(vk(SDLK_SPACE), 0x20u);
  EXPECT_EQ(vk(SDLK_F11), 0x7Au);
  EXPECT_EQ(vk(SDLK_F12), 0x7Bu);
  EXPECT_EQ(vk(SDLK_BACKSPACE), 0x08u);
  EXPECT_EQ(vk(SDLK_TAB), 0x09u);
}

TEST(KeyMap, RangesOfLettersDigitsFunctionKeysArrows) {
  for (int i = 0; i < 26; ++i) EXPECT_EQ(vk(SDLK_a + i), 0x41u + i) << i;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(vk(SDLK_0 + i), 0x30u + i) << i;
  const SDL_Keycode functionKeys[12] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                        SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(vk(functionKeys[i]), 0x70u + i) << i;
  EXPECT_EQ(vk(SDLK_LEFT), 0x25u);
  EXPECT_EQ(vk(SDLK_UP), 0x26u);
  EXPECT_EQ(vk(SDLK_RIGHT), 0x27u);
  EXPECT_EQ(vk(SDLK_DOWN), 0x28u);
}

TEST(KeyMap, ModifiersAreSideless) {
  EXPECT_EQ(vk(SDLK_LSHIFT), 0x10u);
  EXPECT_EQ(vk(SDLK_RSHIFT), 0x10u);
  EXPECT_EQ(vk(SDLK_LCTRL), 0x11u);
  EXPECT_EQ(vk(SDLK_RCTRL), 0x11u);
  EXPECT_EQ(vk(SDLK_LALT), 0x12u);
  EXPECT_EQ(vk(SDLK_RALT), 0x12u);
}

TEST(KeyMap, OtherAlphabetsFallBackToKeyPositionAndUnknownKeysGiveNothing) {
  // A Cyrillic layout's key where Latin layouts have Q.
  EXPECT_EQ(virtualKeyFor(0x0439, SDL_SCANCODE_Q), 0x51u);
  EXPECT_EQ(virtualKeyFor(0x0439, SDL_SCANCODE_0), 0x30u);
  EXPECT_EQ(virtualKeyFor(SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY), 0u);
}

TEST(KeyMessage, SystemKeyPressesAreNotRecordedButReleasesAlwaysAre) {
  const auto message = [](Uint32 type, SDL_Keycode key, Uint16 mod, WindowMessage& out) {
    SDL_KeyboardEvent event{};
    event.type = type;
    event.keysym.sym = key;
    event.keysym.mod = mod;
    return keyMessageFor(event, out);
  };
  WindowMessage m;
  ASSERT_TRUE(message(SDL_KEYDOWN, SDLK_RETURN, KMOD_NONE, m));
  EXPECT_EQ(m.message, WM_KEYDOWN);
  EXPECT_EQ(m.wParam, VK_RETURN);
  EXPECT_TRUE(message(SDL_KEYDOWN, SDLK_SPACE, KMOD_LSHIFT, m));
  EXPECT_TRUE(message(SDL_KEYDOWN, SDLK_RETURN, KMOD_RALT | KMOD_LCTRL, m));  // Ctrl+Alt is no system key
  // Alt held, or F10: Windows sends these as system keys, which are not recorded.
  EXPECT_FALSE(message(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT, m));
  EXPECT_FALSE(message(SDL_KEYDOWN, SDLK_ESCAPE, KMOD_RALT, m));
  EXPECT_FALSE(message(SDL_KEYDOWN, SDLK_F11, KMOD_LALT | KMOD_LSHIFT, m));
  EXPECT_FALSE(message(SDL_KEYDOWN, SDLK_F10, KMOD_NONE, m));
  ASSERT_TRUE(message(SDL_KEYUP, SDLK_RETURN, KMOD_LALT, m));
  EXPECT_EQ(m.message, WM_KEYUP);
  EXPECT_EQ(m.wParam, VK_RETURN);
  EXPECT_FALSE(message(SDL_KEYDOWN, SDLK_AUDIOPLAY, KMOD_NONE, m));
}

}  // namespace
}  // namespace mw
