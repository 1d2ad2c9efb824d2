// The report manager of one design, as the host and every subsystem reach it.
#pragma once

#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/Assert.h"

class IOutputVariableMgr;

namespace rep {

class IReportDefinition;
class IReportDefinitionCmdInfo;
class IBaseTraceDefinition;
class IReportDataManager;

class IReportManager {
public:
  virtual ~IReportManager() = default;  // 0

  // Slots kept for layout; calling them is a programming error.
  virtual std::unique_ptr<IReportDefinition> RetiredMethod1(long) {  // 1
    ORVEX_ASSERT(!"RETIRED!");
    return nullptr;
  }
  virtual std::unique_ptr<IReportDefinition> RetiredMethod2(long, long) {  // 2
    ORVEX_ASSERT(!"RETIRED!");
    return nullptr;
  }

  // Slots 3 to 10 (creation of point sets, traces and reports) follow the trace definitions.

  virtual IReportDefinitionCmdInfo* CreateReportDefinitionCmdInfo() = 0;  // 11

  virtual AString GetUniqueReportName(const AString& wanted) const = 0;                     // 12
  virtual AString GetUniqueTraceName(long reportID, const AString& wanted) const = 0;       // 13
  virtual int GetUniqueTraceNames(std::vector<AString>& out, long reportID,
                                  const std::vector<AString>& wanted) const = 0;            // 14
  virtual int GetUniqueReportNames(std::vector<AString>& out,
                                   const std::vector<AString>& wanted) const = 0;           // 15
  virtual bool IsReportNameUnique(const AString& name) const = 0;                            // 16
  virtual bool IsTraceNameUnique(long reportID, const AString& name) const = 0;              // 17
  virtual IReportDefinition* GetReportDefinition(long reportID) const = 0;                   // 18
  virtual void GetReportIDs(std::vector<long>& ids) const = 0;                               // 19
  virtual IBaseTraceDefinition* GetTraceDefinition(long traceID) const = 0;                  // 20

  // Slots 21 to 30 (editing of reports and traces with undo) follow the report definitions.

  virtual const IReportDataManager* GetReportDataManager() const = 0;  // 31
  virtual IReportDataManager* GetReportDataManagerForEdit() = 0;       // 32

  // Slots 33 to 42: commands, copy and paste, reports with data.

  virtual IOutputVariableMgr* GetIOutputVariableMgrForEdit() = 0;       // 43
  virtual const IOutputVariableMgr* GetIOutputVariableMgr() const = 0;  // 44

  // Slots 45 to 57: import, export, solution counts, commands on imported traces,
  // the expression helper and expression updates.
};

}  // namespace rep
