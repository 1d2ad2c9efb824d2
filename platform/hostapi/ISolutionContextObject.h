// The auxiliary object a solution builds beside a load definition.
#pragma once

class ISolutionContextObject {
public:
  virtual ~ISolutionContextObject() = default;           // 0
  virtual ISolutionContextObject* Clone() const = 0;     // 1
};
