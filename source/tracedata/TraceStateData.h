// What a computed trace keeps between updates: its connectivity and datasets, the design
// variation's values that hold for the whole trace, its update flags, and the sweep variables
// whose plotted values may differ from their nominal values.
#pragma once

#include <memory>
#include <vector>

#include "orvex/values/VariableValues.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

class Column;
class ISolutionForReports;
class ISolutionManagerForReports;
class SelectableSubsweepDefParams;
class Variable;

namespace rep {

class IPointsetDefinition;
class TraceDataDatasets;

class TraceStateData {
public:
  TraceStateData();
  ~TraceStateData();
  TraceStateData(const TraceStateData&) = delete;
  TraceStateData& operator=(const TraceStateData&) = delete;

  SPS2Connectivity* GetConnectivity() { return m_connectivity.get(); }
  const SPS2Connectivity* GetConnectivity() const { return m_connectivity.get(); }
  // Replaces (and deletes) the held connectivity.
  void SetConnectivity(SPS2Connectivity* connectivity);
  TraceDataDatasets* GetDatasets() { return m_datasets.get(); }
  const TraceDataDatasets* GetDatasets() const { return m_datasets.get(); }
  void SetDatasets(TraceDataDatasets* datasets);

  void GetVariableValues(VariableValues& out) const { out = m_variableValues; }
  void SetVariableValues(const VariableValues& values) { m_variableValues = values; }
  bool GetNeedsUpdate() const { return m_needsUpdate; }
  void SetNeedsUpdate(bool needs) { m_needsUpdate = needs; }
  bool GetUpdateRequested() const { return m_updateRequested; }
  void SetUpdateRequested(bool requested) { m_updateRequested = requested; }
  const DesignSolutionDefinition& GetDesignSolutionDefinition() const { return m_dsd; }
  void SetDesignSolutionDefinition(const DesignSolutionDefinition& dsd) { m_dsd = dsd; }

  // Back to the constructed state, the design solution definition kept.
  void Reset();

  void FindVariablesWithNonNominalValues(const IPointsetDefinition& pointset, ISolutionManagerForReports* solMgr,
                                         long designInstanceID);
  const std::vector<const Variable*>& GetVariablesWithNonNominalValues() const { return mVariablesWithNonNominalValues; }
  // Adds the listed variables' values that `from` holds.
  void AddNonNominalVariableValues(VariableValues& to, const VariableValues& from) const;
  const Variable* FindSweepVariable(const AString& name, ISolutionForReports* solution) const;
  bool IsSubsweepAtNominalValue(const SelectableSubsweepDefParams* subsweep, ISolutionManagerForReports* solMgr,
                                const VariableValues& nominal) const;
  static bool IsColumnAtNominalValue(const Column& values, const Variable* variable, const VariableValues& nominal);

private:
  std::unique_ptr<SPS2Connectivity> m_connectivity;
  std::unique_ptr<TraceDataDatasets> m_datasets;
  VariableValues m_variableValues;
  bool m_needsUpdate = true;
  bool m_updateRequested = false;
  DesignSolutionDefinition m_dsd;
  std::vector<const Variable*> mVariablesWithNonNominalValues;  // not owned
};

}  // namespace rep
