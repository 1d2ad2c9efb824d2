// The host's eight-value context under which a solution shows its data.
#pragma once

#include "orvex/core/OrvexApi.h"

namespace io {
class CBlock;
}  // namespace io

class POSTORVEX_API SimValueContext {
public:
  SimValueContext();
  SimValueContext(int i0, int i1, int i2, int i3, double d0, double d1, double d2, double d3);

  static constexpr int kNumInts = 4;
  static constexpr int kNumDoubles = 4;

  // Out of range: soft assertion, 0.
  int GetInt(int k) const;
  double GetDouble(int k) const;

  // Lexicographic over the ints, then the doubles compared exactly (NaN first, equal to NaN),
  // so that the context can key a map.
  bool operator<(const SimValueContext& other) const;
  bool operator==(const SimValueContext& other) const;
  bool operator!=(const SimValueContext& other) const { return !(*this == other); }

  // Appends the function item "SimValueContext"(i0, i1, i2, i3, d0, d1, d2, d3).
  void WriteFuncToParentBlock(io::CBlock& parent) const;
  // False and unchanged when the item is missing or does not hold four ints and four numbers.
  bool ReadFuncFromParentBlock(const io::CBlock& parent);
  static const wchar_t* GetFuncName() { return L"SimValueContext"; }

private:
  int Compare(const SimValueContext& other) const;

  int m_ints[kNumInts];
  double m_doubles[kNumDoubles];
};
