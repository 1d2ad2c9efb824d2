// The report manager of one design, as the host and every subsystem reach it.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/Assert.h"
#include "Gravik/IReportDefinition.h"
#include "orvex/values/IPostprocessingExpressionHelper.h"
#include "orvex/values/IPostprocessingExpressionInterrogator.h"
#include "postorvex/PlotExportDefs.h"

class IOutputVariableMgr;
class IReportPasteListener;
class IVelmorCommand;
class SubsweepDefParamsContainer;
class VariableValuesDefParams;
class VariableValues;
class DesignSolutionDefinition;
class ExtTraceInfo;
class TraceFamiliesDisplayParameters;
class ReportTypeSolutionDefinition;
class Variable;

namespace io {
class CBlock;
}

namespace rep {

class IReportDefinition;
class IReportDefinitionCmdInfo;
class IBaseTraceDefinition;
class IReportDataManager;
class IPointsetDefinition;

// The expression services come through the two virtual bases.
class IReportManager : public virtual IPostprocessingExpressionInterrogator,
                       public virtual IPostprocessingExpressionHelper {
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

  // Creation: the caller owns what it gets; nothing is added to the manager.
  virtual std::unique_ptr<IPointsetDefinition> CreatePointsetDefinition(
      const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValuesDefParams>& families,
      const SubsweepDefParamsContainer& specifiableIfInFamilies) const = 0;  // 3
  virtual std::unique_ptr<IPointsetDefinition> CreatePointsetDefinition(
      const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValuesDefParams>& families) const = 0;  // 4
  // Null pointers stand for no variations and no specifiable subsweeps.
  virtual std::unique_ptr<IPointsetDefinition> CreatePointsetDefinitionFromVariableValues(
      const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValues>* variations,
      const SubsweepDefParamsContainer* specifiableIfInFamilies) const = 0;  // 5
  virtual std::unique_ptr<IBaseTraceDefinition> CreateTraceDefinition(
      const AString& name, const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd,
      const IPointsetDefinition& pointset, const ExtTraceInfo& info,
      const TraceFamiliesDisplayParameters* familiesParams) = 0;  // 6
  // Named after its last expression.
  virtual std::unique_ptr<IBaseTraceDefinition> CreateTraceDefinition(
      const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd,
      const IPointsetDefinition& pointset, const ExtTraceInfo& info,
      const TraceFamiliesDisplayParameters* familiesParams) = 0;  // 7
  // Its name follows its expressions.
  virtual std::unique_ptr<IBaseTraceDefinition> CreateTraceDefinition(
      const AString& name, const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd,
      const IPointsetDefinition& pointset, const ExtTraceInfo& info) = 0;  // 8
  virtual std::unique_ptr<IReportDefinition> CreateReportDefinition(const AString& name) = 0;  // 9
  virtual std::unique_ptr<IReportDefinition> CreateReportDefinition(const std::vector<IBaseTraceDefinition*>& traces,
                                                                    const AString& name) = 0;  // 10

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

  // Editing: each edit given a command records its undo and the IDs it touched there.
  virtual long AddReportDefinition(const IReportDefinition& report, IVelmorCommand* cmd) = 0;          // 21
  virtual bool DeleteReportDefinitions(const std::vector<long>& reportIDs, IVelmorCommand* cmd) = 0;  // 22
  virtual bool AddTraceDefinition(std::vector<long>& newIDs, const std::vector<IBaseTraceDefinition*>& traces,
                                  long reportID, IVelmorCommand* cmd) = 0;                              // 23
  virtual bool DeleteTraceDefinition(long traceID, IVelmorCommand* cmd) = 0;                            // 24
  virtual bool ReplaceTraceDefinition(const IBaseTraceDefinition& newDef, long traceID, IVelmorCommand* cmd) = 0;  // 25
  virtual bool SetTraceNameToDefault(long traceID, IVelmorCommand* cmd) = 0;                            // 26
  virtual bool RenameTraceDefinition(const AString& name, long traceID, IVelmorCommand* cmd) = 0;      // 27
  virtual bool SetTraceExtendedTraceInfo(const ExtTraceInfo& info, long traceID, IVelmorCommand* cmd) = 0;  // 28
  virtual bool SetTraceDefinitions(const IReportDefinition& source, long reportID, IVelmorCommand* cmd) = 0;  // 29
  virtual bool RenameReport(const AString& name, long reportID, IVelmorCommand* cmd) = 0;              // 30

  virtual const IReportDataManager* GetReportDataManager() const = 0;  // 31
  virtual IReportDataManager* GetReportDataManagerForEdit() = 0;       // 32

  virtual bool UpdateReportsOnCommand(IVelmorCommand* cmd) = 0;    // 33
  virtual bool UpdateTraceDataOnCommand(IVelmorCommand* cmd) = 0;  // 34

  // Slots 35 to 42: copy and paste, reports with data. The clipboard is the host's block; the
  // product argument goes unchanged to the product's trace interpreter.
  virtual bool CopyTraces(io::CBlock& clipboard, void* productArgument, long reportID,
                          const std::vector<long>& traceIDs) = 0;  // 35
  virtual bool PasteTraces(long reportID, io::CBlock& clipboard, IReportPasteListener* listener,
                           IVelmorCommand* cmd) = 0;  // 36
  // The export form of one report's traces: false when the report is missing or a trace was left out.
  virtual bool WriteTracesWithData(io::CBlock& block, long reportID, const std::vector<long>& traceIDs) = 0;  // 37
  virtual bool ReadTracesWithData(long reportID, io::CBlock& block, IReportPasteListener* listener,
                                  IVelmorCommand* cmd) = 0;                                                // 38
  virtual bool CopyReports(io::CBlock& clipboard, void* productArgument, const std::vector<long>& reportIDs) = 0;  // 39
  virtual bool PasteReports(io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd) = 0;  // 40
  virtual bool WriteReportsWithData(io::CBlock& block, const std::vector<long>& reportIDs) = 0;  // 41
  virtual void ReadReportsWithData(io::CBlock& block, IReportPasteListener* listener, IVelmorCommand* cmd) = 0;  // 42

  virtual IOutputVariableMgr* GetIOutputVariableMgrForEdit() = 0;       // 43
  virtual const IOutputVariableMgr* GetIOutputVariableMgr() const = 0;  // 44

  // Slots 45 to 49: import, export, solution counts. `code` is the report type of the import.
  virtual bool ImportTracesFromFile(long reportID, const AString& fileName, IVelmorCommand* cmd, int code) = 0;  // 45
  virtual bool ExportReport(long reportID, const AString& fileName, const PlotExportDefs::DisplayUnits& units,
                            const std::vector<PlotExportDefs::DataTableTraceComplexFormat>& formats) = 0;  // 46
  virtual bool ExportReport(long reportID, const AString& fileName, const PlotExportDefs::DisplayUnits& units,
                            const AString& text1, const AString& text2, const AString& text3) = 0;  // 47
  // The number of entries the solution appends to `out`; 0 for a solution the manager lacks.
  virtual int CountSolutionEntriesForVariableValues(std::vector<Variable*>& out, const DesignSolutionDefinition& dsd,
                                                    const VariableValues& variation) = 0;  // 48
  virtual int CountSolutionEntries(std::vector<Variable*>& out, const DesignSolutionDefinition& dsd) = 0;  // 49

  virtual void DeleteReportDefinitionsWithoutUndo(const std::vector<long>& reportIDs) = 0;                   // 50
  virtual void DeleteTraceDefinitionsWithoutUndo(long reportID, const std::vector<long>& traceIDs) = 0;     // 51

  // Slots 52 to 57: design instance, point-set and context checks, commands on imported traces,
  // the expression helper and expression updates.
  virtual void SetDesignInstanceID(long designInstanceID) = 0;  // 52
  virtual bool ValidatePointsetDefinition(const IPointsetDefinition& pointset,
                                          const DesignSolutionDefinition& dsd) const = 0;  // 53
  virtual bool IsSimValueContextValidForReportType(long solutionID,
                                                   const ReportTypeSolutionDefinition& rtsd) const = 0;  // 54
  virtual void HandleCommandForImportedTraces(IVelmorCommand* cmd) = 0;                                   // 55
  virtual IPostprocessingExpressionHelper* GetIPostprocessingExpressionHelper() = 0;                    // 56
  virtual bool UpdateTraceExpressions(const std::map<AString, AString, AString::NoCaseLess>& renames,
                                      IVelmorCommand* cmd) = 0;  // 57
};

}  // namespace rep
