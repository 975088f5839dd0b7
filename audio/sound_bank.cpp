// Loading and playing the sound slots, and the burning loop.
#include "audio/sound_bank.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

#include "app/files.h"
#include "app/platform.h"

namespace mw {

namespace {

// The largest sound file read: minutes of sound, far more than any of the program's own.
constexpr uint64_t LARGEST_SOUND_FILE_BYTES = uint64_t{64} << 20;

// Reads in pieces of this size, so memory grows only with bytes the file really holds.
constexpr size_t READ_PIECE = size_t{1} << 16;

void report(const std::string& path, const char* what) {
  std::fprintf(stderr, "mirthwick: sound file %s %s\n", path.c_str(), what);
}

// Where a sound file's bytes come from: a file read in pieces, or bytes already in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills up to `want` bytes; fewer only at the end or on an error.
  virtual size_t read(uint8_t* into, size_t want) = 0;
  virtual bool failed() const = 0;
  // The bytes left to read when known in advance (a regular file's size), else 0.
  virtual uint64_t sizeHint() const = 0;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  size_t read(uint8_t* into, size_t want) override {
    const size_t n = std::min(want, size_ - at_);
    if (n > 0) std::memcpy(into, bytes_ + at_, n);
    at_ += n;
    return n;
  }
  bool failed() const override { return false; }
  uint64_t sizeHint() const override { return size_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t at_ = 0;
};

// The samples of a sound file: N from offset 40, then up to N bytes from offset 44, never past the
// file's end. Anything wrong is reported once; what could be read is kept.
std::vector<uint8_t> readSamples(ByteSource& source, const std::string& path) {
  uint8_t header[WAV_HEADER_BYTES];
  const size_t headerRead = source.read(header, sizeof header);
  if (headerRead < sizeof header) {
    report(path, source.failed() ? "cannot be read; its sound stays silent"
                                 : "is shorter than its 44-byte header; its sound stays silent");
    return {};
  }
  const uint8_t* n = header + WAV_LENGTH_OFFSET;
  const uint32_t length = n[0] | (n[1] << 8) | (n[2] << 16) | (static_cast<uint32_t>(n[3]) << 24);

  std::vector<uint8_t> samples;
  try {
    // A known size bounds the first allocation; a huge N alone never does.
    if (const uint64_t size = source.sizeHint(); size > WAV_HEADER_BYTES)
      samples.reserve(static_cast<size_t>(std::min<uint64_t>(length, size - WAV_HEADER_BYTES)));
    while (samples.size() < length) {
      const size_t start = samples.size();
      const size_t want = std::min<size_t>(length - start, READ_PIECE);
      samples.resize(start + want);
      const size_t got = source.read(samples.data() + start, want);
      samples.resize(start + got);
      if (got < want) break;
    }
  } catch (const std::bad_alloc&) {
    report(path, "is too large to hold; its sound stays silent");
    return {};
  }
  if (source.failed()) {
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

std::vector<uint8_t> readSamples(const std::string& path) {
  ReadProblem why = ReadProblem::None;
  const std::vector<uint8_t> file = readFileBytes(path, LARGEST_SOUND_FILE_BYTES, &why);
  if (why == ReadProblem::TooLarge) {
    report(path, "is larger than 64 MiB; its sound stays silent");
    return {};
  }
  if (why != ReadProblem::None) {
    report(path, "is missing or cannot be opened; its sound stays silent");
    return {};
  }
  MemorySource source(file.data(), file.size());
  return readSamples(source, path);
}

// Puts samples into a slot, letting the platform go of the old ones first.
void fillSlot(SoundBank& bank, SoundSlot slot, std::vector<uint8_t> samples) {
  SoundClip& clip = bank.clips[static_cast<int>(slot)];
  if (!clip.bytes.empty() && bank.platform) bank.platform->attachSound(static_cast<int>(slot), nullptr, 0);
  clip.bytes = std::move(samples);
  if (!clip.bytes.empty() && bank.platform)
    bank.platform->attachSound(static_cast<int>(slot), clip.bytes.data(), static_cast<uint32_t>(clip.bytes.size()));
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

void loadSound(SoundBank& bank, SoundSlot slot, const std::string& path) { fillSlot(bank, slot, readSamples(path)); }

void loadSoundBytes(SoundBank& bank, SoundSlot slot, const uint8_t* bytes, size_t size, const std::string& name) {
  MemorySource source(bytes, size);
  fillSlot(bank, slot, readSamples(source, name));
}

void releaseSounds(SoundBank& bank) {
  for (int slot = SOUND_SLOT_COUNT - 1; slot >= 0; --slot) {
    SoundClip& clip = bank.clips[slot];
    if (clip.bytes.empty()) continue;
    if (bank.platform) bank.platform->attachSound(slot, nullptr, 0);
    clip.bytes = {};
  }
}

void playSound(SoundBank& bank, SoundSlot slot, int32_t level) {
  if (bank.platform && !bank.off) bank.platform->playSound(static_cast<int>(slot), level, false);
}

void playSoundLooping(SoundBank& bank, SoundSlot slot, int32_t level) {
  if (bank.platform && !bank.off) bank.platform->playSound(static_cast<int>(slot), level, true);
}

void stopSound(SoundBank& bank, SoundSlot slot) {
  if (bank.platform && !bank.off) bank.platform->stopSound(static_cast<int>(slot));
}

void setSoundOff(SoundBank& bank, bool off) {
  if (off == (bank.off != 0)) return;
  if (off) {
    for (int slot = 0; slot < SOUND_SLOT_COUNT; ++slot) {
      if (!bank.clips[slot].bytes.empty() && bank.platform) bank.platform->stopSound(slot);
    }
  }
  bank.off = off ? 1 : 0;
}

}  // namespace mw
