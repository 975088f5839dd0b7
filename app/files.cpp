// Whole-file reading and writing.
#include "app/files.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <new>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <climits>
#else
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
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

#if defined(__unix__) || defined(__APPLE__)

namespace {

// Writes all of the pieces in order, through short writes and interruptions.
bool writeAll(int fd, iovec* pieces, size_t count) {
  while (count > 0) {
    const ssize_t n = ::writev(fd, pieces, static_cast<int>(std::min<size_t>(count, IOV_MAX)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    // Skip what went out: whole pieces, then the front of a piece written in part.
    size_t done = static_cast<size_t>(n);
    while (count > 0 && done >= pieces->iov_len) {
      done -= pieces->iov_len;
      ++pieces;
      --count;
    }
    if (count > 0) {
      pieces->iov_base = static_cast<uint8_t*>(pieces->iov_base) + done;
      pieces->iov_len -= done;
    }
  }
  return true;
}

// The permissions a new shared file gets: 0666 less the process's umask, read once.
mode_t sharedMode() {
  static const mode_t mode = [] {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

}  // namespace

bool writePieces(int fd, const WritePiece* pieces, size_t count) {
  std::vector<iovec> vector;
  for (size_t i = 0; i < count; ++i) vector.push_back({const_cast<void*>(pieces[i].bytes), pieces[i].size});
  return writeAll(fd, vector.data(), vector.size());
}

bool writeFileReplacing(const std::string& path, const WritePiece* pieces, size_t count, bool shared) {
  // A write past the file-size limit then fails with EFBIG instead of ending the program.
  static const bool sizeSignalIgnored = (std::signal(SIGXFSZ, SIG_IGN), true);
  (void)sizeSignalIgnored;
  if (path.empty()) {  // no folder for it
    errno = ENOENT;
    return false;
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = !shared || ::fchmod(fd, sharedMode()) == 0;
  ok = ok && writePieces(fd, pieces, count);
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    errno = error;
  }
  return ok;
}

bool writeNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  // O_EXCL fails on anything at the name, a link included, so nothing there is ever replaced.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  const WritePiece piece{bytes.data(), bytes.size()};
  if (writeFileReplacing(path, &piece, 1, true)) return true;
  const int error = errno;
  ::unlink(path.c_str());
  errno = error;
  return false;
}

#else

bool writeFileReplacing(const std::string& path, const WritePiece* pieces, size_t count, bool shared) {
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  const std::string temporary = path + ".new";
  std::FILE* file = openFile(temporary, "wb");
  if (file == nullptr) return false;
  bool ok = true;
  for (size_t i = 0; ok && i < count; ++i) ok = std::fwrite(pieces[i].bytes, 1, pieces[i].size, file) == pieces[i].size;
  ok = (std::fclose(file) == 0) && ok;
  std::error_code error;
  if (ok) {
    if (!shared)
      std::filesystem::permissions(filePath(temporary),
                                   std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::replace, error);
    std::filesystem::rename(filePath(temporary), filePath(path), error);
    ok = !error;
  }
  if (!ok) {
    std::filesystem::remove(filePath(temporary), error);
    errno = EIO;
  }
  return ok;
}

bool writeNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const int fd = ::_wopen(filePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return false;
  ::_close(fd);
  const WritePiece piece{bytes.data(), bytes.size()};
  if (writeFileReplacing(path, &piece, 1, true)) return true;
  std::error_code error;
  std::filesystem::remove(filePath(path), error);
  errno = EIO;
  return false;
}

#endif

}  // namespace mw
