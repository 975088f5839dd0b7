// Sound output on the desktop: one SDL2_mixer channel per sound slot.
#pragma once
#include <cstdint>

namespace mw {

class SdlAudio {
 public:
  // Opens the audio device at 44100 Hz, 16-bit stereo; false (and silence from then on) when it fails.
  bool open();
  // Stops everything and closes the device.
  void close();
  // Takes the samples of a slot (null releases the slot).
  void attach(int slot, const uint8_t* bytes, uint32_t length);
  // Rewinds and plays a slot once or looping, at a level in hundredths of a decibel.
  void play(int slot, int level, bool looping);
  // Stops a slot.
  void stop(int slot);
};

}  // namespace mw
