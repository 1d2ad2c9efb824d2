#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <vector>

#include "RepTest.h"
#include "ValueTestDoubles.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/IValueColumnSource.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/Value.h"

using testvalues::Parser;
using testvalues::Quantity;

namespace {

using C = AComplex<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// The quantities' values at each point of a run; a quantity it has no column for is refused.
class Columns : public IValueColumnSource {
public:
  bool GetValues(const ValueBase& leaf, size_t n, std::vector<double>& out) override {
    std::vector<C> c;
    if (!GetComplexValues(leaf, n, c)) return false;
    out.clear();
    for (const C& v : c) out.push_back(v.real());
    return true;
  }
  bool GetComplexValues(const ValueBase& leaf, size_t n, std::vector<C>& out) override {
    auto it = columns.find(&leaf);
    if (it == columns.end() || it->second.size() != n) return false;
    out = it->second;
    return true;
  }
  std::map<const ValueBase*, std::vector<C>> columns;
};

// S11 (complex), S21 (double, GHz), V and Refused (double) over five points with zeros, NaNs and
// negatives; Refused has no column.
struct PointRun {
  PointRun() {
    s11 = p.AddQuantity(L"S11", val::kComplexParam);
    s21 = p.AddQuantity(L"S21", val::kDoubleParam, Units::kGHz);
    v = p.AddQuantity(L"V");
    p.AddQuantity(L"Refused");
    columns.columns[s11] = {C(0.5, -0.5), C(0, 0), C(-1, 2), C(kNaN, 0), C(3, 4)};
    columns.columns[s21] = {C(1, 0), C(2, 0), C(-3, 0), C(kNaN, 0), C(1e300, 0)};
    columns.columns[v] = {C(1.5, 0), C(-2, 0), C(0, 0), C(kNaN, 0), C(kInf, 0)};
  }
  static constexpr size_t kPoints = 5;

  // GetValue at each point, the quantities set one point at a time.
  std::vector<double> PointByPoint(const Value& value) {
    std::vector<double> out;
    for (size_t i = 0; i < kPoints; ++i) {
      for (Quantity* q : {s11, s21, v}) p.SetNumber(q, columns.columns[q][i]);
      out.push_back(value.GetValue());
    }
    return out;
  }

  Parser p;
  Columns columns;
  Quantity* s11;
  Quantity* s21;
  Quantity* v;
};

}  // namespace

TEST(ExpressionColumn, GivesThePointByPointNumbersBitForBit) {
  PointRun run;
  InstalledParserScope installed(&run.p);
  const wchar_t* texts[] = {
      L"20*log10(mag(S11))",
      L"S21+1GHz",            // units to SI and back
      L"S21/1GHz",
      L"-V^2-V/3+V*V",        // unary, power, one chain of + and -
      L"V*2/V*S11",           // a chain real in its first steps, complex after
      L"S11*V",
      L"real(S11*S11+1)-imag(S11)",
      L"mag(exp(S11))+ang(conj(S11))",
      L"sqrt(V-1)",           // real to complex
      L"(V+1)*(S11-2)",
      L"abs(-S21)*db(S11)",
      L"1/V",
      L"pi*2",
      L"table(Loss, V)*2",
  };
  DatasetServer::GetDesignDatasetServer()->AddDataset(L"Loss");
  for (const wchar_t* text : texts) {
    SCOPED_TRACE(AString(text).ToUtf8());
    Value value(text, Units::kNoUnit);
    ASSERT_TRUE(value.IsValidText());
    std::vector<double> byColumn;
    ASSERT_TRUE(GetValueColumn(value, run.columns, PointRun::kPoints, byColumn));
    const std::vector<double> byPoint = run.PointByPoint(value);
    ASSERT_EQ(byPoint.size(), byColumn.size());
    for (size_t i = 0; i < byPoint.size(); ++i)
      EXPECT_EQ(0, std::memcmp(&byPoint[i], &byColumn[i], sizeof(double))) << i << ": " << byPoint[i] << " " << byColumn[i];
  }
}

TEST(ExpressionColumn, WhatFollowsThePointIsLeftToThePointByPointWalk) {
  PointRun run;
  InstalledParserScope installed(&run.p);
  struct Case { const wchar_t* text; const char* why; };
  const Case cases[] = {
      {L"V*Freq", "a variable's current value may change from point to point"},
      {L"max(V)+1", "a ranged call reads the dataset of its point"},
      {L"Refused*2", "a leaf the source has no column for"},
      {L"V", "no expression tree"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Value value(c.text, Units::kNoUnit);
    ASSERT_TRUE(value.IsValidText());
    std::vector<double> out;
    EXPECT_FALSE(GetValueColumn(value, run.columns, PointRun::kPoints, out));
  }
  std::vector<double> out;
  EXPECT_FALSE(GetValueColumn(Value(), run.columns, PointRun::kPoints, out));
}
