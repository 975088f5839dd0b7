// One Mirthwick at a time for each user: a lock on a file in the user's runtime folder.
#pragma once
#include <string>

namespace mw {

enum class InstanceLock { Held, HeldElsewhere, Unavailable };

// The lock file: $XDG_RUNTIME_DIR/mirthwick.lock, or /tmp/mirthwick-UID/mirthwick.lock where no
// runtime folder is set. Empty when neither can be made safely.
std::string instanceLockPath();
// Takes the lock for the life of the process; the kernel lets it go when the process ends, however
// it ends. HeldElsewhere when another process holds it; Unavailable, with the reason in *problem,
// when it cannot be taken (a link, a folder or a FIFO at its name, a folder of another user's).
// The folder /tmp/mirthwick-UID of this user's left open to others is narrowed to 0700, saying so.
InstanceLock acquireInstanceLock(std::string* problem = nullptr);

}  // namespace mw
