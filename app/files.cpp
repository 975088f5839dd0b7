// Whole-file reading and writing.
#include "app/files.h"

#include <cstring>
#include <fstream>
#include <iterator>

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
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(filePath(path), std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace mw
