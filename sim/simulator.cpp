// The simulator: script lines turned into window messages and frame steps.
#include "sim/simulator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "app/files.h"
#include "app/input.h"
#include "app/paths.h"
#include "app/snapshot.h"
#include "gfx/png_codec.h"
#include "sim/dump.h"
#include "soldiers/armies.h"
#include "world/world.h"

namespace mw {

ScreenCapture syntheticDesktop(int32_t width, int32_t height) {
  ScreenCapture screen;
  screen.width = width;
  screen.height = height;
  screen.pixels.resize(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      // A teal-to-blue wallpaper with a faint diagonal weave.
      const uint32_t r = 20 + (40 * y) / (height > 1 ? height : 1);
      const uint32_t g = 90 + (60 * x) / (width > 1 ? width : 1);
      const uint32_t b = 140 + ((x + y) % 16 < 8 ? 10 : 0);
      screen.pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
  // A few windows with title bars, so that damage has something to land on.
  const struct {
    int32_t x, y, w, h;
    uint32_t title;
  } windows[] = {{width / 12, height / 10, width / 3, height / 2, 0xFF2B5797},
                 {width / 2, height / 5, width * 5 / 12, height / 2, 0xFF603CBA},
                 {width / 4, height * 2 / 3, width / 3, height / 4, 0xFF1E7145}};
  for (const auto& win : windows) {
    for (int32_t y = win.y; y < win.y + win.h && y < height; ++y) {
      for (int32_t x = win.x; x < win.x + win.w && x < width; ++x) {
        const bool border = x == win.x || y == win.y || x == win.x + win.w - 1 || y == win.y + win.h - 1;
        const bool titleBar = y < win.y + 24;
        const bool textLine = !titleBar && (y - win.y) % 18 == 10 && (x - win.x) % 120 < 90 && x > win.x + 10;
        uint32_t colour = 0xFFF4F4F4;
        if (titleBar) colour = win.title;
        if (textLine) colour = 0xFF9A9A9A;
        if (border) colour = 0xFF3C3C3C;
        screen.pixels[static_cast<size_t>(y) * width + x] = colour;
      }
    }
  }
  // A task bar along the bottom.
  for (int32_t y = height - 30 > 0 ? height - 30 : 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) screen.pixels[static_cast<size_t>(y) * width + x] = 0xFF202830;
  }
  return screen;
}

ScreenCapture decodeDesktopPicture(const std::vector<uint8_t>& bytes, const std::string& path) {
  // A PNG's sides are in its header, checked before anything is decoded.
  if (bytes.size() >= 24 && std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8) == 0) {
    const auto side = [&](size_t at) {
      return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) | (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
    };
    if (side(16) > static_cast<uint32_t>(MAX_SCREEN_SIDE) || side(20) > static_cast<uint32_t>(MAX_SCREEN_SIDE))
      throw std::runtime_error("desktop picture " + path + " is larger than 16384 x 16384");
  }
  Image image;
  if (!decodePng(bytes.data(), bytes.size(), image) && !decodeBmp(bytes.data(), bytes.size(), image)) {
    throw std::runtime_error("desktop picture " + path + " is neither a PNG nor an uncompressed BMP");
  }
  // The same bound as --screen: no screen is larger.
  if (image.width > MAX_SCREEN_SIDE || image.height > MAX_SCREEN_SIDE)
    throw std::runtime_error("desktop picture " + path + " is larger than 16384 x 16384");
  ScreenCapture screen;
  screen.width = image.width;
  screen.height = image.height;
  screen.pixels = std::move(image.pixels);
  for (uint32_t& p : screen.pixels) p |= 0xFF000000u;
  return screen;
}

namespace {

ScreenCapture readDesktopPicture(const std::string& path) {
  ReadProblem why = ReadProblem::None;
  const std::vector<uint8_t> bytes = readFileBytes(path, LARGEST_FILE_BYTES, &why);
  if (why == ReadProblem::TooLarge) throw std::runtime_error("desktop picture " + path + " is larger than 16384 x 16384");
  if (bytes.empty()) throw std::runtime_error("cannot read desktop picture " + path);
  return decodeDesktopPicture(bytes, path);
}

ScreenCapture screenFor(const SimOptions& options) {
  if (!options.desktopPicture.empty()) return readDesktopPicture(options.desktopPicture);
  return syntheticDesktop(options.screenWidth, options.screenHeight);
}

// Decimal, or hexadecimal after 0x; a leading zero does not make a number octal.
int parseInt(const std::string& word) {
  const size_t digits = !word.empty() && (word[0] == '-' || word[0] == '+') ? 1 : 0;
  const bool hex = word.size() > digits + 1 && word[digits] == '0' && (word[digits + 1] == 'x' || word[digits + 1] == 'X');
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(word, &used, hex ? 16 : 10);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != word.size() || word.empty()) throw std::runtime_error("not a number: " + word);
  return value;
}

uint32_t parseKey(const std::string& word) {
  static const struct {
    const char* name;
    uint32_t vk;
  } names[] = {{"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"space", VK_SPACE}, {"f11", VK_F11},
               {"f12", VK_F12},      {"left", VK_LEFT},     {"right", VK_RIGHT}, {"up", VK_UP},
               {"down", VK_DOWN}};
  for (const auto& n : names) {
    if (word == n.name) return n.vk;
  }
  const int vk = parseInt(word);
  if (vk < 0 || vk > 255) throw std::runtime_error("virtual-key number out of range: " + word);
  return static_cast<uint32_t>(vk);
}

}  // namespace

Simulator::Simulator(const SimOptions& options) : platform_(screenFor(options)), options_(options) {
  setDataDirectory(options.dataDirectory);
  platform_.setPicturesFolder(options.picturesFolder);
  application_ = std::make_unique<Application>(platform_, options.seed, options.start);
  application_->start();
}

Simulator::~Simulator() {
  if (application_) application_->finish();
}

void Simulator::writeOutput(const std::string& path, const std::vector<uint8_t>& bytes) {
  const bool written = options_.writeOutput ? options_.writeOutput(path, bytes) : writeFileBytes(path, bytes);
  if (!written) throw std::runtime_error("cannot write " + path);
}

void Simulator::step(uint64_t frames) {
  World& w = world();
  if (options_.frameBudget > 0 && frames > options_.frameBudget - std::min(options_.frameBudget, w.frameNumber))
    throw std::runtime_error("more frame steps than this run allows");
  const uint64_t target = w.frameNumber + frames;
  while (!finished_ && w.frameNumber < target) {
    if (!application_->runPass()) finished_ = true;
  }
}

void Simulator::runLine(const std::string& rawLine) {
  std::string line = rawLine;
  if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  if (words.empty()) return;
  const std::string& command = words[0];
  const auto expect = [&](size_t least, size_t most) {
    if (words.size() - 1 < least || words.size() - 1 > most)
      throw std::runtime_error("wrong number of arguments to " + command);
  };
  const auto button = [&](const std::string& which) {
    if (which != "left" && which != "right") throw std::runtime_error("button must be left or right: " + which);
    return which == "left";
  };
  // Messages are queued; the next `step` handles them before its frames, as the main loop does.
  // The button flags of a message follow the buttons as they will be once the queue is handled.
  if (command == "move") {
    expect(2, 2);
    platform_.post({WM_MOUSEMOVE, pendingButtons_, packPoint(parseInt(words[1]), parseInt(words[2]))});
  } else if (command == "press" || command == "release") {
    expect(1, 1);
    const bool left = button(words[1]);
    const bool down = command == "press";
    const uint32_t flag = left ? MK_LBUTTON : MK_RBUTTON;
    pendingButtons_ = down ? (pendingButtons_ | flag) : (pendingButtons_ & ~flag);
    const uint32_t message = left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    platform_.post({message, pendingButtons_, 0});
  } else if (command == "keydown" || command == "keyup") {
    expect(1, 1);
    platform_.post({command == "keydown" ? WM_KEYDOWN : WM_KEYUP, parseKey(words[1]), 0});
  } else if (command == "click") {
    expect(2, 2);
    runLine("move " + words[1] + " " + words[2]);
    runLine("press left");
    step(1);
    runLine("release left");
    step(1);
  } else if (command == "step") {
    expect(0, 1);
    const int frames = words.size() > 1 ? parseInt(words[1]) : 1;
    if (frames < 0) throw std::runtime_error("step takes a count of 0 or more");
    step(static_cast<uint64_t>(frames));
  } else if (command == "place") {
    // As a soldier tool would with the mouse at (X, Y); the mouse stays where it is.
    expect(4, 5);
    if (words[1] != "green" && words[1] != "blue") throw std::runtime_error("army must be green or blue: " + words[1]);
    if (words[2] != "sword" && words[2] != "flame") throw std::runtime_error("kind must be sword or flame: " + words[2]);
    const std::string facing = words.size() > 5 ? words[5] : "right";
    if (facing != "right" && facing != "left") throw std::runtime_error("facing must be right or left: " + facing);
    const int x = parseInt(words[3]);
    const int y = parseInt(words[4]);
    if (x < -32768 || x > 32767 || y < -32768 || y > 32767)
      throw std::runtime_error("place position outside the mouse's range -32768 to 32767");
    const ArmyId army = words[1] == "green" ? ArmyId::Green : ArmyId::Blue;
    if (world().army(army).count < ARMY_CAPACITY)
      placeSoldier(world(), army, words[2] == "flame", x, y, facing == "right" ? 1 : 0);
  } else if (command == "dump") {
    expect(0, 1);
    const std::string text = dumpState(*this).dump(2) + "\n";
    if (words.size() == 1) {
      std::cout << text << std::flush;
      if (!std::cout) throw std::runtime_error("cannot write standard output");
    } else {
      writeOutput(words[1], std::vector<uint8_t>(text.begin(), text.end()));
    }
  } else if (command == "frame") {
    expect(1, 1);
    std::vector<uint32_t> pixels = platform_.lastFrame();
    int width = platform_.frameWidth();
    int height = platform_.frameHeight();
    if (pixels.empty()) {  // nothing presented yet: the screen is black
      width = application_->session().screen.width;
      height = application_->session().screen.height;
      pixels.assign(static_cast<size_t>(width) * height, 0xFF000000u);
    }
    writeOutput(words[1], encodePng(pixels.data(), width, height, true));
  } else if (command == "desktop") {
    expect(1, 1);
    const Image& desktop = world().desktop;
    writeOutput(words[1], encodePng(desktop.pixels.data(), desktop.width, desktop.height, true));
  } else {
    throw std::runtime_error("unknown command: " + command);
  }
}

int Simulator::runScript(std::istream& script) {
  int number = 0;
  for (std::string line;;) {
    // A line is read up to its end or its cap, whichever comes first: an endless line is refused
    // without being held.
    line.clear();
    std::streambuf& in = *script.rdbuf();
    int c = 0;
    while ((c = in.sbumpc()) != std::char_traits<char>::eof() && c != '\n' && line.size() <= MAX_SCRIPT_LINE)
      line.push_back(static_cast<char>(c));
    if (c == std::char_traits<char>::eof() && line.empty()) break;
    ++number;
    if (line.size() > MAX_SCRIPT_LINE) {
      std::fprintf(stderr, "mirthwick-sim: line %d: longer than %zu bytes\n", number, MAX_SCRIPT_LINE);
      return 2;
    }
    try {
      runLine(line);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "mirthwick-sim: line %d: %s\n", number, error.what());
      return 2;
    }
  }
  return 0;
}

}  // namespace mw
