// Block form of value states and the shape of quantity type parameters.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class BaseQuantityTypeParam;
class ValueState;
namespace io {
class CBlock_func;
}  // namespace io

namespace postp {

// Appends four unnamed ints: parameter type, unit category, database type, full unit type.
POSTORVEX_API void WriteValueState(io::CBlock_func& func, const ValueState& state);
// Reads the first four unnamed arguments; with three, the unit is the category's default. False,
// and `state` unchanged, when fewer than three ints lead the item or the unit is not a known one.
POSTORVEX_API bool ReadValueState(const io::CBlock_func& func, ValueState& state);

// A CompositeQuantityTypeParam; false for null.
POSTORVEX_API bool IsCompositeQuantityType(const BaseQuantityTypeParam* param);
// Appends the names of the constituents that are not composite, depth first through nested
// composites; a parameter that is not composite appends nothing.
POSTORVEX_API void GetLeafConstituentQuantities(const BaseQuantityTypeParam& param, std::vector<AString>& leaves);

}  // namespace postp
