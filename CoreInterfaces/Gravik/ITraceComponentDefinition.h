// One dimension of a trace: the text of its expression.
#pragma once

#include "orvex/core/AString.h"

namespace rep {

class ITraceComponentDefinition {
public:
  virtual ~ITraceComponentDefinition() = default;                        // 0
  virtual AString GetExpression() const = 0;                              // 1
  virtual ITraceComponentDefinition* Clone() const = 0;                   // 2
  virtual void CopyFrom(const ITraceComponentDefinition& other) = 0;      // 3
};

}  // namespace rep
