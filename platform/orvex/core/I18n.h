// Locale-independent texts of numbers, used for numbered names and items.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

namespace i18n {

// Plain decimal, no padding or grouping: "0", "12", "-1".
ORVEX_API AString MakeNumberString(int value);
ORVEX_API AString MakeNumberString(long value);
ORVEX_API AString MakeNumberString(long long value);
ORVEX_API AString MakeNumberString(unsigned value);
ORVEX_API AString MakeNumberString(unsigned long value);
ORVEX_API AString MakeNumberString(unsigned long long value);

}  // namespace i18n
