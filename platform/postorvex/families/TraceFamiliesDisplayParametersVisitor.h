// Dispatch on the kind of a trace's families display parameters.
#pragma once

#include "orvex/core/OrvexApi.h"

class TraceFamiliesDisplayParameters;
class DisplayHistogramAcrossTraceFamiliesParameters;
class DisplayStatisticsOfTraceFamiliesParameters;
class DisplayAllTraceFamiliesParameters;

// Each kind falls back to the handler of the base kind, so a visitor overrides only the kinds
// it treats differently; the base handler answers false.
class POSTORVEX_API TraceFamiliesDisplayParametersVisitor {
public:
  virtual ~TraceFamiliesDisplayParametersVisitor();                              // 0
  virtual bool Visit(const DisplayHistogramAcrossTraceFamiliesParameters& p);     // 1
  virtual bool Visit(const DisplayStatisticsOfTraceFamiliesParameters& p);        // 2
  virtual bool Visit(const DisplayAllTraceFamiliesParameters& p);                 // 3
  virtual bool Visit(const TraceFamiliesDisplayParameters& p);                    // 4, any other kind
};
