// Whole-file reading and writing.
#include "app/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fstream>
#include <new>

#if defined(__unix__) || defined(__APPLE__)
#include <dirent.h>
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
namespace {
// Reads into bytes until it is full or the file ends, through interruptions; bytes keeps what was
// read. False when a read failed.
bool readInto(int fd, std::vector<uint8_t>& bytes) {
  size_t got = 0;
  bool ok = true;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return ok;
}
}  // namespace

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
      if (!readInto(fd, bytes)) why = ReadProblem::Unreadable;
      if (bytes.size() > static_cast<size_t>(st.st_size)) why = ReadProblem::TooLarge;  // still growing: refused
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

// Whether a replacing write may start: a path is named (else errno ENOENT), and a write past the
// file-size limit fails with EFBIG instead of ending the program.
bool mayWrite(const std::string& path) {
  static const bool sizeSignalIgnored = (std::signal(SIGXFSZ, SIG_IGN), true);
  (void)sizeSignalIgnored;
  if (path.empty()) errno = ENOENT;  // no folder for it
  return !path.empty();
}

// The folder a path is written and read through: the one the caller holds open, or the path's
// parent opened now.
struct Place {
  int folder = -1;
  bool opened = false;
  std::string name;
  Place(const Place&) = delete;
  Place(const std::string& path, int heldFolder) {
    const size_t slash = path.rfind('/');
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return;  // no file named: no folder either
    if (heldFolder >= 0) {
      folder = heldFolder;
      return;
    }
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    folder = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    opened = folder >= 0;
  }
  ~Place() {
    if (opened) ::close(folder);
  }
};

// A new file "NAME.XXXXXX" in the folder, owner-only, made exclusively (a link or file planted
// under that name is never opened); its name in `temporary`.
int createTemporary(int folder, const std::string& name, std::string& temporary) {
  static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  uint64_t mix = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 20) ^
                 (static_cast<uint64_t>(::getpid()) << 40);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = name + ".";
    mix = mix * 6364136223846793005ull + 1442695040888963407ull;  // not rand(): that sequence is the world's
    for (int i = 0; i < 6; ++i) temporary += letters[(mix >> (16 + 6 * i)) % 62];
    const int fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A temporary of our own naming, "NAME." and six letters or digits.
bool isOurTemporary(const char* entry, const std::string& name) {
  if (std::strncmp(entry, name.c_str(), name.size()) != 0 || entry[name.size()] != '.') return false;
  const char* tail = entry + name.size() + 1;
  if (std::strlen(tail) != 6) return false;
  for (const char* c = tail; *c != '\0'; ++c) {
    if (!std::isalnum(static_cast<unsigned char>(*c))) return false;
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
  if (!mayWrite(path)) return false;
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

void removeStrayTemporaries(const std::string& path, int heldFolder) {
  Place place(path, heldFolder);
  if (place.folder < 0) return;
  const int listed = ::openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* folder = listed >= 0 ? ::fdopendir(listed) : nullptr;
  if (folder == nullptr) {
    if (listed >= 0) ::close(listed);
    return;
  }
  const time_t before = std::time(nullptr) - 60;
  while (const dirent* entry = ::readdir(folder)) {
    if (!isOurTemporary(entry->d_name, place.name)) continue;
    struct stat info {};
    if (::fstatat(place.folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
        info.st_uid == ::geteuid() && info.st_mtime < before) {
      ::unlinkat(place.folder, entry->d_name, 0);
    }
  }
  ::closedir(folder);
}

bool replaceFileInFolder(const std::string& path, int heldFolder, const WritePiece* pieces, size_t count) {
  if (!mayWrite(path)) return false;
  Place place(path, heldFolder);
  if (place.folder < 0) return false;
  std::string temporary;
  const int fd = createTemporary(place.folder, place.name, temporary);
  if (fd < 0) return false;
  bool ok = writePieces(fd, pieces, count);
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::renameat(place.folder, temporary.c_str(), place.folder, place.name.c_str()) == 0;
  if (!ok) {
    const int error = errno;
    ::unlinkat(place.folder, temporary.c_str(), 0);
    errno = error;
  }
  return ok;
}

std::vector<uint8_t> readOwnFile(const std::string& path, int heldFolder, uint64_t limit) {
  Place place(path, heldFolder);
  const int fd = place.folder < 0 ? -1
                                  : ::openat(place.folder, place.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  std::vector<uint8_t> bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
    if (static_cast<uint64_t>(st.st_size) <= limit) {
      try {
        bytes.resize(static_cast<size_t>(st.st_size));
        readInto(fd, bytes);
      } catch (const std::bad_alloc&) {
        bytes.clear();
      }
    }
  } else {
    std::fprintf(stderr, "Mirthwick: %s is not a plain file of yours; it is not read\n", path.c_str());
  }
  ::close(fd);
  return bytes;
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

// No folder is held open on Windows: the replacing write above (owner-only, renamed over the old
// file) and the plain reader serve.
bool replaceFileInFolder(const std::string& path, int, const WritePiece* pieces, size_t count) {
  return writeFileReplacing(path, pieces, count);
}
std::vector<uint8_t> readOwnFile(const std::string& path, int, uint64_t limit) { return readFileBytes(path, limit); }
void removeStrayTemporaries(const std::string&, int) {}

#endif

}  // namespace mw
