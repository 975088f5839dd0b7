// Desktop capture into the snapshot file, and the file's reader.
#include "app/snapshot.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#include "app/capture_notice.h"
#include "app/files.h"
#include "app/paths.h"
#include "app/screen.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <climits>
#endif

namespace mw {

int32_t screenWidth = 0;
int32_t screenHeight = 0;

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

// The photograph of the last capture, held for the load that follows it at start-up: the file
// just written holds the same pixels, so start-up need not read them back. When the file could
// not be written, Enter later has nothing to restore from.
ScreenCapture heldCapture;
bool lastWriteFailed = false;
bool writeFailureReported = false;

// The photo may show private things, and the folder may be shared or hostile: the file is made
// owner-only as a new temporary and renamed over the snapshot (writeFileReplacing).
// The header, then the rows bottom first, each pixel blue, green, red and a reserved byte, which
// is what a little-endian 0xXXRRGGBB already is; gathered into few system calls.
bool writeSnapshotBytes(const std::string& path, const std::vector<uint8_t>& header, const ScreenCapture& capture) {
  std::vector<WritePiece> pieces;
  pieces.push_back({header.data(), header.size()});
  for (int32_t row = capture.height - 1; row >= 0; --row) {
    pieces.push_back({capture.pixels.data() + static_cast<size_t>(row) * capture.width,
                      static_cast<size_t>(capture.width) * 4});
  }
  return writeFileReplacing(path, pieces.data(), pieces.size());
}

#if defined(__unix__) || defined(__APPLE__)

// The snapshot's bytes, read only from a regular file of this user's that is not a link.
std::vector<uint8_t> readSnapshotBytes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  std::vector<uint8_t> bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
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
  } else {
    std::fprintf(stderr, "Mirthwick: %s is not a plain file of yours; it is not read\n", path.c_str());
  }
  ::close(fd);
  return bytes;
}

#else

std::vector<uint8_t> readSnapshotBytes(const std::string& path) { return readFileBytes(path); }
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

void resetSnapshotState() {
  heldCapture = ScreenCapture{};
  lastWriteFailed = false;
  writeFailureReported = false;
}

bool writeSnapshotFile(const std::string& path, const ScreenCapture& capture) {
  return writeSnapshotBytes(path, snapshotHeader(capture.width, capture.height), capture);
}

void captureDesktop(Platform& platform) {
  ScreenCapture capture;
  try {
    const bool captured = platform.captureScreen(capture);
    setCaptureNotice(capture.notice);
    if (!captured || capture.width <= 0 || capture.height <= 0 ||
        capture.pixels.size() != static_cast<size_t>(capture.width) * capture.height) {
      capture = ScreenCapture{};  // nothing usable: an empty picture, as an empty clipboard gives
    }
  } catch (const std::bad_alloc&) {
    platform.showError("Unable to Allocate Bitmap Memory", "Error");
    return;
  }
  const std::string path = snapshotPath();
  if (writeSnapshotFile(path, capture)) {
    lastWriteFailed = false;
  } else {
    // The program goes on with the photograph it holds; only Enter loses its source. Said once.
    if (!writeFailureReported) {
      std::fprintf(stderr, "Mirthwick: cannot write the desktop photo %s (%s); Enter cannot restore the desktop\n",
                   path.empty() ? "anywhere" : path.c_str(), std::strerror(errno));
      writeFailureReported = true;
    }
    lastWriteFailed = true;
  }
  screenHeight = capture.height;
  screenWidth = capture.width;
  heldCapture = std::move(capture);
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

void loadSnapshot(Image& desktop) {
  // The photograph held since the capture, once, as the file would give it (opaque pixels).
  if (!heldCapture.pixels.empty()) {
    desktop.width = heldCapture.width;
    desktop.height = heldCapture.height;
    desktop.pixels = std::move(heldCapture.pixels);
    for (uint32_t& p : desktop.pixels) p |= 0xFF000000u;
    desktop.key = TRANSPARENT_KEY;
    heldCapture = ScreenCapture{};
    return;
  }
  // No file of this run to read: the desktop stays as it is.
  if (lastWriteFailed) {
    desktop.key = TRANSPARENT_KEY;
    return;
  }
  const std::vector<uint8_t> bytes = readSnapshotBytes(snapshotPath());
  Image loaded;
  decodeBmp(bytes.data(), bytes.size(), loaded);
  desktop = std::move(loaded);
  desktop.key = TRANSPARENT_KEY;
}

}  // namespace mw
