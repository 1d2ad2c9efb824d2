// The curves of a trace: each curve's point count, first row in the trace's columns and variation key.
#pragma once

#include <cstdint>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/io/ReadError.h"

namespace io {
class CBlock;
}

// Curve i occupies the rows [start i, start i + count i) of every column of its trace; curve 0
// starts at row 0 and each curve starts where the one before it ends.
class TraceCurveData {
public:
  TraceCurveData();
  TraceCurveData(const TraceCurveData&);
  TraceCurveData& operator=(const TraceCurveData&);
  ~TraceCurveData();

  unsigned GetNumCurves() const { return static_cast<unsigned>(m_curveNames.size()); }
  // Out of range: a soft assertion and 0 (an empty key for the name).
  unsigned GetNumPointsInCurve(unsigned curveNum) const;
  unsigned GetCurveStartIndex(unsigned curveIndex) const;
  AString GetCurveName(unsigned curveIndex) const;

  // Curves are set in index order; setting curve i drops the curves after it. Curves skipped
  // over get no points and start where the curve before them ends.
  void SetCurveInfo(unsigned curveIndex, unsigned numPoints, const AString& name);

  // The "CurvesInfo" items: one function item per curve named "0", "1", ... holding the key, the
  // count and the start. An item that is no function item is a soft assertion "curveFunc" and
  // ends the walk. Reading appends to an empty object and answers no error or io::kMissingBlock;
  // curves that do not tile from row 0 are dropped with io::kMissingBlock, so no curve read from a
  // block overlaps another.
  io::ReadError DataExchange(io::CBlock& block, bool read);
  void WriteToBlock(io::CBlock& block) const;

  // Keeps the longest run of curves from curve 0 that tile from row 0 and end within `numRows`;
  // false when any curve was dropped.
  bool KeepCurvesWithinRows(uint64_t numRows);
  // The row after the last curve's last point.
  uint64_t GetEndRow() const;
  const std::vector<uint32_t>& GetPointCounts() const { return m_numPointsInCurve; }

private:
  bool HasCurve(unsigned curveIndex) const;
  // The number of leading curves that tile from row 0 and end within `numRows`.
  size_t CountTilingCurves(uint64_t numRows) const;
  void Truncate(size_t numCurves);

  std::vector<uint32_t> m_numPointsInCurve;
  std::vector<uint32_t> m_curveStartIndex;  // each curve's first row
  std::vector<AString> m_curveNames;        // each curve's variation key
};
