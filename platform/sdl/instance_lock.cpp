// The single-instance lock: flock on a file in the user's runtime folder.
#include "platform/sdl/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mw {

namespace {

// The folder the lock goes in, open; -1 with the reason in `problem`. $XDG_RUNTIME_DIR when it is
// this user's alone; else /tmp/mirthwick-UID, made 0700, or an existing real folder (not a link)
// of this user's, narrowed to 0700 saying so.
int lockFolder(std::string& path, std::string& problem) {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
    const int fd = ::open(runtime, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0) {
      path = runtime;
      return fd;
    }
    if (fd >= 0) ::close(fd);
  }
  // /tmp is shared: the folder must be ours, not one another user made under our name.
  path = "/tmp/mirthwick-" + std::to_string(::geteuid());
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    problem = path + ": " + std::strerror(errno);
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
    problem = path + (fd < 0 ? std::string(": ") + std::strerror(errno) : std::string(" is not a folder of yours"));
    if (fd >= 0) ::close(fd);
    return -1;
  }
  if ((st.st_mode & 077) != 0) {
    if (::fchmod(fd, 0700) != 0) {
      problem = path + " is open to others and cannot be closed: " + std::strerror(errno);
      ::close(fd);
      return -1;
    }
    std::fprintf(stderr, "Mirthwick: %s was open to others (mode %03o); it is now 0700\n", path.c_str(),
                 static_cast<unsigned>(st.st_mode & 0777));
  }
  return fd;
}

}  // namespace

std::string instanceLockPath() {
  std::string folder, problem;
  const int fd = lockFolder(folder, problem);
  if (fd < 0) return {};
  ::close(fd);
  return folder + "/mirthwick.lock";
}

InstanceLock acquireInstanceLock(std::string* problem) {
  std::string folder, why;
  const int dir = lockFolder(folder, why);
  const auto unavailable = [&](const std::string& reason) {
    if (problem != nullptr) *problem = reason;
    return InstanceLock::Unavailable;
  };
  if (dir < 0) return unavailable(why);
  const std::string path = folder + "/mirthwick.lock";
  // Never through a link, never waiting on a FIFO; only a plain file is locked.
  const int fd = ::openat(dir, "mirthwick.lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  const int error = errno;
  ::close(dir);
  if (fd < 0) return unavailable(path + (error == ELOOP ? " is a link" : std::string(": ") + std::strerror(error)));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return unavailable(path + " is not a plain file");
  }
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool busy = errno == EWOULDBLOCK;
    const std::string reason = path + ": " + std::strerror(errno);
    ::close(fd);
    return busy ? InstanceLock::HeldElsewhere : unavailable(reason);
  }
  return InstanceLock::Held;  // the descriptor stays open, and the lock with it, until the process ends
}

}  // namespace mw
