// The command info of output-variable edits (kind 26): which variables a command created, edited or deleted.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/core/VelmorCommandInfo.h"

class OutputVariable;

class POSTORVEX_API COutputVarVlmrCmdInfo : public VelmorCommandInfo {
public:
  static constexpr int kKind = cmdinfo::kOutputVariablesKind;
  // Sub-types naming a command's first change.
  static constexpr unsigned kCreated = 16;
  static constexpr unsigned kEdited = 4;
  static constexpr unsigned kDeleted = 8;

  // The two flag words.
  COutputVarVlmrCmdInfo(unsigned infoType, unsigned subType);
  ~COutputVarVlmrCmdInfo() override;

  // Each records the variable's ID and name, never the pointer.
  void AddCreatedOutputVar(const OutputVariable* variable);
  void AddEditedOutputVar(const OutputVariable* variable);
  void AddDeletedOutputVar(const OutputVariable* variable);

  // Any created, edited or deleted variable of that name, without regard to case.
  bool IsOutputVarEdited(const AString& name) const;

  const std::vector<AString>& GetCreatedNames() const { return m_created; }
  const std::vector<AString>& GetEditedNames() const { return m_edited; }
  const std::vector<AString>& GetDeletedNames() const { return m_deleted; }

  // Also takes the other info's names when it is an output-variable info.
  void MergeInfo(const VelmorCommandInfo& other) override;

private:
  std::vector<AString> m_created;
  std::vector<AString> m_edited;
  std::vector<AString> m_deleted;
};
