// Sound output on the desktop (silent until the mixer is wired in).
#include "platform/sdl/sdl_audio.h"

namespace mw {

bool SdlAudio::open() { return false; }
void SdlAudio::close() {}
void SdlAudio::attach(int, const uint8_t*, uint32_t) {}
void SdlAudio::play(int, int, bool) {}
void SdlAudio::stop(int) {}

}  // namespace mw
