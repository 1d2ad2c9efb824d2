#include "postorvex/connectivity/PostpValueKeyIndex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>
#include <random>
#include <vector>

namespace {

using postp::ValueKey;

ValueKey Real(double re, double im = 0.0) {
  ValueKey k;
  k.si = AComplex<double>(re, im);
  return k;
}

ValueKey Text(const wchar_t* t) {
  ValueKey k;
  k.isText = true;
  k.text = AString(t);
  return k;
}

int FirstMatch(const std::vector<ValueKey>& rows, const ValueKey& key) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].Matches(key)) return static_cast<int>(i);
  return -1;
}

// Rows pairwise apart, as a cache's rows are; keys asked for near them, across powers of two, at
// the tolerance's edge, at zero, the infinities and NaN: the index answers as a scan would.
TEST(ValueKeyIndex, FindsWhatAScanFinds) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double tiny = std::numeric_limits<double>::denorm_min();
  std::vector<double> reals = {0.0, 1.0, 2.0, 0.5, 1024.0, -1.0, -2.0, inf, -inf, nan, tiny, -tiny, 1e300, 1e-300,
                               std::nextafter(2.0, 0.0), 3e9, -7.25};
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> spread(-1e6, 1e6);
  for (int i = 0; i < 2000; ++i) reals.push_back(spread(random));
  for (int i = 1; i <= 300; ++i) reals.push_back(0.01 * i);

  std::vector<ValueKey> rows;
  postp::ValueKeyIndex index;
  auto add = [&](const ValueKey& k) {
    if (FirstMatch(rows, k) >= 0) return;
    rows.push_back(k);
    index.push_back(k);
  };
  for (double x : reals) add(Real(x));
  add(Real(1.0, 1.0));
  add(Text(L"a"));
  add(Text(L"b"));

  std::vector<ValueKey> asked = {Text(L"a"), Text(L"b"), Text(L"c"), Real(-0.0), Real(1.0, 1.0 + 5e-13),
                                 Real(1.0, 2.0), Real(nan), Real(inf), Real(-inf)};
  for (double x : reals) {
    for (double f : {1.0, 1.0 + 0.9e-12, 1.0 - 0.9e-12, 1.0 + 1.1e-12, 1.0 - 1.1e-12, 1.0 + 1e-9})
      asked.push_back(Real(x * f));
    asked.push_back(Real(std::nextafter(x, inf)));
    asked.push_back(Real(std::nextafter(x, -inf)));
  }
  // Asked in a shuffled order too, so the hint of the last match does not answer them all.
  std::vector<ValueKey> shuffled = asked;
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  for (const auto* list : {&asked, &shuffled})
    for (const ValueKey& k : *list)
      ASSERT_EQ(FirstMatch(rows, k), index.Find(k)) << (k.isText ? -1.0 : k.si.real());

  // Rows added after searches join the index too.
  add(Real(123456.789));
  EXPECT_EQ(static_cast<int>(rows.size()) - 1, index.Find(Real(123456.789 * (1 + 5e-13))));
  index.clear();
  EXPECT_EQ(-1, index.Find(Real(1.0)));
}

}  // namespace
