#include "postorvex/families/DisplayAllTraceFamiliesParameters.h"

#include "orvex/io/Block.h"
#include "postorvex/families/TraceFamiliesDisplayParametersVisitor.h"

io::ReadError DisplayAllTraceFamiliesParameters::DoDataExchange(io::CBlock&, bool) { return io::kNoError; }

TraceFamiliesDisplayParameters* DisplayAllTraceFamiliesParameters::CloneDisplayParams() const {
  return new DisplayAllTraceFamiliesParameters(*this);
}

bool DisplayAllTraceFamiliesParameters::AcceptDisplayParametersVisitor(
    TraceFamiliesDisplayParametersVisitor& visitor) const {
  return visitor.Visit(*this);
}
