// Gives the leaves of an expression their values over a run of points at once, so that a tree is
// walked once per run instead of once per point (see ExprNode::EvalSIColumn).
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"

class Value;
class ValueBase;

class ORVEX_API IValueColumnSource {
public:
  virtual ~IValueColumnSource();
  // What `leaf`.GetValue() answers at each of the run's `n` points, in order, read as a column;
  // false when the leaf can only be read point by point.
  virtual bool GetValues(const ValueBase& leaf, size_t n, std::vector<double>& out) = 0;
  // The same for GetComplexValue().
  virtual bool GetComplexValues(const ValueBase& leaf, size_t n, std::vector<AComplex<double>>& out) = 0;
  // Makes each of the run's `n` points current in turn, as a point by point walk does, and calls
  // `atPoint` with its index; false when the source cannot.
  virtual bool ForEachPoint(size_t n, const std::function<void(size_t)>& atPoint) = 0;
};

// `v`.GetValue() at each of the run's `n` points, bit for bit: what the source reads as columns is
// read so, the rest (variables, ranged calls, other leaves) point by point. False (out unspecified)
// when the value is empty or the source cannot step through its points.
ORVEX_API bool GetValueColumn(const Value& v, IValueColumnSource& leaves, size_t n, std::vector<double>& out);
