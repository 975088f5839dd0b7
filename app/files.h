// Whole-file reading and writing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mw {

// Reads a whole file; empty when it cannot be read.
std::vector<uint8_t> readFileBytes(const std::string& path);
// Writes a whole file; false on failure.
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace mw
