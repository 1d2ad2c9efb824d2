// Columns and variables shared by the sweep-cache and cache-file tests.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "RepTest.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/columns/Column.h"

namespace cachetest {

inline std::unique_ptr<Column> Doubles(std::vector<double> values, Units::FullUnitType units = Units::kGHz) {
  auto c = std::make_unique<DoubleColumn>(units);
  c->AppendValues(values);
  return c;
}

inline std::unique_ptr<Column> Orders(std::vector<char> values) {
  auto c = std::make_unique<CharColumn>();
  c->GetValues() = values;
  return c;
}

// The column's doubles, NaN for invalid entries.
inline std::vector<double> ValuesOf(const Column* c) {
  if (!c || !c->GetDoubleColumn()) return {};
  return c->GetDoubleColumn()->GetValues();
}

// Element-wise, NaN equal to NaN.
inline ::testing::AssertionResult SameDoubles(const std::vector<double>& expected, const std::vector<double>& actual) {
  bool same = expected.size() == actual.size();
  for (size_t i = 0; same && i < expected.size(); ++i)
    same = (std::isnan(expected[i]) && std::isnan(actual[i])) || expected[i] == actual[i];
  if (same) return ::testing::AssertionSuccess();
  ::testing::AssertionResult r = ::testing::AssertionFailure() << "expected {";
  for (double d : expected) r << d << " ";
  r << "} got {";
  for (double d : actual) r << d << " ";
  return r << "}";
}

inline VariableValues At(std::initializer_list<std::pair<const Variable*, double>> values) {
  VariableValues vv;
  for (const auto& p : values) vv.SetVariableValue(p.first, Value(p.second, p.first->GetUnits()));
  return vv;
}

}  // namespace cachetest
