#include "postorvex/connectivity/PostpPopulationUtils.h"

#include <algorithm>
#include <cmath>

#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/sweeps/SweepsAbstraction.h"

namespace postp {

std::vector<Variable*> GetDependentVariables(const VariableValues& values) {
  std::vector<Variable*> out;
  for (const auto& entry : values.GetVariableValueMap())
    if (entry.first->IsDependent()) out.push_back(const_cast<Variable*>(entry.first));
  return out;
}

VariableValues GetDependentVariableValues(const VariableValues& values) {
  VariableValues out;
  for (const auto& entry : values.GetVariableValueMap())
    if (entry.first->IsDependent()) out.SetVariableValue(entry.first, entry.second);
  return out;
}

bool DoesConstantVVHaveComputedDependentVV(const VariableValues& point, const VariableValues& dependentValues,
                                           const VariableValues* constantPart) {
  VariableValuesContext current(constantPart ? *constantPart : point);
  for (const auto& entry : point.GetVariableValueMap()) {
    const Variable* variable = entry.first;
    if (!variable->IsDependent()) continue;
    AComplex<double> expected;
    if (const Value* definition = variable->GetDefinition()) {
      expected = definition->GetSIComplexValue();
    } else {
      const Value* given = dependentValues.GetVariableValue(variable);
      if (!given) return false;
      expected = given->GetSIComplexValue();
    }
    const AComplex<double> actual = entry.second.GetSIComplexValue();
    const double scale = std::max(std::abs(expected), std::abs(actual));
    if (!(std::abs(expected - actual) <= 1e-12 * scale)) return false;
  }
  return true;
}

std::vector<Variable*> GetVariablesInVariableValues(const VariableValues& values) {
  std::vector<Variable*> out;
  const auto& map = values.GetVariableValueMap();
  for (auto it = map.rbegin(); it != map.rend(); ++it) out.push_back(const_cast<Variable*>(it->first));
  return out;
}

Variable* GetDeepestVariableInVariableValues(const VariableValues& values) {
  const auto& map = values.GetVariableValueMap();
  return map.empty() ? nullptr : const_cast<Variable*>(map.rbegin()->first);
}

bool AddNonPrimarySpecialVariablesToConnectivityIfNeeded(SPS2Connectivity& connectivity,
                                                         const SweepsVarInfoAbstraction* info) {
  if (!info) return false;
  bool added = false;
  for (unsigned i = 1; i < info->GetNumVariables(); ++i)
    if (info->IsVariableSpecial(i)) added = connectivity.AddSpecialVariable(info->GetVariable(i)) || added;
  return added;
}

bool IsMatrixParamType(val::ParameterType type) { return type >= 16 && type <= 18; }

val::ParameterType GetBasicParamType(val::ParameterType type) {
  switch (static_cast<int>(type)) {
    case 16:
      return static_cast<val::ParameterType>(1);
    case 17:
      return static_cast<val::ParameterType>(2);
    case 18:
      return static_cast<val::ParameterType>(10);
    default:
      return type;
  }
}

val::ParameterType GetParameterTypeFromValueAccountForMatrixType(const Value& value) {
  return GetBasicParamType(value.GetParameterType());
}

}  // namespace postp
