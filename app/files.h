// Whole-file reading and writing, safe in shared folders.
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

// The largest file any reader takes: a 32-bit photo of the largest screen, 16384 x 16384, with
// room for its headers.
inline constexpr uint64_t LARGEST_FILE_BYTES = (uint64_t{16384} * 16384 * 4) + 4096;

// Why a file gave no bytes.
enum class ReadProblem { None, Missing, TooLarge, Unreadable };

// Reads a whole regular file of at most `limit` bytes, its size checked before anything is read.
// A FIFO, a device, a folder or a socket is a missing file (it is opened without waiting, and
// never read); a larger file is refused whole. Empty, with the reason in *problem, when it
// cannot be read.
std::vector<uint8_t> readFileBytes(const std::string& path, uint64_t limit = LARGEST_FILE_BYTES,
                                   ReadProblem* problem = nullptr);
// Writes a whole file; false on failure, of the writes or of the close that flushes them.
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// One piece of a file to write.
struct WritePiece {
  const void* bytes = nullptr;
  size_t size = 0;
};

#if defined(__unix__) || defined(__APPLE__)
// Writes the pieces in order to an open file, through short writes and interruptions; false, with
// errno set, when they cannot all be written.
bool writePieces(int fd, const WritePiece* pieces, size_t count);
#endif

// Writes the pieces in order as the file at path, all at once: into a new temporary beside it,
// made exclusively (a link or file planted under that name is never opened), filled, and only then
// renamed over path, so a reader finds the old file or the whole new one and a link at path is
// replaced, never followed. The file is its owner's only unless shared (then readable by all the
// umask allows). False, with errno set, path untouched and no temporary left, when it cannot be
// written whole.
bool writeFileReplacing(const std::string& path, const WritePiece* pieces, size_t count, bool shared = false);

// writeFileReplacing for a file in a folder that may be shared or hostile, all through the
// folder's descriptor: heldFolder, one the caller holds open for path's folder, or -1 to open
// path's parent now. The temporary, "NAME." and six letters or digits, is owner-only; a rename
// replaces a link at path rather than following it.
bool replaceFileInFolder(const std::string& path, int heldFolder, const WritePiece* pieces, size_t count);
// The bytes of path (through heldFolder as above) when it is a regular file of this user's, not a
// link, of at most limit bytes; empty otherwise (saying so on standard error for a file of
// another kind or another user's).
std::vector<uint8_t> readOwnFile(const std::string& path, int heldFolder, uint64_t limit);
// Removes the temporaries of path that a program killed while writing left behind: plain files of
// this user's of replaceFileInFolder's naming, untouched for a minute, so that none still being
// written is taken.
void removeStrayTemporaries(const std::string& path, int heldFolder);

// The same for a file that must be new: the name is first taken exclusively (false with errno
// EEXIST when anything, even a dangling link, is there), then filled as above; on failure the
// name is given back.
bool writeNewFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace mw
