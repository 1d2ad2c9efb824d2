// A managed file service that sends one chosen path it hands out into a folder that is not there,
// so that the file saved there fails as on a full disk; everything else goes to the real service.
#pragma once

#include "orvex/core/IManagedFileService.h"
#include "orvex/io/LongFileName.h"

namespace reptest {

class FailingFileService : public IManagedFileService {
public:
  explicit FailingFileService(IManagedFileService& real) : m_real(real) {}

  bool MakeUniqueFileName(AString& outName, const AString& directory, const AString& prefix) override {
    return m_real.MakeUniqueFileName(outName, directory, prefix);
  }
  void GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) override {
    m_real.GetFullPath(outPath, directory, name);
    const bool byNumber = m_pathsLeft > 0 && --m_pathsLeft == 0;
    const bool byName = !m_name.empty() && name == m_name;
    if (!byNumber && !byName) return;
    m_name.clear();
    outPath = LongFileName(outPath.GetDirectory() + L"/no such folder/" + name);
  }

  // The n-th path asked for from now on (1: the next one) fails, once.
  void FailPathNumber(int n) { m_pathsLeft = n; }
  // The next path of this file name fails, once.
  void FailPathOf(const AString& name) { m_name = name; }

private:
  IManagedFileService& m_real;
  int m_pathsLeft = 0;
  AString m_name;
};

}  // namespace reptest
