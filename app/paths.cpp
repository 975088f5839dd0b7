// The data folder and paths below it.
#include "app/paths.h"

namespace mw {

namespace {
std::string dataDirectory;
}

void setDataDirectory(const std::string& directory) {
  dataDirectory = directory;
  if (!dataDirectory.empty() && dataDirectory.back() != '/') dataDirectory += '/';
}

std::string dataPath(const std::string& relative) { return dataDirectory + relative; }

}  // namespace mw
