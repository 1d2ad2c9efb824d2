#include "tracedata/TraceCurveData.h"

#include <algorithm>
#include <limits>

#include "orvex/core/Assert.h"
#include "orvex/core/I18n.h"
#include "orvex/io/Block.h"
#include "orvex/io/ReadError.h"

namespace {

// The index checks read as the conditions they state, whatever the index's type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wtype-limits"
bool CheckCurveNum(unsigned curveNum, const std::vector<uint32_t>& m_numPointsInCurve) {
  ORVEX_ASSERT(curveNum>=0 && curveNum<m_numPointsInCurve.size());
  return curveNum < m_numPointsInCurve.size();
}

bool CheckCurveIndex(unsigned curveIndex, const std::vector<uint32_t>& m_numPointsInCurve) {
  ORVEX_ASSERT(curveIndex>=0 && curveIndex<m_numPointsInCurve.size());
  return curveIndex < m_numPointsInCurve.size();
}
#pragma GCC diagnostic pop

const uint64_t kAnyRows = std::numeric_limits<uint64_t>::max();

}  // namespace

TraceCurveData::TraceCurveData() = default;
TraceCurveData::TraceCurveData(const TraceCurveData&) = default;
TraceCurveData& TraceCurveData::operator=(const TraceCurveData&) = default;
TraceCurveData::~TraceCurveData() = default;

bool TraceCurveData::HasCurve(unsigned curveIndex) const {
  return curveIndex < m_numPointsInCurve.size() && curveIndex < m_curveStartIndex.size() &&
         curveIndex < m_curveNames.size();
}

unsigned TraceCurveData::GetNumPointsInCurve(unsigned curveNum) const {
  if (!CheckCurveNum(curveNum, m_numPointsInCurve) || !HasCurve(curveNum)) return 0;
  return m_numPointsInCurve[curveNum];
}

unsigned TraceCurveData::GetCurveStartIndex(unsigned curveIndex) const {
  if (!CheckCurveIndex(curveIndex, m_numPointsInCurve) || !HasCurve(curveIndex)) return 0;
  return m_curveStartIndex[curveIndex];
}

AString TraceCurveData::GetCurveName(unsigned curveIndex) const {
  if (!CheckCurveIndex(curveIndex, m_numPointsInCurve) || !HasCurve(curveIndex)) return AString();
  return m_curveNames[curveIndex];
}

void TraceCurveData::SetCurveInfo(unsigned curveIndex, unsigned numPoints, const AString& name) {
  const size_t before = m_numPointsInCurve.size();
  const size_t size = static_cast<size_t>(curveIndex) + 1;
  m_numPointsInCurve.resize(size, 0);
  m_curveStartIndex.resize(size, 0);
  m_curveNames.resize(size);
  // Curves skipped over, and the new one, start where the curve before them ends.
  for (size_t i = before == 0 ? 1 : before; i < size; ++i)
    m_curveStartIndex[i] = m_curveStartIndex[i - 1] + m_numPointsInCurve[i - 1];
  m_numPointsInCurve[curveIndex] = numPoints;
  m_curveNames[curveIndex] = name;
}

void TraceCurveData::WriteToBlock(io::CBlock& block) const {
  for (size_t i = 0; i < m_numPointsInCurve.size(); ++i) {
    io::CBlock_func curveFunc(i18n::MakeNumberString(static_cast<unsigned long long>(i)));
    curveFunc << m_curveNames[i] << static_cast<unsigned>(m_numPointsInCurve[i])
              << static_cast<unsigned>(m_curveStartIndex[i]);
    block << std::move(curveFunc);
  }
}

io::ReadError TraceCurveData::DataExchange(io::CBlock& block, bool read) {
  if (!read) {
    WriteToBlock(block);
    return io::kNoError;
  }
  io::ReadError result = io::kNoError;
  for (size_t item = 0; item < block.GetNumItems(); ++item) {
    const io::CBlock_func* curveFunc = block.GetFunc(item);
    ORVEX_ASSERT(curveFunc);
    // A foreign or misnumbered item ends the walk, but what was read before it is still checked.
    if (!curveFunc ||
        curveFunc->GetName().CompareNoCase(i18n::MakeNumberString(static_cast<unsigned long long>(item))) != 0) {
      result = io::kMissingBlock;
      break;
    }
    AString name;
    unsigned count = 0;
    unsigned start = 0;
    if (!curveFunc->QueryArg(0, name) || !curveFunc->QueryArg(1, count) || !curveFunc->QueryArg(2, start)) {
      // Skipped; the next item still carries the next number.
      result = io::kMissingBlock;
      continue;
    }
    m_curveNames.push_back(name);
    m_numPointsInCurve.push_back(count);
    m_curveStartIndex.push_back(start);
  }
  if (!KeepCurvesWithinRows(kAnyRows)) result = io::kMissingBlock;
  return result;
}

size_t TraceCurveData::CountTilingCurves(uint64_t numRows) const {
  const size_t n = std::min({m_numPointsInCurve.size(), m_curveStartIndex.size(), m_curveNames.size()});
  uint64_t row = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint64_t end = row + m_numPointsInCurve[i];
    if (m_curveStartIndex[i] != row || end > numRows) return i;
    row = end;
  }
  return n;
}

bool TraceCurveData::KeepCurvesWithinRows(uint64_t numRows) {
  const size_t keep = CountTilingCurves(numRows);
  const bool all = keep == m_numPointsInCurve.size() && keep == m_curveStartIndex.size() && keep == m_curveNames.size();
  Truncate(keep);
  return all;
}

uint64_t TraceCurveData::GetEndRow() const {
  if (m_numPointsInCurve.empty()) return 0;
  return static_cast<uint64_t>(m_curveStartIndex.back()) + m_numPointsInCurve.back();
}

void TraceCurveData::Truncate(size_t numCurves) {
  m_numPointsInCurve.resize(std::min(numCurves, m_numPointsInCurve.size()));
  m_curveStartIndex.resize(std::min(numCurves, m_curveStartIndex.size()));
  m_curveNames.resize(std::min(numCurves, m_curveNames.size()));
}
