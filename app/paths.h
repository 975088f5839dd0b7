// Where the Files/ tree lives and where the snapshot goes.
#pragma once
#include <string>

namespace mw {

// Sets the folder that holds Files/; the snapshot goes into its Files/Img (tests, the simulator).
void setDataDirectory(const std::string& directory);
// The desktop program, given the folder it runs from: Files/ beside it (a build tree), else in
// ../share/mirthwick (an installed program). The snapshot goes beside the program when its
// Files/Img there is writable, else into a private folder of the user's runtime directory
// ($XDG_RUNTIME_DIR/mirthwick, mode 0700; /tmp/mirthwick-UID when there is none).
void locateProgramFiles(const std::string& programDirectory);
// The full path of a file below the data folder, e.g. dataPath("Files/Sound/hi.wav").
std::string dataPath(const std::string& relative);
// The full path of the snapshot file.
std::string snapshotPath();

}  // namespace mw
