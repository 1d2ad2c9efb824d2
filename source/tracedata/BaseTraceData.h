// The shared part of plain trace data, computed or stored: one component per dimension.
#pragma once

#include <memory>
#include <vector>

#include "Gravik/ITraceDataInterfaces.h"
#include "tracedata/TraceComponentData.h"

namespace io {
class CBlock;
}

namespace rep {

class BaseTraceData : public virtual ITraceData, public virtual ITraceDataForProduct {
public:
  // Keys of the "TraceDataComps" block that WriteComponentsToBlock writes, for its readers.
  static const wchar_t* const kTraceDataComps;
  static const wchar_t* const kTraceCompExpr;
  static const wchar_t* const kTraceDataCol;
  static const wchar_t* const kTextDataCol;

  // The primary sweep's values and the offset times of every point, as computed data keeps them.
  struct PrimarySweepData {
    // Owns both columns; either may be null.
    PrimarySweepData(const AString& sweepText, const AString& offsetTimeText, Column* sweepColumn,
                     Column* offsetTimeColumn);
    ~PrimarySweepData();

    std::unique_ptr<Column> mSweepColumn;
    AString mSweepText;
    std::unique_ptr<Column> mOffsetTimeColumn;
    AString mOffsetTimeText;
  };

  using ComponentList = std::vector<std::unique_ptr<TraceComponentData>>;

  explicit BaseTraceData(long traceDefID);
  BaseTraceData(const BaseTraceData&) = delete;
  BaseTraceData& operator=(const BaseTraceData&) = delete;
  ~BaseTraceData() override;

  // False for a dimension outside the components or a column without an enumeration.
  virtual bool GetEnumName(AString& name, unsigned dimension) const;   // 0
  // Appends "TraceDataComps" to `parent`: one numbered block per component holding the
  // definition's expression and the columns. When a column cannot be written, nothing is
  // appended and the answer is false.
  virtual bool WriteComponentsToBlock(io::CBlock& parent);              // 1
  // Deletes every component and the primary-sweep record; the trace-definition ID stays.
  virtual void ClearData();                                             // 2

  void InitializeEnumName(const AString& name, unsigned dimension);
  long GetTraceDefID() const { return m_traceDefID; }
  void SetTraceDefID(long traceDefID) { m_traceDefID = traceDefID; }
  const ComponentList& GetTraceComponentData() const { return mTraceComponentData; }
  ComponentList& GetTraceComponentData() { return mTraceComponentData; }
  size_t GetTraceComponentDataSize() const { return mTraceComponentData.size(); }
  // Owns the record and deletes the one held so far.
  void SetPrimarySweepData(PrimarySweepData* record);

  // rep::ITraceData and rep::ITraceDataForProduct
  unsigned GetNumComponents() const override;
  // Outside the components: a soft assertion and null.
  Column* GetDataColumn(unsigned dimensionIndex) const override;
  Column* GetTextColumn(unsigned dimensionIndex) const override;
  Column* GetInterpColumn(unsigned dimensionIndex) const override;
  ITraceDataForProduct* GetTraceDataForProduct() override;
  Column* GetSweepColumn() const override;
  Column* GetOffsetTimeColumn() const override;
  Column* CloneDataColumn(unsigned dimensionIndex) const override;
  // Without a sweep-info face: a soft assertion and null (an empty name).
  Column* ClonePrimarySweepColumn() const override;
  AString GetPrimarySweepName() const override;

  // IAbstractTraceData
  ITraceDataSweepInfo* GetTraceDataSweepInfo() override;
  // The trace definition's name; empty without a definition.
  AString GetTraceName() const override;

protected:
  // The expression that the definition gives component `dimensionIndex`; empty when the
  // definition is missing or has no such component.
  AString GetDefinitionExpression(unsigned dimensionIndex) const;

private:
  const TraceComponentData* FindComponent(unsigned dimensionIndex) const;
  // The sweep-info face of this object, which the const product face may use.
  ITraceDataSweepInfo* SweepInfoFace() const;

  ComponentList mTraceComponentData;                     // one per dimension, x first
  std::unique_ptr<PrimarySweepData> mPrimarySweepData;   // null until computed data sets one
  long m_traceDefID;
};

}  // namespace rep
