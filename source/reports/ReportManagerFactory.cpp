#include "reports/ReportManagerFactory.h"

#include <new>

#include "Gravik/IReportManager.h"
#include "reports/GravikUtils.h"
#include "quantities/OutputVariableMgr.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IOrvDesktop.h"

namespace rep {

namespace {

bool ProductSupportsNewReporter() {
  IOrvDesktop* desktop = GetIOrvDesktop();
  return desktop && desktop->SupportsNewReporter();
}

}  // namespace

ReportManagerFactory::~ReportManagerFactory() = default;

ReportManagerFactory& ReportManagerFactory::Instance() {
  static ReportManagerFactory factory;
  return factory;
}

std::unique_ptr<IReportManager> ReportManagerFactory::CreateReportManager(IReportManagerOwner* owner) {
  if (!ProductSupportsNewReporter()) {
    ORVEX_ASSERT(!"Product does'nt support new reporter rewrite and plots, so should'nt try and get a ReportManager");
    return nullptr;
  }
  return std::unique_ptr<IReportManager>(new (std::nothrow) ReportManager(owner, true));
}

IOutputVariableMgr* ReportManagerFactory::CreateOutputVariableMgr(ISolutionManagerForReports* solMgr) {
  if (!ProductSupportsNewReporter()) {
    ORVEX_ASSERT(!"Product does'nt support new reporter rewrite and plots, so should'nt try and get an IOutputVariableMgr");
    return nullptr;
  }
  return new (std::nothrow) OutputVariableMgr(solMgr);
}

ISimValueCache* ReportManagerFactory::CreateSimValueCache(ISolutionManagerForReports* solMgr) {
  if (!ProductSupportsNewReporter()) {
    ORVEX_ASSERT(!"Product does'nt support new reporter rewrite and plots, so should'nt try and get an ISimValueCache");
    return nullptr;
  }
  return new (std::nothrow) SimValueDataCache(solMgr);
}

// Made whatever the desktop answers: the temporary managers never come from the checked slot.
bool ReportManagerFactory::ExtractTraceDataIntoTemporaryReport(std::vector<ITraceDataForProduct*>& results,
                                                               const std::vector<TraceExtractionRequest>& requests,
                                                               ISolutionManagerForReports* solMgr,
                                                               IOutputVariableMgr* outputVariables,
                                                               ISimValueCache* cache, IDerivedDataManager* derivedData,
                                                               IProgressMonitor* monitor) {
  return rep::ExtractTraceDataIntoTemporaryReport(results, requests, solMgr, outputVariables, cache, derivedData,
                                                  monitor);
}

}  // namespace rep
