// Whole-file reading and writing.
#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace mw {

// Paths are UTF-8 text throughout the program. These hand one to the standard library so that
// any folder name works, also on Windows, where files are opened through wide-character paths.
std::filesystem::path filePath(const std::string& utf8);
// std::fopen for a UTF-8 path.
std::FILE* openFile(const std::string& utf8, const char* mode);

// Reads a whole file; empty when it cannot be read.
std::vector<uint8_t> readFileBytes(const std::string& path);
// Writes a whole file; false on failure.
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace mw
