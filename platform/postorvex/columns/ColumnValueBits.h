// A column's values as text that differs whenever a value's bits do: round trips compare what was
// written with what read back, not one written text with the next.
#pragma once

#include <string>

#include "orvex/core/OrvexApi.h"

class Column;

namespace postorvex {

// The column's type, units and count, then every entry: doubles by their bits (every NaN alike,
// as the values text has one spelling for them), integers and characters by value, texts whole,
// matrices with their sizes, and the enumeration's name.
POSTORVEX_API std::string ColumnValueBits(const Column& column);

}  // namespace postorvex
