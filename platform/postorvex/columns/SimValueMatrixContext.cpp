#include "postorvex/columns/SimValueMatrixContext.h"

#include <algorithm>

#include "orvex/core/TestHooks.h"

namespace {

struct State {
  long position = 0;
  int rows = 0;
  int cols = 0;
  bool forced = false;  // a position set by a test, answered as it is
  int forcedR = 0;
  int forcedC = 0;
};

State& Current() {
  static State state;
  return state;
}

void ResetState() { Current() = State(); }

const bool s_registered = orvex::test::RegisterGlobalState({"sim value matrix context", &ResetState, nullptr});

}  // namespace

void SimValueMatrixContext::Reset() { ResetState(); }

bool SimValueMatrixContext::GetCurrentRowCol(int rows, int cols, int& r, int& c) {
  State& s = Current();
  s.rows = std::max(s.rows, rows);
  s.cols = std::max(s.cols, cols);
  if (s.forced) {
    r = s.forcedR;
    c = s.forcedC;
    return true;
  }
  const int width = std::max(s.cols, 1);
  r = static_cast<int>(s.position / width);
  c = static_cast<int>(s.position % width);
  return true;
}

bool SimValueMatrixContext::IncrIteratorIfHaveNext() {
  State& s = Current();
  const long extent = static_cast<long>(s.rows) * s.cols;
  if (extent == 0 || s.position + 1 >= extent) return false;
  ++s.position;
  return true;
}

void SimValueMatrixContext::SetCurrentRowColForTest(int r, int c) {
  State& s = Current();
  s.forced = true;
  s.forcedR = r;
  s.forcedC = c;
}
