// Fuzzes the sound file loader: the slot gets at most the bytes after the 44-byte header, never
// more than the length the header claims, and the platform is handed exactly those bytes.
#include <cstdint>
#include <cstdlib>

#include "audio/sound_bank.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static mw::fuzz::QuietPlatform platform;
  static mw::SoundBank bank = [] {
    mw::SoundBank b;
    b.platform = &platform;
    return b;
  }();
  // Twice into the same slot: the second load replaces the first.
  mw::loadSoundBytes(bank, mw::SoundSlot::Click, data, size, "fuzz.wav");
  mw::loadSoundBytes(bank, mw::SoundSlot::Click, data, size, "fuzz.wav");
  const auto& bytes = bank.clips[static_cast<int>(mw::SoundSlot::Click)].bytes;
  if (size < mw::WAV_HEADER_BYTES) {
    if (!bytes.empty()) std::abort();
  } else {
    const uint8_t* n = data + mw::WAV_LENGTH_OFFSET;
    const uint32_t length = n[0] | (n[1] << 8) | (n[2] << 16) | (static_cast<uint32_t>(n[3]) << 24);
    if (bytes.size() > length || bytes.size() > size - mw::WAV_HEADER_BYTES) std::abort();
    for (size_t i = 0; i < bytes.size(); ++i)
      if (bytes[i] != data[mw::WAV_HEADER_BYTES + i]) std::abort();
  }
  mw::releaseSounds(bank);
  return 0;
}
