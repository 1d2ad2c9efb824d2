#include "postorvex/solution/SimValueContext.h"

#include <cmath>

#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"

namespace {

// A total order on doubles: NaN before every number and equal to any NaN.
int CompareDoubles(double a, double b) {
  bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
  if (a < b) return -1;
  return b < a ? 1 : 0;
}

}  // namespace

SimValueContext::SimValueContext() : SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0) {}

SimValueContext::SimValueContext(int i0, int i1, int i2, int i3, double d0, double d1, double d2, double d3)
    : m_ints{i0, i1, i2, i3}, m_doubles{d0, d1, d2, d3} {}

int SimValueContext::GetInt(int k) const {
  if (k < 0 || k >= kNumInts) {
    ORVEX_ASSERT(!"SimValueContext int index out of range");
    return 0;
  }
  return m_ints[k];
}

double SimValueContext::GetDouble(int k) const {
  if (k < 0 || k >= kNumDoubles) {
    ORVEX_ASSERT(!"SimValueContext double index out of range");
    return 0.0;
  }
  return m_doubles[k];
}

int SimValueContext::Compare(const SimValueContext& other) const {
  for (int k = 0; k < kNumInts; ++k)
    if (m_ints[k] != other.m_ints[k]) return m_ints[k] < other.m_ints[k] ? -1 : 1;
  for (int k = 0; k < kNumDoubles; ++k)
    if (int c = CompareDoubles(m_doubles[k], other.m_doubles[k])) return c;
  return 0;
}

bool SimValueContext::operator<(const SimValueContext& other) const { return Compare(other) < 0; }

bool SimValueContext::operator==(const SimValueContext& other) const { return Compare(other) == 0; }

void SimValueContext::WriteFuncToParentBlock(io::CBlock& parent) const {
  io::CBlock_func f(GetFuncName());
  for (int i : m_ints) f << i;
  for (double d : m_doubles) f << d;
  parent << f;
}

bool SimValueContext::ReadFuncFromParentBlock(const io::CBlock& parent) {
  const io::CBlock_func* f = parent.FindFunc(GetFuncName());
  if (!f || f->GetNumArgs() != kNumInts + kNumDoubles) return false;
  SimValueContext read;
  for (int k = 0; k < kNumInts; ++k)
    if (!f->QueryArg(k, read.m_ints[k])) return false;
  for (int k = 0; k < kNumDoubles; ++k)
    if (!f->QueryArg(kNumInts + k, read.m_doubles[k])) return false;
  *this = read;
  return true;
}
