// A computed trace: its design and solution and the point set it plots.
#pragma once

#include "Gravik/IBaseTraceDefinition.h"

class DesignSolutionDefinition;

namespace rep {

class IPointsetDefinition;

class ITraceDefinition : public virtual IBaseTraceDefinition {
public:
  ~ITraceDefinition() override = default;
  virtual DesignSolutionDefinition GetDesignSolutionDefinition() const = 0;  // 0
  virtual const IPointsetDefinition* GetPointsetDefinition() const = 0;      // 1
  virtual AString GetBlockName() const = 0;                                  // 2
};

}  // namespace rep
