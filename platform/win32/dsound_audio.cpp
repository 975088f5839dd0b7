// Sound through DirectSound: one secondary buffer per slot, levels in hundredths of a decibel.
#include "platform/win32/dsound_audio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mw {

namespace {

// Every buffer holds 16-bit signed stereo at 44100 samples a second.
WAVEFORMATEX sampleFormat() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = 44100 * 4;
  format.cbSize = 0;
  return format;
}

}  // namespace

void DirectSoundAudio::open(HWND window) {
  close();
  if (FAILED(DirectSoundCreate8(nullptr, &device_, nullptr)) || device_ == nullptr) {
    device_ = nullptr;
    std::fprintf(stderr, "Mirthwick: no sound device; the program runs silently\n");
    return;
  }
  device_->SetCooperativeLevel(window, DSSCL_PRIORITY);
  // The record's size is its own (40 bytes on 64-bit Windows), never a fixed number.
  DSBUFFERDESC description{};
  description.dwSize = sizeof description;
  description.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
  if (SUCCEEDED(device_->CreateSoundBuffer(&description, &primary_, nullptr)) && primary_ != nullptr) {
    WAVEFORMATEX format = sampleFormat();
    primary_->SetFormat(&format);
  } else {
    primary_ = nullptr;
  }
  for (int slot = 0; slot < SLOTS; ++slot) load(slot);
}

void DirectSoundAudio::releaseSlot(int slot) {
  if (slots_[slot] != nullptr) slots_[slot]->Release();
  slots_[slot] = nullptr;
}

void DirectSoundAudio::close() {
  for (int slot = SLOTS - 1; slot >= 0; --slot) releaseSlot(slot);
  if (primary_ != nullptr) primary_->Release();
  primary_ = nullptr;
  if (device_ != nullptr) device_->Release();
  device_ = nullptr;
}

void DirectSoundAudio::attach(int slot, const uint8_t* bytes, uint32_t length) {
  if (slot < 0 || slot >= SLOTS) return;
  bytes_[slot] = bytes;
  lengths_[slot] = bytes != nullptr ? length : 0;
  load(slot);
}

void DirectSoundAudio::load(int slot) {
  releaseSlot(slot);
  const uint8_t* bytes = bytes_[slot];
  const uint32_t length = lengths_[slot];
  if (device_ == nullptr || bytes == nullptr || length < DSBSIZE_MIN || length > DSBSIZE_MAX) return;
  WAVEFORMATEX format = sampleFormat();
  DSBUFFERDESC description{};
  description.dwSize = sizeof description;
  // Heard also while another window has the focus.
  description.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS;
  description.dwBufferBytes = length;
  description.lpwfxFormat = &format;
  IDirectSoundBuffer* first = nullptr;
  if (FAILED(device_->CreateSoundBuffer(&description, &first, nullptr)) || first == nullptr) return;
  IDirectSoundBuffer8* buffer = nullptr;
  const HRESULT queried = first->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer));
  first->Release();
  if (FAILED(queried) || buffer == nullptr) return;
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD length1 = 0, length2 = 0;
  if (SUCCEEDED(buffer->Lock(0, length, &part1, &length1, &part2, &length2, 0))) {
    const DWORD first1 = std::min<DWORD>(length1, length);
    std::memcpy(part1, bytes, first1);
    if (part2 != nullptr) std::memcpy(part2, bytes + first1, std::min<DWORD>(length2, length - first1));
    buffer->Unlock(part1, length1, part2, length2);
  }
  slots_[slot] = buffer;
}

void DirectSoundAudio::play(int slot, int level, bool looping) {
  IDirectSoundBuffer8* sound = buffer(slot);
  if (sound == nullptr) return;
  // Playing again restarts the sound: one voice per slot.
  sound->SetCurrentPosition(0);
  sound->SetVolume(std::clamp(level, DSBVOLUME_MIN, DSBVOLUME_MAX));
  sound->Play(0, 0, looping ? DSBPLAY_LOOPING : 0);
}

void DirectSoundAudio::stop(int slot) {
  if (IDirectSoundBuffer8* sound = buffer(slot)) sound->Stop();
}

}  // namespace mw
