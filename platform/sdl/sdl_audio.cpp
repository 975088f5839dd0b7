// Sound output on the desktop through SDL2_mixer: each slot is a restartable voice on its own channel.
#include "platform/sdl/sdl_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstdio>

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace mw {

namespace {

constexpr int FREQUENCY = 44100;
constexpr Uint16 FORMAT = AUDIO_S16LSB;  // the samples as the files hold them
constexpr int CHANNELS = 2;
constexpr uint32_t FRAME_BYTES = 4;  // one 16-bit stereo sample

bool validSlot(int slot) { return slot >= 0 && slot < SOUND_SLOT_COUNT; }

#if defined(__linux__)
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
#endif

// ALSA reports each failed probe (no sound card, no "default" device) in lines of its own on
// standard error, where the program says in one line of its own that it runs silently. The error
// handler belongs to the library, which SDL loads too; it stays loaded.
void quietAlsa() {
#if defined(__linux__)
  static bool done = false;
  if (done) return;
  done = true;
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (alsa == nullptr) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(&ignoreAlsaError);
#endif
}

}  // namespace

int SdlAudio::mixerVolume(int level) {
  return static_cast<int>(std::lround(soundGain(level) * MIX_MAX_VOLUME));
}

bool SdlAudio::open() {
  if (open_) return true;
  quietAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "mirthwick: no sound (%s); running silently\n", SDL_GetError());
    return false;
  }
  // No changes allowed: SDL converts to whatever the hardware wants, so the mixer sees our format.
  if (Mix_OpenAudioDevice(FREQUENCY, FORMAT, CHANNELS, BUFFER_FRAMES, nullptr, 0) != 0) {
    std::fprintf(stderr, "mirthwick: no sound device (%s); running silently\n", Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || frequency != FREQUENCY || format != FORMAT ||
      channels != CHANNELS) {
    std::fprintf(stderr, "mirthwick: the sound device refused 44100 Hz 16-bit stereo; running silently\n");
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(SOUND_SLOT_COUNT);
  open_ = true;
  for (int slot = 0; slot < SOUND_SLOT_COUNT; ++slot) load(slot);
  return true;
}

void SdlAudio::close() {
  if (!open_) return;
  Mix_HaltChannel(-1);
  for (int slot = SOUND_SLOT_COUNT - 1; slot >= 0; --slot) attach(slot, nullptr, 0);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  open_ = false;
}

void SdlAudio::attach(int slot, const uint8_t* bytes, uint32_t length) {
  if (!validSlot(slot)) return;
  bytes_[slot] = bytes;
  lengths_[slot] = bytes != nullptr ? length : 0;
  if (open_) load(slot);
}

void SdlAudio::load(int slot) {
  if (chunks_[slot] != nullptr) {
    Mix_HaltChannel(slot);
    Mix_FreeChunk(chunks_[slot]);  // a quick-loaded chunk leaves the bytes to their owner
    chunks_[slot] = nullptr;
  }
  // Whole stereo samples only: a trailing partial one is never read.
  const uint32_t usable = lengths_[slot] - lengths_[slot] % FRAME_BYTES;
  if (bytes_[slot] == nullptr || usable == 0) return;
  chunks_[slot] = Mix_QuickLoad_RAW(const_cast<Uint8*>(bytes_[slot]), usable);
}

void SdlAudio::play(int slot, int level, bool looping) {
  if (!open_ || !validSlot(slot) || chunks_[slot] == nullptr) return;
  // Halt first, so the old voice never sounds at the new volume; playing again restarts it.
  Mix_HaltChannel(slot);
  Mix_Volume(slot, mixerVolume(level));
  Mix_PlayChannel(slot, chunks_[slot], looping ? -1 : 0);
}

void SdlAudio::stop(int slot) {
  if (!open_ || !validSlot(slot)) return;
  Mix_HaltChannel(slot);
}

}  // namespace mw
