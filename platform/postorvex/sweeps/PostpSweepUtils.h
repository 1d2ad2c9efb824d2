// Lookups of a solution's sweeps by name or by variable.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class SweepBase;
class Variable;

namespace postp {

// The first sweep whose name equals `name` without regard to case; null when none.
POSTORVEX_API SweepBase* FindSweepInVector(const std::vector<SweepBase*>& sweeps, const AString& name);
// The first sweep whose variable 0 is `variable`; null when none or when `variable` is null.
POSTORVEX_API SweepBase* FindSweepInVector(const std::vector<SweepBase*>& sweeps, const Variable* variable);

}  // namespace postp
