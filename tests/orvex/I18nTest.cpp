#include "orvex/core/I18n.h"

#include <climits>

#include "RepTest.h"

TEST(I18n, MakeNumberStringIsPlainDecimal) {
  EXPECT_EQ(AString(L"0"), i18n::MakeNumberString(0));
  EXPECT_EQ(AString(L"1"), i18n::MakeNumberString(1L));
  EXPECT_EQ(AString(L"12"), i18n::MakeNumberString(12u));
  EXPECT_EQ(AString(L"-1"), i18n::MakeNumberString(-1));
  EXPECT_EQ(AString(L"1000000"), i18n::MakeNumberString(1000000UL));
  // The extremes: the most negative value has no positive counterpart in its own type.
  EXPECT_EQ(AString(L"-2147483648"), i18n::MakeNumberString(INT_MIN));
  EXPECT_EQ(AString(L"-9223372036854775808"), i18n::MakeNumberString(LONG_MIN));
  EXPECT_EQ(AString(L"18446744073709551615"), i18n::MakeNumberString(ULONG_MAX));
  EXPECT_EQ(AString(L"4294967295"), i18n::MakeNumberString(UINT_MAX));
  size_t count = 7;
  EXPECT_EQ(AString(L"7"), i18n::MakeNumberString(count));
}
