#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"

#include "orvex/io/Block.h"
#include "postorvex/families/TraceFamiliesDisplayParametersVisitor.h"

DisplayHistogramAcrossTraceFamiliesParameters::DisplayHistogramAcrossTraceFamiliesParameters()
    : m_sampleAt(0.0, Units::kNoUnit), m_numBins(kDefaultNumBins) {}

io::ReadError DisplayHistogramAcrossTraceFamiliesParameters::DoDataExchange(io::CBlock& block, bool read) {
  AString text = m_sampleAt.GetValueText();
  int units = m_sampleAt.GetUnits();
  unsigned numBins = m_numBins;
  if (!read) {
    io::DoDataExchange(block, false, ACHAR("SampleAt"), text, io::kReturnCode);
    io::DoDataExchange(block, false, ACHAR("SampleAtUnits"), units, io::kReturnCode);
    io::DoDataExchange(block, false, ACHAR("NumBins"), numBins, io::kReturnCode);
    return io::kNoError;
  }
  // Each item that is missing or damaged keeps what was held; the first error is answered.
  io::ReadError result = io::kNoError;
  auto note = [&result](io::ReadError e) {
    if (result == io::kNoError) result = e;
    return e == io::kNoError;
  };
  bool haveText = note(io::DoDataExchange(block, true, ACHAR("SampleAt"), text, io::kReturnCode));
  bool haveUnits = note(io::DoDataExchange(block, true, ACHAR("SampleAtUnits"), units, io::kReturnCode));
  if (haveText && haveUnits) {
    Value v(units);
    if (note(v.SetValueText(text, units) ? io::kNoError : 1)) m_sampleAt = v;
  }
  if (note(io::DoDataExchange(block, true, ACHAR("NumBins"), numBins, io::kReturnCode))) m_numBins = numBins;
  block.ResetFound(result == io::kNoError);
  return result;
}

TraceFamiliesDisplayParameters* DisplayHistogramAcrossTraceFamiliesParameters::CloneDisplayParams() const {
  return new DisplayHistogramAcrossTraceFamiliesParameters(*this);
}

bool DisplayHistogramAcrossTraceFamiliesParameters::AcceptDisplayParametersVisitor(
    TraceFamiliesDisplayParametersVisitor& visitor) const {
  return visitor.Visit(*this);
}
