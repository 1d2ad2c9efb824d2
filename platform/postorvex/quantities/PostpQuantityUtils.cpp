#include "postorvex/quantities/PostpQuantityUtils.h"

#include "orvex/io/BlockFunc.h"
#include "orvex/values/ValueState.h"
#include "postorvex/quantities/CompositeQuantityTypeParam.h"

namespace postp {

void WriteValueState(io::CBlock_func& func, const ValueState& state) {
  func << static_cast<int>(state.GetParameterType()) << static_cast<int>(state.GetUnitType())
       << static_cast<int>(state.GetDBType()) << static_cast<int>(state.GetFullUnitType());
}

bool ReadValueState(const io::CBlock_func& func, ValueState& state) {
  int type = 0;
  int category = 0;
  int db = 0;
  if (!func.QueryArg(0, type) || !func.QueryArg(1, category) || !func.QueryArg(2, db)) return false;
  int full = Units::GetDefaultUnits(category);
  // A fourth argument that is there must be a unit; only a missing one takes the default.
  if (func.GetNumArgs() > 3 && func.GetArgKind(3) == io::CBlock_func::kUnnamedValue && !func.QueryArg(3, full))
    return false;
  if (!Units::IsKnown(full)) return false;
  state = ValueState(type, category, db, full);
  return true;
}

bool IsCompositeQuantityType(const BaseQuantityTypeParam* param) {
  return dynamic_cast<const CompositeQuantityTypeParam*>(param) != nullptr;
}

void GetLeafConstituentQuantities(const BaseQuantityTypeParam& param, std::vector<AString>& leaves) {
  const auto* composite = dynamic_cast<const CompositeQuantityTypeParam*>(&param);
  if (!composite) return;
  for (size_t i = 0; i < composite->GetNumConstituents(); ++i) {
    const BaseQuantityTypeParam* constituent = composite->GetConstituentQuantityTypeParam(i);
    if (IsCompositeQuantityType(constituent)) {
      GetLeafConstituentQuantities(*constituent, leaves);
      continue;
    }
    leaves.push_back(composite->GetConstituentQuantityName(i));
  }
}

}  // namespace postp
