// Texts of numbers that the expression parser reads back: "%.15g", "re+imi", "nan", "inf".
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"

namespace val {

// `format` is a printf format with one double conversion ("%.17g", "%-.15g").
ORVEX_API AString FormatDouble(double v, const char* format = "%.15g");
// "re+imi" or "re-imi".
ORVEX_API AString FormatComplex(const AComplex<double>& c, const char* format = "%.15g");

}  // namespace val
