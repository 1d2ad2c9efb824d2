// One sweep point of a solution: its variation, its parent load definitions, its pushed values.
#pragma once

#include <vector>

#include "orvex/core/AutoVectorOfClonablePtrs.h"

class VariableValues;
class IDerivedDataDefinition;
class ISimValueQuantityValueContainer;
class IExtendedLoadInfo;
class IProgressMonitor;

class ISolutionInstanceForReports {
public:
  virtual ~ISolutionInstanceForReports() = default;  // 0
  virtual void Reserved1() {}                        // 1
  virtual void Reserved2() {}                        // 2
  virtual void GetVariableValues(VariableValues& out) const = 0;  // 3
  virtual void Reserved4() {}                        // 4
  virtual void Reserved5() {}                        // 5
  virtual void GetParentLoadDefinitions(AutoVectorOfClonablePtrs<IDerivedDataDefinition>& parents,
                                        std::vector<long>& versionIDs) const = 0;  // 6
  // The product pushes this point's values through the container.
  virtual bool PopulateQuantityValues(ISimValueQuantityValueContainer* container, IExtendedLoadInfo* info,
                                      IProgressMonitor* monitor) = 0;  // 7
};
