#include "postorvex/families/TraceFamiliesDisplayParametersVisitor.h"

#include "postorvex/families/DisplayAllTraceFamiliesParameters.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"

TraceFamiliesDisplayParametersVisitor::~TraceFamiliesDisplayParametersVisitor() = default;

bool TraceFamiliesDisplayParametersVisitor::Visit(const DisplayHistogramAcrossTraceFamiliesParameters& p) {
  return Visit(static_cast<const TraceFamiliesDisplayParameters&>(p));
}

bool TraceFamiliesDisplayParametersVisitor::Visit(const DisplayStatisticsOfTraceFamiliesParameters& p) {
  return Visit(static_cast<const TraceFamiliesDisplayParameters&>(p));
}

bool TraceFamiliesDisplayParametersVisitor::Visit(const DisplayAllTraceFamiliesParameters& p) {
  return Visit(static_cast<const TraceFamiliesDisplayParameters&>(p));
}

bool TraceFamiliesDisplayParametersVisitor::Visit(const TraceFamiliesDisplayParameters&) { return false; }
