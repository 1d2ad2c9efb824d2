// One report: an undoable name and ID and an ordered list of trace definitions.
#pragma once

#include <vector>

#include "orvex/core/AString.h"

class IVelmorCommand;

namespace rep {

class IBaseTraceDefinition;

class IReportDefinition {
public:
  virtual ~IReportDefinition() = default;                                    // 0
  virtual long GetReportID() const = 0;                                       // 1
  virtual AString GetReportName() const = 0;                                  // 2
  virtual void GetTraceIDs(std::vector<long>& ids) const = 0;                 // 3
  virtual IBaseTraceDefinition* GetTraceDefinition(long traceID) const = 0;   // 4
  virtual IReportDefinition* Clone() const = 0;                               // 5
  virtual void CopyFrom(const IReportDefinition& from) = 0;                   // 6
  virtual bool ValidateDefinition() = 0;                                      // 7
};

}  // namespace rep
