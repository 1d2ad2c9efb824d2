// Stored composite trace data: a component tree held as it was imported or read, never computed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "tracedata/BaseCompositeTraceData.h"
#include "tracedata/CommonTraceData.h"
#include "orvex/io/StreamioBlockObject.h"

namespace rep {

class ReportManager;

class ConcreteCompositeTraceData : public BaseCompositeTraceData, public io::CStreamio_block_object {
public:
  // Deeper trees fail the read rather than the stack; nothing the engine makes comes near.
  static const unsigned kMaxCompositeDepth = 64;

  ConcreteCompositeTraceData(ReportManager& mgr, long traceDefID);
  ConcreteCompositeTraceData(const ConcreteCompositeTraceData&) = delete;
  ConcreteCompositeTraceData& operator=(const ConcreteCompositeTraceData&) = delete;
  ~ConcreteCompositeTraceData() override;

  void SetTraceDefID(long traceDefID) { m_header.SetTraceDefID(traceDefID); }
  long GetTraceDefID() const { return m_header.GetTraceDefID(); }
  void SetTraceName(const AString& name) { m_header.SetTraceName(name); }
  const AString& GetOwnTraceName() const { return m_header.GetOwnTraceName(); }
  // Owns the column and deletes the one held so far.
  void SetPrimarySweepColumn(Column* column) { m_header.SetPrimarySweepColumn(column); }
  void SetPrimarySweepName(const AString& name) { m_header.SetPrimarySweepName(name); }
  void SetCurveInfo(unsigned curveIndex, unsigned numPoints, const AString& curveName);
  // Owns the component; appended after the top-level components held.
  void AddComponent(IBaseTraceComponentData* component);
  // Reads "CompositeTraceDataComponents" of `parent`; false, with the tree unchanged, when it is
  // missing or any item of it is damaged.
  bool ReadComponentsFromBlock(io::CBlock& parent);
  // A deep copy that the caller owns.
  ConcreteCompositeTraceData* Clone() const;
  // The same, bound to another manager.
  ConcreteCompositeTraceData* Clone(ReportManager& mgr) const;
  // The fewest rows of any leaf column; the largest count without leaves.
  uint64_t GetRowsOfLeaves() const;

  ReportManager& GetManager() const { return m_header.GetManager(); }
  const CommonTraceData& GetHeader() const { return m_header; }

  // IAbstractTraceData
  bool HasData() const override;
  long GetVersionIDOfData() const override { return m_header.GetVersionIDOfData(); }
  long GetCurrentSolutionContextVersionID() const override { return m_header.GetCurrentSolutionContextVersionID(); }
  bool IsOutOfDate() const override { return false; }
  ITraceDataSweepInfo* GetTraceDataSweepInfo() override { return &m_header; }
  unsigned GetNumCurves() const override;
  unsigned GetNumPointsInCurve(unsigned curveIndex) const override;
  unsigned GetCurveOffset(unsigned curveIndex) const override;
  AString GetCurveVariationKey(unsigned curveIndex, bool onlyNonNominal) const override;
  bool GetTraceTypeToEnforce(unsigned& type) const override { return m_header.GetTraceTypeToEnforce(type); }
  AString GetTraceName() const override { return m_header.GetTraceName(); }

  // ICompositeTraceData
  unsigned GetNumComponents() const override;
  // Past the end: null.
  IBaseTraceComponentData* GetComponent(unsigned index) override;

  // The block "ConcreteCompositeTraceData": the header, then the tree.
  AString GetBlockName() const override;
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;

private:
  CommonTraceData m_header;
  std::vector<std::unique_ptr<IBaseTraceComponentData>> m_components;  // the tree's roots
};

// Makes a deep copy of the node it visits, taken out with TakeCopy.
class TraceComponentClonerVisitor : public ITraceComponentDataVisitor {
public:
  TraceComponentClonerVisitor();
  ~TraceComponentClonerVisitor() override;

  void VisitComposite(const ICompositeTraceComponentData& node) override;
  void VisitLeaf(const ITraceComponentData& leaf) override;
  void VisitOther(const IBaseTraceComponentData& node) override;

  // The caller owns the copy; the visitor then holds none.
  IBaseTraceComponentData* TakeCopy() { return m_cloned.release(); }

private:
  std::unique_ptr<IBaseTraceComponentData> m_cloned;  // the copy made by the last visit
};

}  // namespace rep
