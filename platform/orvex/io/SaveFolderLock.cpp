#include "orvex/io/SaveFolderLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace io {

namespace {

int LockFolder(int fd, int operation) {
  int result;
  do result = ::flock(fd, operation);
  while (result != 0 && errno == EINTR);
  return result;
}

}  // namespace

SaveFolderLock::SaveFolderLock(const std::string& folder) {
  m_fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A save that is alone holds the folder only while it removes files: a wait, never for long.
  m_lockless = m_fd < 0 || LockFolder(m_fd, LOCK_SH) != 0;
}

SaveFolderLock::~SaveFolderLock() {
  if (m_fd >= 0) ::close(m_fd);
}

bool SaveFolderLock::Alone() {
  if (m_lockless) return true;
  if (m_fd < 0) return false;
  // Not waited for: the other save may take long, and what it leaves a later save removes.
  if (LockFolder(m_fd, LOCK_EX | LOCK_NB) == 0) return true;
  // Some file systems lock a folder shared only: as without locks.
  if (errno != EWOULDBLOCK) return true;
  // The failed change may have let the shared lock go already.
  ::close(m_fd);
  m_fd = -1;
  return false;
}

}  // namespace io
