// The data folder, the snapshot's folder, and paths below them.
#include "app/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mw {

namespace {

std::string dataDirectory;
std::string snapshotFile = "Files/Img/1.bmp";

std::string withSlash(std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory += '/';
  return directory;
}

bool isDirectory(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

#if defined(__unix__) || defined(__APPLE__)
// A folder only this user can enter: created 0700, or an existing one that is a real folder (not a
// link) owned by this user, narrowed to 0700. Empty when there is no such folder to be had.
std::string privateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), S_IRWXU) != 0 && errno != EEXIST) return {};
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) return {};
  if ((info.st_mode & 0777) != S_IRWXU && ::chmod(path.c_str(), S_IRWXU) != 0) return {};
  return withSlash(path);
}

// The folder for the snapshot when it cannot go beside the program.
std::string runtimeSnapshotFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && isDirectory(runtime)) {
    return privateFolder(withSlash(runtime) + "mirthwick");
  }
  return privateFolder("/tmp/mirthwick-" + std::to_string(::getuid()));
}

bool writable(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }
#else
std::string runtimeSnapshotFolder() { return {}; }
bool writable(const std::string& folder) { return isDirectory(folder); }
#endif

}  // namespace

void setDataDirectory(const std::string& directory) {
  dataDirectory = withSlash(directory);
  snapshotFile = dataDirectory + "Files/Img/1.bmp";
}

void locateProgramFiles(const std::string& programDirectory) {
  const std::string beside = withSlash(programDirectory);
  const std::string installed = beside + "../share/mirthwick/";
  const bool besideHasFiles = isDirectory(beside + "Files");
  setDataDirectory(besideHasFiles || !isDirectory(installed + "Files") ? beside : installed);
  if (besideHasFiles && writable(beside + "Files/Img")) return;  // the snapshot beside the program
  const std::string folder = runtimeSnapshotFolder();
  if (folder.empty()) {
    std::fprintf(stderr, "Mirthwick: no private folder for the snapshot (set XDG_RUNTIME_DIR)\n");
    snapshotFile.clear();  // the capture reports that it cannot create the file
    return;
  }
  snapshotFile = folder + "1.bmp";
}

std::string dataPath(const std::string& relative) { return dataDirectory + relative; }

std::string snapshotPath() { return snapshotFile; }

}  // namespace mw
