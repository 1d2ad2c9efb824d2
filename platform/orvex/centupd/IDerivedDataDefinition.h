// A solution's load definition: which derived data of a solution one report type needs.
#pragma once

#include "orvex/core/OrvexApi.h"

class ReportTypeSolutionDefinition;

class ORVEX_API IDerivedDataDefinition {
public:
  // The definition's own match against a report type of a solution.
  virtual bool Matches(const ReportTypeSolutionDefinition& target) const = 0;  // 0
  virtual ~IDerivedDataDefinition();                                           // 1
  // A new copy owned by the caller.
  virtual IDerivedDataDefinition* Clone() const = 0;                           // 2
  // The same definition: load units under both may be merged.
  virtual bool IsSame(const IDerivedDataDefinition& other) const = 0;          // 3
};
