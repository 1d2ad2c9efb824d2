// A trace of composite quantities whose values are computed from a loaded solution: one component
// tree per component expression, its leaves filled by the same update and population as a plain
// trace's columns.
#pragma once

#include <memory>
#include <vector>

#include "tracedata/BaseCompositeTraceData.h"
#include "tracedata/ReportDataManagerLink.h"
#include "tracedata/TraceStateData.h"

class Column;
class Value;

namespace rep {

class CentUpdTraceDefObject;
class ReportDataManager;
class TraceDefinition;
class VersionedQuantityParser;

class CompositeTraceData : public AbstractDynamicTraceData,
                           public BaseCompositeTraceData,
                           public ITraceDataSweepInfo,
                           public ReportDataManagerLink {
public:
  CompositeTraceData(ReportDataManager& mgr, long traceDefID, long traceDefVersionID, long dataVersionID);
  ~CompositeTraceData() override;
  CompositeTraceData(const CompositeTraceData&) = delete;
  CompositeTraceData& operator=(const CompositeTraceData&) = delete;

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
  AString GetTraceName() const override;

  // ICompositeTraceData
  unsigned GetNumComponents() const override { return static_cast<unsigned>(mComponents.size()); }
  // Past the end: null.
  IBaseTraceComponentData* GetComponent(unsigned index) override;

  // ITraceDataSweepInfo
  // The sweep's own column, or the leaf whose expression is the primary sweep; null when that
  // component is a composite node.
  Column* GetPrimarySweepColumn() const override;
  AString GetPrimarySweepName() const override;

  // AbstractDynamicTraceData
  long GetTraceDefID() const override { return m_traceDefID; }
  long GetTraceDefVersionID() const override { return mTraceDefVersionID; }
  ReportDataManager& GetReportDataManager() const override { return LinkedDataManager(); }
  const SPS2Connectivity* GetConnectivity() const override { return mData.GetConnectivity(); }
  SPS2Connectivity* GetConnectivity() override { return mData.GetConnectivity(); }
  void SetNeedsUpdate(bool needsUpdate) override { mData.SetNeedsUpdate(needsUpdate); }
  bool PopulateData(CentUpdTraceDefObject& updateObject, IProgressMonitor* monitor) override;
  void UpdateTraceStateData() override;
  // Placeholder data: one invalid point in every leaf column and in the sweep column.
  void InitializeData() override;
  CentUpdTraceDefObject* GetCentralizedUpdateObject(bool flag) override;
  void ReleaseCentralizedUpdateObject(CentUpdTraceDefObject* updateObject) override;

  // The component tree of one expression, owned by the caller; never null: an expression that is
  // no known quantity, or a quantity of no known kind, gets a single leaf.
  static IBaseTraceComponentData* CreateTraceComponentData(const AString& expression, VersionedQuantityParser& parser);
  static bool IsComponentExpressionValid(const AString& expression, VersionedQuantityParser& parser);

  const TraceStateData& GetTraceStateData() const { return mData; }
  bool HasInvalidDefinition() const { return mHasInvalidDefinition; }
  const std::vector<AString>& GetComponentExpressions() const { return mComponentExpressions; }

private:
  struct PrimarySweepData {
    std::unique_ptr<Column> mSweepColumn;  // null when the primary sweep is one of the components
    AString mName;
  };

  CentUpdTraceDefObject* GetCentralizedUpdateObjectEfficientlyPriv(bool flag);
  TraceDefinition* FindDefinition() const;
  // Deletes every component and starts a fresh primary-sweep record.
  void ClearComponents();
  // Names the primary sweep after the first subsweep; makes its column, answered with its value,
  // when no component is that sweep and there is a sweep at all.
  Column* SetUpPrimarySweep(const TraceDefinition& td, Value& primary);

  TraceStateData mData;
  long m_traceDefID;
  std::unique_ptr<PrimarySweepData> mPrimarySweepData;  // null until the first initialization
  long mTraceDefVersionID;
  long m_dataVersionID;
  bool mHasInvalidDefinition = false;
  std::vector<AString> mComponentExpressions;
  std::vector<std::unique_ptr<IBaseTraceComponentData>> mComponents;  // one tree per expression
  CentUpdTraceDefObject* mDebugCentUpdObject = nullptr;               // handed out, not owned
};

}  // namespace rep
