// The faces through which the host, the products and the engine read any trace's data.
#pragma once

#include <typeinfo>

#include "orvex/core/AString.h"
#include "orvex/core/IInterfaceQueriable.h"

class Column;
class IBaseTraceComponentData;
class SPS2Connectivity;
class IProgressMonitor;

namespace rep {
class IBaseTraceDefinition;
class ITraceDataSweepInfo;
class ITraceDataForProduct;
class ReportDataManager;
class CentUpdTraceDefObject;
}  // namespace rep

// What every trace data answers, plain or composite, computed or stored.
class IAbstractTraceData : public virtual IInterfaceQueriable {
public:
  ~IAbstractTraceData() override = default;
  virtual bool HasData() const = 0;                                       // 0
  virtual long GetVersionIDOfData() const = 0;                            // 1
  virtual long GetCurrentSolutionContextVersionID() const = 0;            // 2
  virtual bool IsOutOfDate() const = 0;                                   // 3
  virtual rep::ITraceDataSweepInfo* GetTraceDataSweepInfo() = 0;          // 4
  virtual unsigned GetNumCurves() const = 0;                              // 5
  virtual unsigned GetNumPointsInCurve(unsigned curve) const = 0;         // 6
  virtual unsigned GetCurveOffset(unsigned curve) const = 0;              // 7
  // onlyNonNominal: leave out variables that stay at their nominal value.
  virtual AString GetCurveVariationKey(unsigned curve, bool onlyNonNominal) const = 0;  // 8
  virtual bool GetTraceTypeToEnforce(unsigned& /*type*/) const { return false; }        // 9
  virtual AString GetTraceName() const = 0;                               // 10
};

// Composite trace data: its components form a tree.
class ICompositeTraceData : public virtual IAbstractTraceData {
public:
  ~ICompositeTraceData() override = default;
  virtual unsigned GetNumComponents() const = 0;                          // 0
  virtual IBaseTraceComponentData* GetComponent(unsigned index) = 0;      // 1
};

// Surfaces group consecutive curves.
class ISurfaceAwareTraceData {
public:
  virtual unsigned GetNumSurfaces() const = 0;                                             // 0
  virtual unsigned GetNumCurvesInSurface(unsigned surface) const = 0;                      // 1
  virtual AString GetSurfaceVariationKey(unsigned surface, bool onlyNonNominal) const = 0;  // 2
  // After the operations: their slots open the table.
  virtual ~ISurfaceAwareTraceData() = default;
};

namespace rep {

// Plain trace data: one leaf component per dimension.
class ITraceData : public virtual IAbstractTraceData {
public:
  ~ITraceData() override = default;
  virtual unsigned GetNumComponents() const = 0;                          // 0
  virtual AString GetComponentExpression(unsigned dim) const = 0;         // 1
  virtual Column* GetDataColumn(unsigned dim) const = 0;                  // 2
  virtual Column* GetTextColumn(unsigned dim) const = 0;                  // 3
  virtual Column* GetInterpColumn(unsigned dim) const = 0;                // 4
  virtual IBaseTraceDefinition* GetTraceDefinition() const = 0;           // 5
  virtual ITraceDataForProduct* GetTraceDataForProduct() = 0;             // 6
  virtual Column* GetSweepColumn() const = 0;                             // 7
  virtual Column* GetOffsetTimeColumn() const = 0;                        // 8
};

// The read face that products use; cloned columns belong to the caller.
class ITraceDataForProduct {
public:
  virtual ~ITraceDataForProduct() = default;                              // 0
  virtual unsigned GetNumCurves() const = 0;                              // 1
  virtual unsigned GetNumPointsInCurve(unsigned curve) const = 0;         // 2
  virtual unsigned GetCurveOffset(unsigned curve) const = 0;              // 3
  virtual unsigned GetNumComponents() const = 0;                          // 4
  virtual AString GetComponentExpression(unsigned dim) const = 0;         // 5
  virtual Column* CloneDataColumn(unsigned dim) const = 0;                // 6
  virtual long GetVersionIDOfData() const = 0;                            // 7
  virtual Column* ClonePrimarySweepColumn() const = 0;                    // 8
  virtual AString GetPrimarySweepName() const = 0;                        // 9
};

class ITraceDataSweepInfo {
public:
  // Not owned by the caller; null when there is none.
  virtual Column* GetPrimarySweepColumn() const = 0;                      // 0
  virtual AString GetPrimarySweepName() const = 0;                        // 1
  // After the operations: their slots open the table.
  virtual ~ITraceDataSweepInfo() = default;
};

}  // namespace rep

// The base of every computed trace data: what the data manager and the update objects drive.
class AbstractDynamicTraceData : public virtual IAbstractTraceData {
public:
  ~AbstractDynamicTraceData() override = default;
  virtual long GetTraceDefID() const = 0;                                               // 0
  virtual long GetTraceDefVersionID() const = 0;                                        // 1
  virtual rep::ReportDataManager& GetReportDataManager() const = 0;                     // 2
  virtual const SPS2Connectivity* GetConnectivity() const = 0;                          // 3
  virtual SPS2Connectivity* GetConnectivity() = 0;                                      // 4
  virtual void SetNeedsUpdate(bool needsUpdate) = 0;                                    // 5
  virtual bool PopulateData(rep::CentUpdTraceDefObject& updateObject, IProgressMonitor* monitor) = 0;  // 6
  virtual void UpdateTraceStateData() = 0;                                              // 7
  virtual void InitializeData() = 0;                                                    // 8
  virtual rep::CentUpdTraceDefObject* GetCentralizedUpdateObject(bool flag) = 0;        // 9
  virtual void ReleaseCentralizedUpdateObject(rep::CentUpdTraceDefObject* updateObject) = 0;  // 10
};
