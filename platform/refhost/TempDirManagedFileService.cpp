#include "refhost/TempDirManagedFileService.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "orvex/io/LongFileName.h"
#include "orvex/io/NumberedFile.h"
#include "orvex/io/SavedFile.h"

namespace fs = std::filesystem;

namespace refhost {

TempDirManagedFileService::TempDirManagedFileService() {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / "refhost-files-XXXXXX").string();
  if (::mkdtemp(pattern.data()))
    m_root = AString::FromUtf8(pattern);
  else
    m_noRoot = {pattern, errno};
}

TempDirManagedFileService::~TempDirManagedFileService() {
  if (m_root.empty()) return;
  std::error_code ec;
  fs::remove_all(m_root.ToUtf8(), ec);
}

bool TempDirManagedFileService::MakeUniqueFileName(AString& outName, const AString& directory,
                                                   const AString& prefix) {
  if (m_root.empty()) {
    io::SetSaveFailure(m_noRoot.first, std::strerror(m_noRoot.second));
    return false;
  }
  const fs::path folder = fs::path(m_root.ToUtf8()) / directory.ToUtf8();
  std::string name;
  if (!io::MakeNumberedFile(name, m_numbers, folder.string(), prefix.ToUtf8())) return false;
  outName = AString::FromUtf8(name);
  ++m_namesMade;
  return true;
}

void TempDirManagedFileService::GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) {
  outPath.SetPath(m_root + L"/" + directory + L"/" + name);
}

}  // namespace refhost
