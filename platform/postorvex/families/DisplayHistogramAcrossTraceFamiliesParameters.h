// A histogram across the families of a trace, sampled at one value of the primary sweep.
#pragma once

#include "orvex/values/Value.h"
#include "postorvex/families/TraceFamiliesDisplayParameters.h"

class POSTORVEX_API DisplayHistogramAcrossTraceFamiliesParameters : public TraceFamiliesDisplayParameters {
public:
  static constexpr unsigned kDefaultNumBins = 10;

  // Sampled at 0 (unit 90), 10 bins.
  DisplayHistogramAcrossTraceFamiliesParameters();

  // Keys "SampleAt" (the value's text), "SampleAtUnits" (int) and "NumBins" (unsigned).
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;
  TraceFamiliesDisplayParameters* CloneDisplayParams() const override;
  bool AcceptDisplayParametersVisitor(TraceFamiliesDisplayParametersVisitor& visitor) const override;

  const Value& GetValueToSampleAt() const { return m_sampleAt; }
  void SetValueToSampleAt(const Value& v) { m_sampleAt = v; }
  unsigned GetNumberOfBins() const { return m_numBins; }
  void SetNumberOfBins(unsigned n) { m_numBins = n; }

private:
  Value m_sampleAt;
  unsigned m_numBins;
};
