#include "tracedata/TraceDataPostprocessor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <list>

#include "reports/BaseTraceDefinition.h"
#include "tracedata/ConcreteTraceData.h"
#include "Gravik/IBaseTraceDefinition.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "quantities/RangedFunctionEvaluationHelper.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/values/Function.h"
#include "orvex/values/Interpolation.h"
#include "orvex/values/Units.h"
#include "orvex/values/Value.h"
#include "postorvex/columns/CharColumn.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/DigitalColumn.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/families/DisplayAllTraceFamiliesParameters.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"
#include "postorvex/families/TraceFamiliesDisplayParameters.h"

namespace rep {

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr Units::FullUnitType kCountUnits = Units::kNoUnit;
constexpr unsigned kHistogramTraceType = 6;
constexpr int kFamiliesMessageID = 24464;
// More bins than any plot can show: a count read from a damaged project is refused, not made.
constexpr unsigned kMaxHistogramBins = 1u << 20;

const wchar_t* const kCurvesIgnored =
    L"Some curves are ignored for statistical calculations as they fall outside the calculation bounds.";
const wchar_t* const kStatisticsError = L"Error generating statistics of families. Plotting all families instead.";
const wchar_t* const kHistogramError = L"Error generating histogram of families. Plotting all families instead.";
const wchar_t* const kNumberOfOutcomes = L"Number of outcomes";

void PostFamiliesMessage(const wchar_t* text) {
  VelmorMessage message(1, 0, kFamiliesMessageID, 1, 6, MessageManagerStrings::kNullStr,
                        MessageManagerStrings::kNullStr, false);
  message.AddArg(text, 0);
  if (IMessageManager* manager = GetGlobalIMessageManager()) manager->PostMessage(message);
}

const DoubleColumn* DoubleDataColumn(const ITraceData& data, unsigned dim) {
  const Column* column = data.GetDataColumn(dim);
  return column ? column->GetDoubleColumn() : nullptr;
}

// The interpolation orders of component 1, read where they lie: a character column as it is, any
// other digital column once as whole numbers.
class InterpolationOrders {
public:
  explicit InterpolationOrders(const Column* column) {
    if (!column) return;
    if (const CharColumn* chars = column->GetCharColumn()) {
      m_chars = chars->GetValues().data();
      m_count = chars->GetCount();
      return;
    }
    const auto* digital = dynamic_cast<const DigitalColumn*>(column);
    if (!digital) return;
    m_longs.reserve(digital->GetCount());
    for (size_t i = 0; i < digital->GetCount(); ++i) {
      const double v = digital->GetEntryAsDouble(i);
      m_longs.push_back(std::isnan(v) ? 1 : static_cast<long>(v));
    }
    m_count = m_longs.size();
  }

  // A curve's points past the end of the orders count as 1. Resampled at numPoints values from lo
  // to hi into xOut, or, when `at` is given, at its numPoints values.
  bool Resample(const double* x, const double* y, size_t offset, size_t n, double lo, double hi, int numPoints,
                const double* at, double* xOut, double* yOut) const {
    const size_t numOrders = offset < m_count ? std::min(n, m_count - offset) : 0;
    if (m_chars) return Resample(x + offset, y + offset, n, numOrders ? m_chars + offset : nullptr, numOrders, lo, hi,
                                 numPoints, at, xOut, yOut);
    return Resample(x + offset, y + offset, n, numOrders ? m_longs.data() + offset : nullptr, numOrders, lo, hi,
                    numPoints, at, xOut, yOut);
  }

private:
  template <class Order>
  static bool Resample(const double* x, const double* y, size_t n, const Order* orders, size_t numOrders, double lo,
                       double hi, int numPoints, const double* at, double* xOut, double* yOut) {
    if (at) return core::interp_specified_time_in_place(x, y, n, orders, numOrders, at, numPoints, yOut);
    return core::interpolate_time_data_in_place(x, y, n, orders, numOrders, lo, hi, numPoints, xOut, yOut);
  }

  const char* m_chars = nullptr;  // the column's own values
  std::vector<long> m_longs;
  size_t m_count = 0;
};

}  // namespace

TraceDataPostprocessor::TraceDataPostprocessor(ITraceData* basicTraceData, IBaseTraceDefinition* baseTraceDef)
    : m_basicTraceData(basicTraceData), m_baseTraceDef(baseTraceDef) {
  ORVEX_ASSERT(m_basicTraceData);
  ORVEX_ASSERT(m_baseTraceDef);
}

ITraceData* TraceDataPostprocessor::CreatePostprocessedTraceData(IProgressMonitor*) {
  if (!m_basicTraceData || !m_baseTraceDef) return nullptr;
  const TraceFamiliesDisplayParameters* params = m_baseTraceDef->GetFamiliesDisplayParams();
  if (!params) return nullptr;
  TraceDataPostprocessorVisitor visitor(*this);
  params->AcceptDisplayParametersVisitor(visitor);
  return visitor.GetPostprocessedTraceData();
}

TraceDataPostprocessorVisitor::TraceDataPostprocessorVisitor(TraceDataPostprocessor& owner)
    : m_owner(owner), m_basicTraceData(owner.GetBasicTraceData()), m_postprocessedTraceData(nullptr) {}

TraceDataPostprocessorVisitor::~TraceDataPostprocessorVisitor() = default;

bool TraceDataPostprocessorVisitor::Visit(const DisplayAllTraceFamiliesParameters&) {
  ORVEX_ASSERT(m_postprocessedTraceData == 0);
  return true;
}

bool TraceDataPostprocessorVisitor::Visit(const TraceFamiliesDisplayParameters&) {
  ORVEX_ASSERT(0);
  return false;
}

bool TraceDataPostprocessorVisitor::CanPostprocess() const {
  ORVEX_ASSERT(m_basicTraceData);
  if (!m_basicTraceData || m_basicTraceData->GetNumComponents() != 2) return false;
  for (unsigned dim = 0; dim < 2; ++dim) {
    const Column* column = m_basicTraceData->GetDataColumn(dim);
    if (!column || column->GetParameterType() != val::kDoubleParam || !column->GetDoubleColumn()) return false;
  }
  return m_basicTraceData->GetNumCurves() > 1;
}

void TraceDataPostprocessorVisitor::GetCommonXRange(double& lo, double& hi) const {
  const DoubleColumn* dColComp0 = DoubleDataColumn(*m_basicTraceData, 0);
  ORVEX_ASSERT(dColComp0);
  if (!dColComp0) return;
  const std::vector<double>& x = dColComp0->GetValues();
  bool first = true;
  for (unsigned c = 0; c < m_basicTraceData->GetNumCurves(); ++c) {
    const size_t o = m_basicTraceData->GetCurveOffset(c), n = m_basicTraceData->GetNumPointsInCurve(c);
    // A curve without points, or without x at its ends, is left out of the resampling anyway.
    if (n == 0 || o + n > x.size() || std::isnan(x[o]) || std::isnan(x[o + n - 1])) continue;
    const double front = x[o], back = x[o + n - 1];
    if (first) {
      lo = front;
      hi = back;
      first = false;
      continue;
    }
    lo = std::max(lo, front);
    hi = std::min(hi, back);
  }
}

unsigned TraceDataPostprocessorVisitor::ResampleCurvesToCommonX(std::vector<double>& xOut,
                                                                std::vector<std::vector<double>>& yArrayOut,
                                                                double lo, double hi, unsigned numPoints) {
  if (numPoints == 0) return 0;
  const DoubleColumn* dColComp0 = DoubleDataColumn(*m_basicTraceData, 0);
  const DoubleColumn* dColComp1 = DoubleDataColumn(*m_basicTraceData, 1);
  ORVEX_ASSERT(dColComp0 && dColComp1);
  if (!dColComp0 || !dColComp1) return 0;
  ORVEX_ASSERT_TEXT(yArrayOut.empty(), "yValsForUniformSpacedX == 0");
  yArrayOut.clear();
  const std::vector<double>& x = dColComp0->GetValues();
  const std::vector<double>& y = dColComp1->GetValues();
  const InterpolationOrders orders(m_basicTraceData->GetInterpColumn(1));
  const unsigned numCurves = m_basicTraceData->GetNumCurves();
  yArrayOut.reserve(numCurves);
  // One point keeps an x already given; more points refill it alike for every curve.
  const bool keepX = numPoints == 1 && !xOut.empty();
  const double at = keepX ? xOut.front() : lo;
  const double from = numPoints == 1 ? at : lo, to = numPoints == 1 ? at : hi;
  // Every curve is resampled at the same x values: made with the first, then reused.
  std::vector<double> xCurve(numPoints);
  bool haveX = false;
  bool warned = false;
  for (unsigned c = 0; c < numCurves; ++c) {
    const size_t o = m_basicTraceData->GetCurveOffset(c), n = m_basicTraceData->GetNumPointsInCurve(c);
    bool resampled = n > 0 && o + n <= x.size() && o + n <= y.size() && x[o] <= lo && x[o + n - 1] >= hi;
    if (resampled) {
      yArrayOut.emplace_back(numPoints);
      resampled = orders.Resample(x.data(), y.data(), o, n, from, to, static_cast<int>(numPoints),
                                  haveX ? xCurve.data() : nullptr, xCurve.data(), yArrayOut.back().data());
      haveX = haveX || resampled;
      if (!resampled) yArrayOut.pop_back();
    }
    if (resampled) continue;
    if (!warned) PostFamiliesMessage(kCurvesIgnored);
    warned = true;
  }
  if (!yArrayOut.empty() && !keepX) xOut = xCurve;
  return static_cast<unsigned>(yArrayOut.size());
}

unsigned TraceDataPostprocessorVisitor::EvaluateStatisticalFunctions(
    std::vector<std::vector<double>>& statCurveYVals, std::vector<AString>& statCurveNames,
    const DisplayStatisticsOfTraceFamiliesParameters& params, const std::vector<double>& xVals,
    const std::vector<std::vector<double>>& yArray, unsigned numCurves) {
  ORVEX_ASSERT_TEXT(statCurveYVals.empty(), "statCurveYVals == 0");
  statCurveYVals.clear();
  std::list<const Function*> functions;
  const unsigned numFuncs = params.GetStatFunctionsToDisplay(functions, val::kDoubleDatasetParam);
  if (numFuncs == 0) return 0;
  params.GetStatFunctionNamesToDisplay(statCurveNames);
  statCurveYVals.assign(numFuncs, std::vector<double>());
  for (std::vector<double>& v : statCurveYVals) v.reserve(xVals.size());

  numCurves = std::min<unsigned>(numCurves, static_cast<unsigned>(yArray.size()));
  std::vector<double> indices(numCurves);
  for (unsigned c = 0; c < numCurves; ++c) indices[c] = c;
  // The values at a block of x values are taken from each curve at once: one pass over the curves
  // per block instead of one per x value.
  const size_t kBlock = 8;
  std::vector<std::vector<double>> values(kBlock, std::vector<double>(numCurves));
  for (size_t p0 = 0; p0 < xVals.size(); p0 += kBlock) {
    const size_t width = std::min(kBlock, xVals.size() - p0);
    for (unsigned c = 0; c < numCurves; ++c) {
      const std::vector<double>& curve = yArray[c];
      for (size_t k = 0; k < width; ++k)
        values[k][c] = p0 + k < curve.size() ? curve[p0 + k] : DoubleColumn::kInvalidValue;
    }
    for (size_t k = 0; k < width; ++k) {
      size_t f = 0;
      for (const Function* function : functions) {
        RangedFunctionEvaluationHelper helper(function, nullptr, &indices, &values[k]);
        Value evalRes(kCountUnits);
        const bool retVal = helper.Evaluate(evalRes);
        ORVEX_ASSERT(retVal == true);
        const bool isDouble = evalRes.GetParameterType() == val::kDoubleParam;
        ORVEX_ASSERT_TEXT(isDouble, "evalRes.GetParameterType() == val::kDoubleParam");
        // A failed evaluation holds the largest double, which must not pass for a statistic.
        statCurveYVals[f++].push_back(retVal && isDouble ? evalRes.GetValue() : DoubleColumn::kInvalidValue);
      }
    }
  }
  return numFuncs;
}

bool TraceDataPostprocessorVisitor::CreateHistogram(std::vector<double>& edges, std::vector<double>& counts,
                                                    const DisplayHistogramAcrossTraceFamiliesParameters& params,
                                                    const std::vector<double>& samples) {
  // Infinite samples are counted in the end bins but give the range no bound.
  edges.clear();
  counts.clear();
  DoubleColumn finite(kCountUnits);
  for (double v : samples)
    if (std::isfinite(v)) finite.AddValue(v, false);
  double min = kLargest, max = -kLargest;
  finite.GetMinAndMax(min, max);
  const unsigned numBins = params.GetNumberOfBins();
  ORVEX_ASSERT(numBins > 2);
  if (finite.GetCount() == 0 || numBins < 1 || numBins > kMaxHistogramBins) return false;
  if (min == max) {
    // Widened away from zero on both sides, so the lower edge stays below the upper one.
    const double v = min;
    min = v < 0 ? v * 1.2 : v * 0.8;
    max = v < 0 ? v * 0.8 : v * 1.2;
    if (min == 0) {
      min = -1;
      max = 1;
    }
  }
  const double width = (max - min) / numBins;
  edges.reserve(numBins + 1);
  for (size_t i = 0; i <= numBins; ++i) {
    edges.push_back(min + i * width);
    counts.push_back(0);
  }
  // A range past the largest double, or bins narrower than the smallest one, leave nothing to count in.
  if (!(width > 0) || !std::isfinite(width) || !std::isfinite(edges.back())) {
    edges.clear();
    counts.clear();
    return false;
  }
  for (double v : samples) {
    // Edges ascend, so the first bin whose upper edge lies above v is the one.
    const auto upper = std::upper_bound(edges.begin() + 1, edges.begin() + numBins + 1, v);
    const size_t j = static_cast<size_t>(upper - edges.begin()) - 1;
    if (j < numBins && edges[j] <= v) {
      counts[j] += 1;
    } else if (v < edges[0]) {
      counts[0] += 1;
    } else if (v > edges[numBins - 1]) {
      counts[numBins - 1] += 1;
    } else {
      ORVEX_ASSERT(0);  // unordered, such as NaN
    }
  }
  return true;
}

double TraceDataPostprocessorVisitor::SampleValueIn(const DisplayHistogramAcrossTraceFamiliesParameters& params,
                                                    int units) const {
  const Value& sample = params.GetValueToSampleAt();
  const Units::FullUnitType given = sample.GetUnits();
  const double v = sample.GetValue();
  if (given == units || given == Units::kNoUnit || units == Units::kNoUnit ||
      Units::GetUnitType(given) != Units::GetUnitType(units))
    return v;
  return Units::Convert(v, given, units);
}

AString TraceDataPostprocessorVisitor::MakeSamplePointLabel(
    const DisplayHistogramAcrossTraceFamiliesParameters& params) const {
  AString name = L"sweep";
  Units::FullUnitType units = Units::kNoUnit;
  if (ITraceDataSweepInfo* sweep = m_basicTraceData->GetTraceDataSweepInfo()) {
    if (!sweep->GetPrimarySweepName().empty()) name = sweep->GetPrimarySweepName();
    if (const Column* column = sweep->GetPrimarySweepColumn()) units = column->GetUnits();
  }
  const Value at(SampleValueIn(params, units), units);
  return AString::Format(L"%s=%s", name, at.GetValueText());
}

bool TraceDataPostprocessorVisitor::CreateConcreteTraceData(std::unique_ptr<Column> xCol, std::unique_ptr<Column> yCol,
                                                            const std::vector<AString>& curveNames,
                                                            unsigned pointsPerCurve, std::unique_ptr<Column> primaryCol,
                                                            const AString& primaryName) {
  auto* tdef = dynamic_cast<BaseTraceDefinition*>(m_basicTraceData->GetTraceDefinition());
  ORVEX_ASSERT(tdef);
  if (!tdef) return false;
  auto data = std::make_unique<ConcreteTraceData>(tdef->GetManagerForEdit(), tdef->GetID());
  data->SetDataColumns({xCol.release(), yCol.release()});
  for (unsigned i = 0; i < curveNames.size(); ++i) data->SetCurveInfo(i, pointsPerCurve, curveNames[i]);
  data->SetPrimarySweepColumn(primaryCol.release());
  data->SetPrimarySweepName(primaryName);
  m_postprocessedTraceData = data.release();
  return true;
}

ITraceData* TraceDataPostprocessorVisitor::GetPostprocessedTraceData() const { return m_postprocessedTraceData; }

bool TraceDataPostprocessorVisitor::Visit(const DisplayHistogramAcrossTraceFamiliesParameters& params) {
  ORVEX_ASSERT(m_postprocessedTraceData == 0);
  if (!CanPostprocess()) return true;
  ORVEX_ASSERT(m_basicTraceData->GetNumComponents() == 2);
  const DoubleColumn* dColComp0 = DoubleDataColumn(*m_basicTraceData, 0);
  const DoubleColumn* dColComp1 = DoubleDataColumn(*m_basicTraceData, 1);
  ORVEX_ASSERT(dColComp1);
  if (!dColComp0 || !dColComp1) return false;

  const double x0 = SampleValueIn(params, dColComp0->GetUnits());
  std::vector<double> xVals;
  std::vector<std::vector<double>> dblVecPtr;
  const unsigned count = ResampleCurvesToCommonX(xVals, dblVecPtr, x0, x0, 1);
  std::vector<double> samples;
  samples.reserve(count);
  for (unsigned nn = 0; nn < count; ++nn) {
    ORVEX_ASSERT(dblVecPtr[nn].size() == 1);
    if (!dblVecPtr[nn].empty()) samples.push_back(dblVecPtr[nn].front());
  }
  std::vector<double> edges, counts;
  if (count == 0 || !CreateHistogram(edges, counts, params, samples)) {
    PostFamiliesMessage(kHistogramError);
    return false;
  }

  auto xCol = std::make_unique<DoubleColumn>(dColComp1->GetUnits());
  xCol->AppendValues(edges);
  auto yCol = std::make_unique<DoubleColumn>(kCountUnits);
  yCol->AppendValues(counts);
  const unsigned numPoints = static_cast<unsigned>(edges.size());
  if (!CreateConcreteTraceData(std::move(xCol), std::move(yCol), {MakeSamplePointLabel(params)}, numPoints, nullptr,
                               AString()))
    return false;
  m_postprocessedTraceData->SetComponentExpression(m_basicTraceData->GetComponentExpression(1), 0);
  m_postprocessedTraceData->SetComponentExpression(kNumberOfOutcomes, 1);
  m_postprocessedTraceData->SetTraceTypeToEnforce(true, kHistogramTraceType);
  m_postprocessedTraceData->SetTraceName(kNumberOfOutcomes);
  return true;
}

bool TraceDataPostprocessorVisitor::Visit(const DisplayStatisticsOfTraceFamiliesParameters& params) {
  ORVEX_ASSERT(m_postprocessedTraceData == 0);
  if (!CanPostprocess()) return true;
  ORVEX_ASSERT(m_basicTraceData->GetNumComponents() == 2);
  const DoubleColumn* dColComp0 = DoubleDataColumn(*m_basicTraceData, 0);
  const DoubleColumn* dColComp1 = DoubleDataColumn(*m_basicTraceData, 1);
  ORVEX_ASSERT(dColComp0);
  ORVEX_ASSERT(dColComp1);
  if (!dColComp0 || !dColComp1) return false;

  const unsigned numStatisticalCurvePoints =
      std::min(m_basicTraceData->GetNumPointsInCurve(0), kMaxStatisticalCurvePoints);
  double lo = kLargest, hi = -kLargest;
  GetCommonXRange(lo, hi);
  std::vector<double> statCurveXVals;
  std::vector<std::vector<double>> yArray;
  // Curves that share no x interval (descending sweeps give lo > hi) have nothing to resample.
  const unsigned count =
      lo <= hi ? ResampleCurvesToCommonX(statCurveXVals, yArray, lo, hi, numStatisticalCurvePoints) : 0;
  if (count == 0) {
    PostFamiliesMessage(kStatisticsError);
    return false;
  }
  ORVEX_ASSERT(statCurveXVals.size() == numStatisticalCurvePoints);

  std::vector<std::vector<double>> statCurveYVals;
  std::vector<AString> statCurveNames;
  const unsigned numFuncs =
      EvaluateStatisticalFunctions(statCurveYVals, statCurveNames, params, statCurveXVals, yArray, count);
  if (numFuncs == 0) return false;
  ORVEX_ASSERT(numFuncs == statCurveNames.size());
  if (numFuncs != statCurveNames.size()) return false;

  auto xCol = std::make_unique<DoubleColumn>(dColComp0->GetUnits());
  auto yCol = std::make_unique<DoubleColumn>(dColComp1->GetUnits());
  xCol->GetValues().reserve(size_t(numFuncs) * statCurveXVals.size());
  yCol->GetValues().reserve(size_t(numFuncs) * statCurveXVals.size());
  for (unsigned f = 0; f < numFuncs; ++f) {
    xCol->AppendValues(statCurveXVals);
    yCol->AppendValues(statCurveYVals[f]);
  }
  auto primaryCol = std::make_unique<DoubleColumn>(dColComp0->GetUnits());
  primaryCol->AppendValues(xCol->GetValues());
  ITraceDataSweepInfo* sweep = m_basicTraceData->GetTraceDataSweepInfo();
  const AString primaryName = sweep ? sweep->GetPrimarySweepName() : AString();
  return CreateConcreteTraceData(std::move(xCol), std::move(yCol), statCurveNames, numStatisticalCurvePoints,
                                 std::move(primaryCol), primaryName);
}

}  // namespace rep
