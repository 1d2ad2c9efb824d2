// What computed and imported trace definitions share: identity, name, components, display settings.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "Gravik/IBaseTraceDefinition.h"
#include "Gravik/ITraceComponentDefinition.h"
#include "reports/TraceFamiliesDisplayDefinition.h"
#include "orvex/core/CUndoableVersion.h"
#include "orvex/core/MUndoableObject.h"
#include "orvex/io/Block.h"
#include "orvex/io/StreamioBlockObject.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"

class IVelmorCommand;
class IReportPasteListener;

namespace rep {

class ReportManager;
class TraceComponentDefinition;

// Old quantity name -> new quantity name.
using QuantityRenameMap = std::map<AString, AString, AString::NoCaseLess>;

class BaseTraceDefinition : public virtual IBaseTraceDefinition, public io::CStreamio_block_object {
public:
  // The name and tie flag of a trace, kept together for undo.
  class TraceParams : public MUndoableObject {
  public:
    TraceParams(const AString& name, bool tiedToExpression);
    TraceParams(const TraceParams& other);
    TraceParams& operator=(const TraceParams& other);
    ~TraceParams() override;
    MUndoableObject* Clone() const override;
    void Assign(const MUndoableObject& from) override;

    AString GetName() const { return m_name; }
    void SetName(const AString& name) { m_name = name; }
    void SetName(AString&& name) { m_name = std::move(name); }
    bool GetIsNameTiedToExpressionFlag() const { return m_tiedToExpression; }
    void SetIsNameTiedToExpressionFlag(bool tied) { m_tiedToExpression = tied; }

  private:
    AString m_name;
    bool m_tiedToExpression;
  };

  // The version ID as a record that a command puts back, so that undo and redo restore the
  // version that belongs to what they restore.
  class VersionIDRecord : public MUndoableObject {
  public:
    explicit VersionIDRecord(long versionID) : m_versionID(versionID) {}
    MUndoableObject* Clone() const override;
    void Assign(const MUndoableObject& from) override;

    long m_versionID;
  };

  // For reading: the display settings start as a copy of `info` when given, else as defaults.
  explicit BaseTraceDefinition(ReportManager& mgr, const ExtTraceInfo* info = nullptr);
  BaseTraceDefinition(ReportManager& mgr, const AString& name, const std::vector<AString>& expressions,
                      const ExtTraceInfo& info, bool tiedToExpression,
                      const TraceFamiliesDisplayParameters* familiesParams);
  // Named after the last expression, tied to it.
  BaseTraceDefinition(ReportManager& mgr, const std::vector<AString>& expressions, const ExtTraceInfo& info,
                      const TraceFamiliesDisplayParameters* familiesParams);
  BaseTraceDefinition(const BaseTraceDefinition& other);
  // A copy that belongs to another manager: a report takes in only copies bound to its own.
  BaseTraceDefinition(const BaseTraceDefinition& other, ReportManager& mgr);
  BaseTraceDefinition& operator=(const BaseTraceDefinition&) = delete;
  ~BaseTraceDefinition() override;

  // IBaseTraceDefinition
  long GetID() const override { return m_id; }
  unsigned GetNumComponents() const override { return static_cast<unsigned>(m_components.size()); }
  const ITraceComponentDefinition* GetComponent(unsigned index) const override;
  ExtTraceInfo GetExtendedTraceInfo() const override { return m_extTraceInfo; }
  const TraceFamiliesDisplayParameters* GetFamiliesDisplayParams() const override;
  void SetExtendedTraceInfo(const ExtTraceInfo& info) override { m_extTraceInfo = info; }
  void CopyFrom(const IBaseTraceDefinition& from) override;
  AString GetName() const override { return m_traceParams.GetName(); }
  bool GetIsNameTiedToExpressionFlag() const override { return m_traceParams.GetIsNameTiedToExpressionFlag(); }

  // Own virtual operations.
  // CloneDefinition, bound to the given manager.
  virtual BaseTraceDefinition* CloneForManager(ReportManager& mgr) const = 0;
  // A copy bound to the given manager that holds all a write and read of the trace's block there
  // would, ID and version included, without going through text; null for a kind that a report
  // block cannot carry, as reading it would drop it.
  virtual BaseTraceDefinition* CopyForManager(ReportManager& mgr) const;
  // CopyForManager for a trace about to go: it may take what this trace holds instead of copying.
  virtual BaseTraceDefinition* TakeForManager(ReportManager& mgr) { return CopyForManager(mgr); }
  virtual void SetID(long id) { m_id = id; }
  // True: the trace can no longer be computed and its report removes it.
  virtual bool UpdateOnCommand(IVelmorCommand* cmd) = 0;
  virtual AString GetSolutionName() const = 0;
  virtual bool AssignNewID(ReportManager& mgr, IReportPasteListener* listener);
  virtual void ActivateOutputVariables(std::set<long>& outputVariableIDs) = 0;
  virtual void SetDesignID(long designID);
  virtual void UpdateTraceExpressions(const QuantityRenameMap& renames, IVelmorCommand* cmd) = 0;

  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;
  // Whether the last read found a version ID beyond 32 bits and kept the one the trace had.
  bool KeptVersionOverDamagedOne() const { return m_keptVersionOverDamagedOne; }
  // The sub-block of a trace's block that holds its display settings; null when there is none.
  static const io::CBlock* FindExtTraceInfoBlock(const io::CBlock& traceBlock);

  const ReportManager& GetManager() const { return mMgr; }
  ReportManager& GetManagerForEdit() const { return mMgr; }
  long GetVersionID() const { return m_versionID.m_versionID; }
  void UpdateVersionID();
  void SetIDAndVersionID(long id, long versionID);
  void SetName(const AString& name) { m_traceParams.SetName(name); }
  bool SetNameWithUndo(const AString& name, bool tiedToExpression, IVelmorCommand* cmd);
  bool SetExtendedTraceInfoWithUndo(const ExtTraceInfo& info, IVelmorCommand* cmd);
  // Registers the undo version and the version ID: call it before the version ID is renewed.
  void AddVersionToCommand(IVelmorCommand* cmd);
  ITraceComponentDefinition* GetComponentForEdit(unsigned index);
  void DeleteAllComponents();
  const TraceFamiliesDisplayDefinition& GetFamiliesDisplayDefinition() const { return m_familiesDisplay; }
  TraceFamiliesDisplayDefinition& GetFamiliesDisplayDefinitionForEdit() { return m_familiesDisplay; }
  unsigned long GetUndoVersion() const { return m_undoVersion.GetVersion(); }

private:
  long m_id = -1;
  ExtTraceInfo m_extTraceInfo;
  ReportManager& mMgr;                              // the owning manager, never owned here
  std::vector<ITraceComponentDefinition*> m_components;  // owned, one per dimension
  TraceParams m_traceParams;
  CUndoableVersion m_undoVersion;
  VersionIDRecord m_versionID;
  TraceFamiliesDisplayDefinition m_familiesDisplay;
  bool m_keptVersionOverDamagedOne = false;
};

}  // namespace rep
