// A trace whose data is stored with it: imported from a file or carried in the export form.
#pragma once

#include "Gravik/IBaseTraceDefinition.h"

namespace rep {

class IImportedTraceDefinition : public virtual IBaseTraceDefinition {
public:
  ~IImportedTraceDefinition() override = default;
  virtual AString GetSourceDescription() const = 0;  // 0
  virtual AString GetPrimarySweepName() const = 0;   // 1
};

}  // namespace rep
