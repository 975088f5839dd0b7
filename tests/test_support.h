// Shared helpers for tests: a private data folder, and a headless program run.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "sim/simulator.h"

namespace mw::test {

// A fresh folder holding Files/Img (with the font sheets) and Files/Sound, removed afterwards, so
// tests running side by side never share a snapshot file.
class DataDirectory {
 public:
  DataDirectory();
  ~DataDirectory();
  const std::string& path() const { return path_; }
  std::string file(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// A simulator on a synthetic screen in its own data folder.
struct SimRun {
  explicit SimRun(int width = 320, int height = 200, uint32_t seed = 1);
  // With start options and a pictures folder for F12.
  SimRun(int width, int height, uint32_t seed, const StartOptions& start, const std::string& picturesFolder = {});
  DataDirectory data;
  std::unique_ptr<Simulator> sim;
  void run(const std::string& lines);
};

}  // namespace mw::test
