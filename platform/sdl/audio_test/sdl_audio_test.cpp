// SdlAudio under SDL's disk audio driver: the device output is written to a file, read back here
// and checked sample by sample for levels, restarts and loops.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_audio.h"

namespace mw {
namespace {

namespace fs = std::filesystem;

// One stereo sample of a clip or of the output.
struct Frame {
  int16_t left;
  int16_t right;
};

std::vector<uint8_t> clipBytes(const std::vector<Frame>& frames) {
  std::vector<uint8_t> bytes;
  for (const Frame& f : frames) {
    for (const int16_t v : {f.left, f.right}) {
      bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xFF));
      bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    }
  }
  return bytes;
}

// Frame k of a ramp: left rises by one every `step` frames from 1, right mirrors it.
Frame rampFrame(int k, int step) {
  const int16_t v = static_cast<int16_t>(1 + k / step);
  return Frame{v, static_cast<int16_t>(-v)};
}

std::vector<Frame> ramp(int frames, int step) {
  std::vector<Frame> clip;
  for (int k = 0; k < frames; ++k) clip.push_back(rampFrame(k, step));
  return clip;
}

// Points SDL's disk driver at a fresh file and reads back what the device played.
class DiskOutput {
 public:
  DiskOutput() {
    std::string pattern = (fs::temp_directory_path() / "mirthwick-audio-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) ::close(fd);
    path_ = pattern;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
  }
  ~DiskOutput() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }

  uintmax_t size() const {
    std::error_code error;
    const uintmax_t n = fs::file_size(path_, error);
    return error ? 0 : n;
  }

  // Waits until the device has written at least `bytes` more, so that it has run past this point.
  void waitForMore(uintmax_t bytes) const {
    const uintmax_t target = size() + bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (size() < target) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the disk audio device stopped writing";
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  std::vector<Frame> frames() const {
    std::ifstream in(path_, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Frame> out;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
      out.push_back(Frame{static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)),
                          static_cast<int16_t>(bytes[i + 2] | (bytes[i + 3] << 8))});
    }
    return out;
  }

 private:
  std::string path_;
};

// Enough output for the device to have passed at least one more whole buffer, past stdio's buffering.
constexpr uintmax_t PAST_ONE_BUFFER = SdlAudio::BUFFER_FRAMES * 4 + 16384;

void waitUntilSilent(int slot) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (Mix_Playing(slot)) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "slot " << slot << " never finished";
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

size_t firstSounding(const std::vector<Frame>& out, size_t from = 0) {
  for (size_t i = from; i < out.size(); ++i) {
    if (out[i].left != 0 || out[i].right != 0) return i;
  }
  return out.size();
}

TEST(SdlAudio, LevelsBecomeMixerVolumes) {
  EXPECT_EQ(SdlAudio::mixerVolume(0), 128);
  EXPECT_EQ(SdlAudio::mixerVolume(-100), 114);   // 0.891
  EXPECT_EQ(SdlAudio::mixerVolume(-600), 64);    // 0.501
  EXPECT_EQ(SdlAudio::mixerVolume(-2000), 13);   // 0.1
  EXPECT_EQ(SdlAudio::mixerVolume(-10000), 0);
  EXPECT_EQ(SdlAudio::mixerVolume(-20000), 0);   // below the range: silent
  EXPECT_EQ(SdlAudio::mixerVolume(500), 128);    // above it: full
}

TEST(SdlAudio, PlayedSlotReachesTheOutputAtItsLevel) {
  DiskOutput disk;
  SdlAudio audio;
  ASSERT_TRUE(audio.open());
  // A constant clip of 4410 whole samples and a trailing partial one, which is never played.
  const std::vector<Frame> constant(4410, Frame{20000, -12000});
  std::vector<uint8_t> bytes = clipBytes(constant);
  bytes.insert(bytes.end(), {1, 2, 3});
  const int levels[] = {0, -100, -600, -2000, -10000, -350};
  for (int slot = 0; slot < 6; ++slot) audio.attach(slot, bytes.data(), static_cast<uint32_t>(bytes.size()));
  for (int slot = 0; slot < 6; ++slot) {
    audio.play(slot, levels[slot], false);
    waitUntilSilent(slot);
    disk.waitForMore(PAST_ONE_BUFFER);
  }
  audio.close();

  // The output, cut into runs of one repeated sample between stretches of silence.
  struct Run {
    Frame value;
    size_t length;
  };
  std::vector<Run> runs;
  const std::vector<Frame> out = disk.frames();
  for (size_t i = firstSounding(out); i < out.size(); i = firstSounding(out, i)) {
    Run run{out[i], 0};
    while (i < out.size() && out[i].left == run.value.left && out[i].right == run.value.right) ++i, ++run.length;
    runs.push_back(run);
  }
  std::vector<int> audible;
  for (const int level : levels) {
    if (SdlAudio::mixerVolume(level) > 0) audible.push_back(level);
  }
  ASSERT_EQ(runs.size(), audible.size()) << "one run per audible play, nothing else";
  for (size_t r = 0; r < runs.size(); ++r) {
    const int level = audible[r];
    SCOPED_TRACE("level " + std::to_string(level));
    const int volume = SdlAudio::mixerVolume(level);
    EXPECT_EQ(runs[r].value.left, 20000 * volume / 128);
    EXPECT_EQ(runs[r].value.right, -12000 * volume / 128);
    EXPECT_EQ(runs[r].length, constant.size());
    // Within a hundredth of full scale of the exact gain.
    EXPECT_NEAR(runs[r].value.left, 20000 * std::pow(10.0, level / 2000.0), 200.0);
  }
}

TEST(SdlAudio, PlayingAgainRestartsTheSlotWithoutOverlap) {
  DiskOutput disk;
  SdlAudio audio;
  ASSERT_TRUE(audio.open());
  const int length = 44100;  // one second
  const std::vector<Frame> clip = ramp(length, 2);
  const std::vector<uint8_t> bytes = clipBytes(clip);
  audio.attach(3, bytes.data(), static_cast<uint32_t>(bytes.size()));
  audio.play(3, 0, false);
  disk.waitForMore(8 * SdlAudio::BUFFER_FRAMES * 4);  // well into the clip
  audio.play(3, 0, false);
  waitUntilSilent(3);
  disk.waitForMore(PAST_ONE_BUFFER);
  audio.close();

  const std::vector<Frame> out = disk.frames();
  const size_t start = firstSounding(out);
  ASSERT_LT(start, out.size());
  // The first run follows the clip until the restart cuts it short.
  size_t cut = 0;
  while (start + cut < out.size() && cut < clip.size() && out[start + cut].left == clip[cut].left &&
         out[start + cut].right == clip[cut].right)
    ++cut;
  EXPECT_GT(cut, 0u);
  ASSERT_LT(cut, clip.size()) << "the first play ran to its end: no restart";
  // Then the whole clip from its start, alone: two voices would add up.
  for (size_t k = 0; k < clip.size(); ++k) {
    ASSERT_LT(start + cut + k, out.size());
    ASSERT_EQ(out[start + cut + k].left, clip[k].left) << "frame " << k << " after the restart";
    ASSERT_EQ(out[start + cut + k].right, clip[k].right) << "frame " << k << " after the restart";
  }
  EXPECT_EQ(firstSounding(out, start + cut + clip.size()), out.size()) << "silence after the clip";
}

TEST(SdlAudio, LoopingSlotSoundsUntilStopped) {
  DiskOutput disk;
  SdlAudio audio;
  ASSERT_TRUE(audio.open());
  const std::vector<Frame> clip = ramp(1000, 1);
  const std::vector<uint8_t> bytes = clipBytes(clip);
  audio.attach(1, bytes.data(), static_cast<uint32_t>(bytes.size()));
  audio.play(1, 0, true);
  disk.waitForMore(6 * clip.size() * 4 + PAST_ONE_BUFFER);  // six rounds at least
  EXPECT_TRUE(Mix_Playing(1));
  audio.stop(1);
  disk.waitForMore(PAST_ONE_BUFFER);
  audio.close();

  const std::vector<Frame> out = disk.frames();
  const size_t start = firstSounding(out);
  ASSERT_LT(start, out.size());
  size_t played = 0;
  while (start + played < out.size() && out[start + played].left == clip[played % clip.size()].left &&
         out[start + played].right == clip[played % clip.size()].right)
    ++played;
  EXPECT_GE(played, 6 * clip.size()) << "the loop repeats back to back";
  EXPECT_EQ(firstSounding(out, start + played), out.size()) << "silence once stopped";
}

TEST(SdlAudio, ReleasedSlotFallsSilentAndIgnoresPlays) {
  DiskOutput disk;
  SdlAudio audio;
  ASSERT_TRUE(audio.open());
  const std::vector<uint8_t> bytes = clipBytes(ramp(1000, 1));
  audio.attach(12, bytes.data(), static_cast<uint32_t>(bytes.size()));
  audio.play(12, 0, true);
  disk.waitForMore(PAST_ONE_BUFFER);
  audio.attach(12, nullptr, 0);
  EXPECT_FALSE(Mix_Playing(12));
  audio.play(12, 0, true);
  audio.play(13, 0, true);  // no such slot
  audio.play(-1, 0, true);
  EXPECT_FALSE(Mix_Playing(12));
  audio.close();
}

// Started muted, the device opens only at the first sound: the slots attached before play then.
TEST(SdlAudio, SlotsAttachedBeforeTheDeviceOpensPlayOnceItIs) {
  DiskOutput disk;
  SdlAudio audio;
  const std::vector<Frame> constant(2000, Frame{1000, -1000});
  const std::vector<uint8_t> bytes = clipBytes(constant);
  audio.attach(3, bytes.data(), static_cast<uint32_t>(bytes.size()));
  audio.play(3, 0, false);  // no device yet: nothing
  EXPECT_EQ(disk.size(), 0u);
  ASSERT_TRUE(audio.open());
  audio.play(3, 0, false);
  waitUntilSilent(3);
  disk.waitForMore(PAST_ONE_BUFFER);
  audio.close();
  const std::vector<Frame> out = disk.frames();
  const size_t start = firstSounding(out);
  ASSERT_LT(start + constant.size(), out.size());
  EXPECT_EQ(out[start].left, 1000);
  EXPECT_EQ(firstSounding(out, start + constant.size()), out.size()) << "played once, whole";
}

TEST(SdlAudio, NoDeviceMeansSilence) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SdlAudio audio;
  EXPECT_FALSE(audio.open());
  EXPECT_FALSE(audio.isOpen());
  const std::vector<uint8_t> bytes = clipBytes(ramp(100, 1));
  audio.attach(0, bytes.data(), static_cast<uint32_t>(bytes.size()));
  audio.play(0, 0, true);
  audio.stop(0);
  audio.close();
}

}  // namespace
}  // namespace mw
