// Desktop capture into the snapshot file, and the file's reader.
#include "app/snapshot.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>

#include "app/files.h"
#include "app/paths.h"
#include "app/session.h"

#if defined(__unix__) || defined(__APPLE__)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mw {

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t get16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t get32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Bytes in one stored row: width x bits, rounded up to whole 32-bit words.
uint64_t rowBytes(uint64_t width, uint32_t bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

#if defined(__unix__) || defined(__APPLE__)

// The folder a snapshot path is written and read through: the one held since the program chose
// it, or the path's parent opened now.
struct Place {
  int folder = -1;
  bool opened = false;
  std::string name;
  Place(const Place&) = delete;
  explicit Place(const std::string& path) {
    const size_t slash = path.rfind('/');
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return;  // no file named: no folder either
    if (snapshotFolder() >= 0 && path == snapshotPath()) {
      folder = snapshotFolder();
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

// Temporaries a program killed while writing left behind: plain files of this user's, untouched
// for a minute, so that none still being written is taken.
void removeStrayTemporaries(const std::string& path) {
  Place place(path);
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

// The photo may show private things, and the folder may be shared or hostile: the file is made
// as a new temporary beside the snapshot, owner-only and exclusively, filled, and only then
// renamed over the snapshot, all through the folder's descriptor. A rename replaces a link rather
// than following it, and a reader finds the old photo or the whole new one, never half of one.
bool writeSnapshotBytes(const std::string& path, const std::vector<uint8_t>& header, const ScreenCapture& capture) {
  // A write past the file-size limit then fails with EFBIG instead of ending the program.
  static const bool sizeSignalIgnored = (std::signal(SIGXFSZ, SIG_IGN), true);
  (void)sizeSignalIgnored;
  if (path.empty()) {  // no folder for it
    errno = ENOENT;
    return false;
  }
  Place place(path);
  if (place.folder < 0) return false;
  std::string temporary;
  const int fd = createTemporary(place.folder, place.name, temporary);
  if (fd < 0) return false;
  // The header, then the rows bottom first, each pixel blue, green, red and a reserved byte,
  // which is what a little-endian 0xXXRRGGBB already is; gathered into few system calls.
  std::vector<WritePiece> pieces;
  pieces.push_back({header.data(), header.size()});
  for (int32_t row = capture.height - 1; row >= 0; --row) {
    pieces.push_back({capture.pixels.data() + static_cast<size_t>(row) * capture.width,
                      static_cast<size_t>(capture.width) * 4});
  }
  bool ok = writePieces(fd, pieces.data(), pieces.size());
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::renameat(place.folder, temporary.c_str(), place.folder, place.name.c_str()) == 0;
  if (!ok) {
    const int error = errno;
    ::unlinkat(place.folder, temporary.c_str(), 0);
    errno = error;
  }
  return ok;
}

// The snapshot's bytes, read only from a regular file of this user's that is not a link and is
// no larger than the largest photo.
std::vector<uint8_t> readSnapshotBytes(const std::string& path) {
  Place place(path);
  const int fd = place.folder < 0 ? -1
                                  : ::openat(place.folder, place.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  std::vector<uint8_t> bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
    if (static_cast<uint64_t>(st.st_size) <= LARGEST_FILE_BYTES) {
      try {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
          const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) break;
          got += static_cast<size_t>(n);
        }
        bytes.resize(got);
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

// The photo is made owner-only as a new temporary and renamed over the snapshot.
bool writeSnapshotBytes(const std::string& path, const std::vector<uint8_t>& header, const ScreenCapture& capture) {
  std::vector<WritePiece> pieces;
  pieces.push_back({header.data(), header.size()});
  for (int32_t row = capture.height - 1; row >= 0; --row) {
    pieces.push_back({capture.pixels.data() + static_cast<size_t>(row) * capture.width,
                      static_cast<size_t>(capture.width) * 4});
  }
  return writeFileReplacing(path, pieces.data(), pieces.size());
}

std::vector<uint8_t> readSnapshotBytes(const std::string& path) { return readFileBytes(path); }
void removeStrayTemporaries(const std::string&) {}
#endif

}  // namespace

std::vector<uint8_t> snapshotHeader(int32_t width, int32_t height) {
  const uint32_t imageSize =
      static_cast<uint32_t>(rowBytes(static_cast<uint32_t>(width), 32) * static_cast<uint32_t>(height));
  std::vector<uint8_t> h(BMP_HEADERS_SIZE, 0);
  h[0] = 'B';
  h[1] = 'M';
  put32(h, 2, imageSize + BMP_HEADERS_SIZE);  // file size
  put32(h, 10, BMP_HEADERS_SIZE);             // offset of the pixel data
  put32(h, 14, 40);                           // information header size
  put32(h, 18, static_cast<uint32_t>(width));
  put32(h, 22, static_cast<uint32_t>(height));  // positive: bottom row first
  put16(h, 26, 1);                              // planes
  put16(h, 28, 32);                             // bits per pixel
  put32(h, 30, 0);                              // uncompressed
  put32(h, 34, imageSize);
  return h;
}

bool writeSnapshotFile(const std::string& path, const ScreenCapture& capture) {
  return writeSnapshotBytes(path, snapshotHeader(capture.width, capture.height), capture);
}

void captureDesktop(Session& session, Platform& platform) {
  CaptureState& state = session.capture;
  ScreenCapture capture;
  try {
    const bool captured = platform.captureScreen(capture);
    state.notice = capture.notice;
    if (!captured || capture.width <= 0 || capture.height <= 0 ||
        capture.pixels.size() != static_cast<size_t>(capture.width) * capture.height) {
      capture = ScreenCapture{};  // nothing usable: an empty picture, as an empty clipboard gives
    }
  } catch (const std::bad_alloc&) {
    platform.showError("Unable to Allocate Bitmap Memory", "Error");
    return;
  }
  removeStrayTemporaries(snapshotPath());
  bool written = writeSnapshotFile(snapshotPath(), capture);
  // Files/Img beside the program is full or gone: the runtime folder takes the photo instead.
  if (!written && moveSnapshotToRuntimeFolder()) written = writeSnapshotFile(snapshotPath(), capture);
  const std::string path = snapshotPath();
  if (written) {
    state.lastWriteFailed = false;
  } else {
    // The program goes on with the photograph it holds; only Enter loses its source. Said once.
    if (!state.writeFailureReported) {
      std::fprintf(stderr, "Mirthwick: cannot write the desktop photo %s (%s); Enter cannot restore the desktop\n",
                   path.empty() ? "anywhere" : path.c_str(), std::strerror(errno));
      state.writeFailureReported = true;
    }
    state.lastWriteFailed = true;
  }
  session.screen = ScreenSize{capture.width, capture.height};
  Image& kept = state.keptPhoto;
  kept.width = capture.width;
  kept.height = capture.height;
  kept.pixels = std::move(capture.pixels);
  for (uint32_t& p : kept.pixels) p |= 0xFF000000u;  // as the file would give it: opaque
  kept.key = TRANSPARENT_KEY;
  state.fresh = true;
}

bool decodeBmp(const uint8_t* bytes, size_t size, Image& out) {
  out = Image{};
  if (size < BMP_HEADERS_SIZE || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t dataOffset = get32(bytes + 10);
  const uint32_t infoSize = get32(bytes + 14);
  if (infoSize < 40 || 14ull + infoSize > size) return false;
  const int32_t width = static_cast<int32_t>(get32(bytes + 18));
  const int32_t rawHeight = static_cast<int32_t>(get32(bytes + 22));
  const uint32_t bits = get16(bytes + 28);
  const uint32_t compression = get32(bytes + 30);
  // Uncompressed, or 32-bit with plain channel masks (BI_BITFIELDS) as some writers use.
  if (!(compression == 0 || (compression == 3 && bits == 32))) return false;
  if ((bits != 24 && bits != 32) || width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return false;
  const bool bottomUp = rawHeight > 0;
  const int64_t height = bottomUp ? rawHeight : -static_cast<int64_t>(rawHeight);
  const uint64_t stride = rowBytes(static_cast<uint64_t>(width), bits);
  // Refuse pictures no screen has, before allocating for them.
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > (1ull << 28)) return false;
  if (dataOffset > size || stride * static_cast<uint64_t>(height) > size - dataOffset) return false;

  out.width = width;
  out.height = static_cast<int32_t>(height);
  out.key = TRANSPARENT_KEY;
  out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  const size_t bytesPerPixel = bits / 8;
  for (int64_t y = 0; y < height; ++y) {
    const int64_t stored = bottomUp ? height - 1 - y : y;
    const uint8_t* src = bytes + dataOffset + static_cast<size_t>(stored) * stride;
    uint32_t* dst = out.pixels.data() + static_cast<size_t>(y) * width;
    for (int32_t x = 0; x < width; ++x, src += bytesPerPixel) {
      dst[x] = 0xFF000000u | (static_cast<uint32_t>(src[2]) << 16) | (static_cast<uint32_t>(src[1]) << 8) | src[0];
    }
  }
  return true;
}

void loadSnapshot(CaptureState& state, Image& desktop) {
  const Image& keptPhoto = state.keptPhoto;
  // The photograph of the capture just made, once: the file holds the same pixels.
  if (state.fresh && !keptPhoto.pixels.empty()) {
    state.fresh = false;
    desktop = keptPhoto;
    return;
  }
  state.fresh = false;
  // No file of this run to read: the desktop stays as it is.
  if (state.lastWriteFailed) {
    desktop.key = TRANSPARENT_KEY;
    return;
  }
  const std::vector<uint8_t> bytes = readSnapshotBytes(snapshotPath());
  Image loaded;
  if (!decodeBmp(bytes.data(), bytes.size(), loaded) && !keptPhoto.pixels.empty()) {
    // Replaced, cut short or taken away since: the photograph of the capture is restored instead.
    if (!state.readFailureReported) {
      std::fprintf(stderr, "Mirthwick: the saved desktop photo %s was unreadable; the photo kept in memory is restored\n",
                   snapshotPath().c_str());
      state.readFailureReported = true;
    }
    desktop = keptPhoto;
    return;
  }
  desktop = std::move(loaded);
  desktop.key = TRANSPARENT_KEY;
}

}  // namespace mw
