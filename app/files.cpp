// Whole-file reading and writing.
#include "app/files.h"

#include <fstream>
#include <new>

namespace mw {

std::vector<uint8_t> readFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::vector<uint8_t> bytes;
  try {
    // In large pieces: a file's size is only a hint (it may change, or be unknown for a pipe).
    constexpr size_t PIECE = size_t{1} << 20;
    for (;;) {
      const size_t start = bytes.size();
      bytes.resize(start + PIECE);
      file.read(reinterpret_cast<char*>(bytes.data() + start), PIECE);
      bytes.resize(start + static_cast<size_t>(file.gcount()));
      if (!file) break;
    }
  } catch (const std::bad_alloc&) {
    return {};
  }
  if (file.bad()) return {};
  return bytes;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace mw
