// One report of a report manager: an undoable name and ID and the trace definitions it owns.
#pragma once

#include <list>
#include <memory>
#include <set>
#include <vector>

#include "reports/BaseTraceDefinition.h"
#include "Gravik/IReportDefinition.h"
#include "orvex/core/LocalNameServer.h"
#include "orvex/core/VelmorNameServer.h"
#include "orvex/core/MUndoableObject.h"
#include "orvex/io/Block.h"
#include "orvex/io/StreamioBlockObject.h"

class IVelmorCommand;
class IReportPasteListener;

namespace rep {

class BatchNamer;
class ImportedTraceDefinition;
class ReportManager;
class TraceDefinition;

class ReportDefinition : public IReportDefinition, public VelmorNameServer, public io::CStreamio_block_object {
public:
  // The report's undoable name and ID.
  class ReportParams : public MUndoableObject {
  public:
    ReportParams();
    ReportParams(const ReportParams& other);
    ReportParams& operator=(const ReportParams&) = delete;
    ~ReportParams() override;
    MUndoableObject* Clone() const override { return CreateSnapshotCopy(); }
    void Assign(const MUndoableObject& from) override { AssignFromSnapshot(from); }
    MUndoableObject* CreateSnapshotCopy() const;
    void AssignFromSnapshot(const MUndoableObject& snapshot);

    AString m_name;
    long m_id;
  };

  // Copies of the source traces join with new IDs and version IDs; the sources stay the caller's.
  ReportDefinition(ReportManager& mgr, const AString& name, const std::vector<IBaseTraceDefinition*>& sourceTraces);
  ReportDefinition(const ReportDefinition& other);
  // A copy, with copies of its traces, that belongs to another manager.
  ReportDefinition(const ReportDefinition& other, ReportManager& mgr);
  ReportDefinition& operator=(const ReportDefinition&) = delete;
  ~ReportDefinition() override;

  // IReportDefinition
  long GetReportID() const override { return m_params.m_id; }
  AString GetReportName() const override { return m_params.m_name; }
  void GetTraceIDs(std::vector<long>& ids) const override;
  IBaseTraceDefinition* GetTraceDefinition(long traceID) const override;
  IReportDefinition* Clone() const override;
  void CopyFrom(const IReportDefinition& from) override;
  bool ValidateDefinition() override;
  virtual void SetDesignInstanceID(long designInstanceID);
  virtual void HandleCommandForImportedTraces(IVelmorCommand* cmd);

  // VelmorNameServer: the names of the report's traces.
  void GetNames(std::list<AString>& names) const override;

  // io::CStreamio_block_object: the block is named after the report.
  AString GetBlockName() const override { return GetReportName(); }
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;

  ReportManager& GetReportManager() const { return mMgr; }
  BaseTraceDefinition* FindTrace(long traceID) const;
  // The trace of each ID, in the IDs' order (null for an ID the report lacks), found in one pass
  // over the list: a FindTrace per ID walks the list once per ID.
  std::vector<BaseTraceDefinition*> FindTraces(const std::vector<long>& traceIDs) const;
  const std::list<BaseTraceDefinition*>& GetTraces() const { return m_traces; }

  // Naming
  void SetReportID(long id) { m_params.m_id = id; }
  void SetReportName(const AString& name) { m_params.m_name = name; }
  bool IsTraceNameUnique(const AString& name) const { return IsNameUnique(name); }
  AString GetUniqueTraceName(const AString& name) const { return GetUniqueName(name, 1); }
  int GetUniqueTraceNames(std::vector<AString>& out, const std::vector<AString>& wanted) const;
  AString GetDefaultTraceName(const BaseTraceDefinition& trace) const;
  void MakeTraceNameUnique(BaseTraceDefinition& trace);

  // Editing with undo
  bool RenameWithUndo(const AString& name, IVelmorCommand* cmd);
  bool AddTraceDefinitions(std::vector<long>& newIDs, const std::vector<IBaseTraceDefinition*>& sources,
                           IVelmorCommand* cmd);
  // Takes ownership of the traces.
  bool AddNewTraceDefinitions(const std::vector<BaseTraceDefinition*>& traces, IVelmorCommand* cmd);
  bool DeleteTraceDefinitions(const std::vector<long>& traceIDs, IVelmorCommand* cmd);
  void DeleteTraceDefinitionsWithoutUndo(const std::vector<long>& traceIDs);
  bool SetTraceDefinitions(const ReportDefinition& source, IVelmorCommand* cmd);
  bool ReplaceTraceDefinition(const IBaseTraceDefinition& newDef, long traceID, IVelmorCommand* cmd);
  bool RenameTraceDefinition(const AString& name, long traceID, IVelmorCommand* cmd);
  bool SetTraceNameToDefault(long traceID, IVelmorCommand* cmd);
  bool SetTraceExtendedTraceInfo(const ExtTraceInfo& info, long traceID, IVelmorCommand* cmd);
  int MarkTraceEdited(IVelmorCommand* cmd, long traceID);
  // True when every trace became invalid: the report is then to go as a whole.
  bool UpdateOnCommand(IVelmorCommand* cmd);
  void UpdateTraceExpressions(const QuantityRenameMap& renames, IVelmorCommand* cmd);
  void ActivateOutputVariablesOfTraces(std::set<long>& outputVariableIDs, const std::vector<long>& traceIDs);

  // Imports the traces of a data file with undo; `code` is the report type the importer uses. A
  // missing file posts 17006; a bad one its own message. Both leave the report unchanged.
  bool ImportTracesFromFile(const AString& fileName, IVelmorCommand* cmd, int code);
  // The export form: appends "Traces" with the given traces and their data. False when an ID is
  // no trace of the report or a trace's data could not be written (that trace is left out).
  bool WriteTracesWithData(io::CBlock& block, const std::vector<long>& traceIDs);
  // Adds the traces of "Traces" as imported traces with undo; false when the block is missing or
  // any trace failed (the others are still added).
  bool ReadTracesWithData(io::CBlock& block, IReportPasteListener* listener, IVelmorCommand* cmd);
  // The traces that ReadTracesWithData may add from `block`, each with a new ID and a version of its
  // own: every item of "Traces", read or not.
  static long CountTracesWithData(const io::CBlock& block);
  static bool ReadComponentExpressionsFromComponentBlocks(const io::CBlock& traceBlock, std::vector<AString>& out);

  // Paste
  bool AssignNewIDs(ReportManager& mgr, IReportPasteListener* listener);
  bool AssignNewTraceIDs(ReportManager& mgr, IReportPasteListener* listener);
  void MakeTraceNamesUniqueForReport(long reportID, ReportManager& mgr, void* unused);
  // Renames the traces, in order, to names unique in the report of that ID of the manager and
  // among themselves; nothing when there is no such report.
  static void MakeTraceNamesUniqueAgainst(const std::vector<BaseTraceDefinition*>& traces, long reportID,
                                          ReportManager& mgr);
  void RecordPastedTraces(IVelmorCommand* cmd, const std::set<long>& pastedTraceIDs);
  void SetSolutionOfTraces(IReportPasteListener* listener);
  void SetPointsetsOfTraces(IReportPasteListener* listener);
  // Fixes up every computed trace for the target manager's design; imported traces are skipped.
  bool FixUpPastedTraceDefinitions(ReportManager& target, IReportPasteListener* listener, IVelmorCommand* cmd);

  // Project block
  bool WriteReportBlock(io::CBlock& block, const std::vector<long>& traceIDs);
  void WriteTraceDefBlock(io::CBlock& block, const std::vector<long>& traceIDs);
  io::ReadError ReadReportBlock(io::CBlock& block);
  io::ReadError ReadTraceDefBlocks(io::CBlock& block);
  // What a write of this report's block and a read of it by the given manager would make, without
  // the text: traces copied with CopyForManager.
  std::unique_ptr<ReportDefinition> CopyForManager(ReportManager& mgr) const;
  // The same for a report about to go: its traces' TakeForManager may leave them without data.
  std::unique_ptr<ReportDefinition> TakeForManager(ReportManager& mgr);
  // Appends copies of the traces as ReadTraceDefBlocks would read their written blocks; answers
  // the copies appended. AppendTakenFrom is the same for traces about to go (TakeForManager).
  std::vector<BaseTraceDefinition*> AppendCopiesOf(const std::list<BaseTraceDefinition*>& traces);
  std::vector<BaseTraceDefinition*> AppendTakenFrom(const std::list<BaseTraceDefinition*>& traces);

private:
  template <class Copy>
  std::vector<BaseTraceDefinition*> AppendMadeOf(const std::list<BaseTraceDefinition*>& traces, Copy copyOf);

  // One trace block of "Traces", its name made unique by `namer`; null when the trace fails.
  std::unique_ptr<ImportedTraceDefinition> ReadTraceWithData(io::CBlock& tdBlock, IReportPasteListener* listener,
                                                             BatchNamer& namer);
  void RebindTraces(IReportPasteListener* listener, bool (TraceDefinition::*rebind)(IReportPasteListener*));

  std::list<BaseTraceDefinition*> m_traces;  // owned, in report order
  ReportParams m_params;
  ReportManager& mMgr;                      // the owning manager
};

// "TraceDefinitionType" of a "TraceDef" block.
io::ReadError ExchangeTraceDefinitionType(io::CBlock& block, bool read, int& code);
int TraceDefinitionTypeFromName(const AString& name);
AString TraceDefinitionTypeName(int code);

}  // namespace rep
