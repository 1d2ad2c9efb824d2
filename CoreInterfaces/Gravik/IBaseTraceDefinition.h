// The common face of every trace definition, computed or imported.
#pragma once

#include "orvex/core/AString.h"

class ExtTraceInfo;
class TraceFamiliesDisplayParameters;

namespace rep {

class ITraceComponentDefinition;

class IBaseTraceDefinition {
public:
  virtual ~IBaseTraceDefinition() = default;                                          // 0
  virtual long GetID() const = 0;                                                      // 1
  virtual unsigned GetNumComponents() const = 0;                                       // 2
  virtual const ITraceComponentDefinition* GetComponent(unsigned index) const = 0;     // 3
  virtual ExtTraceInfo GetExtendedTraceInfo() const = 0;                               // 4
  virtual const TraceFamiliesDisplayParameters* GetFamiliesDisplayParams() const = 0;  // 5
  virtual void SetExtendedTraceInfo(const ExtTraceInfo& info) = 0;                     // 6
  virtual IBaseTraceDefinition* CloneDefinition() const = 0;                           // 7
  virtual void CopyFrom(const IBaseTraceDefinition& from) = 0;                         // 8
  virtual bool ValidateDefinition(bool checkExpressions) = 0;                          // 9
  virtual AString GetName() const = 0;                                                 // 10
  virtual bool GetIsNameTiedToExpressionFlag() const = 0;                              // 11
  // 1 computed, 2 imported.
  virtual int GetTraceDefinitionType() const = 0;                                      // 12
};

}  // namespace rep
