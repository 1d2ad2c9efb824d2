// Adapters between the engine and the core library's expression machinery.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/values/ValueTextGenerator.h"

class Function;

// While the text generator walks an expression, notes whether any function in it reduces the
// dimension of its data.
class RangeFnDimReduceDetectorStrategy : public DefaultValueTextGeneratorStrategy {
public:
  RangeFnDimReduceDetectorStrategy();
  ~RangeFnDimReduceDetectorStrategy() override;

  // Once set, the flag stays: one reducing function anywhere is enough.
  bool FunctionValueToString(const Function& f, const std::vector<AString>& argTexts, AString& out) override;
  // The flag becomes what the texts that are not constants or plain variables say on their own.
  void DoVariablesReduceDimension(const AString& yText, const AString& xText) override;

  bool GetResult() const { return m_result; }

private:
  bool m_result = false;
};
