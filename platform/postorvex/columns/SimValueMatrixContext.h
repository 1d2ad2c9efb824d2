// The element of a matrix quantity that evaluation reads now, and the walk over all elements.
#pragma once

#include "orvex/core/OrvexApi.h"

// Process-wide. The first shape registered after Reset fixes the extent; larger shapes widen it.
class POSTORVEX_API SimValueMatrixContext {
public:
  static void Reset();
  // Registers the shape and answers the current position in row-major order of the extent.
  static bool GetCurrentRowCol(int rows, int cols, int& r, int& c);
  // Moves to the next position; false when the extent is done or no shape was registered.
  static bool IncrIteratorIfHaveNext();
  static void SetCurrentRowColForTest(int r, int c);
};
