// The reference host's managed file service: uniquely named files under a fresh temporary folder
// of its own, removed with the service.
#pragma once

#include <string>
#include <utility>

#include "orvex/core/AString.h"
#include "orvex/core/FreeFileNumbers.h"
#include "orvex/core/IManagedFileService.h"

namespace refhost {

class TempDirManagedFileService : public IManagedFileService {
public:
  // Makes the root folder at once.
  TempDirManagedFileService();
  // Removes the root folder with everything in it.
  ~TempDirManagedFileService() override;
  TempDirManagedFileService(const TempDirManagedFileService&) = delete;
  TempDirManagedFileService& operator=(const TempDirManagedFileService&) = delete;

  // Creates the empty file `prefix<N>.dat` in `directory` under the root (made when missing), N
  // the smallest free number, by exclusive create; false when the folder or file cannot be made.
  bool MakeUniqueFileName(AString& outName, const AString& directory, const AString& prefix) override;
  void GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) override;

  const AString& GetRoot() const { return m_root; }
  // Names made so far.
  int GetNumNamesMade() const { return m_namesMade; }

private:
  AString m_root;
  std::pair<std::string, int> m_noRoot;  // the root asked for and errno, when none could be made
  int m_namesMade = 0;
  FreeFileNumbers m_numbers;
};

}  // namespace refhost
