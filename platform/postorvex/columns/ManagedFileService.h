// The process's managed file service: files that columns and caches keep below one root folder.
#pragma once

#include "orvex/core/FreeFileNumbers.h"
#include "orvex/core/IManagedFileService.h"

class POSTORVEX_API ManagedFileService : public IManagedFileService {
public:
  // Rooted at a fresh temporary folder of its own, made on first use and removed at exit.
  static ManagedFileService* GetInstance();

  bool MakeUniqueFileName(AString& outName, const AString& directory, const AString& prefix) override;
  void GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) override;
  // root / directory / name, as text.
  AString GetFullPathText(const AString& directory, const AString& name) const;

  AString GetRoot() const;
  // Answers the previous root; an empty root goes back to the default one. Prefer RootScope.
  AString SetRoot(const AString& root);
  bool IsDefaultRoot() const;

  // Points the service at another root for its lifetime (a test's temporary folder).
  class POSTORVEX_API RootScope {
  public:
    explicit RootScope(const AString& root);
    ~RootScope();
    RootScope(const RootScope&) = delete;
    RootScope& operator=(const RootScope&) = delete;

  private:
    AString m_previous;  // put back at the end
    AString m_mine;
  };

private:
  ManagedFileService() = default;
  const AString& DefaultRoot() const;

  AString m_root;                // empty: the default root
  mutable AString m_defaultRoot; // made on first use
  FreeFileNumbers m_numbers;
};
