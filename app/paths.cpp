// The data folder, the snapshot's folder, and paths below them.
#include "app/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
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
// The snapshot's folder, held open from the start when the program chose it: the file is written,
// renamed and read through it, so a folder swapped later for a link under the same name is never
// used. -1: the snapshot is reached by its path (tests, the simulator).
int snapshotFolderFd = -1;
// Files/Img beside the program was chosen: the runtime folder takes the snapshot when it cannot.
bool runtimeFolderIsFallback = false;

void holdSnapshotFolder(int fd) {
  if (snapshotFolderFd >= 0) ::close(snapshotFolderFd);
  snapshotFolderFd = fd;
}

int openFolder(int at, const char* name) {
  return ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The program's folder `name` in `parent`: created 0700, or an existing one of this user's that
// is a real folder (not a link), narrowed to 0700, saying so. -1, saying why, when there is none.
int privateFolderIn(int parent, const std::string& path, const char* name) {
  if (::mkdirat(parent, name, S_IRWXU) != 0 && errno != EEXIST) return -1;
  const int fd = openFolder(parent, name);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
    if (fd >= 0) ::close(fd);
    std::fprintf(stderr, "Mirthwick: %s is not a folder of yours; the photo does not go there\n", path.c_str());
    return -1;
  }
  if ((info.st_mode & 077) != 0) {
    if (::fchmod(fd, S_IRWXU) != 0) {
      ::close(fd);
      return -1;
    }
    std::fprintf(stderr, "Mirthwick: %s was open to others (mode %03o); it is now 0700\n", path.c_str(),
                 static_cast<unsigned>(info.st_mode & 0777));
  }
  return fd;
}

// The snapshot's folder in a runtime folder, or -1. In one of this user's that no one else may
// write, the folder "mirthwick"; in a shared one where only owners remove their files (the sticky
// /tmp), "mirthwick-UID", which another user cannot take first; another user's is refused.
int snapshotFolderIn(const std::string& runtime, std::string& path, bool named) {
  const int parent = ::open(runtime.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat info {};
  if (parent < 0 || ::fstat(parent, &info) != 0) {
    if (parent >= 0) ::close(parent);
    return -1;
  }
  const bool ours = info.st_uid == ::geteuid();
  const bool othersWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
  const bool sticky = (info.st_mode & S_ISVTX) != 0;
  int fd = -1;
  if (ours && !othersWrite) {
    path = withSlash(runtime) + "mirthwick";
  } else if ((ours || info.st_uid == 0) && (!othersWrite || sticky)) {
    path = withSlash(runtime) + "mirthwick-" + std::to_string(::geteuid());
  } else {
    std::fprintf(stderr, "Mirthwick: the runtime folder %s%s is not yours; the photo does not go there\n",
                 runtime.c_str(), named ? " (XDG_RUNTIME_DIR)" : "");
    path.clear();
  }
  if (!path.empty()) fd = privateFolderIn(parent, path, path.c_str() + path.rfind('/') + 1);
  ::close(parent);
  return fd;
}

// The folder for the snapshot when it cannot go beside the program, held open; -1 when none.
int runtimeSnapshotFolder(std::string& path) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    if (const int fd = snapshotFolderIn(runtime, path, true); fd >= 0) return fd;
  }
  return snapshotFolderIn("/tmp", path, false);
}

bool writable(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

// The runtime folder takes the snapshot from here on; false when there is none.
bool useRuntimeFolder() {
  std::string folder;
  const int fd = runtimeSnapshotFolder(folder);
  if (fd < 0) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::fprintf(stderr, "Mirthwick: no private folder for the snapshot%s\n",
                 runtime != nullptr && runtime[0] != '\0' ? "" : " (set XDG_RUNTIME_DIR)");
    return false;
  }
  holdSnapshotFolder(fd);
  snapshotFile = withSlash(folder) + "1.bmp";
  return true;
}
#endif

}  // namespace

void setDataDirectory(const std::string& directory) {
  dataDirectory = withSlash(directory);
  snapshotFile = dataDirectory + "Files/Img/1.bmp";
#if defined(__unix__) || defined(__APPLE__)
  holdSnapshotFolder(-1);
  runtimeFolderIsFallback = false;
#endif
}

void locateProgramFiles(const std::string& programDirectory) {
  const std::string beside = withSlash(programDirectory);
  const std::string installed = beside + "../share/mirthwick/";
  const bool besideHasFiles = isDirectory(beside + "Files");
  setDataDirectory(besideHasFiles || !isDirectory(installed + "Files") ? beside : installed);
#if defined(__unix__) || defined(__APPLE__)
  if (besideHasFiles && writable(beside + "Files/Img")) {  // the snapshot beside the program
    holdSnapshotFolder(::open((beside + "Files/Img").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    runtimeFolderIsFallback = true;
    return;
  }
  if (!useRuntimeFolder()) snapshotFile.clear();  // the capture reports that it cannot create the file
#else
  if (!besideHasFiles || !isDirectory(beside + "Files/Img")) {
    std::fprintf(stderr, "Mirthwick: no folder for the snapshot\n");
    snapshotFile.clear();
  }
#endif
}

std::string dataPath(const std::string& relative) { return dataDirectory + relative; }

std::string snapshotPath() { return snapshotFile; }

int snapshotFolder() {
#if defined(__unix__) || defined(__APPLE__)
  return snapshotFolderFd;
#else
  return -1;
#endif
}

bool moveSnapshotToRuntimeFolder() {
#if defined(__unix__) || defined(__APPLE__)
  if (!runtimeFolderIsFallback) return false;
  runtimeFolderIsFallback = false;  // tried once
  return useRuntimeFolder();
#else
  return false;
#endif
}

void setSnapshotPath(const std::string& path) {
  snapshotFile = path.empty() ? dataDirectory + "Files/Img/1.bmp" : path;
#if defined(__unix__) || defined(__APPLE__)
  holdSnapshotFolder(-1);
  runtimeFolderIsFallback = false;
#endif
}

}  // namespace mw
