#include "refhost/TempDirManagedFileService.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "orvex/io/LongFileName.h"

namespace fs = std::filesystem;

namespace refhost {

TempDirManagedFileService::TempDirManagedFileService() {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / "refhost-files-XXXXXX").string();
  if (::mkdtemp(pattern.data())) m_root = AString::FromUtf8(pattern);
}

TempDirManagedFileService::~TempDirManagedFileService() {
  if (m_root.empty()) return;
  std::error_code ec;
  fs::remove_all(m_root.ToUtf8(), ec);
}

bool TempDirManagedFileService::MakeUniqueFileName(AString& outName, const AString& directory,
                                                   const AString& prefix) {
  if (m_root.empty()) return false;
  const fs::path folder = fs::path(m_root.ToUtf8()) / directory.ToUtf8();
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) return false;
  for (long n = 1; n < 1000000; ++n) {
    const AString name = prefix + AString::Format(L"%d.dat", n);
    const int fd = ::open((folder / name.ToUtf8()).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return false;
    ::close(fd);
    outName = name;
    ++m_namesMade;
    return true;
  }
  return false;
}

void TempDirManagedFileService::GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) {
  outPath.SetPath(m_root + L"/" + directory + L"/" + name);
}

}  // namespace refhost
