#include "postorvex/columns/ManagedFileService.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "orvex/core/Assert.h"
#include "orvex/core/TestHooks.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/NumberedFile.h"

namespace fs = std::filesystem;

namespace {

// Removes the default root at exit.
struct DefaultRootRemover {
  std::string path;
  ~DefaultRootRemover() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
};

DefaultRootRemover& Remover() {
  static DefaultRootRemover r;
  return r;
}

void ResetRoot() { ManagedFileService::GetInstance()->SetRoot(AString()); }

std::string RootLeftSet() {
  ManagedFileService* s = ManagedFileService::GetInstance();
  if (s->IsDefaultRoot()) return std::string();
  const AString root = s->SetRoot(AString());
  return "ManagedFileService root still set to " + root.ToUtf8();
}

const bool s_registered = orvex::test::RegisterGlobalState({"managed file service", &ResetRoot, &RootLeftSet});

fs::path PathOf(const AString& s) { return fs::path(s.ToUtf8()); }

}  // namespace

ManagedFileService* ManagedFileService::GetInstance() {
  static ManagedFileService instance;
  return &instance;
}

const AString& ManagedFileService::DefaultRoot() const {
  if (!m_defaultRoot.empty()) return m_defaultRoot;
  std::error_code ec;
  std::string tmpl = (fs::temp_directory_path(ec) / "postorvex-files-XXXXXX").string();
  if (char* made = mkdtemp(tmpl.data())) {
    Remover().path = made;
    m_defaultRoot = AString::FromUtf8(made);
  } else {
    m_defaultRoot = AString::FromUtf8(tmpl);
  }
  return m_defaultRoot;
}

AString ManagedFileService::GetRoot() const { return m_root.empty() ? DefaultRoot() : m_root; }

bool ManagedFileService::IsDefaultRoot() const { return m_root.empty() || m_root == m_defaultRoot; }

AString ManagedFileService::SetRoot(const AString& root) {
  AString previous = GetRoot();
  m_root = root;
  return previous;
}

bool ManagedFileService::MakeUniqueFileName(AString& outName, const AString& directory, const AString& prefix) {
  // Exclusive create: two names made before either file is written never coincide.
  std::string name;
  if (!io::MakeNumberedFile(name, m_numbers, (PathOf(GetRoot()) / PathOf(directory)).string(), prefix.ToUtf8()))
    return false;
  outName = AString::FromUtf8(name);
  return true;
}

AString ManagedFileService::GetFullPathText(const AString& directory, const AString& name) const {
  return AString::FromUtf8((PathOf(GetRoot()) / PathOf(directory) / PathOf(name)).string());
}

void ManagedFileService::GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) {
  outPath = LongFileName(GetFullPathText(directory, name));
}

ManagedFileService::RootScope::RootScope(const AString& root)
    : m_previous(ManagedFileService::GetInstance()->SetRoot(root)), m_mine(ManagedFileService::GetInstance()->GetRoot()) {}

ManagedFileService::RootScope::~RootScope() {
  ManagedFileService* s = ManagedFileService::GetInstance();
  const AString out = s->SetRoot(m_previous);
  ORVEX_ASSERT(out==m_mine);  // a nested scope did not put its root back
}
