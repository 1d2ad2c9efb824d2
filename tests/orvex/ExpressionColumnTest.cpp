#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <vector>

#include "RepTest.h"
#include "ValueTestDoubles.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/IValueColumnSource.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"

using testvalues::Parser;
using testvalues::Quantity;

namespace {

using C = AComplex<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// S11 (complex), S21 (double, GHz), V (double) and Unread (double, read only point by point) over
// five points with zeros, NaNs, infinities and negatives, and Freq following the point.
class PointRun : public IValueColumnSource {
public:
  static constexpr size_t kPoints = 5;

  PointRun() {
    s11 = p.AddQuantity(L"S11", val::kComplexParam);
    s21 = p.AddQuantity(L"S21", val::kDoubleParam, Units::kGHz);
    v = p.AddQuantity(L"V");
    unread = p.AddQuantity(L"Unread");
    columns[s11] = {C(0.5, -0.5), C(0, 0), C(-1, 2), C(kNaN, 0), C(3, 4)};
    columns[s21] = {C(1, 0), C(2, 0), C(-3, 0), C(kNaN, 0), C(1e300, 0)};
    columns[v] = {C(1.5, 0), C(-2, 0), C(0, 0), C(kNaN, 0), C(kInf, 0)};
    columns[unread] = {C(7, 0), C(-7, 0), C(kNaN, 0), C(0, 0), C(1, 0)};
  }
  ~PointRun() override { SetPoint(-1); }

  bool GetValues(const ValueBase& leaf, size_t n, std::vector<double>& out) override {
    std::vector<C> c;
    if (!GetComplexValues(leaf, n, c)) return false;
    out.clear();
    for (const C& x : c) out.push_back(x.real());
    return true;
  }
  bool GetComplexValues(const ValueBase& leaf, size_t n, std::vector<C>& out) override {
    auto it = columns.find(&leaf);
    if (it == columns.end() || it->first == unread || it->second.size() != n) return false;
    out = it->second;
    return true;
  }
  bool ForEachPoint(size_t n, const std::function<void(size_t)>& atPoint) override {
    if (!canStep) return false;
    ++steppedRuns;
    for (size_t i = 0; i < n; ++i) {
      SetPoint(static_cast<int>(i));
      atPoint(i);
    }
    return true;
  }

  // The quantities' numbers and Freq's value of point i; -1 leaves Freq without a value.
  void SetPoint(int i) {
    Variable* freq = Variable::FindIntrinsic(L"Freq");
    if (m_freqToken) freq->PopCurrentValue(m_freqToken);
    m_freqToken = 0;
    if (i < 0) return;
    for (const auto& [q, values] : columns) p.SetNumber(static_cast<const Quantity*>(q), values[i]);
    m_freqToken = freq->PushCurrentValue(Value(0.5 + i, Units::kGHz));
  }
  std::vector<double> PointByPoint(const Value& value) {
    std::vector<double> out;
    for (size_t i = 0; i < kPoints; ++i) {
      SetPoint(static_cast<int>(i));
      out.push_back(value.GetValue());
    }
    return out;
  }

  Parser p;
  Quantity* s11;
  Quantity* s21;
  Quantity* v;
  Quantity* unread;
  std::map<const ValueBase*, std::vector<C>> columns;
  bool canStep = true;
  int steppedRuns = 0;

private:
  long m_freqToken = 0;
};

}  // namespace

TEST(ExpressionColumn, GivesThePointByPointNumbersBitForBit) {
  PointRun run;
  InstalledParserScope installed(&run.p);
  DatasetServer::GetDesignDatasetServer()->AddDataset(L"Loss");
  struct Case { const wchar_t* text; bool stepped; };
  const Case cases[] = {
      {L"20*log10(mag(S11))", false},
      {L"S21+1GHz", false},  // units to SI and back
      {L"S21/1GHz", false},
      {L"-V^2-V/3+V*V", false},  // unary, power, one chain of + and -
      {L"V*2/V*S11", false},     // a chain real in its first steps, complex after
      {L"S11*V", false},
      {L"real(S11*S11+1)-imag(S11)", false},
      {L"mag(exp(S11))+ang(conj(S11))", false},
      {L"sqrt(V-1)", false},  // real to complex
      {L"(V+1)*(S11-2)", false},
      {L"abs(-S21)*db(S11)", false},
      {L"1/V", false},
      {L"pi*2", false},
      {L"table(Loss, V)*2", false},
      {L"V", false},  // a leaf, no tree
      {L"S21", false},
      {L"S11", false},
      {L"V*Freq", true},  // a variable follows the point
      {L"Freq", true},
      {L"max(V)+S11", true},  // a ranged call reads the dataset of its point
      {L"Unread*2+V", true},  // a leaf the source cannot read as a column
      {L"Unread", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value value(c.text, Units::kNoUnit);
    ASSERT_TRUE(value.IsValidText());
    std::vector<double> byColumn;
    run.steppedRuns = 0;
    ASSERT_TRUE(GetValueColumn(value, run, PointRun::kPoints, byColumn));
    EXPECT_EQ(c.stepped, run.steppedRuns > 0);
    const std::vector<double> byPoint = run.PointByPoint(value);
    ASSERT_EQ(byPoint.size(), byColumn.size());
    for (size_t i = 0; i < byPoint.size(); ++i)
      EXPECT_EQ(0, std::memcmp(&byPoint[i], &byColumn[i], sizeof(double))) << i << ": " << byPoint[i] << " " << byColumn[i];
  }
}

TEST(ExpressionColumn, FailsWhereNeitherAColumnNorThePointsCanBeRead) {
  PointRun run;
  InstalledParserScope installed(&run.p);
  run.canStep = false;
  std::vector<double> out;
  EXPECT_TRUE(GetValueColumn(Value(L"V*2", Units::kNoUnit), run, PointRun::kPoints, out));
  EXPECT_FALSE(GetValueColumn(Value(L"Unread*2", Units::kNoUnit), run, PointRun::kPoints, out));
  EXPECT_FALSE(GetValueColumn(Value(L"V*Freq", Units::kNoUnit), run, PointRun::kPoints, out));
  EXPECT_FALSE(GetValueColumn(Value(), run, PointRun::kPoints, out)) << "an empty value";
}
