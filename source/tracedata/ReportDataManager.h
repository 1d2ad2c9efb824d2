// Owner of the computed trace data of one report manager, keyed by trace-definition ID.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>

#include "Gravik/IReportDataManager.h"
#include "Gravik/ITraceDataInterfaces.h"

class IVelmorCommand;
class ISimValueDataCache;
class IDerivedDataDefinition;
class ISolutionForReports;
class DesignSolutionDefinition;

namespace rep {

class ReportManager;

class ReportDataManager : public IReportDataManager {
public:
  explicit ReportDataManager(ReportManager* mgr);
  ReportDataManager(const ReportDataManager&) = delete;
  ReportDataManager& operator=(const ReportDataManager&) = delete;
  ~ReportDataManager() override;

  IAbstractTraceData* GetIAbstractTraceData(long traceDefID) override;
  ITraceData* GetITraceData(long traceDefID) override;
  bool HasTraceData(long traceDefID) const override;
  bool DeleteTraceData(long traceDefID) override;
  AString GetTraceSolutionName(long traceDefID) const override;
  const IReportManager* GetReportManager() const override;
  IReportManager* GetReportManagerForEdit() override;
  void GetCentralizedUpdateObjectsForGivenTraces(std::vector<ICentralizedUpdateObject*>& out,
                                                 const std::vector<long>& traceDefIDs, bool flag) override;
  void GetCentralizedUpdateObjects(std::vector<ICentralizedUpdateObject*>& out, long reportID) override;
  void GetCentralizedUpdateObjectsOnNewSolution(std::vector<ICentralizedUpdateObject*>& out, long designID,
                                                long solutionID, const ReportTypeSolutionDefinition& def,
                                                const VariableValues* majorVariation, long versionID, long unused1,
                                                long unused2, const std::set<AString>& names, bool flag) override;
  void SetNeedsUpdateForReportTypeSolution(long designID, long solutionID, long versionID,
                                           const ReportTypeSolutionDefinition& def) override;
  void SetNeedsUpdateForReportType(long designID, long solutionID, long versionID, int reportType) override;
  void SetNeedsUpdateForSolution(long designID, long solutionID) override;

  ReportManager* GetManager() const { return m_mgr; }
  ISimValueDataCache* GetISimValueDataCacheForEdit() const;
  // Drops the data of the traces that the command deleted or added, or edited, as its state
  // tells; true when some trace was concerned.
  bool DeleteTraceDataForCommand(IVelmorCommand* cmd);
  // Hands the caller the data whose trace-data face this is, taken out of the map and detached
  // from this manager, which it may outlive; null when none.
  ITraceData* FindTraceDataByInterface(ITraceData* data);
  // Hands the caller the computed data of that trace, of either kind, taken out of the map and
  // detached from this manager, which it may outlive; null when none.
  AbstractDynamicTraceData* TakeTraceData(long traceDefID);

  AbstractDynamicTraceData* CreateDynamicTraceData(long traceDefID, long traceDefVersionID, long dataVersionID);
  AbstractDynamicTraceData* CreateTraceDataForDefinition(long traceDefID);

private:
  // Marks the data of traces of that design and solution for which `matches` holds.
  void MarkMatchingData(long designID, long solutionID,
                        const std::function<bool(const AbstractDynamicTraceData&, const DesignSolutionDefinition&)>& matches);
  ISolutionForReports* SolutionOf(long solutionID) const;
  bool CheckTraceDataConsistency(long traceDefID, const std::map<long, std::set<AString, AString::NoCaseLess>>& names,
                                 const std::set<AString>& given) const;
  bool MatchesNewSolution(const DesignSolutionDefinition& dsd, long dataVersionID, long designID, long solutionID,
                          const ReportTypeSolutionDefinition& def, const VariableValues* major, long versionID,
                          ISolutionForReports& solution) const;
  // The data's load definition; null when the solution gives none.
  std::unique_ptr<IDerivedDataDefinition> LoadDefinitionOf(const DesignSolutionDefinition& dsd,
                                                           ISolutionForReports& solution) const;

  ReportManager* m_mgr;                                  // the owning report manager, not owned
  std::map<long, AbstractDynamicTraceData*> m_traceData;  // owned computed data by trace-definition ID
};

}  // namespace rep
