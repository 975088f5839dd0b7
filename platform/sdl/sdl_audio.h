// Sound output on the desktop: one SDL2_mixer channel per sound slot.
#pragma once
#include <cstdint>

#include "audio/sound_bank.h"

struct Mix_Chunk;

namespace mw {

// The platform opens it after creating the window (or, started muted, at the first sound played)
// and closes it after the core's tear-down has released the slots, before the window and renderer go.
class SdlAudio {
 public:
  SdlAudio() = default;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;
  ~SdlAudio() { close(); }

  // Opens the audio device at 44100 Hz, 16-bit stereo, and gives it the slots attached so far; false
  // (and silence from then on) when it fails.
  bool open();
  // Stops everything and closes the device.
  void close();
  // Takes the samples of a slot (null releases the slot), also while no device is open. The bytes
  // stay the caller's and must outlive the slot.
  void attach(int slot, const uint8_t* bytes, uint32_t length);
  // Rewinds and plays a slot once or looping, at a level in hundredths of a decibel.
  void play(int slot, int level, bool looping);
  // Stops a slot.
  void stop(int slot);

  bool isOpen() const { return open_; }
  // The mixer volume (0 .. 128) of a level: the gain 10^(level / 2000) in 128ths, rounded.
  static int mixerVolume(int level);
  // Samples per device buffer: about 23 ms at 44100 Hz.
  static constexpr int BUFFER_FRAMES = 1024;

 private:
  void load(int slot);

  bool open_ = false;
  const uint8_t* bytes_[SOUND_SLOT_COUNT] = {};
  uint32_t lengths_[SOUND_SLOT_COUNT] = {};
  Mix_Chunk* chunks_[SOUND_SLOT_COUNT] = {};
};

}  // namespace mw
