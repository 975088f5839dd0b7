// Sound through DirectSound: one secondary buffer per slot, levels in hundredths of a decibel.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>

namespace mw {

class DirectSoundAudio {
 public:
  static constexpr int SLOTS = 16;  // the program has 13; more are ignored

  DirectSoundAudio() = default;
  ~DirectSoundAudio() { close(); }
  DirectSoundAudio(const DirectSoundAudio&) = delete;
  DirectSoundAudio& operator=(const DirectSoundAudio&) = delete;

  // Opens the default playback device for the window and gives it the slots attached so far.
  // Without one the program stays silent.
  void open(HWND window);
  void close();
  bool ready() const { return device_ != nullptr; }

  // Copies the samples (16-bit stereo at 44100 Hz) into the slot's own buffer; length 0 releases it.
  // Attached while no device is open, the bytes (which stay the caller's, and must outlive the
  // slot) are copied when one opens.
  void attach(int slot, const uint8_t* bytes, uint32_t length);
  void play(int slot, int level, bool looping);
  void stop(int slot);

 private:
  IDirectSoundBuffer8* buffer(int slot) const { return slot >= 0 && slot < SLOTS ? slots_[slot] : nullptr; }
  void releaseSlot(int slot);
  void load(int slot);

  IDirectSound8* device_ = nullptr;
  IDirectSoundBuffer* primary_ = nullptr;
  IDirectSoundBuffer8* slots_[SLOTS] = {};
  const uint8_t* bytes_[SLOTS] = {};
  uint32_t lengths_[SLOTS] = {};
};

}  // namespace mw
