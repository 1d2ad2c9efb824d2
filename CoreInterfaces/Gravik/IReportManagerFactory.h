// The library's single doorway: creates report managers, output-variable managers and caches.
#pragma once

#include <memory>
#include <vector>

#include "orvex/core/IInterfaceQueriable.h"

class IReportManagerOwner;
class ISolutionManagerForReports;
class IOutputVariableMgr;
class ISimValueCache;
class IDerivedDataManager;
class IProgressMonitor;

namespace rep {

class IReportManager;
class ITraceDataForProduct;
struct TraceExtractionRequest;

class IReportManagerFactory : public virtual IVelmorUnknown {
public:
  ~IReportManagerFactory() override = default;
  virtual std::unique_ptr<IReportManager> CreateReportManager(IReportManagerOwner* owner) = 0;  // 1
  // Raw owning pointers: the caller deletes them.
  virtual IOutputVariableMgr* CreateOutputVariableMgr(ISolutionManagerForReports* solMgr) = 0;   // 2
  virtual ISimValueCache* CreateSimValueCache(ISolutionManagerForReports* solMgr) = 0;           // 3
  virtual bool ExtractTraceDataIntoTemporaryReport(std::vector<ITraceDataForProduct*>& results,
                                                   const std::vector<TraceExtractionRequest>& requests,
                                                   ISolutionManagerForReports* solMgr,
                                                   IOutputVariableMgr* outputVariables, ISimValueCache* cache,
                                                   IDerivedDataManager* dataManager,
                                                   IProgressMonitor* monitor) = 0;  // 4
};

}  // namespace rep

extern "C" {
// The plug-in's one exported symbol.
rep::IReportManagerFactory* OrvDllGetFactoryInterface();
}
