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
  std::vector<iovec> vector;
  for (size_t i = 0; i < count; ++i) vector.push_back({const_cast<void*>(pieces[i].bytes), pieces[i].size});
  bool ok = !shared || ::fchmod(fd, sharedMode()) == 0;
  ok = ok && writeAll(fd, vector.data(), vector.size());
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
