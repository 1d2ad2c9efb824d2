// Statistics and histograms across the families of a populated trace, made as stored trace data
// that is displayed in place of the families.
#pragma once

#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "postorvex/families/TraceFamiliesDisplayParametersVisitor.h"

class Column;
class DoubleColumn;
class IProgressMonitor;

namespace rep {

class ConcreteTraceData;
class IBaseTraceDefinition;
class ITraceData;

// Lives on the caller's stack for one call.
class TraceDataPostprocessor {
public:
  // Neither is owned.
  TraceDataPostprocessor(ITraceData* basicTraceData, IBaseTraceDefinition* baseTraceDef);

  // What the trace definition's families display parameters ask for, owned by the caller; null
  // when the families themselves are displayed.
  ITraceData* CreatePostprocessedTraceData(IProgressMonitor* monitor);

  ITraceData* GetBasicTraceData() const { return m_basicTraceData; }

private:
  ITraceData* m_basicTraceData;           // not owned
  IBaseTraceDefinition* m_baseTraceDef;   // not owned
};

// Makes at most one post-processed data, which passes to whoever takes it from
// GetPostprocessedTraceData.
class TraceDataPostprocessorVisitor : public TraceFamiliesDisplayParametersVisitor {
public:
  static constexpr unsigned kMaxStatisticalCurvePoints = 1500;

  explicit TraceDataPostprocessorVisitor(TraceDataPostprocessor& owner);
  ~TraceDataPostprocessorVisitor() override;

  bool Visit(const DisplayHistogramAcrossTraceFamiliesParameters& params) override;
  bool Visit(const DisplayStatisticsOfTraceFamiliesParameters& params) override;
  bool Visit(const DisplayAllTraceFamiliesParameters& params) override;
  bool Visit(const TraceFamiliesDisplayParameters& params) override;

  // Two double components (x, y) and more than one curve.
  bool CanPostprocess() const;
  // The x interval that every curve with points covers, taking each curve's x as ascending;
  // lo > hi when there is none.
  void GetCommonXRange(double& lo, double& hi) const;
  // Each curve covering [lo, hi] resampled at numPoints values from lo to hi (xOut) into its own
  // vector of yArrayOut, in curve order; curves outside the bounds, or that cannot be resampled,
  // are left out with one warning. Answers how many curves were resampled.
  unsigned ResampleCurvesToCommonX(std::vector<double>& xOut, std::vector<std::vector<double>>& yArrayOut, double lo,
                                   double hi, unsigned numPoints);
  // One y vector per statistical function of the parameters, evaluated across the curves at
  // each x; a failed evaluation gives the invalid value. Answers the number of functions.
  unsigned EvaluateStatisticalFunctions(std::vector<std::vector<double>>& statCurveYVals,
                                        std::vector<AString>& statCurveNames,
                                        const DisplayStatisticsOfTraceFamiliesParameters& params,
                                        const std::vector<double>& xVals,
                                        const std::vector<std::vector<double>>& yArray, unsigned numCurves);
  // numBins + 1 ascending edges and as many counts (the last stays 0). False, with nothing made,
  // without bins, with more than a plot can show, or without a finite sample.
  bool CreateHistogram(std::vector<double>& edges, std::vector<double>& counts,
                       const DisplayHistogramAcrossTraceFamiliesParameters& params, const std::vector<double>& samples);
  AString MakeSamplePointLabel(const DisplayHistogramAcrossTraceFamiliesParameters& params) const;
  // Takes both columns and the primary sweep column (may be null); every curve holds
  // pointsPerCurve points. False, with nothing made, when the basic data has no trace definition.
  bool CreateConcreteTraceData(std::unique_ptr<Column> xCol, std::unique_ptr<Column> yCol,
                               const std::vector<AString>& curveNames, unsigned pointsPerCurve,
                               std::unique_ptr<Column> primaryCol, const AString& primaryName);
  // Null until a visit made data.
  ITraceData* GetPostprocessedTraceData() const;
  TraceDataPostprocessor& GetOwner() const { return m_owner; }

private:
  // The sample value in the given column unit; a value without a unit is taken as in it.
  double SampleValueIn(const DisplayHistogramAcrossTraceFamiliesParameters& params, int units) const;

  TraceDataPostprocessor& m_owner;
  ITraceData* m_basicTraceData;                    // the owner's, not owned
  ConcreteTraceData* m_postprocessedTraceData;     // made by a visit; handed to the caller, not owned
};

}  // namespace rep
