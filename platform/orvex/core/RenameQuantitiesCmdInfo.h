// The command info that tells which quantities a command renamed, by old and by new name.
#pragma once

#include <set>

#include "orvex/core/AString.h"
#include "orvex/core/VelmorCommandInfo.h"

class ORVEX_API RenameQuantitiesCmdInfo : public VelmorCommandInfo {
public:
  static constexpr int kKind = cmdinfo::kRenameQuantitiesKind;

  RenameQuantitiesCmdInfo();
  ~RenameQuantitiesCmdInfo() override;

  void AddRename(const AString& oldName, const AString& newName);
  // Both compare without regard to letter case.
  bool GetIsQuantityRenamedByOldName(const AString& name) const;
  bool GetIsQuantityRenamedByNewName(const AString& name) const;

  // Also takes the other info's renames when it is a rename info.
  void MergeInfo(const VelmorCommandInfo& other) override;

private:
  std::set<AString, AString::NoCaseLess> m_oldNames;
  std::set<AString, AString::NoCaseLess> m_newNames;
};
