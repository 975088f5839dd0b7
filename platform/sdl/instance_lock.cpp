// The single-instance lock: flock on a file in the user's runtime folder.
#include "platform/sdl/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace mw {

namespace {

// A folder that is this user's alone: a real directory (not a link), owned by us, closed to others.
bool privateFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & 077) == 0;
}

}  // namespace

std::string instanceLockPath() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
    if (privateFolder(runtime)) return std::string(runtime) + "/mirthwick.lock";
  }
  // /tmp is shared: the folder must be ours, not one another user made under our name.
  const std::string folder = "/tmp/mirthwick-" + std::to_string(::geteuid());
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  if (!privateFolder(folder)) return {};
  return folder + "/mirthwick.lock";
}

InstanceLock acquireInstanceLock() {
  const std::string path = instanceLockPath();
  if (path.empty()) return InstanceLock::Unavailable;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return InstanceLock::Unavailable;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? InstanceLock::HeldElsewhere : InstanceLock::Unavailable;
  }
  return InstanceLock::Held;  // the descriptor stays open, and the lock with it, until the process ends
}

}  // namespace mw
