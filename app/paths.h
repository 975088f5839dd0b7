// Where the Files/ tree lives and where the snapshot goes.
#pragma once
#include <string>

namespace mw {

// Sets the folder that holds Files/; the snapshot goes into its Files/Img (tests, the simulator).
void setDataDirectory(const std::string& directory);
// The desktop program, given the folder it runs from: Files/ beside it (a build tree), else in
// ../share/mirthwick (an installed program). The snapshot goes beside the program when its
// Files/Img there is writable, else into a private folder of the user's runtime directory
// ($XDG_RUNTIME_DIR/mirthwick, mode 0700; $XDG_RUNTIME_DIR/mirthwick-UID in a shared sticky one;
// /tmp/mirthwick-UID when there is none, or when it is another user's). The folder is opened
// once, here, and the snapshot is written and read only through it.
void locateProgramFiles(const std::string& programDirectory);
// The full path of a file below the data folder, e.g. dataPath("Files/Sound/hi.wav").
std::string dataPath(const std::string& relative);
// The full path of the snapshot file.
std::string snapshotPath();
// The snapshot's folder as an open descriptor (POSIX), chosen by locateProgramFiles; -1 when the
// snapshot is reached by its path.
int snapshotFolder();
// When the snapshot beside the program could not be written (a full disk), the runtime folder
// takes it from then on; false when it was not beside the program or there is no such folder.
bool moveSnapshotToRuntimeFolder();
// A platform's own place for the snapshot (empty: back to Files/Img/1.bmp in the data folder).
void setSnapshotPath(const std::string& path);

}  // namespace mw
