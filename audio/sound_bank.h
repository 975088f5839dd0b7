// The twelve sound effects: one restartable voice per slot, and the burning loop.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mw {

class Platform;

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

// Every sound file starts with a 44-byte header; the data length N is the 32-bit value at offset 40.
inline constexpr uint32_t WAV_HEADER_BYTES = 44;
inline constexpr uint32_t WAV_LENGTH_OFFSET = 40;

// Levels are attenuations in hundredths of a decibel: 0 full volume, -10000 silent.
inline constexpr int32_t SOUND_LEVEL_SILENT = -10000;
inline constexpr int32_t BURNING_LOOP_LEVEL = -100;

// The samples of one slot: 16-bit signed little-endian stereo at 44100 Hz, as loaded from its file.
// A slot with no bytes is silent and is not attached to the platform.
struct SoundClip {
  std::vector<uint8_t> bytes;
};

// The clips of every slot and the platform they play on.
struct SoundBank {
  SoundClip clips[SOUND_SLOT_COUNT];
  Platform* platform = nullptr;  // none: nothing is attached or played
  uint8_t off = 0;               // M: no sound reaches the platform
};

// The slot's name as the program calls it ("soundGlassBreak", ...).
const char* soundSlotName(SoundSlot slot);
// The amplitude factor of a level: 10^(level / 2000), the level first clamped to -10000 .. 0.
double soundGain(int32_t level);

// Loads a WAV file into a slot and hands the samples to the platform. A missing or unreadable
// file leaves the slot silent, a short one keeps the bytes it holds; either is reported once on
// standard error.
void loadSound(SoundBank& bank, SoundSlot slot, const std::string& path);
// The same from a file's bytes already in memory; name stands for the file in messages.
void loadSoundBytes(SoundBank& bank, SoundSlot slot, const uint8_t* bytes, size_t size, const std::string& name);
// Lets the platform go of every loaded slot, last slot first, then frees the samples.
void releaseSounds(SoundBank& bank);
// Rewinds the slot and plays it once at a level in hundredths of a decibel (0 full volume).
void playSound(SoundBank& bank, SoundSlot slot, int32_t level);
// Rewinds the slot and plays it in a loop.
void playSoundLooping(SoundBank& bank, SoundSlot slot, int32_t level);
// Stops the slot.
void stopSound(SoundBank& bank, SoundSlot slot);
// M: while sound is off no play, loop or stop reaches the platform. Switching off stops every
// loaded slot; switching on leaves it to the caller to start again what should be looping.
void setSoundOff(SoundBank& bank, bool off);

}  // namespace mw
