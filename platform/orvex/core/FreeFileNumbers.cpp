#include "orvex/core/FreeFileNumbers.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kSuffix = ".dat";
const unsigned long kLimit = 1000000;

// N of prefix<N>.dat, or 0 when the name is no such file's.
unsigned long NumberOf(const std::string& name, const std::string& prefix) {
  const size_t suffix = std::strlen(kSuffix);
  if (name.size() <= prefix.size() + suffix || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix, suffix, kSuffix) != 0)
    return 0;
  unsigned long n = 0;
  for (size_t i = prefix.size(); i < name.size() - suffix; ++i) {
    if (name[i] < '0' || name[i] > '9' || n >= kLimit) return 0;
    n = n * 10 + static_cast<unsigned long>(name[i] - '0');
  }
  return n;
}

}  // namespace

FreeFileNumbers::~FreeFileNumbers() {
  if (m_fd >= 0) ::close(m_fd);
}

void FreeFileNumbers::ReadEvents() {
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
    if (got <= 0) return;  // EAGAIN: nothing more
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        // Some removals went unseen: every hint starts over.
        for (auto& [path, folder] : m_folders) folder.firstMaybeFree.clear();
        continue;
      }
      auto path = m_folderOfWatch.find(event->wd);
      if (path == m_folderOfWatch.end()) continue;
      if (event->mask & IN_IGNORED) {
        // The folder itself went: a folder made again at its place is watched afresh.
        m_folders.erase(path->second);
        m_folderOfWatch.erase(path);
        continue;
      }
      if (!(event->mask & (IN_DELETE | IN_MOVED_FROM)) || event->len == 0) continue;
      Folder& folder = m_folders[path->second];
      const std::string name(event->name);
      for (auto& [prefix, first] : folder.firstMaybeFree)
        if (const unsigned long n = NumberOf(name, prefix)) first = std::min(first, n);
    }
  }
}

FreeFileNumbers::Folder* FreeFileNumbers::Watched(const std::string& folderPath) {
  if (m_fd == -2) m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (m_fd < 0) return nullptr;
  ReadEvents();
  auto known = m_folders.find(folderPath);
  if (known != m_folders.end()) return &known->second;
  const int watch = ::inotify_add_watch(m_fd, folderPath.c_str(), IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR);
  // Another path to a folder already watched shares its watch: its removals cannot be told apart.
  if (watch < 0 || m_folderOfWatch.count(watch)) return nullptr;
  m_folderOfWatch.emplace(watch, folderPath);
  Folder& folder = m_folders[folderPath];
  folder.watch = watch;
  return &folder;
}

bool FreeFileNumbers::CreateFirstFree(std::string& outName, const std::string& folderPath, const std::string& prefix) {
  Folder* folder = Watched(folderPath);
  unsigned long* first = folder ? &folder->firstMaybeFree.emplace(prefix, 1).first->second : nullptr;
  for (unsigned long n = first ? *first : 1; n < kLimit; ++n) {
    const std::string name = prefix + std::to_string(n) + kSuffix;
    const int fd = ::open((folderPath + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      const int error = errno;
      outName = name;
      errno = error;
      return false;
    }
    ::close(fd);
    if (first) *first = n + 1;
    outName = name;
    return true;
  }
  outName.clear();
  errno = EEXIST;
  return false;
}
