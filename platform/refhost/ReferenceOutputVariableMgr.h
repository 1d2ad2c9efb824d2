// The reference host's output variables: a plain list behind IOutputVariableMgr, until the engine's own.
#pragma once

#include <memory>
#include <vector>

#include "Gravik/IOutputVariableMgr.h"
#include "orvex/values/ValueState.h"

namespace refhost {

// Holds the variables it is given and answers the lookups; the editing operations are not
// supported by this host and answer false.
class ReferenceOutputVariableMgr : public IOutputVariableMgr {
public:
  ReferenceOutputVariableMgr();
  ~ReferenceOutputVariableMgr() override;

  // A new variable with the next ID; two variables may share a name.
  OutputVariable* AddOutputVariable(const AString& name, const AString& expression, const ValueState& state);

  bool CreateOutputVariable(OutputVariableDefParams&, const DesignSolutionDefinition&, IVelmorCommand*) override;
  bool EditOutputVariable(OutputVariableDefParams&, const DesignSolutionDefinition&, IVelmorCommand*) override;
  bool DeleteOutputVariable(OutputVariableDefParams&, IVelmorCommand*) override;
  bool EvaluateOutputVariable(Value&, const AString&, OutputVariableDefParams&, const DesignSolutionDefinition&,
                              IDesignForOutputVariables*) override;
  bool CheckOutputVariableDefinition(OutputVariableDefParams&, const DesignSolutionDefinition&) override;
  bool ValidateOutputVariableExpression(OutputVariableDefParams&, const DesignSolutionDefinition&) override;
  OutputVariable* GetOutputVariable(long id) const override;
  OutputVariable* FindOutputVariable(const AString& name) const override;
  void GetOutputVariables(std::vector<OutputVariable*>& out, const DesignSolutionDefinition* dsd) const override;
  bool GetSolutionExpressionValueState(const AString&, ValueState&, AString&, const DesignSolutionDefinition&) override;
  io::ReadError DoDataExchange(io::CBlock&, bool) override;
  bool ChangeOutputVariableID(OutputVariable*) override;
  IOutputVariableMgrForProducts* GetIOutputVariableMgrForProducts() override { return nullptr; }
  void ReparseOutputVariables(const QuantityRenames&, IVelmorCommand*) override {}

  int GetNumListRequests() const { return m_listRequests; }

private:
  std::vector<std::unique_ptr<OutputVariable>> m_variables;  // ascending ID
  long m_nextID = 1;
  mutable int m_listRequests = 0;
};

}  // namespace refhost
