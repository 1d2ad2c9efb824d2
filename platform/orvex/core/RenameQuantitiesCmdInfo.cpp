#include "orvex/core/RenameQuantitiesCmdInfo.h"

RenameQuantitiesCmdInfo::RenameQuantitiesCmdInfo() = default;

RenameQuantitiesCmdInfo::~RenameQuantitiesCmdInfo() = default;

void RenameQuantitiesCmdInfo::AddRename(const AString& oldName, const AString& newName) {
  m_oldNames.insert(oldName);
  m_newNames.insert(newName);
}

bool RenameQuantitiesCmdInfo::GetIsQuantityRenamedByOldName(const AString& name) const {
  return m_oldNames.count(name) != 0;
}

bool RenameQuantitiesCmdInfo::GetIsQuantityRenamedByNewName(const AString& name) const {
  return m_newNames.count(name) != 0;
}

void RenameQuantitiesCmdInfo::MergeInfo(const VelmorCommandInfo& other) {
  VelmorCommandInfo::MergeInfo(other);
  const auto* renames = dynamic_cast<const RenameQuantitiesCmdInfo*>(&other);
  if (!renames || renames == this) return;
  m_oldNames.insert(renames->m_oldNames.begin(), renames->m_oldNames.end());
  m_newNames.insert(renames->m_newNames.begin(), renames->m_newNames.end());
}
