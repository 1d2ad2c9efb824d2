#include "postorvex/sweeps/PostpSweepUtils.h"

#include "postorvex/sweeps/SweepBase.h"

namespace postp {

SweepBase* FindSweepInVector(const std::vector<SweepBase*>& sweeps, const AString& name) {
  for (SweepBase* s : sweeps)
    if (s && s->GetName().CompareNoCase(name) == 0) return s;
  return nullptr;
}

SweepBase* FindSweepInVector(const std::vector<SweepBase*>& sweeps, const Variable* variable) {
  if (!variable) return nullptr;
  for (SweepBase* s : sweeps)
    if (s && s->GetVariable(0) == variable) return s;
  return nullptr;
}

}  // namespace postp
