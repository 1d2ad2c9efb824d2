// A report's computed traces updated as the host updates them, counting the units loaded.
#pragma once

#include <vector>

#include "Gravik/IReportDataManager.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/centupd/IDerivedDataManager.h"
#include "reports/ReportManager.h"

namespace reptest {

class CountingLoader : public IDerivedDataManager {
public:
  bool LoadUnit(const CentralizedLoadUnitInfo&) override {
    ++loads;
    return true;
  }
  int loads = 0;
};

// Marks the solution's traces out of date and updates those of the report; answers the units loaded
// from the product, none of those the cache served.
inline int UpdateReportCountingLoads(rep::ReportManager& mgr, long reportID, long designID, long solutionID) {
  rep::IReportDataManager* data = mgr.GetReportDataManagerForEdit();
  data->SetNeedsUpdateForSolution(designID, solutionID);
  std::vector<ICentralizedUpdateObject*> objects;
  data->GetCentralizedUpdateObjects(objects, reportID);
  CountingLoader loader;
  CentralizedUpdateUtility::UpdateObjects(&loader, objects, nullptr);
  return loader.loads;
}

}  // namespace reptest
