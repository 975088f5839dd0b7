// Loading and playing the sound slots.
#include "audio/sound_bank.h"

#include "app/platform.h"
#include "gfx/png_codec.h"
#include "world/world.h"

namespace mw {

const char* soundSlotName(SoundSlot slot) {
  static const char* const names[SOUND_SLOT_COUNT] = {
      "soundGlassBreak", "soundBurning", "soundM4", "soundEqHam", "soundEqM4", "soundZippo", "soundClick",
      "soundDeath",      "soundUnused",  "soundSword", "soundSword2", "soundDie", "soundHi"};
  return names[static_cast<int>(slot)];
}

void loadSound(World& world, SoundSlot slot, const std::string& path) {
  const std::vector<uint8_t> file = readFileBytes(path);
  SoundClip& clip = world.sounds[static_cast<int>(slot)];
  clip.bytes.clear();
  if (file.size() >= 44) {
    const uint32_t n = file[40] | (file[41] << 8) | (file[42] << 16) | (static_cast<uint32_t>(file[43]) << 24);
    const size_t available = file.size() - 44;
    clip.bytes.assign(file.begin() + 44, file.begin() + 44 + (n < available ? n : available));
  }
  if (world.platform)
    world.platform->attachSound(static_cast<int>(slot), clip.bytes.data(), static_cast<uint32_t>(clip.bytes.size()));
}

void playSound(World& world, SoundSlot slot, int32_t level) {
  if (world.platform) world.platform->playSound(static_cast<int>(slot), level, false);
}

void playSoundLooping(World& world, SoundSlot slot, int32_t level) {
  if (world.platform) world.platform->playSound(static_cast<int>(slot), level, true);
}

void stopSound(World& world, SoundSlot slot) {
  if (world.platform) world.platform->stopSound(static_cast<int>(slot));
}

}  // namespace mw
