// Questions about a post-processing expression for one design solution: validity, unit type and value state, output variables, outermost function, dimension reduction.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/Units.h"

class DesignSolutionDefinition;
class Function;
class ValueState;

class ORVEX_API IPostprocessingExpressionInterrogator {
public:
  virtual ~IPostprocessingExpressionInterrogator();  // 0
  // Posts message 17002 with the expression when it is not valid.
  virtual bool ValidateExpressionWithMessage(const AString& expr, const DesignSolutionDefinition& dsd) = 0;  // 1
  virtual bool GetExpressionUnitType(Units::UnitType& out, const AString& expr,
                                     const DesignSolutionDefinition& dsd) = 0;  // 2
  virtual bool GetExpressionValueState(ValueState& out, const AString& expr,
                                       const DesignSolutionDefinition& dsd) = 0;  // 3
  // Appends the IDs of the user output variables that the expression uses.
  virtual bool ActivateOutputVariablesOfExpressions(std::vector<long>& ids, const AString& expr,
                                                    const DesignSolutionDefinition& dsd) = 0;  // 4
  virtual bool GetOutermostFunctionName(AString& name, AString& firstArgument, const AString& expr,
                                        const DesignSolutionDefinition& dsd) = 0;  // 5
  virtual bool GetOutermostFunction(const Function*& fn, AString& firstArgument, const AString& expr,
                                    const DesignSolutionDefinition& dsd) = 0;  // 6
  virtual bool GetOutermostFunctionArguments(const Function*& fn, std::vector<AString>& arguments,
                                             const AString& expr, const DesignSolutionDefinition& dsd) = 0;  // 7
  // Appends the quantities behind the expression when every output variable it uses activates.
  virtual bool CanActivateOutputVariables(std::vector<AString>& quantities, const AString& expr,
                                          const DesignSolutionDefinition& dsd) = 0;  // 8
  virtual bool IsExpressionValid(const AString& expr, const DesignSolutionDefinition& dsd,
                                 std::vector<AString>& simValueQuantities) = 0;  // 9
  virtual bool IsExpressionValid(const AString& expr, const DesignSolutionDefinition& dsd,
                                 std::vector<AString>& simValueQuantities, std::vector<AString>& outputVariableNames,
                                 std::vector<AString>& outputVariableTexts) = 0;  // 10
  // One entry per expression in every output.
  virtual void ValidateExpressions(std::vector<bool>& valid, std::vector<std::vector<AString>>& simValueQuantities,
                                   std::vector<std::vector<AString>>& outputVariableNames,
                                   std::vector<std::vector<AString>>& outputVariableTexts,
                                   const std::vector<AString>& expressions,
                                   const DesignSolutionDefinition& dsd) = 0;  // 11
  virtual bool DoesExpressionReduceDimensionDeprecated(const AString& expr,
                                                       const DesignSolutionDefinition& dsd) = 0;  // 12
  virtual bool DoesExpressionReduceDimension(const AString& expr, const DesignSolutionDefinition& dsd) = 0;  // 13
};
