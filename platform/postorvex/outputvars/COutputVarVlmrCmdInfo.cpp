#include "postorvex/outputvars/COutputVarVlmrCmdInfo.h"

#include <algorithm>

#include "postorvex/outputvars/OutputVariable.h"

namespace {

bool HoldsName(const std::vector<AString>& names, const AString& name) {
  return std::any_of(names.begin(), names.end(), [&](const AString& n) { return n.CompareNoCase(name) == 0; });
}

}  // namespace

COutputVarVlmrCmdInfo::COutputVarVlmrCmdInfo(unsigned infoType, unsigned subType)
    : VelmorCommandInfo(infoType, subType) {}

COutputVarVlmrCmdInfo::~COutputVarVlmrCmdInfo() = default;

void COutputVarVlmrCmdInfo::AddCreatedOutputVar(const OutputVariable* variable) {
  if (!variable) return;
  AddNewElement(variable->GetID());
  m_created.push_back(variable->GetName());
}

void COutputVarVlmrCmdInfo::AddEditedOutputVar(const OutputVariable* variable) {
  if (!variable) return;
  AddEditedElement(variable->GetID());
  m_edited.push_back(variable->GetName());
}

void COutputVarVlmrCmdInfo::AddDeletedOutputVar(const OutputVariable* variable) {
  if (!variable) return;
  AddDeletedElement(variable->GetID());
  m_deleted.push_back(variable->GetName());
}

bool COutputVarVlmrCmdInfo::IsOutputVarEdited(const AString& name) const {
  return HoldsName(m_created, name) || HoldsName(m_edited, name) || HoldsName(m_deleted, name);
}

void COutputVarVlmrCmdInfo::MergeInfo(const VelmorCommandInfo& other) {
  VelmorCommandInfo::MergeInfo(other);
  const auto* info = dynamic_cast<const COutputVarVlmrCmdInfo*>(&other);
  if (!info) return;
  m_created.insert(m_created.end(), info->m_created.begin(), info->m_created.end());
  m_edited.insert(m_edited.end(), info->m_edited.begin(), info->m_edited.end());
  m_deleted.insert(m_deleted.end(), info->m_deleted.begin(), info->m_deleted.end());
}
