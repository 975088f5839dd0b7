// Whole-file reading and writing.
#include "app/files.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

namespace {
std::vector<uint8_t> failed(ReadProblem* problem, ReadProblem why) {
  if (problem != nullptr) *problem = why;
  return {};
}
}  // namespace

#if defined(__unix__) || defined(__APPLE__)
std::vector<uint8_t> readFileBytes(const std::string& path, uint64_t limit, ReadProblem* problem) {
  if (problem != nullptr) *problem = ReadProblem::None;
  // Without waiting: opening a FIFO for reading would wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return failed(problem, ReadProblem::Missing);
  struct stat st {};
  ReadProblem why = ReadProblem::None;
  std::vector<uint8_t> bytes;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = ReadProblem::Missing;
  } else if (static_cast<uint64_t>(st.st_size) > limit) {
    why = ReadProblem::TooLarge;
  } else {
    try {
      // The size found, and one byte more to learn whether the file has grown meanwhile.
      bytes.resize(static_cast<size_t>(st.st_size) + 1);
      size_t got = 0;
      while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) why = ReadProblem::Unreadable;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
      }
      if (got > static_cast<size_t>(st.st_size)) why = ReadProblem::TooLarge;  // still growing: refused
      bytes.resize(got);
    } catch (const std::bad_alloc&) {
      why = ReadProblem::TooLarge;
    }
  }
  ::close(fd);
  if (why != ReadProblem::None) return failed(problem, why);
  return bytes;
}
#else
std::vector<uint8_t> readFileBytes(const std::string& path, uint64_t limit, ReadProblem* problem) {
  if (problem != nullptr) *problem = ReadProblem::None;
  std::error_code error;
  if (!std::filesystem::is_regular_file(filePath(path), error)) return failed(problem, ReadProblem::Missing);
  const uintmax_t size = std::filesystem::file_size(filePath(path), error);
  if (error) return failed(problem, ReadProblem::Missing);
  if (size > limit) return failed(problem, ReadProblem::TooLarge);
  std::ifstream file(filePath(path), std::ios::binary);
  if (!file) return failed(problem, ReadProblem::Missing);
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(size) + 1);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
  } catch (const std::bad_alloc&) {
    return failed(problem, ReadProblem::TooLarge);
  }
  if (file.bad()) return failed(problem, ReadProblem::Unreadable);
  if (bytes.size() > size) return failed(problem, ReadProblem::TooLarge);
  return bytes;
}
#endif

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = openFile(path, "wb");
  if (file == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  // The close flushes what is buffered: a full disk is often first seen there.
  ok = (std::fclose(file) == 0) && ok;
  return ok;
}

}  // namespace mw
