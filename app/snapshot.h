// The desktop photograph: the snapshot file "Files/Img/1.bmp", its writer and its reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/platform.h"
#include "gfx/bmp_codec.h"
#include "gfx/image.h"

namespace mw {

struct CaptureState;
struct Session;

inline constexpr const char* SNAPSHOT_FILE = "Files/Img/1.bmp";
// Photographs the screen, removes temporaries a killed writer left (of this user's, a minute old),
// writes the snapshot file (in the runtime folder when Files/Img beside the program cannot take
// it), sets the session's screen size and capture notice and holds the photograph for the next
// load. When the file cannot be written, says once on standard error that Enter cannot restore
// the desktop. Out of memory shows "Unable to Allocate Bitmap Memory".
void captureDesktop(Session& session, Platform& platform);

// Writes a capture as the snapshot file at path, readable by its owner only, replacing whatever
// was there (a link is replaced, never followed) all at once. False, with errno set and the old
// file untouched, when it cannot be written whole.
bool writeSnapshotFile(const std::string& path, const ScreenCapture& capture);

// Fills the desktop image with the photograph of the capture just made, once (the file holds the
// same pixels); otherwise from the snapshot file. A missing or broken file, a link, or a file of
// another user's or larger than the largest photo gives the photograph kept since the last
// capture instead, saying once on standard error that the saved photo was unreadable (0 x 0 when
// there was no capture). After a capture whose file could not be written, later loads leave the
// desktop as it is.
void loadSnapshot(CaptureState& state, Image& desktop);

}  // namespace mw
