// mirthwick-sim: runs the program headless from a script, for tests, replays and bug reports.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "sim/simulator.h"

namespace {

const char* const USAGE =
    "usage: mirthwick-sim [--screen WxH | --desktop PICTURE] [--seed N] [--data DIR] [--hint] [--mute]\n"
    "                     [--windowed] [--pictures DIR] [SCRIPT]\n"
    "  --screen WxH       synthetic desktop of that size (default 1280x720)\n"
    "  --desktop PICTURE  a BMP or PNG picture as the screen\n"
    "  --seed N           seed for the random generator instead of the clock\n"
    "  --data DIR         folder holding Files/ (default: beside this program)\n"
    "  --hint             show the start hint, as the desktop program does\n"
    "  --mute             start with sound off, as after pressing M\n"
    "  --windowed         start in the windowed presentation\n"
    "  --pictures DIR     folder where F12 saves pictures (default: none, a save fails)\n"
    "  SCRIPT             script file; standard input when absent or -\n";

std::string executableDirectory(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) self = std::filesystem::absolute(argv0, error);
  return self.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  mw::SimOptions options;
  options.dataDirectory = executableDirectory(argv[0]);
  std::string scriptPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "mirthwick-sim: %s needs a value\n%s", arg.c_str(), USAGE);
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(USAGE, stdout);
      return 0;
    } else if (arg == "--screen") {
      const std::string size = value();
      int w = 0, h = 0;
      char extra = 0;
      if (std::sscanf(size.c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w <= 0 || h <= 0 || w > mw::MAX_SCREEN_SIDE || h > mw::MAX_SCREEN_SIDE) {
        std::fprintf(stderr, "mirthwick-sim: bad screen size %s (want WxH)\n", size.c_str());
        return 2;
      }
      options.screenWidth = w;
      options.screenHeight = h;
    } else if (arg == "--desktop") {
      options.desktopPicture = value();
    } else if (arg == "--seed") {
      const std::string seed = value();
      char* end = nullptr;
      // Decimal, or hexadecimal after 0x, as numbers in scripts are.
      const bool hex = seed.size() > 1 && seed[0] == '0' && (seed[1] == 'x' || seed[1] == 'X');
      const unsigned long n = std::strtoul(seed.c_str(), &end, hex ? 16 : 10);
      if (seed.empty() || !std::isdigit(static_cast<unsigned char>(seed[0])) || *end != '\0' || n > 0xFFFFFFFFul) {
        std::fprintf(stderr, "mirthwick-sim: bad seed %s\n", seed.c_str());
        return 2;
      }
      options.seed = static_cast<uint32_t>(n);
    } else if (arg == "--data") {
      options.dataDirectory = value();
    } else if (arg == "--hint") {
      options.start.hint = true;
    } else if (arg == "--mute") {
      options.start.mute = true;
    } else if (arg == "--windowed") {
      options.start.windowed = true;
    } else if (arg == "--pictures") {
      options.picturesFolder = value();
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      std::fprintf(stderr, "mirthwick-sim: unknown option %s\n%s", arg.c_str(), USAGE);
      return 2;
    } else if (scriptPath.empty()) {
      scriptPath = arg;
    } else {
      std::fprintf(stderr, "mirthwick-sim: only one script\n%s", USAGE);
      return 2;
    }
  }

  std::ifstream file;
  if (!scriptPath.empty() && scriptPath != "-") {
    std::error_code error;
    // A folder opens as a file here and reads as an empty one.
    if (std::filesystem::is_directory(scriptPath, error)) {
      std::fprintf(stderr, "mirthwick-sim: cannot read script %s: it is a folder\n", scriptPath.c_str());
      return 2;
    }
    file.open(scriptPath);
    if (!file) {
      std::fprintf(stderr, "mirthwick-sim: cannot read script %s\n", scriptPath.c_str());
      return 2;
    }
  }
  try {
    int status = 0;
    {
      mw::Simulator simulator(options);
      status = simulator.runScript(file.is_open() ? static_cast<std::istream&>(file) : std::cin);
    }
    // Dumps to standard output may still be buffered: a failure to write them is a failure.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      std::fprintf(stderr, "mirthwick-sim: cannot write standard output\n");
      return 2;
    }
    return status;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "mirthwick-sim: %s\n", error.what());
    return 2;
  }
}
