// The design's user output variables: named expressions that traces may use.
#pragma once

#include <map>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/io/ReadError.h"

namespace io {
class CBlock;
}
class OutputVariable;
class OutputVariableDefParams;
class DesignSolutionDefinition;
class IVelmorCommand;
class IDesignForOutputVariables;
class IOutputVariableMgrForProducts;
class Value;
class ValueState;

class IOutputVariableMgr {
public:
  // Old quantity name -> new quantity name.
  typedef std::map<AString, AString, AString::NoCaseLess> QuantityRenames;

  virtual ~IOutputVariableMgr() = default;  // 0
  virtual bool CreateOutputVariable(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd,
                                    IVelmorCommand* cmd) = 0;  // 1
  virtual bool EditOutputVariable(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd,
                                  IVelmorCommand* cmd) = 0;  // 2
  virtual bool DeleteOutputVariable(OutputVariableDefParams& def, IVelmorCommand* cmd) = 0;  // 3
  virtual bool EvaluateOutputVariable(Value& result, const AString& variationKey, OutputVariableDefParams& def,
                                      const DesignSolutionDefinition& dsd, IDesignForOutputVariables* design) = 0;  // 4
  virtual bool CheckOutputVariableDefinition(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd) = 0;  // 5
  virtual bool ValidateOutputVariableExpression(OutputVariableDefParams& def,
                                                const DesignSolutionDefinition& dsd) = 0;  // 6
  // Null when absent.
  virtual OutputVariable* GetOutputVariable(long id) const = 0;           // 7
  virtual OutputVariable* FindOutputVariable(const AString& name) const = 0;  // 8
  // Appends every variable (ascending ID); a definition, when given, may narrow the list.
  virtual void GetOutputVariables(std::vector<OutputVariable*>& out, const DesignSolutionDefinition* dsd) const = 0;  // 9
  virtual bool GetSolutionExpressionValueState(const AString& name, ValueState& state, AString& expression,
                                               const DesignSolutionDefinition& dsd) = 0;  // 10
  virtual io::ReadError DoDataExchange(io::CBlock& block, bool reading) = 0;  // 11
  virtual bool ChangeOutputVariableID(OutputVariable* variable) = 0;          // 12
  virtual IOutputVariableMgrForProducts* GetIOutputVariableMgrForProducts() = 0;  // 13
  virtual void ReparseOutputVariables(const QuantityRenames& renames, IVelmorCommand* cmd) = 0;  // 14
};
