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

// One piece of a file to write.
struct WritePiece {
  const void* bytes = nullptr;
  size_t size = 0;
};

// Writes the pieces in order as the file at path, all at once: into a new temporary beside it,
// made exclusively (a link or file planted under that name is never opened), filled, and only then
// renamed over path, so a reader finds the old file or the whole new one and a link at path is
// replaced, never followed. The file is its owner's only unless shared (then readable by all the
// umask allows). False, with errno set, path untouched and no temporary left, when it cannot be
// written whole.
bool writeFileReplacing(const std::string& path, const WritePiece* pieces, size_t count, bool shared = false);

// The same for a file that must be new: the name is first taken exclusively (false with errno
// EEXIST when anything, even a dangling link, is there), then filled as above; on failure the
// name is given back.
bool writeNewFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace mw
