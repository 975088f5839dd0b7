// The interaction step: keys, the mouse and the tool in hand, once per frame; and the menu panel.
#pragma once
#include <cstdint>

namespace mw {

struct World;

// Draws the panel's marks and acts on clicks in it; runs only while the menu is open.
void drawMenuPanel(World& world, int32_t panelX, int32_t panelY);
// Applies the keys, the mouse and the tool in hand; posts quit on Escape.
void interactionStep(World& world);

}  // namespace mw
