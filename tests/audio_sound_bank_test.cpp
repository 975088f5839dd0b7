// The sound bank: the WAV loader on good and hostile files, levels, release order, and the
// simulator's record of what was loaded and played.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/files.h"
#include "audio/sound_bank.h"
#include "platform/headless/headless_platform.h"
#include "sim/dump.h"
#include "tests/test_support.h"
#include "world/world.h"

namespace mw {
namespace {

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// A canonical 44-byte header with the given format fields, data length n, then the samples.
std::vector<uint8_t> wavFile(const std::vector<uint8_t>& samples, uint32_t n, uint16_t channels = 2,
                             uint32_t rate = 44100) {
  std::vector<uint8_t> b(44 + samples.size(), 0);
  const char* tags[] = {"RIFF", "WAVE", "fmt ", "data"};
  const size_t at[] = {0, 8, 12, 36};
  for (int t = 0; t < 4; ++t) std::copy(tags[t], tags[t] + 4, b.begin() + at[t]);
  put32(b, 4, 36 + n);
  put32(b, 16, 16);
  put16(b, 20, 1);
  put16(b, 22, channels);
  put32(b, 24, rate);
  put32(b, 28, rate * channels * 2);
  put16(b, 32, static_cast<uint16_t>(channels * 2));
  put16(b, 34, 16);
  put32(b, 40, n);
  std::copy(samples.begin(), samples.end(), b.begin() + 44);
  return b;
}

std::vector<uint8_t> pattern(size_t size, uint8_t seed = 1) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

// A sound bank on a headless platform, with no start-up.
struct Bank {
  Bank() : platform(ScreenCapture{}) { sounds.platform = &platform; }
  HeadlessPlatform platform;
  SoundBank sounds;
  test::DataDirectory data;

  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = data.file(name);
    EXPECT_TRUE(writeFileBytes(path, bytes));
    return path;
  }
  // Loads a file into the click slot; returns what the loader wrote to standard error.
  std::string load(const std::string& path, SoundSlot slot = SoundSlot::Click) {
    testing::internal::CaptureStderr();
    loadSound(sounds, slot, path);
    return testing::internal::GetCapturedStderr();
  }
  const std::vector<uint8_t>& clip(SoundSlot slot = SoundSlot::Click) {
    return sounds.clips[static_cast<int>(slot)].bytes;
  }
};

int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(SoundLoader, TakesNFromOffset40AndTheSamplesAsTheyAre) {
  Bank bank;
  const std::vector<uint8_t> samples = pattern(4000);
  // Everything but offset 40 is nonsense: no RIFF, no WAVE, a wrong size and format.
  std::vector<uint8_t> file = wavFile(samples, 4000);
  std::fill(file.begin(), file.begin() + 40, 0xEE);
  EXPECT_EQ(bank.load(bank.write("odd.wav", file)), "");
  EXPECT_EQ(bank.clip(), samples);
  EXPECT_EQ(bank.platform.soundLength(static_cast<int>(SoundSlot::Click)), 4000u);

  // Trailing bytes past N are not samples.
  std::vector<uint8_t> longer = wavFile(pattern(1000, 9), 600);
  EXPECT_EQ(bank.load(bank.write("long.wav", longer)), "");
  EXPECT_EQ(bank.clip(), std::vector<uint8_t>(longer.begin() + 44, longer.begin() + 644));
}

TEST(SoundLoader, MonoHalfRateHeaderIsStillHandedOverAsRawStereoSamples) {
  Bank bank;
  const std::vector<uint8_t> samples = pattern(2206);  // 1103 mono samples, read as 551.5 stereo ones
  EXPECT_EQ(bank.load(bank.write("mono.wav", wavFile(samples, 2206, 1, 22050))), "");
  EXPECT_EQ(bank.clip(), samples);
  EXPECT_EQ(bank.platform.soundLength(static_cast<int>(SoundSlot::Click)), 2206u);
}

TEST(SoundLoader, ExtraChunkBeforeTheDataIsReadWrongly) {
  Bank bank;
  // RIFF/WAVE, fmt, then a 26-byte LIST chunk whose size sits at offset 40, then the data chunk.
  std::vector<uint8_t> file = wavFile({}, 0);
  std::copy_n("LIST", 4, file.begin() + 36);
  put32(file, 40, 26);
  const std::vector<uint8_t> list = pattern(26, 3);
  file.insert(file.end(), list.begin(), list.end());
  const std::vector<uint8_t> dataHeader = {'d', 'a', 't', 'a', 0x00, 0x10, 0, 0};
  file.insert(file.end(), dataHeader.begin(), dataHeader.end());
  const std::vector<uint8_t> samples = pattern(4096, 5);
  file.insert(file.end(), samples.begin(), samples.end());
  EXPECT_EQ(bank.load(bank.write("list.wav", file)), "");
  EXPECT_EQ(bank.clip(), list) << "the LIST chunk's 26 bytes are taken for the samples";
}

TEST(SoundLoader, HostileFilesLeaveTheSlotSilentOrShortAndAreReportedOnce) {
  Bank bank;
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    size_t kept;
  } cases[] = {
      {"empty.wav", {}, 0},
      {"short-header.wav", pattern(43), 0},
      {"short.wav", wavFile(pattern(100), 1000), 100},
      {"huge-n.wav", wavFile(pattern(100), 0xFFFFFFFFu), 100},
      {"one-short.wav", wavFile(pattern(399), 400), 399},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = bank.write(c.name, c.bytes);
    const std::string err = bank.load(path);
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_EQ(bank.clip().size(), c.kept);
    if (c.kept > 0) {
      EXPECT_EQ(bank.clip(), std::vector<uint8_t>(c.bytes.begin() + 44, c.bytes.begin() + 44 + c.kept));
    }
    EXPECT_EQ(bank.platform.soundLength(static_cast<int>(SoundSlot::Click)), c.kept);
  }
  // Missing, and a folder where the file should be.
  for (const std::string& path : {bank.data.file("nowhere.wav"), bank.data.file("Files")}) {
    SCOPED_TRACE(path);
    const std::string err = bank.load(path);
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_TRUE(bank.clip().empty());
    EXPECT_EQ(bank.platform.soundLength(static_cast<int>(SoundSlot::Click)), 0u);
  }
  // N = 0 is an empty sound, not a fault.
  EXPECT_EQ(bank.load(bank.write("zero.wav", wavFile(pattern(10), 0))), "");
  EXPECT_TRUE(bank.clip().empty());
}

TEST(SoundLoader, ReloadingReleasesTheOldSamplesFirst) {
  Bank bank;
  const int click = static_cast<int>(SoundSlot::Click);
  bank.load(bank.write("a.wav", wavFile(pattern(800), 800)));
  bank.load(bank.write("b.wav", wavFile(pattern(400), 400)));
  bank.load(bank.data.file("missing.wav"));
  const std::vector<SoundAttach>& log = bank.platform.soundAttachLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].length, 800u);
  EXPECT_EQ(log[1].length, 0u);
  EXPECT_EQ(log[2].length, 400u);
  EXPECT_EQ(log[3].length, 0u);
  for (const SoundAttach& a : log) EXPECT_EQ(a.slot, click);
}

TEST(SoundBank, LevelsBecomeGainsOfTenToTheLevelOver2000) {
  EXPECT_DOUBLE_EQ(soundGain(0), 1.0);
  EXPECT_NEAR(soundGain(-100), 0.891251, 1e-6);   // one decibel down
  EXPECT_NEAR(soundGain(-2000), 0.1, 1e-12);      // twenty decibels
  EXPECT_NEAR(soundGain(-10000), 1e-5, 1e-12);    // the platform's silence
  EXPECT_NEAR(soundGain(-20000), 1e-5, 1e-12);    // below the range: clamped
  EXPECT_DOUBLE_EQ(soundGain(300), 1.0);          // no amplification
  EXPECT_LT(soundGain(-401), soundGain(-400));
}

// The twelve files, each with its own length so that a mix-up shows.
const struct {
  SoundSlot slot;
  const char* file;
  const char* name;
} SOUND_FILES[] = {
    {SoundSlot::GlassBreak, "glassbreak.wav", "soundGlassBreak"}, {SoundSlot::Burning, "burning.wav", "soundBurning"},
    {SoundSlot::Zippo, "zippo.wav", "soundZippo"},                {SoundSlot::M4, "M4.wav", "soundM4"},
    {SoundSlot::EqM4, "eqM4.wav", "soundEqM4"},                   {SoundSlot::EqHam, "eqHam.wav", "soundEqHam"},
    {SoundSlot::Click, "click.wav", "soundClick"},                {SoundSlot::Death, "death.wav", "soundDeath"},
    {SoundSlot::Die, "die.wav", "soundDie"},                      {SoundSlot::Hi, "hi.wav", "soundHi"},
    {SoundSlot::Sword, "sword.wav", "soundSword"},                {SoundSlot::Sword2, "sword2.wav", "soundSword2"},
};

uint32_t lengthOf(SoundSlot slot) { return 400 + 4 * static_cast<uint32_t>(slot); }

std::unique_ptr<Simulator> simulatorWithSounds(const test::DataDirectory& data, const char* skip = nullptr) {
  for (const auto& f : SOUND_FILES) {
    const std::string path = data.file(std::string("Files/Sound/") + f.file);
    std::filesystem::remove(path);
    if (skip && std::string(skip) == f.file) continue;
    writeFileBytes(path, wavFile(pattern(lengthOf(f.slot)), lengthOf(f.slot)));
  }
  SimOptions options;
  options.screenWidth = 64;
  options.screenHeight = 48;
  options.seed = 1;
  options.dataDirectory = data.path();
  return std::make_unique<Simulator>(options);
}

TEST(SoundBankStartUp, LoadsTheTwelveInOrderAndReleasesLastSlotFirst) {
  test::DataDirectory data;
  std::unique_ptr<Simulator> sim = simulatorWithSounds(data);
  const std::vector<SoundAttach> loads = sim->platform().soundAttachLog();
  ASSERT_EQ(loads.size(), 12u);
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(loads[i].slot, static_cast<int>(SOUND_FILES[i].slot)) << SOUND_FILES[i].file;
    EXPECT_EQ(loads[i].length, lengthOf(SOUND_FILES[i].slot));
  }

  const Json slots = dumpState(*sim)["sounds"]["slots"];
  ASSERT_EQ(slots.size(), 13u);
  for (const auto& f : SOUND_FILES) EXPECT_EQ(slots[f.name], lengthOf(f.slot)) << f.name;
  EXPECT_EQ(slots["soundUnused"], 0);
  EXPECT_EQ(slots.begin().key(), "soundGlassBreak");

  sim->application().finish();
  std::vector<int> released;
  const std::vector<SoundAttach>& log = sim->platform().soundAttachLog();
  for (size_t i = 12; i < log.size(); ++i) {
    EXPECT_EQ(log[i].length, 0u);
    released.push_back(log[i].slot);
  }
  // Hi, Die, Sword2, Sword, (the empty thirteenth skipped), Death, Click, Zippo, EqM4, EqHam, M4,
  // Burning, GlassBreak.
  EXPECT_EQ(released, (std::vector<int>{12, 11, 10, 9, 7, 6, 5, 4, 3, 2, 1, 0}));
  for (const SoundClip& clip : sim->world().sounds.clips) EXPECT_TRUE(clip.bytes.empty());
}

TEST(SoundBankStartUp, MissingFileLeavesOneSlotSilentAndIsReportedOnce) {
  test::DataDirectory data;
  testing::internal::CaptureStderr();
  std::unique_ptr<Simulator> sim = simulatorWithSounds(data, "sword2.wav");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(lines(err), 1) << err;
  EXPECT_NE(err.find("Files/Sound/sword2.wav"), std::string::npos) << err;
  const Json slots = dumpState(*sim)["sounds"]["slots"];
  EXPECT_EQ(slots["soundSword2"], 0);
  EXPECT_EQ(slots["soundSword"], lengthOf(SoundSlot::Sword));
  // Playing the silent slot is still recorded, and the program runs on.
  sim->step(2);
  playSound(sim->world().sounds, SoundSlot::Sword2, -400);
  sim->step(1);
  EXPECT_EQ(sim->world().frameNumber, 3u);
}

TEST(SoundBankStartUp, DumpLogsEachOperationWithItsFrame) {
  test::DataDirectory data;
  std::unique_ptr<Simulator> sim = simulatorWithSounds(data);
  sim->step(2);
  // Between frame steps 2 and 3: recorded as part of step 3, the step that runs next.
  playSound(sim->world().sounds, SoundSlot::GlassBreak, -300);
  playSoundLooping(sim->world().sounds, SoundSlot::Burning, -100);
  sim->step(4);
  stopSound(sim->world().sounds, SoundSlot::Burning);
  const Json log = dumpState(*sim)["sounds"]["log"];
  const Json expected = Json::parse(R"([
    {"frame": 3, "slot": "soundGlassBreak", "op": "play", "level": -300},
    {"frame": 3, "slot": "soundBurning", "op": "loop", "level": -100},
    {"frame": 7, "slot": "soundBurning", "op": "stop", "level": 0}])");
  EXPECT_EQ(log, expected) << log.dump(2);
}

}  // namespace
}  // namespace mw
