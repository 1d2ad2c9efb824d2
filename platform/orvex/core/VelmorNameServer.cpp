#include "orvex/core/VelmorNameServer.h"

#include <algorithm>

#include "orvex/core/Assert.h"
#include "orvex/core/I18n.h"

namespace {

int CountEqual(const std::unordered_map<std::wstring, int>& index, const AString& name) {
  auto it = index.find(name.FoldedCase());
  return it == index.end() ? 0 : it->second;
}

}  // namespace

VelmorNameServer::VelmorNameServer(int allowedEqualNames) : m_allowedEqualNames(allowedEqualNames) {}

VelmorNameServer::~VelmorNameServer() = default;

const VelmorNameServer::NameIndex* VelmorNameServer::GetNameIndex() const { return nullptr; }

VelmorNameServer::NumberHints* VelmorNameServer::GetNumberHints() const { return nullptr; }

AString VelmorNameServer::GetUniqueName(const AString& wanted, int indexMode) const {
  ORVEX_ASSERT(indexMode==1);
  NameIndex gathered;
  const NameIndex* index = GetNameIndex();
  if (!index) {
    std::list<AString> names;
    GetNames(names);
    gathered.reserve(names.size());
    for (const AString& n : names) ++gathered[n.FoldedCase()];
    index = &gathered;
  }
  if (CountEqual(*index, wanted) == 0) return wanted;
  // A batch of like names then costs one probe each, not one per name made before.
  NumberHints* hints = GetNumberHints();
  unsigned long* hint = hints ? &(*hints)[wanted.FoldedCase()] : nullptr;
  // At most index->size() candidates can be taken, so this ends.
  for (unsigned long k = hint ? std::max(1UL, *hint) : 1;; ++k) {
    AString candidate = wanted + i18n::MakeNumberString(k);
    if (CountEqual(*index, candidate) == 0) {
      if (hint) *hint = k;
      return candidate;
    }
  }
}

bool VelmorNameServer::IsNameUnique(const AString& name) const {
  if (const NameIndex* index = GetNameIndex()) return CountEqual(*index, name) <= m_allowedEqualNames;
  std::list<AString> names;
  GetNames(names);
  int equal = 0;
  for (const AString& n : names) {
    if (n.CompareNoCase(name) == 0 && ++equal > m_allowedEqualNames) return false;
  }
  return true;
}
