// A request for the points of a trace, of which only the subsweep definitions are used.
#pragma once

#include "orvex/core/OrvexApi.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"

class POSTORVEX_API PointsetDefParams {
public:
  PointsetDefParams() = default;

  size_t SubsweepsSize() const { return m_subsweeps.Size(); }
  const SubsweepDefParamsContainer& GetSubsweepDefParamsContainer() const { return m_subsweeps; }
  SubsweepDefParamsContainer& GetSubsweepDefParamsContainerForEdit() { return m_subsweeps; }

private:
  SubsweepDefParamsContainer m_subsweeps;
};
