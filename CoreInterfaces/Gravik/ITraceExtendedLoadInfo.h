// What a trace's update object tells the product about a load unit it asked for.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "orvex/centupd/IExtendedLoadInfo.h"
#include "orvex/core/AString.h"
#include "orvex/core/IInterfaceQueriable.h"
#include "orvex/values/VariableValues.h"

class Column;
class ISolutionContextObject;
class SweepsIteratorBase;

namespace rep {

class SubsweepsAdapter;

typedef std::map<AString, long, AString::NoCaseLess> QuantityIDMap;

class ITraceExtendedLoadInfo : public virtual IExtendedLoadInfo, public virtual IInterfaceQueriable {
public:
  // Replaces the caller's map; answers the number of entries.
  virtual unsigned GetQuantityMap(QuantityIDMap& out) const = 0;                                        // 0
  virtual long GetTraceDefinitionID() const = 0;                                                         // 1
  virtual SubsweepsAdapter* GetSubsweeps() const = 0;                                                    // 2
  virtual std::unique_ptr<ISolutionContextObject> CloneSolutionContext() const = 0;                      // 3
  // Replaces the caller's list; answers the number of explicit variations.
  virtual unsigned GetVariableValuesList(std::vector<VariableValues>& out) const = 0;                    // 4
  virtual std::unique_ptr<SweepsIteratorBase> CreateMinorSweepsIteratorExcludingSpecialsAndPrimary() const = 0;  // 5
  // Null when there are no subsweeps; else the first subsweep's values (not a copy).
  virtual const Column* GetPrimarySweepColumn() const = 0;                                               // 6
};

}  // namespace rep
