// Checksums of every picture resource as this build's PNG codec decodes it: one build writes the
// list, another checks it, which proves both decode every picture to the same pixels.
//   mirthwick-picture-sums              prints "number width height checksum" lines
//   mirthwick-picture-sums --check LIST  compares with LIST; exit 0 when all agree, 77 without LIST
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "app/files.h"
#include "gfx/png_codec.h"
#include "gfx/resources.h"

namespace {

// FNV-1a over the pixels' bytes, lowest byte first.
uint64_t checksum(const mw::Image& image) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (uint32_t pixel : image.pixels) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (pixel >> shift) & 0xFF;
      hash *= 0x100000001B3ull;
    }
  }
  return hash;
}

std::string listing() {
  std::string text;
  for (const mw::EmbeddedResource* entry = mw::EMBEDDED_IMAGES; entry->number != -1; ++entry) {
    const mw::ResourceBytes bytes = mw::imageResource(entry->number);
    mw::Image image;
    char line[96];
    if (!mw::decodePng(bytes.bytes, bytes.size, image)) {
      std::snprintf(line, sizeof line, "%d undecodable\n", entry->number);
    } else {
      std::snprintf(line, sizeof line, "%d %d %d %016llx\n", entry->number, image.width, image.height,
                    static_cast<unsigned long long>(checksum(image)));
    }
    text += line;
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mine = listing();
  if (argc < 2 || std::strcmp(argv[1], "--check") != 0) {
    std::fputs(mine.c_str(), stdout);
    return 0;
  }
  const char* path = argc > 2 ? argv[2] : "";
  const std::vector<uint8_t> bytes = mw::readFileBytes(path);
  if (bytes.empty()) {
    std::printf("skipped: no checksum list \"%s\" from the native build to compare with\n", path);
    return 77;
  }
  const std::string theirs(bytes.begin(), bytes.end());
  if (theirs == mine) {
    std::printf("every picture decodes to the same pixels as in %s\n", path);
    return 0;
  }
  // Name each picture that differs.
  std::istringstream a(theirs), b(mine);
  std::string expected, got;
  while (true) {
    const bool moreA = static_cast<bool>(std::getline(a, expected));
    const bool moreB = static_cast<bool>(std::getline(b, got));
    if (!moreA && !moreB) break;
    if (expected != got) std::printf("expected: %s\n     got: %s\n", expected.c_str(), got.c_str());
  }
  return 1;
}
