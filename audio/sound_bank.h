// The twelve sound effects: one restartable voice per slot, and the burning loop.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mw {

struct World;

// Slots in their order in the world; Unused is the thirteenth slot, never loaded.
enum class SoundSlot : int32_t {
  GlassBreak,
  Burning,
  M4,
  EqHam,
  EqM4,
  Zippo,
  Click,
  Death,
  Unused,
  Sword,
  Sword2,
  Die,
  Hi,
};
inline constexpr int SOUND_SLOT_COUNT = 13;

// The samples of one slot: 16-bit signed stereo at 44100 Hz, as loaded from its file.
struct SoundClip {
  std::vector<uint8_t> bytes;
};

// The slot's name as the program calls it ("soundGlassBreak", ...).
const char* soundSlotName(SoundSlot slot);

// Loads a WAV file into a slot and hands the samples to the platform.
void loadSound(World& world, SoundSlot slot, const std::string& path);
// Rewinds the slot and plays it once at a level in hundredths of a decibel (0 full volume).
void playSound(World& world, SoundSlot slot, int32_t level);
// Rewinds the slot and plays it in a loop.
void playSoundLooping(World& world, SoundSlot slot, int32_t level);
// Stops the slot.
void stopSound(World& world, SoundSlot slot);

}  // namespace mw
