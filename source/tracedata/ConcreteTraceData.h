// Stored plain trace data: values held as they were imported or read, never computed again.
#pragma once

#include <memory>
#include <vector>

#include "tracedata/BaseTraceData.h"
#include "tracedata/TraceCurveData.h"
#include "orvex/io/StreamioBlockObject.h"

namespace rep {

class ReportManager;

class ConcreteTraceData : public BaseTraceData,
                          public ITraceDataSweepInfo,
                          public io::CStreamio_block_object,
                          public ISurfaceAwareTraceData {
public:
  ConcreteTraceData(ReportManager& mgr, long traceDefID);
  ~ConcreteTraceData() override;

  // A deep copy that the caller owns: curves, surfaces, components with all their columns and
  // expressions, primary sweep, names and enforced trace type.
  ConcreteTraceData* Clone() const;
  // The same, bound to another manager (that of a trace definition copied there).
  ConcreteTraceData* Clone(ReportManager& mgr) const;
  // Clone(mgr) that takes this data's columns instead of copying them; this one is left empty.
  ConcreteTraceData* TakeFor(ReportManager& mgr);

  // Setters of the builders.
  void SetTraceName(const AString& name) { m_traceName = name; }
  // Empty when the data has no name of its own and shows the trace definition's.
  const AString& GetOwnTraceName() const { return m_traceName; }
  void SetPrimarySweepName(const AString& name) { m_primarySweepName = name; }
  // Owns the column and deletes the one held so far; null is allowed.
  void SetPrimarySweepColumn(Column* column);
  // Curves arrive in index order; see TraceCurveData::SetCurveInfo.
  void SetCurveInfo(unsigned curveIndex, unsigned numPoints, const AString& curveName);
  void SetSurfaceInfo(const std::vector<unsigned>& curvesPerSurface, const std::vector<AString>& surfaceNames);
  // Replaces the components: one per column, owning it, without text column or expression.
  void SetDataColumns(const std::vector<Column*>& columns);
  void SetComponentExpression(const AString& expr, unsigned dimensionIndex);
  // Answers the flag held before.
  bool SetTraceTypeToEnforce(bool enforce, unsigned type);
  // Reads the components that WriteComponentsToBlock wrote ("TraceDataComps" in `parent`, or
  // numbered component blocks directly in it; a parent without items has no components). False
  // when any item is misnumbered or no block, or a component's data column or text column cannot
  // be read ("col" for a data column); the components read whole replace those held.
  bool ReadComponentsFromBlock(io::CBlock& parent);
  // Unless the owner says the trace's report keeps them, digital data columns become doubles.
  void ConvertDigitalColumnsToDouble();

  // IAbstractTraceData
  bool HasData() const override;
  long GetVersionIDOfData() const override { return 1; }
  long GetCurrentSolutionContextVersionID() const override { return 1; }
  bool IsOutOfDate() const override { return false; }
  ITraceDataSweepInfo* GetTraceDataSweepInfo() override;
  unsigned GetNumCurves() const override;
  // Out of range: a soft assertion and 0 (an empty key).
  unsigned GetNumPointsInCurve(unsigned curveIndex) const override;
  unsigned GetCurveOffset(unsigned curveIndex) const override;
  // Stored keys are kept as they were given; the flag changes nothing.
  AString GetCurveVariationKey(unsigned curveIndex, bool onlyNonNominal) const override;
  bool GetTraceTypeToEnforce(unsigned& type) const override;
  AString GetTraceName() const override;

  // rep::ITraceData
  // The component's own expression, or, while it is empty, the definition's.
  AString GetComponentExpression(unsigned dimensionIndex) const override;
  IBaseTraceDefinition* GetTraceDefinition() const override;

  // rep::ITraceDataSweepInfo and the product face
  Column* GetPrimarySweepColumn() const override;
  AString GetPrimarySweepName() const override;

  // ISurfaceAwareTraceData; out of range: a soft assertion and 0 (an empty key).
  unsigned GetNumSurfaces() const override;
  unsigned GetNumCurvesInSurface(unsigned surfaceIndex) const override;
  AString GetSurfaceVariationKey(unsigned surfaceIndex, bool onlyNonNominal) const override;

  // The block "ConcreteTraceData". Reading expects a new object; a damaged block records a read
  // error, and curves or surfaces that do not fit the columns read are dropped.
  AString GetBlockName() const override;
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;

  ReportManager& GetManager() const { return m_mgr; }
  const TraceCurveData& GetCurveData() const { return m_curves; }

private:
  // Everything but the primary sweep and the components, bound to the given manager.
  std::unique_ptr<ConcreteTraceData> CopyAllButColumns(ReportManager& mgr) const;
  void Write(io::CBlock& block);
  void Read(io::CBlock& block);
  void ReadCurves(io::CBlock& block);
  void ReadSurfaces(io::CBlock& block);
  void ReadColumns(const io::CBlock& block);
  // Drops curves that reach past any column and surfaces that do not add up to the curves.
  void DropWhatDoesNotFit();
  bool HasSurface(unsigned surfaceIndex) const;

  ReportManager& m_mgr;                          // the trace's manager, not owned
  TraceCurveData m_curves;                       // per curve: points, first row, variation key
  std::vector<uint32_t> m_curvesPerSurface;      // "SurfsInfo"
  std::vector<AString> m_surfaceNames;           // "SurfNames": each surface's variation key
  std::unique_ptr<Column> m_primarySweepColumn;  // x values of all curves; may be null
  AString m_primarySweepName;
  bool m_enforceTraceType = false;
  uint32_t m_traceTypeToEnforce = 0;
  AString m_traceName;  // empty: the trace definition's name stands
};

}  // namespace rep
