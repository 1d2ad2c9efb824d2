#include "orvex/io/SavedFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace io {

namespace {

// The folder part of a path with its final '/', or "" for a name alone.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a path names once its symbolic links are followed (it need not exist); empty for a loop
// of links, which open would refuse as well.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<size_t>(n) >= link.size()) return std::string();
    const std::string to(link.data(), static_cast<size_t>(n));
    path = to[0] == '/' ? to : FolderOf(path) + to;
  }
  return std::string();
}

thread_local std::string t_lastFailure;
thread_local unsigned long t_failures = 0;

const char kWrongKind[] = "neither a regular file nor a device";

// What a save may write and a read may open without waiting on another process.
bool AcceptedKind(mode_t mode) { return S_ISREG(mode) || S_ISCHR(mode) || S_ISBLK(mode); }

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return path.substr(slash == std::string::npos ? 0 : slash + 1);
}

// The start of the names of the new files beside `target`: hidden, and telling whose they are.
// Kept short enough that the whole name stays within the system's limit.
std::string LeftoverPrefix(const std::string& target) { return "." + BaseOf(target).substr(0, 200) + ".save-"; }

// Whether `name` is the prefix followed by the unique part "<pid>-<count>" and nothing else.
bool IsLeftoverName(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  int dashes = 0;
  bool digit = false;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] == '-' && digit && dashes == 0) {
      ++dashes;
      digit = false;
    } else if (name[i] >= '0' && name[i] <= '9') {
      digit = true;
    } else {
      return false;
    }
  }
  return dashes == 1 && digit;
}

bool NamesFile(const std::string& name, int fd) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::lstat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

// Removes the new files of earlier saves of `target` that no save holds locked: a save that was
// killed holds none, a save still writing holds its own.
void RemoveLeftovers(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string prefix = LeftoverPrefix(target);
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = folder + entry->d_name;
    if (!IsLeftoverName(entry->d_name, prefix)) continue;
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // Still the file locked: another save may have removed it and made a new one of that name.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && NamesFile(name, fd)) (void)::unlink(name.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

// Opens a file of a name no one else uses beside `target`, locked against the removal of leftovers.
int OpenNewBeside(const std::string& target, std::string& name) {
  static std::atomic<unsigned> s_count{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = FolderOf(target) + LeftoverPrefix(target) + std::to_string(::getpid()) + "-" +
           std::to_string(s_count.fetch_add(1, std::memory_order_relaxed));
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    // Another save's removal of leftovers may have taken the file before the lock did: then it is
    // gone, or about to go. A file system without locks is written unlocked.
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if ((locked || errno != EWOULDBLOCK) && NamesFile(name, fd)) return fd;
    ::close(fd);
  }
  errno = EEXIST;
  return -1;
}

// Makes the rename itself last; refused by some file systems, where it is done as well as can be.
void SyncFolderOf(const std::string& path) {
  const std::string folder = FolderOf(path);
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

SavedFile::SavedFile(const std::string& path, Flush flush, Target target)
    : m_path(path), m_target(FollowLinks(path)), m_flush(flush), m_uncaught(std::uncaught_exceptions()) {
  if (m_target.empty()) {
    Fail(path.empty() ? ENOENT : ELOOP);
    return;
  }
  if (target == Target::kFresh) {
    m_fresh = true;
    OpenWhereItStands(O_WRONLY | O_CREAT | O_TRUNC, [](mode_t mode) { return S_ISREG(mode); });
    return;
  }
  struct stat st;
  const bool exists = ::stat(m_target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    Fail(EISDIR);
    return;
  }
  if (exists && !AcceptedKind(st.st_mode)) {
    Fail(0, kWrongKind);
    return;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    // The device may have become a FIFO since the look.
    OpenWhereItStands(O_WRONLY, AcceptedKind);
    return;
  }
  // The rename needs only the folder's permission; writing in place needed the file's, and a file
  // the user keeps read-only stays so. Root may, as in place.
  if (exists && ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0) {
    Fail(errno);
    return;
  }
  m_replaces = exists;
  RemoveLeftovers(m_target);
  m_fd = OpenNewBeside(m_target, m_new);
  if (m_fd < 0) {
    Fail(errno);
    m_new.clear();
    return;
  }
  if (!exists) return;
  // Owner first: a change of owner clears the set-ID bits. Only the owner's own saves or root can
  // keep another owner; others make the file theirs, as any editor does.
  if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) (void)::fchown(m_fd, st.st_uid, st.st_gid);
  if (::fchmod(m_fd, st.st_mode & 07777) != 0) Fail(errno);
}

SavedFile::~SavedFile() {
  if (std::uncaught_exceptions() > m_uncaught)
    Abandon();
  else
    Close();
}

void SavedFile::OpenWhereItStands(int flags, bool (*accepted)(mode_t)) {
  // Not blocking, so that the open never waits on the other end of a FIFO.
  m_fd = ::open(m_target.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  struct stat opened;
  if (m_fd < 0 || ::fstat(m_fd, &opened) != 0)
    Fail(errno);
  else if (!accepted(opened.st_mode))
    Fail(0, kWrongKind);
  else if (::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK) != 0)
    Fail(errno);
}

ssize_t SavedFile::WriteSome(int fd, const char* data, size_t n) { return ::write(fd, data, n); }

bool SavedFile::Write(const char* data, size_t n) {
  if (m_fd < 0) Fail(EBADF);  // never opened, or closed already
  if (m_failed) return false;
  while (n > 0) {
    const ssize_t put = WriteSome(m_fd, data, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      Fail(put < 0 ? errno : EIO);
      return false;
    }
    data += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

bool SavedFile::Close() {
  if (m_fd < 0) return !m_failed;
  if (m_new.empty()) {
    if (m_fresh && !m_failed && m_flush == Flush::kToDisk && ::fsync(m_fd) != 0) Fail(errno);
    if (::close(m_fd) != 0) Fail(errno);
    m_fd = -1;
    return !m_failed;
  }
  // Flushed before the rename: else a crash soon after could leave the new name on no bytes.
  if (!m_failed && m_flush == Flush::kToDisk && ::fsync(m_fd) != 0) Fail(errno);
  // The lock is held through the rename: else another save could take the finished file for a
  // leftover. The close comes first all the same, as some file systems answer write errors there.
  const int lock = ::dup(m_fd);
  if (::close(m_fd) != 0) Fail(errno);
  m_fd = -1;
  if (!m_failed && ::rename(m_new.c_str(), m_target.c_str()) != 0) Fail(errno);
  if (m_failed) (void)::unlink(m_new.c_str());
  if (lock >= 0) ::close(lock);
  m_new.clear();
  if (m_failed) return false;
  if (m_flush == Flush::kToDisk) SyncFolderOf(m_target);
  return true;
}

void SavedFile::Abandon() {
  if (m_fd < 0) {
    m_failed = true;
    return;
  }
  Fail(0, "the save was broken off, the file is as it was");
  Close();
}

void SavedFile::Fail(int error, const char* reason) {
  if (m_failed) return;
  m_failed = true;
  std::string why = reason ? reason : std::strerror(error);
  // Only a file written beside the one it replaces needs the room of both at once.
  if (m_replaces && (error == ENOSPC || error == EDQUOT)) why += " (a save needs room for a second copy of the file)";
  SetSaveFailure(m_path, why);
}

std::string LastSaveFailure() { return t_lastFailure; }

void ForgetSaveFailure() { t_lastFailure.clear(); }

void SetSaveFailure(const std::string& path, const std::string& reason) {
  t_lastFailure = path + ": " + reason;
  ++t_failures;
}

unsigned long SaveFailureCount() { return t_failures; }

std::FILE* OpenToRead(const std::string& path, std::string* reason) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  const char* why = nullptr;
  const int error = errno;
  // A socket refuses the open itself, with a text that does not tell why.
  if (fd < 0 && ::stat(path.c_str(), &st) == 0 && !AcceptedKind(st.st_mode) && !S_ISDIR(st.st_mode))
    why = kWrongKind;
  else if (fd < 0)
    why = std::strerror(error);
  else if (::fstat(fd, &st) != 0)
    why = std::strerror(errno);
  else if (!AcceptedKind(st.st_mode) && !S_ISDIR(st.st_mode))  // a folder fails at its first read
    why = kWrongKind;
  else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    why = std::strerror(errno);
  std::FILE* file = why ? nullptr : ::fdopen(fd, "rb");
  if (file) return file;
  if (!why) why = std::strerror(errno);
  if (fd >= 0) ::close(fd);
  if (reason) *reason = why;
  return nullptr;
}

}  // namespace io
