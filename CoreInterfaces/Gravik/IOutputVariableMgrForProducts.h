// What products ask of the design's output variables: names, IDs and values at a variation.
#pragma once

#include <vector>

#include "orvex/core/AString.h"

class DesignSolutionDefinition;
class IDesignForOutputVariables;
class Value;
class VariableValues;

class IOutputVariableMgrForProducts {
public:
  virtual ~IOutputVariableMgrForProducts() = default;  // 0
  // Empty variable values stand for the solution's own.
  virtual bool EvaluateOutputVariable(Value& result, const AString& name, const VariableValues& variation,
                                      const DesignSolutionDefinition& dsd, IDesignForOutputVariables* design) = 0;  // 1
  // False, with `out` unchanged, when no variable has the ID.
  virtual bool GetOutputVariableName(AString& out, long id) const = 0;  // 2
  // False, with `out` unchanged, when no variable has the name.
  virtual bool GetOutputVariableID(long& out, const AString& name) const = 0;  // 3
  // The vectors must be empty on entry; a definition narrows the list to the variables valid for it.
  virtual void GetOutputVariableIDs(std::vector<long>& out, const DesignSolutionDefinition* dsd) const = 0;     // 4
  virtual void GetOutputVariableNames(std::vector<AString>& out, const DesignSolutionDefinition* dsd) const = 0;  // 5
};
