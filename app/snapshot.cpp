// Desktop capture into the snapshot file, and the file's reader.
#include "app/snapshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/files.h"
#include "app/paths.h"
#include "app/session.h"

namespace mw {

namespace {

// The folder the program holds open for the snapshot, when path is the snapshot; -1 otherwise.
int heldFolderOf(const std::string& path) {
  return snapshotFolder() >= 0 && path == snapshotPath() ? snapshotFolder() : -1;
}

}  // namespace

// The photo may show private things, and the folder may be shared or hostile: the file replaces
// the old one all at once, through the folder (see replaceFileInFolder).
bool writeSnapshotFile(const std::string& path, const ScreenCapture& capture) {
  // The header, then the rows bottom first, each pixel blue, green, red and a reserved byte,
  // which is what a little-endian 0xXXRRGGBB already is; gathered into few system calls.
  const std::vector<uint8_t> header = bmpHeader(capture.width, capture.height);
  std::vector<WritePiece> pieces;
  pieces.push_back({header.data(), header.size()});
  for (int32_t row = capture.height - 1; row >= 0; --row) {
    pieces.push_back({capture.pixels.data() + static_cast<size_t>(row) * capture.width,
                      static_cast<size_t>(capture.width) * 4});
  }
  return replaceFileInFolder(path, heldFolderOf(path), pieces.data(), pieces.size());
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
  removeStrayTemporaries(snapshotPath(), heldFolderOf(snapshotPath()));
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
  const std::vector<uint8_t> bytes = readOwnFile(snapshotPath(), heldFolderOf(snapshotPath()), LARGEST_FILE_BYTES);
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
