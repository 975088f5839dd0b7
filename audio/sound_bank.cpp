// Loading and playing the sound slots, and the burning loop.
#include "audio/sound_bank.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

#include "app/files.h"
#include "app/platform.h"
#include "world/world.h"

namespace mw {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads in pieces of this size, so memory grows only with bytes the file really holds.
constexpr size_t READ_PIECE = size_t{1} << 16;

void report(const std::string& path, const char* what) {
  std::fprintf(stderr, "mirthwick: sound file %s %s\n", path.c_str(), what);
}

// The samples of a sound file: N from offset 40, then up to N bytes from offset 44, never past the
// file's end. Anything wrong is reported once; what could be read is kept.
std::vector<uint8_t> readSamples(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(openFile(path, "rb"));
  if (!file) {
    report(path, "is missing or cannot be opened; its sound stays silent");
    return {};
  }
  uint8_t header[WAV_HEADER_BYTES];
  const size_t headerRead = std::fread(header, 1, sizeof header, file.get());
  if (headerRead < sizeof header) {
    report(path, std::ferror(file.get()) ? "cannot be read; its sound stays silent"
                                         : "is shorter than its 44-byte header; its sound stays silent");
    return {};
  }
  const uint8_t* n = header + WAV_LENGTH_OFFSET;
  const uint32_t length = n[0] | (n[1] << 8) | (n[2] << 16) | (static_cast<uint32_t>(n[3]) << 24);

  std::vector<uint8_t> samples;
  try {
    // A regular file's size bounds the first allocation; a huge N alone never does.
    std::error_code error;
    const uintmax_t fileSize = std::filesystem::file_size(filePath(path), error);
    if (!error && fileSize > WAV_HEADER_BYTES)
      samples.reserve(static_cast<size_t>(std::min<uintmax_t>(length, fileSize - WAV_HEADER_BYTES)));
    while (samples.size() < length) {
      const size_t start = samples.size();
      const size_t want = std::min<size_t>(length - start, READ_PIECE);
      samples.resize(start + want);
      const size_t got = std::fread(samples.data() + start, 1, want, file.get());
      samples.resize(start + got);
      if (got < want) break;
    }
  } catch (const std::bad_alloc&) {
    report(path, "is too large to hold; its sound stays silent");
    return {};
  }
  if (std::ferror(file.get())) {
    report(path, "cannot be read; its sound stays silent");
    return {};
  }
  if (samples.size() < length) {
    char what[96];
    std::snprintf(what, sizeof what, "holds %zu of its %u sample bytes; only those play", samples.size(),
                  static_cast<unsigned>(length));
    report(path, what);
  }
  return samples;
}

}  // namespace

const char* soundSlotName(SoundSlot slot) {
  static const char* const names[SOUND_SLOT_COUNT] = {
      "soundGlassBreak", "soundBurning", "soundM4",     "soundEqHam", "soundEqM4", "soundZippo", "soundClick",
      "soundDeath",      "soundUnused",  "soundSword", "soundSword2", "soundDie",  "soundHi"};
  const int index = static_cast<int>(slot);
  return index >= 0 && index < SOUND_SLOT_COUNT ? names[index] : "soundNone";
}

double soundGain(int32_t level) {
  const int32_t clamped = std::clamp(level, SOUND_LEVEL_SILENT, 0);
  return std::pow(10.0, clamped / 2000.0);
}

void loadSound(World& world, SoundSlot slot, const std::string& path) {
  std::vector<uint8_t> samples = readSamples(path);
  SoundClip& clip = world.sounds[static_cast<int>(slot)];
  // The platform lets go of the old samples before they are replaced.
  if (!clip.bytes.empty() && world.platform) world.platform->attachSound(static_cast<int>(slot), nullptr, 0);
  clip.bytes = std::move(samples);
  if (!clip.bytes.empty() && world.platform)
    world.platform->attachSound(static_cast<int>(slot), clip.bytes.data(), static_cast<uint32_t>(clip.bytes.size()));
}

void releaseSounds(World& world) {
  for (int slot = SOUND_SLOT_COUNT - 1; slot >= 0; --slot) {
    SoundClip& clip = world.sounds[slot];
    if (clip.bytes.empty()) continue;
    if (world.platform) world.platform->attachSound(slot, nullptr, 0);
    clip.bytes = {};
  }
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
