// A read-only file system in a folder of the test's, where this process may mount one (root): the
// one place where even root's saves fail.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace reptest {

class ReadOnlyMount {
public:
  explicit ReadOnlyMount(const std::string& folder) : m_folder(folder) {
    m_mounted = ::mkdir(folder.c_str(), 0755) == 0 &&
                ::mount("tmpfs", folder.c_str(), "tmpfs", MS_RDONLY | MS_NOSUID | MS_NODEV, "size=64k") == 0;
  }
  ~ReadOnlyMount() {
    if (m_mounted) {
      EXPECT_EQ(0, ::umount(m_folder.c_str()));
    }
  }
  ReadOnlyMount(const ReadOnlyMount&) = delete;
  ReadOnlyMount& operator=(const ReadOnlyMount&) = delete;
  bool Mounted() const { return m_mounted; }

private:
  std::string m_folder;
  bool m_mounted = false;
};

}  // namespace reptest
