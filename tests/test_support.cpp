// Shared helpers for tests.
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

namespace mw::test {

namespace fs = std::filesystem;

DataDirectory::DataDirectory() {
#ifdef _WIN32
  // No mkdtemp: a fresh random name, taken only when the folder did not exist before.
  std::random_device entropy;
  for (int attempt = 0; path_.empty() && attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "mirthwick-test-%08x", static_cast<unsigned>(entropy()));
    const fs::path candidate = fs::temp_directory_path() / name;
    if (fs::create_directory(candidate)) path_ = candidate.string();
  }
  if (path_.empty()) throw std::runtime_error("cannot make a temporary folder");
#else
  std::string pattern = (fs::temp_directory_path() / "mirthwick-test-XXXXXX").string();
  const char* made = mkdtemp(pattern.data());
  if (made == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = made;
#endif
  fs::create_directories(path_ + "/Files/Img");
  fs::create_directories(path_ + "/Files/Sound");
  const fs::path built = fs::path(MIRTHWICK_BUILD_DIR) / "Files";
  std::error_code ignored;
  for (const char* sub : {"Img", "Sound"}) {
    for (const auto& entry : fs::directory_iterator(built / sub, ignored)) {
      if (entry.path().filename() == "1.bmp") continue;
      fs::copy_file(entry.path(), fs::path(path_) / "Files" / sub / entry.path().filename(), ignored);
    }
  }
}

DataDirectory::~DataDirectory() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

SimRun::SimRun(int width, int height, uint32_t seed) : SimRun(width, height, seed, SimOptions{}.start) {}

SimRun::SimRun(int width, int height, uint32_t seed, const StartOptions& start, const std::string& picturesFolder) {
  SimOptions options;
  options.start = start;
  options.picturesFolder = picturesFolder;
  options.screenWidth = width;
  options.screenHeight = height;
  options.seed = seed;
  options.dataDirectory = data.path();
  sim = std::make_unique<Simulator>(options);
}

void SimRun::run(const std::string& lines) {
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) sim->runLine(line);
}

}  // namespace mw::test
