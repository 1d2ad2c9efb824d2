// A computed trace: its data is worked out from a solution of the design over its point set.
#pragma once

#include <memory>

#include "reports/BaseTraceDefinition.h"
#include "Gravik/ITraceDefinition.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

class TraceDefParams;
class ISolutionForReports;

namespace rep {

class IPointsetDefinition;
class PointsetDefinition;

class TraceDefinition : public virtual BaseTraceDefinition, public MUndoableObject, public virtual ITraceDefinition {
public:
  // For reading from a block: the design instance comes with the block. The display settings
  // start as a copy of extInfo when given.
  TraceDefinition(ReportManager& mgr, bool forReading, const ExtTraceInfo* extInfo = nullptr);
  TraceDefinition(ReportManager& mgr, const AString& name, const std::vector<AString>& expressions,
                  const DesignSolutionDefinition& dsd, const IPointsetDefinition& pointset, const ExtTraceInfo& info,
                  long designInstanceID, bool tiedToExpression, const TraceFamiliesDisplayParameters* familiesParams);
  TraceDefinition(ReportManager& mgr, const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd,
                  const IPointsetDefinition& pointset, const ExtTraceInfo& info, long designInstanceID,
                  const TraceFamiliesDisplayParameters* familiesParams);
  TraceDefinition(const TraceDefinition& other);
  TraceDefinition(const TraceDefinition& other, ReportManager& mgr);
  TraceDefinition& operator=(const TraceDefinition&) = delete;
  ~TraceDefinition() override;

  // IBaseTraceDefinition
  IBaseTraceDefinition* CloneDefinition() const override;
  void CopyFrom(const IBaseTraceDefinition& from) override;
  bool ValidateDefinition(bool checkExpressions) override;
  // Posts message 17002 for each component expression that is not valid for the solution. The
  // argument sets the hold's delivery flag; every caller passes false.
  bool ValidateTraceExpressions(bool deliverHeld);
  int GetTraceDefinitionType() const override { return 1; }

  // ITraceDefinition
  DesignSolutionDefinition GetDesignSolutionDefinition() const override { return m_dsd; }
  const IPointsetDefinition* GetPointsetDefinition() const override { return m_pointset.get(); }
  AString GetBlockName() const override { return GetStaticBlockName(); }
  static const AString& GetStaticBlockName() {
    static const AString name(L"TraceDefinition");
    return name;
  }

  // MUndoableObject: undo snapshots of the whole definition.
  MUndoableObject* Clone() const override;
  void Assign(const MUndoableObject& from) override;

  // BaseTraceDefinition
  BaseTraceDefinition* CloneForManager(ReportManager& mgr) const override;
  BaseTraceDefinition* CopyForManager(ReportManager& mgr) const override { return CloneForManager(mgr); }
  bool UpdateOnCommand(IVelmorCommand* cmd) override;
  AString GetSolutionName() const override;
  void ActivateOutputVariables(std::set<long>& outputVariableIDs) override;
  void SetDesignID(long designID) override;
  void UpdateTraceExpressions(const QuantityRenameMap& renames, IVelmorCommand* cmd) override;
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;

  long GetDesignInstanceID() const { return m_designInstanceID; }
  const DesignSolutionDefinition& GetDesignSolutionDefinitionRef() const { return m_dsd; }
  PointsetDefinition* GetPointsetDefinitionForEdit();
  bool SetSolutionAndContext(IReportPasteListener* listener);
  bool SetPointsetFromLookup(IReportPasteListener* listener);
  static bool IsPointsetValidForNumComponents(const IPointsetDefinition& pointset, unsigned numComponents);
  bool IsPointsetValidForNumComponents(const IPointsetDefinition& pointset) const {
    return IsPointsetValidForNumComponents(pointset, GetNumComponents());
  }
  void GetTraceDefParams(TraceDefParams& params) const;
  void GetTraceExpressions(std::vector<AString>& expressions) const;
  void RecordEditInCommand(IVelmorCommand* cmd, bool recordAsEdited);
  void AddUpdatedTraceToCommand(IVelmorCommand* cmd);
  // The report's command info lists the trace's report as edited and carries its flag.
  bool IsReportFlaggedInCommand(IVelmorCommand* cmd) const;
  // The point set made to fit the solution's sweeps as they are now; none when nothing had to
  // change, or when the trace cannot be plotted over them (then `invalid` is set).
  std::unique_ptr<PointsetDefinition> RebuildPointsetForSolution(bool& invalid) const;

private:
  // What one command's update of the trace works on; made afresh for each command.
  struct CommandUpdateState;

  ISolutionForReports* GetSolutionObject() const;
  // Each answers true when the trace can no longer be computed.
  bool UpdateSweepsOnCommand(CommandUpdateState& state, IVelmorCommand* cmd);
  bool UpdateDependentVariablesOnCommand(CommandUpdateState& state, IVelmorCommand* cmd);
  bool UpdateOutputVariablesOnCommand(CommandUpdateState& state, IVelmorCommand* cmd);
  bool UpdateDatasetsOnCommand(CommandUpdateState& state, IVelmorCommand* cmd);
  void CheckDigitalComponentsOnCommand(CommandUpdateState& state, IVelmorCommand* cmd);
  // Posts 17002 for each expression that is not valid; false when one is not.
  static bool ReportInvalidExpressions(const std::vector<AString>& expressions, const std::vector<bool>& valid,
                                       bool deliverHeld);

  DesignSolutionDefinition m_dsd;
  std::unique_ptr<IPointsetDefinition> m_pointset;  // owned; null only before a read
  long m_designInstanceID = -1;
};

}  // namespace rep
