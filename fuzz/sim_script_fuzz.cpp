// Fuzzes the simulator's script reader: any text runs to its end or stops at a bad line with the
// message and result 2, on a screen smaller than the menu panel. Output files are discarded and
// the frame steps of one run are bounded, so a run stays short.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "gfx/png_codec.h"
#include "gfx/resources.h"
#include "sim/simulator.h"

namespace {

std::filesystem::path folderMade;

// A private data folder holding the font sheets; the snapshot is written there at every start.
std::string dataFolder() {
  namespace fs = std::filesystem;
  const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  const fs::path folder = base / ("mirthwick-fuzz-" + std::to_string(getpid()));
  fs::create_directories(folder / "Files/Img");
  fs::create_directories(folder / "Files/Sound");
  for (const char* font : {"fixedsys16x28.bmp", "Consolas13x24-2.bmp"}) {
    std::error_code ignored;
    fs::copy_file(fs::path(MIRTHWICK_SOURCE_DIR) / "assets/Files/Img" / font, folder / "Files/Img" / font,
                  fs::copy_options::overwrite_existing, ignored);
  }
  folderMade = folder;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folderMade, ignored);
  });
  return folder.string();
}

// Start-up decodes every picture at every run; the large ones (panel, tool pictures, strips) are
// replaced by a tiny picture so that a run costs little more than its script.
void replaceLargePictures() {
  const uint32_t pixels[4] = {0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFFFFFFFFu};
  const std::vector<uint8_t> tiny = mw::encodePng(pixels, 2, 2, false);
  for (const mw::EmbeddedResource* entry = mw::EMBEDDED_IMAGES; entry->number != -1; ++entry) {
    if (entry->size > 2048) mw::overrideImageResource(entry->number, tiny);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    replaceLargePictures();
    return dataFolder();
  }();
  mw::SimOptions options;
  options.screenWidth = 160;
  options.screenHeight = 120;
  options.seed = 1;
  options.dataDirectory = folder;
  options.frameBudget = 300;
  options.writeOutput = [](const std::string&, const std::vector<uint8_t>&) { return true; };
  mw::Simulator simulator(options);
  std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
  const int result = simulator.runScript(script);
  if (result != 0 && result != 2) std::abort();
  return 0;
}
