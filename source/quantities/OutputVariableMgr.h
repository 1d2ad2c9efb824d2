// The project's user output variables: lookups, checked creation and edits with undo, evaluation and the block "OutputVariables".
#pragma once

#include <map>
#include <vector>

#include "Gravik/IOutputVariableMgr.h"
#include "Gravik/IOutputVariableMgrForProducts.h"
#include "orvex/core/VelmorIDServer.h"
#include "orvex/io/StreamioBlockObject.h"

class COutputVarVlmrCmdInfo;
class ISolutionManagerForReports;
class VariableValues;

namespace rep {

class SimValueInfoServer;

class OutputVariableMgr : public io::CStreamio_block_object,
                          public IOutputVariableMgr,
                          public IOutputVariableMgrForProducts {
public:
  typedef std::map<long, OutputVariable*> OutputVariableMap;

  explicit OutputVariableMgr(ISolutionManagerForReports* solMgr);
  ~OutputVariableMgr() override;
  OutputVariableMgr(const OutputVariableMgr&) = delete;
  OutputVariableMgr& operator=(const OutputVariableMgr&) = delete;

  // IOutputVariableMgr
  bool CreateOutputVariable(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd,
                            IVelmorCommand* cmd) override;
  bool EditOutputVariable(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd,
                          IVelmorCommand* cmd) override;
  bool DeleteOutputVariable(OutputVariableDefParams& def, IVelmorCommand* cmd) override;
  bool EvaluateOutputVariable(Value& result, const AString& variationKey, OutputVariableDefParams& def,
                              const DesignSolutionDefinition& dsd, IDesignForOutputVariables* design) override;
  bool CheckOutputVariableDefinition(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd) override;
  bool ValidateOutputVariableExpression(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd) override;
  OutputVariable* GetOutputVariable(long id) const override;
  OutputVariable* FindOutputVariable(const AString& name) const override;
  void GetOutputVariables(std::vector<OutputVariable*>& out, const DesignSolutionDefinition* dsd) const override;
  bool GetSolutionExpressionValueState(const AString& name, ValueState& state, AString& expression,
                                       const DesignSolutionDefinition& dsd) override;
  io::ReadError DoDataExchange(io::CBlock& block, bool reading) override;
  bool ChangeOutputVariableID(OutputVariable* variable) override;
  IOutputVariableMgrForProducts* GetIOutputVariableMgrForProducts() override { return this; }
  void ReparseOutputVariables(const QuantityRenames& renames, IVelmorCommand* cmd) override;

  // IOutputVariableMgrForProducts
  bool EvaluateOutputVariable(Value& result, const AString& name, const VariableValues& variation,
                              const DesignSolutionDefinition& dsd, IDesignForOutputVariables* design) override;
  bool GetOutputVariableName(AString& out, long id) const override;
  bool GetOutputVariableID(long& out, const AString& name) const override;
  void GetOutputVariableIDs(std::vector<long>& out, const DesignSolutionDefinition* dsd) const override;
  void GetOutputVariableNames(std::vector<AString>& out, const DesignSolutionDefinition* dsd) const override;

  // Block object
  AString GetBlockName() const override;

  // Called on a manager read from the clipboard: drops what the target already has by name, renumbers
  // the rest from the target's IDs. Always true.
  bool PrepareForPaste(OutputVariableMgr& target);

  // An empty map writes nothing; false when some variable could not be written (it is left out).
  static bool WriteOutputVariables(io::CBlock& parent, const OutputVariableMap& variables);
  // Every readable variable of the sub-block; 1 when some item could not be read.
  io::ReadError ReadOutputVariables(const io::CBlock& parent);
  // Writes every variable of this manager (the copy of reports writes only those it carries).
  bool WriteAllOutputVariables(io::CBlock& parent) const { return WriteOutputVariables(parent, m_variables); }

  ISolutionManagerForReports* GetSolutionManager() const { return m_solMgr; }
  SimValueInfoServer* GetInfoServer() const { return m_infoServer; }

private:
  bool SetVariableDefinition(OutputVariable& variable, const OutputVariableDefParams& def,
                             const DesignSolutionDefinition& dsd) const;
  // Whether the expression gives a double or complex value for the solution.
  bool IsExpressionValidForSolution(const AString& expression, const DesignSolutionDefinition& dsd) const;
  bool ValidateExpression(const OutputVariableDefParams& def, const DesignSolutionDefinition& dsd) const;
  // The variables whose expressions validate for the solution, checked with messages held back.
  void SelectVariables(std::vector<OutputVariable*>& out, const DesignSolutionDefinition* dsd) const;
  // The variable values to evaluate at: the given ones, else the solution's own; false (after
  // 24748) when there are none.
  bool TakeSolutionValuesIfEmpty(VariableValues& values, const OutputVariable& variable,
                                 const DesignSolutionDefinition& dsd, const IDesignForOutputVariables& design) const;
  bool Evaluate(Value& result, const OutputVariable& variable, const VariableValues& values,
                const DesignSolutionDefinition& dsd, IDesignForOutputVariables& design);
  void RemoveVariablesDefinedIn(const OutputVariableMgr& target);
  // Drops, after an assertion, each variable whose name the target holds with another type: a
  // paste must not add a second variable of a name the target holds.
  void CheckTypesAgainst(const OutputVariableMgr& target);
  // Drops, with a message, each variable for which the target has no ID left.
  void AssignIDsFrom(OutputVariableMgr& target);
  // False, with the ID unchanged, when the server has no ID left that a read takes back.
  bool IssueNewID(OutputVariable& variable);
  // New IDs must exceed every ID held.
  void AdvanceIDServerPastHeld();

  OutputVariableMap m_variables;       // owned, by ID
  SimValueInfoServer* m_infoServer;    // owned; may be null
  ISolutionManagerForReports* m_solMgr;  // the host's, not owned
  VelmorIDServer m_idServer;           // every new output-variable ID
};

// The command's output-variable info, made and registered under 26 with the sub-type of this
// first change when the command has none. Null without a command.
COutputVarVlmrCmdInfo* GetOrCreateOutputVarCmdInfo(IVelmorCommand* cmd, unsigned subType);

}  // namespace rep
