// The one-instance lock: where it lives, that a second holder is refused, and that hostile
// runtime folders and planted links are not used.
#include "platform/sdl/instance_lock.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace mw {
namespace {

namespace fs = std::filesystem;

struct RuntimeFolder {
  RuntimeFolder() {
    std::string pattern = (fs::temp_directory_path() / "mirthwick-lock-XXXXXX").string();
    path = mkdtemp(pattern.data());
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
  }
  ~RuntimeFolder() {
    unsetenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  std::string path;
};

TEST(InstanceLock, OneHolderAtATimeInAPrivateRuntimeFolder) {
  RuntimeFolder runtime;
  EXPECT_EQ(instanceLockPath(), runtime.path + "/mirthwick.lock");
  EXPECT_EQ(acquireInstanceLock(), InstanceLock::Held);
  // The lock belongs to the open file: a second opening, as a second process makes, is refused.
  EXPECT_EQ(acquireInstanceLock(), InstanceLock::HeldElsewhere);
}

TEST(InstanceLock, HostileFoldersAndLinksAreNotUsed) {
  const std::string fallback = "/tmp/mirthwick-" + std::to_string(geteuid()) + "/mirthwick.lock";
  {
    RuntimeFolder runtime;
    chmod(runtime.path.c_str(), 0777);  // open to others: not a runtime folder to trust
    EXPECT_EQ(instanceLockPath(), fallback);
  }
  {
    RuntimeFolder runtime;
    setenv("XDG_RUNTIME_DIR", "relative/folder", 1);
    EXPECT_EQ(instanceLockPath(), fallback);
  }
  RuntimeFolder runtime;
  fs::create_symlink(runtime.path + "/elsewhere", runtime.path + "/mirthwick.lock");
  std::string problem;
  EXPECT_EQ(acquireInstanceLock(&problem), InstanceLock::Unavailable);
  EXPECT_EQ(problem, runtime.path + "/mirthwick.lock is a link");
  EXPECT_FALSE(fs::exists(runtime.path + "/elsewhere"));
  // A FIFO at the lock's name (opened for writing too, it would not block): no lock either.
  fs::remove(runtime.path + "/mirthwick.lock");
  ASSERT_EQ(mkfifo((runtime.path + "/mirthwick.lock").c_str(), 0600), 0);
  EXPECT_EQ(acquireInstanceLock(&problem), InstanceLock::Unavailable);
  EXPECT_EQ(problem, runtime.path + "/mirthwick.lock is not a plain file");
}

}  // namespace
}  // namespace mw
