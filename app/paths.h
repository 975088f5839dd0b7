// Where the Files/ tree lives: beside the executable, so the program starts from any folder.
#pragma once
#include <string>

namespace mw {

// Sets the folder that holds Files/ (the platform layer calls this once at start).
void setDataDirectory(const std::string& directory);
// The full path of a file below the data folder, e.g. dataPath("Files/Img/1.bmp").
std::string dataPath(const std::string& relative);
// The snapshot file: dataPath("Files/Img/1.bmp"), unless the platform chose another place (when
// the data folder cannot be written to).
std::string snapshotPath();
void setSnapshotPath(const std::string& path);

}  // namespace mw
