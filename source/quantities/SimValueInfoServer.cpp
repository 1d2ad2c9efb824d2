#include "quantities/SimValueInfoServer.h"

#include <algorithm>

#include "reports/GravikUtils.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "postorvex/quantities/QuantityTypeParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace rep {

namespace {

const wchar_t kInfoServer2[] = L"InfoServer2";

}  // namespace

SimValueInfoServer::SimValueInfoServer(ISolutionManagerForReports* solMgr)
    : m_typeInfo(solMgr), m_solMgr(solMgr), m_idServer(id::initialID) {}

SimValueInfoServer::~SimValueInfoServer() = default;

long SimValueInfoServer::GetSimValueID(SimValueParams& params, const AString& quantity,
                                       const DesignSolutionDefinition& dsd, long versionID) {
  ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution) return id::invalidID;
  ValueState state;
  AString enumTypeName;

  if (solution->GetQuantityTypeProvider()) {
    std::unique_ptr<BaseQuantityTypeParam> typeParam;
    if (!m_typeInfo.GetQuantityTypeParam(typeParam, quantity, dsd, versionID)) return id::invalidID;
    // Composite quantities get no ID.
    if (postp::IsCompositeQuantityType(typeParam.get())) return id::invalidID;
    const auto* plain = dynamic_cast<const QuantityTypeParam*>(typeParam.get());
    if (!plain) {
      ORVEX_ASSERT(0);
      return id::invalidID;
    }
    state = plain->GetValueState();
    if (state.GetParameterType() == val::kEnumParam) {
      if (const auto* enumParam = dynamic_cast<const EnumQuantityTypeParam*>(plain))
        enumTypeName = enumParam->GetEnumTypeName();
      else
        ORVEX_ASSERT(0);
    }
  } else {
    const ReportTypeSolutionDefinition& rtsd = dsd.GetReportTypeSolutionDefinitionRef();
    if (!solution->GetQuantityValueState(state, quantity, rtsd, versionID)) return id::invalidID;
    AString name;
    if (state.GetParameterType() == val::kEnumParam && solution->GetQuantityEnumTypeName(name, quantity, rtsd, versionID))
      enumTypeName = name;
  }

  SimValueParams built(state, quantity);
  if (state.GetParameterType() == val::kEnumParam) SetEnumTypeName(built, enumTypeName);
  auto found = m_idsByParams.find(built);
  if (found != m_idsByParams.end()) {
    params = built;
    return found->second;
  }
  // With no ID left the quantity gets none: one at the end of the range would not read back.
  if (m_idServer.CountIDsLeft() == 0) return id::invalidID;
  const long id = m_idServer.GetNewUniqueID();
  m_idsByParams[built] = id;
  m_paramsByID[id] = built;
  params = built;
  return id;
}

bool SimValueInfoServer::GetQuantityTypeParam(std::unique_ptr<BaseQuantityTypeParam>& out, const AString& quantity,
                                              const DesignSolutionDefinition& dsd, long versionID) {
  ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution || !solution->GetQuantityTypeProvider()) return false;
  return m_typeInfo.GetQuantityTypeParam(out, quantity, dsd, versionID);
}

bool SimValueInfoServer::IsQuantityOfSolution(const AString& quantity, const DesignSolutionDefinition& dsd) {
  ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution) return false;
  ValueState state;
  return solution->GetQuantityValueState(state, quantity, dsd.GetReportTypeSolutionDefinitionRef(),
                                         GetSolutionContextVersionID(m_solMgr, dsd));
}

bool SimValueInfoServer::GetSimValueParams(SimValueParams& out, long id) const {
  auto found = m_paramsByID.find(id);
  if (found == m_paramsByID.end()) return false;
  out = found->second;
  return true;
}

bool SimValueInfoServer::DeleteEntriesForCommand(const IVelmorCommand* cmd) {
  m_typeInfo.DeleteEntriesForCommand(cmd);
  for (auto it = m_idsByParams.begin(); it != m_idsByParams.end();) {
    if (IsQuantityRenamedByCommand(cmd, it->first.GetQuantityText()))
      it = m_idsByParams.erase(it);
    else
      ++it;
  }
  for (auto it = m_paramsByID.begin(); it != m_paramsByID.end();) {
    if (IsQuantityRenamedByCommand(cmd, it->second.GetQuantityText()))
      it = m_paramsByID.erase(it);
    else
      ++it;
  }
  return true;
}

void SimValueInfoServer::SetEnumTypeName(SimValueParams& params, const AString& enumTypeName) {
  const bool setRetVal = params.SetEnumTypeName(enumTypeName);
  ORVEX_ASSERT(setRetVal);
}

bool SimValueInfoServer::WriteToBlock(io::CBlock& block) const {
  m_idServer.WriteNextUniqueID(block);
  for (const auto& entry : m_paramsByID) {
    SimValueParams params = entry.second;
    AppendSimValueBlock(block, entry.first, params);
  }
  if (!m_typeInfo.IsEmpty()) {
    io::CBlock typeInfo(kInfoServer2);
    m_typeInfo.WriteToBlock(typeInfo);
    block << std::move(typeInfo);
  }
  return true;
}

void SimValueInfoServer::Record(long id, const SimValueParams& params) {
  auto byID = m_paramsByID.find(id);
  if (byID != m_paramsByID.end()) {
    m_idsByParams.erase(byID->second);
    m_paramsByID.erase(byID);
  }
  auto byParams = m_idsByParams.find(params);
  if (byParams != m_idsByParams.end()) {
    m_paramsByID.erase(byParams->second);
    m_idsByParams.erase(byParams);
  }
  m_paramsByID[id] = params;
  m_idsByParams[params] = id;
}

io::ReadError SimValueInfoServer::ReadFromBlock(const io::CBlock& block) {
  const long issuedBefore = m_idServer.PeekNextUniqueID();
  m_idServer.ResetNextUniqueID(block);
  // A state beyond what a server reaches within 32 bits is damage: the server goes on as it was.
  if (m_idServer.PeekNextUniqueID() > id::endID) m_idServer.SetNextUniqueID(issuedBefore);

  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    const io::CBlock* entry = block.GetBlock(i);
    if (!entry || entry->GetName().CompareNoCase(kSimValue) != 0) continue;
    // A damaged entry is skipped, never recorded under another entry's ID.
    long id = id::invalidID;
    *entry >> io::NamedValue(kID, id);
    if (!entry->Found() || id == id::invalidID || !id::IsStorable(id)) {
      entry->ResetFound();
      continue;
    }
    io::CBlock paramsBlock(kSimValueParams);
    *entry >> paramsBlock;
    if (!entry->Found()) {
      entry->ResetFound();
      ORVEX_ASSERT(0);
      continue;
    }
    SimValueParams params;
    if (params.DoDataExchange(paramsBlock, true) != io::kNoError) {
      ORVEX_ASSERT(0);
      continue;
    }
    Record(id, params);
  }

  // A damaged or older next ID must not let a read or an issued ID be handed out again.
  long next = std::max(issuedBefore, m_idServer.PeekNextUniqueID());
  if (!m_paramsByID.empty()) next = std::max(next, m_paramsByID.rbegin()->first + 1);
  if (next != m_idServer.PeekNextUniqueID()) m_idServer = VelmorIDServer(next);

  if (const io::CBlock* typeInfo = block.FindBlock(kInfoServer2))
    m_typeInfo.ReadFromBlock(*typeInfo);
  else
    block.ResetFound();
  // Damaged entries and records were skipped; what was read whole is kept.
  return io::kNoError;
}

}  // namespace rep
