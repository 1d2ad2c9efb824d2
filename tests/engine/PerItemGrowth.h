// Work per item at two sizes: what grows no faster than its items keeps it alike.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>

namespace reptest {

// `countAt(n)` does the work over n items and answers how often it did the counted step.
inline void ExpectPerItemAlikeAt100And400(const std::function<long(size_t)>& countAt) {
  const size_t sizes[2] = {100, 400};
  double perItem[2] = {0, 0};
  for (int s = 0; s < 2; ++s) perItem[s] = double(countAt(sizes[s])) / double(sizes[s]);
  EXPECT_LE(perItem[1], 1.5 * perItem[0] + 1) << perItem[0] << " then " << perItem[1];
}

}  // namespace reptest
