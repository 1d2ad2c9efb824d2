// Answers the type parameters of a solution's quantities.
#pragma once

#include <memory>

#include "orvex/core/AString.h"

class BaseQuantityTypeParam;
class ReportTypeSolutionDefinition;

class IQuantityTypeProvider {
public:
  virtual ~IQuantityTypeProvider() = default;  // 0
  // False for an unknown quantity.
  virtual bool GetQuantityTypeParam(std::unique_ptr<BaseQuantityTypeParam>& out, const AString& quantity,
                                    const ReportTypeSolutionDefinition& def, long version) = 0;  // 1
};
