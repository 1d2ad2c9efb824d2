#include "postorvex/families/TraceFamiliesDisplayParameters.h"

#include "postorvex/families/TraceFamiliesDisplayParametersVisitor.h"

TraceFamiliesDisplayParameters::~TraceFamiliesDisplayParameters() = default;

bool TraceFamiliesDisplayParameters::AcceptDisplayParametersVisitor(TraceFamiliesDisplayParametersVisitor& visitor) const {
  return visitor.Visit(*this);
}
