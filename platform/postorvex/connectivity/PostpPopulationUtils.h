// Helpers of population: dependent variables, the levels of a variation, special sweep levels
// and matrix parameter types.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/ValueCodes.h"
#include "orvex/values/VariableValues.h"

class SPS2Connectivity;
class SweepsVarInfoAbstraction;
class Value;
class Variable;

namespace postp {

// The variables with IsDependent, in map order, and their values.
POSTORVEX_API std::vector<Variable*> GetDependentVariables(const VariableValues& values);
POSTORVEX_API VariableValues GetDependentVariableValues(const VariableValues& values);
// Every dependent variable the point names has the value its definition gives with the
// constant part (or, when null, the point) current, relative 1e-12; a dependent variable
// without a definition is compared with `dependentValues`.
POSTORVEX_API bool DoesConstantVVHaveComputedDependentVV(const VariableValues& point,
                                                        const VariableValues& dependentValues,
                                                        const VariableValues* constantPart);
// The keys from the last to the first.
POSTORVEX_API std::vector<Variable*> GetVariablesInVariableValues(const VariableValues& values);
// The last key in map order; null when empty.
POSTORVEX_API Variable* GetDeepestVariableInVariableValues(const VariableValues& values);
// Each special variable other than variable 0 becomes, once, a deepest level of the
// connectivity; true when one was added.
POSTORVEX_API bool AddNonPrimarySpecialVariablesToConnectivityIfNeeded(SPS2Connectivity& connectivity,
                                                                      const SweepsVarInfoAbstraction* info);

// 16, 17 and 18.
POSTORVEX_API bool IsMatrixParamType(val::ParameterType type);
// 16 -> 1, 17 -> 2, 18 -> 10, others unchanged.
POSTORVEX_API val::ParameterType GetBasicParamType(val::ParameterType type);
// The element type of the value, so a matrix component gets a scalar column.
POSTORVEX_API val::ParameterType GetParameterTypeFromValueAccountForMatrixType(const Value& value);

}  // namespace postp
