// A plain trace whose values are computed from a loaded solution: it takes part in centralized
// updates and fills its columns from the connectivity once the values have arrived.
#pragma once

#include <memory>
#include <vector>

#include "tracedata/BaseTraceData.h"
#include "tracedata/ReportDataManagerLink.h"
#include "tracedata/TraceStateData.h"

class AbstractQuantityInfo;

namespace rep {

class CentUpdTraceDefObject;
class ReportDataManager;
class ReportManager;
class TraceDefinition;
class VersionedQuantityParser;

class TraceData : public AbstractDynamicTraceData,
                  public BaseTraceData,
                  public ITraceDataSweepInfo,
                  public ISurfaceAwareTraceData,
                  public ReportDataManagerLink {
public:
  TraceData(ReportDataManager& mgr, long traceDefID, long traceDefVersionID, long dataVersionID);
  ~TraceData() override;

  // IAbstractTraceData
  bool HasData() const override;
  long GetVersionIDOfData() const override { return m_dataVersionID; }
  long GetCurrentSolutionContextVersionID() const override;
  bool IsOutOfDate() const override;
  ITraceDataSweepInfo* GetTraceDataSweepInfo() override { return this; }
  unsigned GetNumCurves() const override;
  unsigned GetNumPointsInCurve(unsigned curve) const override;
  unsigned GetCurveOffset(unsigned curve) const override;
  AString GetCurveVariationKey(unsigned curve, bool onlyNonNominal) const override;
  AString GetTraceName() const override { return BaseTraceData::GetTraceName(); }

  // rep::ITraceData
  AString GetComponentExpression(unsigned dim) const override;
  IBaseTraceDefinition* GetTraceDefinition() const override;

  // rep::ITraceDataSweepInfo and the product face
  Column* GetPrimarySweepColumn() const override;
  AString GetPrimarySweepName() const override;

  // ISurfaceAwareTraceData
  unsigned GetNumSurfaces() const override;
  unsigned GetNumCurvesInSurface(unsigned surface) const override;
  AString GetSurfaceVariationKey(unsigned surface, bool onlyNonNominal) const override;

  // AbstractDynamicTraceData
  long GetTraceDefID() const override { return BaseTraceData::GetTraceDefID(); }
  long GetTraceDefVersionID() const override { return mTraceDefVersionID; }
  ReportDataManager& GetReportDataManager() const override { return LinkedDataManager(); }
  const SPS2Connectivity* GetConnectivity() const override { return mData.GetConnectivity(); }
  SPS2Connectivity* GetConnectivity() override { return mData.GetConnectivity(); }
  void SetNeedsUpdate(bool needsUpdate) override { mData.SetNeedsUpdate(needsUpdate); }
  bool PopulateData(CentUpdTraceDefObject& updateObject, IProgressMonitor* monitor) override;
  void UpdateTraceStateData() override;
  // Placeholder data: one point per component, no solution values.
  void InitializeData() override;
  CentUpdTraceDefObject* GetCentralizedUpdateObject(bool flag) override;
  void ReleaseCentralizedUpdateObject(CentUpdTraceDefObject* updateObject) override;

  // BaseTraceData
  void ClearData() override;

  // The post-processed data for display, or this data itself.
  ITraceData* GetTraceDataForDisplay() { return mTraceDataForDisplay ? mTraceDataForDisplay.get() : this; }
  const TraceStateData& GetTraceStateData() const { return mData; }
  bool HasInvalidDefinition() const { return mHasInvalidDefinition; }
  bool IsCurveReducibleToPoint(VersionedQuantityParser& parser, const AbstractQuantityInfo* quantityInfo) const;
  bool AssertCurveIsNotReducibeToPoint() const;

protected:
  // The display form holds the manager to reach the trace's definition: the data shows itself.
  void OnDetachedFromReportDataManager() override { mTraceDataForDisplay.reset(); }

private:
  CentUpdTraceDefObject* GetCentralizedUpdateObjectEfficientlyPriv(bool flag);
  TraceDefinition* FindDefinition() const;
  void ResetData();
  void ClearPopulatedData();
  void EnsureSurfaceInfo() const;
  // The name of the primary sweep: of the second subsweep when a curve reduces to one point.
  AString PrimarySweepNameFor(const TraceDefinition& td, bool onePointPerCurve) const;
  // The primary sweep's own column when no component is the primary sweep; `primary` receives
  // its value.
  bool CreatePrimarySweepColumnIfNotAComponent(Value& primary);
  void ConvertDigitalColumnsToDouble();
  void CreateTraceDataForDisplay(IProgressMonitor* monitor);
  bool DoesReportKeepDigitalColumns() const;
  AString VariationKey(VariableValues values, bool onlyNonNominal) const;

  std::vector<AString> mComponentExpressions;
  TraceStateData mData;
  long mTraceDefVersionID;
  bool mHasInvalidDefinition = false;
  long m_dataVersionID;
  std::unique_ptr<Column> mPrimarySweepColumn;
  AString mPrimarySweepName;
  std::unique_ptr<ITraceData> mTraceDataForDisplay;
  CentUpdTraceDefObject* mDebugCentUpdObject = nullptr;  // not owned
};

}  // namespace rep
