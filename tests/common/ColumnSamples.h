// Columns of every kind holding awkward values and invalid markers, shared by the text and block tests.
#pragma once

#include <cmath>
#include <cstring>
#include <limits>

#include "postorvex/columns/Column.h"

namespace columntest {

inline const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Awkward values of every kind, and invalid markers.
struct FillCase {
  int type;
  const char* why;
  void (*fill)(Column&);
};

inline const FillCase kFills[] = {
    {1, "doubles", [](Column& c) {
       c.GetDoubleColumn()->AppendValues({kNaN, -0.0, 0.1, 1.0 / 3.0, 1e-308, 4.9e-324, 1.7976931348623157e308,
                                          INFINITY, -INFINITY, -2.5e-7});
     }},
    {2, "complex", [](Column& c) {
       c.GetComplexColumn()->AddValue({kNaN, kNaN});
       c.GetComplexColumn()->AddValue({-0.0, 1e300});
       c.GetComplexColumn()->AddValue({0.1, -INFINITY});
     }},
    {13, "integers", [](Column& c) { c.GetIntColumn()->GetValues() = {INT32_MIN, INT32_MAX, 0, -1}; }},
    {14, "characters", [](Column& c) { c.GetCharColumn()->GetValues() = {CharColumn::kInvalidValue, 0, '\xff', ' '}; }},
    {15, "enumeration", [](Column& c) { c.GetEnumColumn()->GetValues() = {EnumColumn::kInvalidValue, 3}; }},
    {9, "texts", [](Column& c) {
       for (const wchar_t* s : {L"", L"a b", L"3:x", L" ", L"\"q\"\n\t\\", L"\u00e9\u4e2d\U0001F600"})
         c.GetTextColumn()->AppendText(s);
       c.GetTextColumn()->AppendText(AString(L"nul\0inside", 10));
     }},
    {10, "strings", [](Column& c) { c.GetStringColumn()->GetValues() = {L"x", L"", L"1 2"}; }},
    {16, "double matrices", [](Column& c) {
       auto& m = static_cast<DoubleMatrixColumn&>(*c.GetMatrixColumn());
       m.AppendMatrix({2, 2, {1, kNaN, -0.0, 1e-300}});
       m.AppendInvalidValues(1);
       m.AppendMatrix({1, 3, {1, 2, 3}});
       m.AppendMatrix({9, 0, {}});
       m.AppendMatrix({0, 9, {}});
     }},
    {17, "complex matrices", [](Column& c) {
       auto& m = static_cast<ComplexMatrixColumn&>(*c.GetMatrixColumn());
       m.AppendMatrix({1, 2, {{1, -1}, {kNaN, 0}}});
       m.AppendInvalidValues(1);
       m.AppendMatrix({0, 9, {}});
     }},
    {18, "string matrices", [](Column& c) {
       auto& m = static_cast<StringMatrixColumn&>(*c.GetMatrixColumn());
       m.AppendMatrix({1, 2, {L"a b", L""}});
       m.AppendInvalidValues(1);
       m.AppendMatrix({9, 0, {}});
     }},
    {3, "arcs", [](Column& c) {
       c.GetArcColumn()->AddValue({1, 2, 3, -0.5, 0.1});
       c.GetArcColumn()->AppendInvalidValues(1);
     }},
    {4, "circles", [](Column& c) {
       c.GetCircleColumn()->AddValue({1, 2, 3});
       c.GetCircleColumn()->AppendInvalidValues(1);
     }},
    {5, "regions", [](Column& c) {
       c.GetRegionColumn()->AddValue({{{0, 0}, {1, 0.1}}});
       c.GetRegionColumn()->AppendInvalidValues(1);
       c.GetRegionColumn()->AddValue({{{kNaN, 1}}});
     }},
};

inline bool SameBits(double a, double b) {
  return std::isnan(a) ? std::isnan(b) : std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace columntest
