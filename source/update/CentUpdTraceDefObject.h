// How one computed trace takes part in one centralized update: it asks for the load units whose
// values the cache lacks, lets the product push each loaded unit into the cache and its
// connectivity, and hands itself to its trace data for population when the update is done.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "orvex/centupd/CentralizedLoadUnitInfo.h"
#include "orvex/centupd/ISolutionPointSetUpdateObject.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

class AbstractDynamicTraceData;
class AbstractQuantityInfo;
class ISolutionContextObject;
class Column;

namespace rep {

class SubsweepsAdapter;
class SweepsVariableInfoMediator2;
class TraceDefinition;
class VersionedQuantityParser;

class ITraceCentralizedUpdateObject : public virtual ICentralizedUpdateObject {
public:
  ~ITraceCentralizedUpdateObject() override = default;
  virtual long GetTraceDefinitionID() const = 0;  // 0
  virtual long GetReportID() const = 0;           // 1
};

// What the solution made for the trace's report type: its context object and load definition.
struct SolutionLoadContext {
  SolutionLoadContext();
  ~SolutionLoadContext();
  std::unique_ptr<ISolutionContextObject> context;
  std::unique_ptr<IDerivedDataDefinition> loadDefinition;
  DesignSolutionDefinition dsd;
};

class CentUpdTraceDefObject : public ISolutionPointSetUpdateObject, public ITraceCentralizedUpdateObject {
public:
  // Takes over the mediator and the subsweeps.
  CentUpdTraceDefObject(AbstractDynamicTraceData* traceData, SweepsVariableInfoMediator2* mediator,
                        SubsweepsAdapter* subsweeps, const std::vector<VariableValues>& explicitVariations,
                        bool updateConnectivityOnly);
  ~CentUpdTraceDefObject() override;
  CentUpdTraceDefObject(const CentUpdTraceDefObject&) = delete;
  CentUpdTraceDefObject& operator=(const CentUpdTraceDefObject&) = delete;

  // ICentralizedUpdateObject
  void GetNeededLoadUnits(std::vector<CentralizedLoadUnitInfo>& units) override;
  void NotifyOnLoad(const CentralizedLoadUnitInfo& unit, IProgressMonitor* monitor) override;
  void IgnoreNotification(const void*) override {}
  // Populates the trace data and deletes this object.
  void NotifyDoneUpdate(IProgressMonitor* monitor) override;

  long GetObjectID() const override { return GetTraceDefinitionID(); }
  long GetSolutionID() const override;
  long GetTraceDefinitionID() const override;
  long GetReportID() const override;

  AbstractQuantityInfo* GetQuantityInfo() const;
  SweepsVariableInfoMediator2* GetSweepsMediator() const;
  VersionedQuantityParser* GetQuantityParser() const { return mQuantityParser; }
  long GetVersionID() const { return mVersionID; }
  bool HasConnectivity() const;
  size_t GetNumNeededLoadUnits() const { return mNeededLoadUnits.size(); }
  // The trace data is going away: the object then asks for nothing, ignores loads and only
  // deletes itself when the update is done.
  void DetachTraceData() { mTraceData = nullptr; }

private:
  // False when the connectivity could not be filled from the cache.
  bool UpdateSpecialSweepConnectivityFromCache(const CentralizedLoadUnitInfo& unit);

  AbstractDynamicTraceData* mTraceData;          // not owned
  SweepsVariableInfoMediator2* mSweepsMediator;  // owned
  SubsweepsAdapter* mSubsweeps;                  // owned
  std::vector<VariableValues> mExplicitVariations;
  VersionedQuantityParser* mQuantityParser;      // owned
  AbstractQuantityInfo* mQuantityInfo;           // owned
  SolutionLoadContext* mLoadContext;             // owned
  TraceDefinition* mTraceDefinition;             // not owned
  long mVersionID = 0;
  // Requested and not yet loaded, by major variation (found through this index on load).
  std::map<VariableValues, CentralizedLoadUnitInfo> mNeededLoadUnits;
  bool mUpdateConnectivityOnly;
  bool mLoadUnitsGathered = false;
};

}  // namespace rep
