#include "orvex/io/OverwrittenFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace io {

OverwrittenFile::OverwrittenFile(const std::string& path) {
  m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  m_failed = m_fd < 0;
  struct stat st;
  m_regular = m_fd >= 0 && ::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode);
}

OverwrittenFile::~OverwrittenFile() { Close(); }

bool OverwrittenFile::Write(const char* data, size_t n) {
  if (m_fd < 0) m_failed = true;  // never opened, or closed already
  if (m_failed) return false;
  while (n > 0) {
    const ssize_t put = ::write(m_fd, data, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      m_failed = true;
      return false;
    }
    data += put;
    n -= static_cast<size_t>(put);
    m_written += static_cast<unsigned long long>(put);
  }
  return true;
}

bool OverwrittenFile::Close() {
  if (m_fd < 0) return !m_failed;
  // Cut after a failed write too: no old byte stays behind what was written.
  if (m_regular && ::ftruncate(m_fd, static_cast<off_t>(m_written)) != 0) m_failed = true;
  if (::close(m_fd) != 0) m_failed = true;
  m_fd = -1;
  return !m_failed;
}

}  // namespace io
