// The per-design owner of all reports: lookups, IDs, unique names, editing with undo, project block.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

#include "Gravik/IReportManager.h"
#include "orvex/core/IInterfaceQueriable.h"
#include "orvex/core/LocalNameServer.h"
#include "orvex/core/VelmorNameServer.h"
#include "orvex/core/VelmorIDServer.h"
#include "orvex/io/Block.h"
#include "orvex/io/StreamioBlockObject.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/ValueState.h"
#include "reports/ListDeltaState.h"
#include "reports/ReportCopyPasteMgr.h"

class IReportManagerOwner;
class ISolutionManagerForReports;
class ISimValueInfoCache;
class IReportPasteListener;
class ExtTraceInfo;

namespace rep {

class ExtTraceInfoReadMemo;
class ReportDefinition;
class ReportDataManager;
class BaseTraceDefinition;
class TraceDefinition;
class VersionedQuantityParser;
class ITraceData;

// Per trace-definition ID, the quantity names that the trace's expressions use.
typedef std::map<long, std::set<AString, AString::NoCaseLess>> TraceQuantityNames;

class ReportManager : public io::CStreamio_block_object,
                      public IReportManager,
                      public IInterfaceQueriable,
                      public VelmorNameServer {
public:
  ReportManager(IReportManagerOwner* owner, bool mostDerived);
  ReportManager(const ReportManager&) = delete;
  ReportManager& operator=(const ReportManager&) = delete;
  ~ReportManager() override;

  // Accessors
  const IReportManagerOwner* GetOwner() const { return m_owner; }
  IReportManagerOwner* GetOwnerForEdit() const { return m_owner; }
  const IReportDataManager* GetReportDataManager() const override;
  IReportDataManager* GetReportDataManagerForEdit() override;
  bool WriteTracesWithData(io::CBlock& block, long reportID, const std::vector<long>& traceIDs) override;
  bool ReadTracesWithData(long reportID, io::CBlock& block, IReportPasteListener* listener,
                          IVelmorCommand* cmd) override;
  bool ImportTracesFromFile(long reportID, const AString& fileName, IVelmorCommand* cmd, int code) override;
  void HandleCommandForImportedTraces(IVelmorCommand* cmd) override;
  bool CopyTraces(io::CBlock& clipboard, void* productArgument, long reportID,
                  const std::vector<long>& traceIDs) override;
  bool PasteTraces(long reportID, io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd) override;
  bool CopyReports(io::CBlock& clipboard, void* productArgument, const std::vector<long>& reportIDs) override;
  bool PasteReports(io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd) override;
  bool WriteReportsWithData(io::CBlock& block, const std::vector<long>& reportIDs) override;
  void ReadReportsWithData(io::CBlock& block, IReportPasteListener* listener, IVelmorCommand* cmd) override;
  bool ExportReport(long reportID, const AString& fileName, const PlotExportDefs::DisplayUnits& units,
                    const std::vector<PlotExportDefs::DataTableTraceComplexFormat>& formats) override;
  bool ExportReport(long reportID, const AString& fileName, const PlotExportDefs::DisplayUnits& units,
                    const AString& text1, const AString& text2, const AString& text3) override;
  int CountSolutionEntriesForVariableValues(std::vector<Variable*>& out, const DesignSolutionDefinition& dsd,
                                            const VariableValues& variation) override;
  int CountSolutionEntries(std::vector<Variable*>& out, const DesignSolutionDefinition& dsd) override;
  void SetDesignInstanceID(long designInstanceID) override;
  bool ValidatePointsetDefinition(const IPointsetDefinition& pointset,
                                  const DesignSolutionDefinition& dsd) const override;
  bool IsSimValueContextValidForReportType(long solutionID, const ReportTypeSolutionDefinition& rtsd) const override;
  IPostprocessingExpressionHelper* GetIPostprocessingExpressionHelper() override { return this; }
  ReportDataManager* GetDataManager() const { return m_dataManager; }
  // The one road by which the engine reaches the host's solution manager.
  ISolutionManagerForReports* GetISolutionManagerForReports() const;
  ISimValueInfoCache* GetISimValueInfoCache() const;
  IOutputVariableMgr* GetIOutputVariableMgrForEdit() override;
  const IOutputVariableMgr* GetIOutputVariableMgr() const override;
  long GetDesignInstanceID() const;
  long GetDesignID() const;

  // Creation (slots 3 to 11)
  std::unique_ptr<IPointsetDefinition> CreatePointsetDefinition(
      const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValuesDefParams>& families,
      const SubsweepDefParamsContainer& specifiableIfInFamilies) const override;
  std::unique_ptr<IPointsetDefinition> CreatePointsetDefinition(
      const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValuesDefParams>& families) const override;
  std::unique_ptr<IPointsetDefinition> CreatePointsetDefinitionFromVariableValues(
      const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValues>* variations,
      const SubsweepDefParamsContainer* specifiableIfInFamilies) const override;
  std::unique_ptr<IBaseTraceDefinition> CreateTraceDefinition(
      const AString& name, const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd,
      const IPointsetDefinition& pointset, const ExtTraceInfo& info,
      const TraceFamiliesDisplayParameters* familiesParams) override;
  std::unique_ptr<IBaseTraceDefinition> CreateTraceDefinition(
      const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd, const IPointsetDefinition& pointset,
      const ExtTraceInfo& info, const TraceFamiliesDisplayParameters* familiesParams) override;
  std::unique_ptr<IBaseTraceDefinition> CreateTraceDefinition(const AString& name,
                                                              const std::vector<AString>& expressions,
                                                              const DesignSolutionDefinition& dsd,
                                                              const IPointsetDefinition& pointset,
                                                              const ExtTraceInfo& info) override;
  std::unique_ptr<IReportDefinition> CreateReportDefinition(const AString& name) override;
  std::unique_ptr<IReportDefinition> CreateReportDefinition(const std::vector<IBaseTraceDefinition*>& traces,
                                                            const AString& name) override;
  IReportDefinitionCmdInfo* CreateReportDefinitionCmdInfo() override;

  // Names (slots 12 to 17)
  AString GetUniqueReportName(const AString& wanted) const override;
  AString GetUniqueTraceName(long reportID, const AString& wanted) const override;
  int GetUniqueTraceNames(std::vector<AString>& out, long reportID, const std::vector<AString>& wanted) const override;
  int GetUniqueReportNames(std::vector<AString>& out, const std::vector<AString>& wanted) const override;
  bool IsReportNameUnique(const AString& name) const override;
  bool IsTraceNameUnique(long reportID, const AString& name) const override;
  void GetNames(std::list<AString>& names) const override;
  bool MakeReportNamesUniqueAgainst(const ReportManager& other, IReportPasteListener* listener);

  // Lookups (slots 18 to 20)
  IReportDefinition* GetReportDefinition(long reportID) const override;
  void GetReportIDs(std::vector<long>& ids) const override;
  IBaseTraceDefinition* GetTraceDefinition(long traceID) const override;
  ReportDefinition* FindReportContainingTrace(long traceID) const;
  const std::list<ReportDefinition*>& GetReports() const { return m_reports; }
  long GetReportIDOfTrace(long traceID) const;
  BaseTraceDefinition* FindTrace(long traceID) const;
  // Issued by this manager, and carried by no report and no trace of its reports.
  bool IsTraceIDFree(long id) const;

  // Every edit that may change which reports and traces are held, or which IDs they carry, runs
  // inside one of these (or tells the manager through InvalidateHeldIDs), so the index of held
  // IDs stays true. Lookups inside an edit walk the lists: the index may be rebuilt halfway.
  class HeldIDsEdit {
  public:
    explicit HeldIDsEdit(const ReportManager& mgr) : m_mgr(mgr) {
      ++m_mgr.m_openEdits;
      m_mgr.InvalidateHeldIDs();
    }
    ~HeldIDsEdit() {
      --m_mgr.m_openEdits;
      m_mgr.InvalidateHeldIDs();
    }
    HeldIDsEdit(const HeldIDsEdit&) = delete;
    HeldIDsEdit& operator=(const HeldIDsEdit&) = delete;

  private:
    const ReportManager& m_mgr;
  };
  void InvalidateHeldIDs() const { m_heldIDsKnown = false; }

  // IDs
  long GetNewUniqueID() { return m_idServer.GetNewUniqueID(); }
  long GetNewVersionID() { return m_versionIDServer.GetNewUniqueID(); }
  long PeekNextUniqueID() const { return m_idServer.PeekNextUniqueID(); }
  long PeekNextVersionID() const { return m_versionIDServer.PeekNextUniqueID(); }
  // Whether `ids` report or trace IDs and `versionIDs` version IDs are left to issue. When not,
  // tells the user that none is left for `what` (such as: the trace "T") and answers false: each
  // creation asks before it changes anything, so that a refusal loses nothing.
  bool HasIDsLeftFor(const AString& what, long ids, long versionIDs);
  // `the report "R"`, `the trace "T"`: what a creation names when no ID is left for it.
  static AString Named(const wchar_t* kind, const AString& name);
  // The version IDs that copies of these traces draw as they are made: a copy of stored data is
  // built anew.
  static long VersionIDsDrawnByCopying(const std::vector<IBaseTraceDefinition*>& traces);
  static long VersionIDsDrawnByCopying(const std::list<BaseTraceDefinition*>& traces);

  // Editing (slots 21 to 30, 33, 34, 50, 51)
  long AddReportDefinition(const IReportDefinition& report, IVelmorCommand* cmd) override;
  bool DeleteReportDefinitions(const std::vector<long>& reportIDs, IVelmorCommand* cmd) override;
  bool AddTraceDefinition(std::vector<long>& newIDs, const std::vector<IBaseTraceDefinition*>& traces, long reportID,
                          IVelmorCommand* cmd) override;
  bool DeleteTraceDefinition(long traceID, IVelmorCommand* cmd) override;
  bool ReplaceTraceDefinition(const IBaseTraceDefinition& newDef, long traceID, IVelmorCommand* cmd) override;
  bool SetTraceNameToDefault(long traceID, IVelmorCommand* cmd) override;
  bool RenameTraceDefinition(const AString& name, long traceID, IVelmorCommand* cmd) override;
  bool SetTraceExtendedTraceInfo(const ExtTraceInfo& info, long traceID, IVelmorCommand* cmd) override;
  bool SetTraceDefinitions(const IReportDefinition& source, long reportID, IVelmorCommand* cmd) override;
  bool RenameReport(const AString& name, long reportID, IVelmorCommand* cmd) override;
  bool UpdateReportsOnCommand(IVelmorCommand* cmd) override;
  bool UpdateTraceDataOnCommand(IVelmorCommand* cmd) override;
  bool UpdateTraceExpressions(const std::map<AString, AString, AString::NoCaseLess>& renames,
                              IVelmorCommand* cmd) override;
  void DeleteReportDefinitionsWithoutUndo(const std::vector<long>& reportIDs) override;
  void DeleteTraceDefinitionsWithoutUndo(long reportID, const std::vector<long>& traceIDs) override;
  void RecordPastedReports(IVelmorCommand* cmd, const std::set<long>& pastedReportIDs);

  // Paste steps, run on the temporary manager that holds pasted reports: each passes its
  // arguments to the report's step of the same name, for every report in list order; the trace
  // names are made unique over the traces of all reports at once.
  bool FixUpPastedTraceDefinitions(ReportManager& target, IReportPasteListener* listener, IVelmorCommand* cmd);
  bool SetSolutionOfTraces(IReportPasteListener* listener);
  bool SetPointsetsOfTraces(IReportPasteListener* listener);
  bool AssignNewIDs(ReportManager& target, IReportPasteListener* listener);
  bool AssignNewTraceIDs(ReportManager& target, IReportPasteListener* listener);
  bool MakeTraceNamesUniqueForReport(long reportID, ReportManager& target, void* unused);

  // Expression services (IPostprocessingExpressionInterrogator, IPostprocessingExpressionHelper)
  bool ValidateExpressionWithMessage(const AString& expr, const DesignSolutionDefinition& dsd) override;
  bool GetExpressionUnitType(Units::UnitType& out, const AString& expr, const DesignSolutionDefinition& dsd) override;
  bool GetExpressionValueState(ValueState& out, const AString& expr, const DesignSolutionDefinition& dsd) override;
  bool ActivateOutputVariablesOfExpressions(std::vector<long>& ids, const AString& expr,
                                            const DesignSolutionDefinition& dsd) override;
  bool GetOutermostFunctionName(AString& name, AString& firstArgument, const AString& expr,
                                const DesignSolutionDefinition& dsd) override;
  bool GetOutermostFunction(const Function*& fn, AString& firstArgument, const AString& expr,
                            const DesignSolutionDefinition& dsd) override;
  bool GetOutermostFunctionArguments(const Function*& fn, std::vector<AString>& arguments, const AString& expr,
                                     const DesignSolutionDefinition& dsd) override;
  bool CanActivateOutputVariables(std::vector<AString>& quantities, const AString& expr,
                                  const DesignSolutionDefinition& dsd) override;
  bool IsExpressionValid(const AString& expr, const DesignSolutionDefinition& dsd,
                         std::vector<AString>& simValueQuantities) override;
  bool IsExpressionValid(const AString& expr, const DesignSolutionDefinition& dsd,
                         std::vector<AString>& simValueQuantities, std::vector<AString>& outputVariableNames,
                         std::vector<AString>& outputVariableTexts) override;
  void ValidateExpressions(std::vector<bool>& valid, std::vector<std::vector<AString>>& simValueQuantities,
                           std::vector<std::vector<AString>>& outputVariableNames,
                           std::vector<std::vector<AString>>& outputVariableTexts,
                           const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd) override;
  bool DoesExpressionReduceDimensionDeprecated(const AString& expr, const DesignSolutionDefinition& dsd) override;
  bool DoesExpressionReduceDimension(const AString& expr, const DesignSolutionDefinition& dsd) override;
  bool GenerateNewValueText(AString& newText, const AString& expression,
                            const std::map<AString, AString, AString::NoCaseLess>& renames,
                            const DesignSolutionDefinition& dsd) override;

  // What the list worker finds; every member holds one entry per expression, in their order.
  struct ExpressionFacts {
    std::vector<bool> valid;
    std::vector<ValueState> valueStates;
    std::vector<std::vector<AString>> simValueQuantities;
    std::vector<std::vector<AString>> outputVariableNames;
    std::vector<std::vector<AString>> outputVariableTexts;  // beside their names
    std::vector<std::vector<AString>> userOutputVariableNames;  // those the solution does not define
    std::vector<ReferencedDatasetMap> datasets;
    std::vector<std::vector<AString>> variableNames;
    std::vector<std::vector<AString>> compositeQuantities;
  };
  // The list worker: every expression parsed afresh with a parser made for the design solution.
  // Without `withReferences` the datasets and variable names stay empty: they decide nothing, and
  // validation, which runs on every update, does not want them.
  void ValidateExpressions(ExpressionFacts& facts, const std::vector<AString>& expressions,
                           const DesignSolutionDefinition& dsd, bool withReferences = true);
  // The validity flags alone.
  void CheckExpressions(std::vector<bool>& valid, const std::vector<AString>& expressions,
                        const DesignSolutionDefinition& dsd);
  // The value states of a computed trace's component expressions, in component order.
  void GetTraceExpressionsValueStates(long traceID, std::vector<ValueState>& states);
  // Whether the expression applies a function that reduces the sweep dimension; a composite
  // quantity never does.
  static bool DetectDimensionReducingFunction(VersionedQuantityParser& parser, const AString& expression);
  // Whether one of the computed trace's expressions is a composite quantity.
  bool IsCompositeTrace(long traceID);
  // For each computed trace, the quantities its expressions refer to, composite ones included, and
  // the output variables they use.
  void OnNewSolution(TraceQuantityNames& names) const;

  // Project block
  AString GetBlockName() const override { return L"ReportManager"; }
  io::ReadError DoDataExchange(io::CBlock& parent, bool read) override;
  bool WriteReportsOfBlock(io::CBlock& block, const std::vector<long>& reportIDs);
  bool WriteReportBlock(io::CBlock& block, long reportID, const std::vector<long>& traceIDs);
  io::ReadError ReadReportsOfBlock(io::CBlock& block);
  // Appends what a write of the other manager's reports and a read of that block here would make,
  // without the text (ReportDefinition::TakeForManager); answers the reports appended. The other
  // manager is about to go: its imported traces may be left without their data.
  std::vector<ReportDefinition*> AppendReportsTakenFrom(ReportManager& from);

  ReportCopyPasteMgr& GetCopyPasteMgr() { return m_copyPasteMgr; }
  // What info.Read(block) would do; a trace whose block repeats an earlier one's may take a copy
  // of what that read made (ExtTraceInfoReadMemo).
  io::ReadError ReadExtTraceInfo(const io::CBlock& block, ExtTraceInfo& info);
  // What ReadExtTraceInfo of the block would copy; null when it would parse.
  const ExtTraceInfo* FindExtTraceInfoRead(const io::CBlock& block) const;

private:
  // Activates the output variables of the expressions for a test: the names of the user's
  // variables and the quantities behind the expressions; false when one fails to activate.
  bool ActivateOutputVariablesWorker(std::vector<AString>& names, std::vector<AString>& quantities,
                                     const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd);
  bool DetectOutermostFunction(VersionedQuantityParser& parser, const Function*& fn, std::vector<AString>& arguments,
                               const AString& expression);
  ReportDefinition* FindReport(long reportID) const;
  // The data of the report's traces that hold data, in trace order; false when none does.
  bool CollectTraceDataWithData(std::vector<const ITraceData*>& data, const IReportDefinition& report);
  // What the solution of the design solution appends for its context; 0 for a solution the host lacks.
  int CountEntries(std::vector<Variable*>& out, const DesignSolutionDefinition& dsd, const VariableValues* variation);
  // Adds the quantities and output variables that the trace's component expressions name for its
  // design solution; nothing when no parser can be made for it.
  void CollectQuantityNamesOfTrace(std::set<AString, AString::NoCaseLess>& names, const TraceDefinition& trace) const;
  void DeleteTraceDataOf(const std::vector<long>& traceIDs);
  // Appends to drawnIDs (when given) the reports that took a new ID because their block held none.
  io::ReadError ReadReportsNotingDrawnIDs(io::CBlock& block, std::vector<ReportDefinition*>* drawnIDs);
  void AdvanceIDServersPastLoaded();
  // A new ID for a report loaded without one; when the server has none left that a read takes
  // back, the lowest ID that no held object carries, which the server never issues again.
  long DrawIDForLoadedReport();
  void RenumberRepeatedIDs();
  bool IsHeldID(long id) const;
  // Where a held trace sits; the first in list order when a damaged project repeats an ID.
  struct HeldTrace {
    BaseTraceDefinition* trace;
    ReportDefinition* report;
  };
  void IndexHeldIDs() const;
  // False inside an edit: lookups then walk the lists.
  bool UseIndex() const;
  // The indexed place of the trace (both members null when none holds it); null when the
  // lists must be walked.
  const HeldTrace* FindHeldTrace(long traceID) const;
  bool WriteReport(io::CBlock& block, ReportDefinition& report, const std::vector<long>& traceIDs);

  IReportManagerOwner* m_owner;                 // the host's, never owned
  ReportDataManager* m_dataManager;             // owned; destroyed after the reports
  VelmorIDServer m_idServer;                    // report and trace IDs alike
  std::list<ReportDefinition*> m_reports;       // owned, in the order added or read
  ReportCopyPasteMgr m_copyPasteMgr;
  VelmorIDServer m_versionIDServer;
  // Every held report and trace by ID, made when asked for after an edit.
  mutable std::unordered_map<long, ReportDefinition*> m_reportsByID;
  mutable std::unordered_map<long, HeldTrace> m_tracesByID;
  mutable bool m_heldIDsKnown = false;
  mutable int m_openEdits = 0;  // HeldIDsEdit scopes open now
  std::unique_ptr<ExtTraceInfoReadMemo> m_extInfoReadMemo;  // made on the first trace read
};

// The undo record of a list of reports or traces of a manager: its undo and redo change which
// IDs the manager holds.
template <class T>
class HeldIDsListDelta : public ListDeltaState<T> {
public:
  HeldIDsListDelta(const ReportManager& mgr, std::list<T>& srcList)
      : ListDeltaState<T>(srcList, true), m_mgr(mgr) {}
  void OnInsertNode(T) override { m_mgr.InvalidateHeldIDs(); }
  void OnRemoveNode(T) override { m_mgr.InvalidateHeldIDs(); }

private:
  const ReportManager& m_mgr;
};

}  // namespace rep
