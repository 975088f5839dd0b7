// The data folder and paths below it.
#include "app/paths.h"

namespace mw {

namespace {
std::string dataDirectory;
std::string snapshotOverride;
}

void setDataDirectory(const std::string& directory) {
  dataDirectory = directory;
  if (!dataDirectory.empty() && dataDirectory.back() != '/') dataDirectory += '/';
}

std::string dataPath(const std::string& relative) { return dataDirectory + relative; }

std::string snapshotPath() { return snapshotOverride.empty() ? dataPath("Files/Img/1.bmp") : snapshotOverride; }

void setSnapshotPath(const std::string& path) { snapshotOverride = path; }

}  // namespace mw
