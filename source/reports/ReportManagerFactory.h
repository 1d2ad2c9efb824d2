// The factory handed out by the library's entry point; it keeps nothing of what it creates.
#pragma once

#include "Gravik/IReportManagerFactory.h"

namespace rep {

class ReportManagerFactory : public IReportManagerFactory {
public:
  ReportManagerFactory() = default;
  ~ReportManagerFactory() override;

  std::unique_ptr<IReportManager> CreateReportManager(IReportManagerOwner* owner) override;
  IOutputVariableMgr* CreateOutputVariableMgr(ISolutionManagerForReports* solMgr) override;
  ISimValueCache* CreateSimValueCache(ISolutionManagerForReports* solMgr) override;
  bool ExtractTraceDataIntoTemporaryReport(std::vector<ITraceDataForProduct*>& results,
                                           const std::vector<TraceExtractionRequest>& requests,
                                           ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                           ISimValueCache* cache, IDerivedDataManager* dataManager,
                                           IProgressMonitor* monitor) override;

  // The one factory of the library, made on first use and destroyed when the library unloads.
  static ReportManagerFactory& Instance();
};

}  // namespace rep
