// The definition of an imported trace: a source description and the stored data it owns.
#pragma once

#include <memory>
#include <set>

#include "reports/BaseTraceDefinition.h"
#include "Gravik/IImportedTraceDefinition.h"
#include "Gravik/ITraceDataInterfaces.h"

namespace rep {

class ImportedTraceDefinition : public BaseTraceDefinition, public virtual IImportedTraceDefinition {
public:
  // For reading a "TraceDef" block.
  explicit ImportedTraceDefinition(ReportManager& mgr);
  ImportedTraceDefinition(ReportManager& mgr, const AString& sourceDescription, const AString& name,
                          const std::vector<AString>& expressions, const ExtTraceInfo& info, bool tiedToExpression);
  // Named after its last expression, tied to it.
  ImportedTraceDefinition(ReportManager& mgr, const AString& sourceDescription,
                          const std::vector<AString>& expressions, const ExtTraceInfo& info);
  ImportedTraceDefinition(const ImportedTraceDefinition&) = delete;
  ImportedTraceDefinition& operator=(const ImportedTraceDefinition&) = delete;
  ~ImportedTraceDefinition() override;

  static AString GetStaticBlockName();

  // IBaseTraceDefinition
  IBaseTraceDefinition* CloneDefinition() const override;
  // The source must be an imported trace; the data is copied deeply.
  void CopyFrom(const IBaseTraceDefinition& from) override;
  bool ValidateDefinition(bool /*checkExpressions*/) override { return true; }
  int GetTraceDefinitionType() const override { return 2; }

  // IImportedTraceDefinition
  AString GetSourceDescription() const override { return m_sourceDescription; }
  // Whether the last read met stored data that did not read whole, and kept what did.
  bool DataReadInPart() const { return m_dataReadInPart; }
  AString GetPrimarySweepName() const override;

  // BaseTraceDefinition
  BaseTraceDefinition* CloneForManager(ReportManager& mgr) const override;
  BaseTraceDefinition* CopyForManager(ReportManager& mgr) const override;
  // Plain data moves to the copy, leaving this trace without data.
  BaseTraceDefinition* TakeForManager(ReportManager& mgr) override;
  void SetID(long id) override;
  bool UpdateOnCommand(IVelmorCommand* /*cmd*/) override { return false; }
  AString GetSolutionName() const override;
  void ActivateOutputVariables(std::set<long>& /*outputVariableIDs*/) override {}
  void UpdateTraceExpressions(const QuantityRenameMap& /*renames*/, IVelmorCommand* /*cmd*/) override {}

  // "ImportedTraceDefinition": the base items, "SourceDescription", then the data in
  // "TraceData" or "CompositeTraceData". A block without data keeps the data held (-1).
  AString GetBlockName() const override { return GetStaticBlockName(); }
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;

  // Null without data; the definition keeps it.
  IAbstractTraceData* GetTraceData() const { return m_data.get(); }
  // Owns the data, which must be stored plain or composite data; the data held before is deleted
  // unless it is the same. The data's trace-definition ID is left as it is.
  void SetTraceData(IAbstractTraceData* data);
  // Converts digital columns only when the command has just added this trace to its report.
  void ConvertDigitalColumnsOnCommand(IVelmorCommand* cmd);
  // The same with the IDs that the command added to the trace's report, for a caller that asks
  // for them once for all its traces.
  void ConvertDigitalColumnsIfNew(const std::set<long>& newTraceIDs);
  // The traces the command added to the report; false when the command holds no report record.
  static bool GetNewTraceIDsOfCommand(std::set<long>& out, IVelmorCommand* cmd, ReportManager& mgr, long reportID);

  // A deep copy of stored data of either kind, for that manager; null for null or another kind.
  static IAbstractTraceData* CloneTraceData(const IAbstractTraceData* data, ReportManager& mgr);
  static void SetTraceDefIDOfTraceData(IAbstractTraceData* data, long traceDefID);

private:
  // CopyForManager: unlike a clone, it keeps the tie flag, the families display, the undo version
  // and the version ID.
  ImportedTraceDefinition(const ImportedTraceDefinition& other, ReportManager& mgr);

  AString m_sourceDescription;           // free text: where the data came from
  bool m_dataReadInPart = false;
  std::unique_ptr<IAbstractTraceData> m_data;  // plain or composite stored data; may be null
};

}  // namespace rep
