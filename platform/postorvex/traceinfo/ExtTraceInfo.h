// Display settings of a trace beside its data: y axis, offset time and the sweep value.
#pragma once

#include "orvex/core/MUndoableObject.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/ReadError.h"
#include "orvex/values/Value.h"

namespace io {
class CBlock;
}  // namespace io

namespace rep {

enum YAxis : int { kNoYAxis = 0, kYAxis1 = 1, kYAxis2 = 2 };

}  // namespace rep

class POSTORVEX_API ExtTraceInfo : public MUndoableObject {
public:
  // No y axis; offset time and sweep value 0 in unit 90.
  ExtTraceInfo();
  ExtTraceInfo(const ExtTraceInfo& other) = default;
  ExtTraceInfo& operator=(const ExtTraceInfo& other) = default;
  ~ExtTraceInfo() override;

  // Values compare by units and text: nothing is evaluated.
  bool operator==(const ExtTraceInfo& other) const;
  bool operator!=(const ExtTraceInfo& other) const { return !(*this == other); }

  MUndoableObject* Clone() const override;
  void Assign(const MUndoableObject& from) override;

  int GetYAxis() const { return m_yAxis; }
  void SetYAxis(rep::YAxis axis) { m_yAxis = axis; }
  const Value& GetOffsetTime() const { return m_offsetTime; }
  void SetOffsetTime(const Value& v) { m_offsetTime = v; }
  const Value& GetSweepValue() const { return m_sweepValue; }
  void SetSweepValue(const Value& v) { m_sweepValue = v; }

  // Into the given sub-block: "YAxis", "OffsetTime" with "OffsetTimeUnits", "SweepValue" with
  // "SweepValueUnits". Answers 0.
  io::ReadError Write(io::CBlock& block) const;
  // Missing items keep their values; a damaged one keeps its value and answers 1.
  io::ReadError Read(const io::CBlock& block);

  // Public: callers read the trace's sweep value straight from it.
  Value m_sweepValue;

private:
  int m_yAxis;
  Value m_offsetTime;
};
