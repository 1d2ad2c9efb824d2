// Which sweep values a computed trace plots: fixed-variable families and subsweep definitions.
#pragma once

#include <vector>

#include "orvex/core/AString.h"

class SubsweepDefParamsContainer;
class VariableValuesDefParams;

namespace rep {

class IPointsetDefinition {
public:
  virtual ~IPointsetDefinition() = default;                                                  // 0
  virtual IPointsetDefinition* Clone() const = 0;                                             // 1
  virtual void CopyFrom(const IPointsetDefinition& other) = 0;                                // 2
  virtual AString GetBlockName() const = 0;                                                   // 3
  virtual const SubsweepDefParamsContainer& GetSubsweepDefParamsContainer() const = 0;        // 4
  virtual unsigned GetVariableValuesDefParams(std::vector<VariableValuesDefParams>& out) const = 0;  // 5
  virtual const SubsweepDefParamsContainer& GetSpecifiableSubsweepsIfInFamilies() const = 0;  // 6
};

}  // namespace rep
