#include "orvex/io/SavedFile.h"

#include <atomic>
#include <cerrno>
#include <exception>
#include <vector>

#include <fcntl.h>
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

// Opens a file of a name no one else uses beside `target`, hidden and telling whose it is.
int OpenNewBeside(const std::string& target, std::string& name) {
  static std::atomic<unsigned> s_count{0};
  const size_t slash = target.rfind('/');
  // Kept short enough that the name stays within the system's limit.
  const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = FolderOf(target) + "." + base + ".save-" + std::to_string(::getpid()) + "-" +
           std::to_string(s_count.fetch_add(1, std::memory_order_relaxed));
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
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

SavedFile::SavedFile(const std::string& path, Flush flush)
    : m_target(FollowLinks(path)), m_flush(flush), m_uncaught(std::uncaught_exceptions()) {
  struct stat st;
  const bool exists = !m_target.empty() && ::stat(m_target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
    m_failed = m_fd < 0;
    return;
  }
  m_fd = m_target.empty() ? -1 : OpenNewBeside(m_target, m_new);
  if (m_fd < 0) {
    m_new.clear();
    m_failed = true;
    return;
  }
  if (!exists) return;
  // Owner first: a change of owner clears the set-ID bits. Only the owner's own saves or root can
  // keep another owner; others make the file theirs, as any editor does.
  if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) (void)::fchown(m_fd, st.st_uid, st.st_gid);
  if (::fchmod(m_fd, st.st_mode & 07777) != 0) m_failed = true;
}

SavedFile::~SavedFile() {
  if (std::uncaught_exceptions() > m_uncaught)
    Abandon();
  else
    Close();
}

ssize_t SavedFile::WriteSome(int fd, const char* data, size_t n) { return ::write(fd, data, n); }

bool SavedFile::Write(const char* data, size_t n) {
  if (m_fd < 0) m_failed = true;  // never opened, or closed already
  if (m_failed) return false;
  while (n > 0) {
    const ssize_t put = WriteSome(m_fd, data, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      m_failed = true;
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
    if (::close(m_fd) != 0) m_failed = true;
    m_fd = -1;
    return !m_failed;
  }
  // Flushed before the rename: else a crash soon after could leave the new name on no bytes.
  if (!m_failed && m_flush == Flush::kToDisk && ::fsync(m_fd) != 0) m_failed = true;
  if (::close(m_fd) != 0) m_failed = true;
  m_fd = -1;
  if (!m_failed && ::rename(m_new.c_str(), m_target.c_str()) != 0) m_failed = true;
  if (m_failed) {
    (void)::unlink(m_new.c_str());
    m_new.clear();
    return false;
  }
  m_new.clear();
  if (m_flush == Flush::kToDisk) SyncFolderOf(m_target);
  return true;
}

void SavedFile::Abandon() {
  m_failed = true;
  Close();
}

}  // namespace io
