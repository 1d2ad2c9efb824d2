// An update object that belongs to one object and one solution, so that it can be found by them.
#pragma once

#include "orvex/centupd/ICentralizedUpdateObject.h"

class ORVEX_API ISolutionPointSetUpdateObject : public virtual ICentralizedUpdateObject {
public:
  ~ISolutionPointSetUpdateObject() override;
  virtual long GetObjectID() const = 0;    // 0
  virtual long GetSolutionID() const = 0;  // 1
};
