// The frame step that drives every subsystem over the world record, and the world's start-up and
// tear-down.
#pragma once
#include <cstdint>

#include "app/input.h"
#include "app/options.h"
#include "app/session.h"
#include "world/world.h"

namespace mw {

class Platform;

// Builds everything in its fixed order and sets every start value. The world's generator is seeded
// with seed when the caller gives one, else with the clock in seconds; options may start it windowed, without sound, or without the hint.
void startUp(World& world, Platform& platform, Session& session, const uint32_t* seed = nullptr,
             const StartOptions& options = {});
// Computes and shows one frame.
void frameStep(World& world);
// Releases what start-up acquired, in reverse order.
void tearDown(World& world);

}  // namespace mw
