// Every family of a trace shown as its own curves; no settings.
#pragma once

#include "postorvex/families/TraceFamiliesDisplayParameters.h"

class POSTORVEX_API DisplayAllTraceFamiliesParameters : public TraceFamiliesDisplayParameters {
public:
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;
  TraceFamiliesDisplayParameters* CloneDisplayParams() const override;
  bool AcceptDisplayParametersVisitor(TraceFamiliesDisplayParametersVisitor& visitor) const override;
};
