// Gives the leaves of an expression their values over a run of points at once, so that a tree is
// walked once per run instead of once per point (see ExprNode::EvalSIColumn).
#pragma once

#include <cstddef>
#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"

class Value;
class ValueBase;

class ORVEX_API IValueColumnSource {
public:
  virtual ~IValueColumnSource();
  // What `leaf`.GetValue() answers at each of the run's `n` points, in order; false when the
  // leaf's value can only be had point by point.
  virtual bool GetValues(const ValueBase& leaf, size_t n, std::vector<double>& out) = 0;
  // The same for GetComplexValue().
  virtual bool GetComplexValues(const ValueBase& leaf, size_t n, std::vector<AComplex<double>>& out) = 0;
};

// `v`.GetValue() at each of the run's `n` points, bit for bit; false (out unspecified) when the
// value is no expression tree or some part of it goes point by point.
ORVEX_API bool GetValueColumn(const Value& v, IValueColumnSource& leaves, size_t n, std::vector<double>& out);
