// Whole-file reading and writing.
#include "app/files.h"

#include <cstring>
#include <fstream>
#include <new>

namespace mw {

std::filesystem::path filePath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::FILE* openFile(const std::string& utf8, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(filePath(utf8).c_str(), wideMode.c_str());
#else
  return std::fopen(utf8.c_str(), mode);
#endif
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
  std::ifstream file(filePath(path), std::ios::binary);
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
  std::ofstream file(filePath(path), std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace mw
