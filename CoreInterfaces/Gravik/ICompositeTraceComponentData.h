// A composite node of a trace's component tree: children under one expression and composite type.
#pragma once

#include "Gravik/ITraceComponentData.h"

class ICompositeTraceComponentData : public virtual IBaseTraceComponentData {
public:
  ~ICompositeTraceComponentData() override = default;
  virtual unsigned GetNumChildren() const = 0;                                 // 0
  // Past the end: a soft assertion and null.
  virtual const IBaseTraceComponentData* GetChild(unsigned index) const = 0;  // 1
  virtual int GetCompositeType() const = 0;                                    // 2
};
