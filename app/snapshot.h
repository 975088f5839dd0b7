// The desktop photograph: the snapshot file "Files/Img/1.bmp", its writer and its reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/platform.h"
#include "gfx/image.h"

namespace mw {

inline constexpr const char* SNAPSHOT_FILE = "Files/Img/1.bmp";
inline constexpr size_t BMP_HEADERS_SIZE = 54;

// The 54 header bytes of a snapshot of this size: 32 bits per pixel, bottom row first.
std::vector<uint8_t> snapshotHeader(int32_t width, int32_t height);

// Photographs the screen and writes the snapshot file; sets the screen size once the file is open.
// Failures show "Unable to Allocate Bitmap Memory" or "Unable to Create Bitmap File".
void captureDesktop(Platform& platform);

// Writes a capture as the snapshot file at path, readable by its owner only. False when the file
// cannot be created.
bool writeSnapshotFile(const std::string& path, const ScreenCapture& capture);

// Decodes an uncompressed 24- or 32-bit BMP (bottom-up or top-down) into opaque 0xFFRRGGBB
// pixels, top row first. False (and an empty image) for anything it cannot read safely.
bool decodeBmp(const uint8_t* bytes, size_t size, Image& out);

// Fills the desktop image from the snapshot file; a missing or broken file leaves it 0 x 0.
void loadSnapshot(Image& desktop);

}  // namespace mw
