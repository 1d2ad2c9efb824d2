#include <cmath>
#include <memory>
#include <vector>

#include "RepTest.h"
#include "postorvex/columns/Column.h"

namespace {

const int kNoUnit = 90;
const int kHz = 110;
const int kGHz = 113;

std::unique_ptr<Column> Doubles(int units, const std::vector<double>& v) {
  auto c = std::make_unique<DoubleColumn>(units);
  c->AppendValues(v);
  return c;
}

std::unique_ptr<Column> Ints(const std::vector<int32_t>& v) {
  auto c = std::make_unique<IntColumn>();
  c->GetValues() = v;
  return c;
}

std::unique_ptr<Column> Texts(bool string, const std::vector<AString>& v) {
  std::unique_ptr<Column> c(Column::CreateColumn(static_cast<val::ParameterType>(string ? 10 : 9), kNoUnit));
  for (const AString& s : v) (string ? c->GetStringColumn()->AppendText(s) : c->GetTextColumn()->AppendText(s));
  return c;
}

std::unique_ptr<Column> Complexes(const std::vector<AComplex<double>>& v) {
  auto c = std::make_unique<ComplexColumn>();
  for (const auto& x : v) c->AddValue(x);
  return c;
}

std::vector<AString> TextsOf(const Column* c) {
  std::vector<AString> out;
  if (!c) return out;
  for (size_t i = 0; i < c->GetCount(); ++i) out.push_back(c->GetSingleValueText(i));
  return out;
}

}  // namespace

TEST(IntersectColumns, KeepsAsValuesThatOccurInB) {
  const double nan = std::nan("");
  struct Case {
    const char* why;
    std::unique_ptr<Column> a, b;
    std::vector<AString> expect;  // texts of the result; empty: no column
  };
  Case cases[] = {
      {"units compared in SI, tolerance 1e-12 relative", Doubles(kGHz, {1, 2, 3}),
       Doubles(kHz, {2e9 * (1 + 1e-13), 3e9 * (1 + 1e-10), 5e9}), {L"2GHz"}},
      {"a's order and repeats kept", Doubles(kNoUnit, {2, 1, 2, 3}), Doubles(kNoUnit, {3, 2}),
       {L"2", L"2", L"3"}},
      {"nothing in common", Doubles(kNoUnit, {1, 2}), Doubles(kNoUnit, {3}), {}},
      {"empty b", Doubles(kNoUnit, {1, 2}), Doubles(kNoUnit, {}), {}},
      {"invalid entries never match", Doubles(kNoUnit, {nan, 1}), Doubles(kNoUnit, {nan, 1}), {L"1"}},
      {"zero matches only zero", Doubles(kNoUnit, {0, 1e-300}), Doubles(kNoUnit, {0}), {L"0"}},
      {"infinities match", Doubles(kNoUnit, {INFINITY, -INFINITY, 1}), Doubles(kNoUnit, {-INFINITY}), {L"-inf"}},
      {"negative values", Doubles(kNoUnit, {-5, -4}), Doubles(kNoUnit, {-4 * (1 - 5e-13)}), {L"-4"}},
      {"integers against doubles", Ints({1, 2, 3}), Doubles(kNoUnit, {2.0, 3.0 * (1 + 3e-14)}), {L"2", L"3"}},
      {"texts exactly, across text and string", Texts(false, {L"a", L"B", L"c", L""}), Texts(true, {L"b", L"c", L""}),
       {L"c"}},
      {"complex", Complexes({{1, 1}, {2, 2}}), Complexes({{2, 2 * (1 + 1e-14)}}), {L"2+2i"}},
      {"numbers and texts share nothing", Doubles(kNoUnit, {1}), Texts(false, {L"1"}), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<Column> r(Column::IntersectColumns(*c.a, *c.b));
    EXPECT_EQ(c.expect, TextsOf(r.get()));
    if (!r) continue;
    EXPECT_EQ(c.a->GetParameterType(), r->GetParameterType());
    EXPECT_EQ(c.a->GetUnits(), r->GetUnits());
  }
}

TEST(IntersectColumns, RecordsAndEnumerationNames) {
  ArcColumn a, b;
  a.AddValue({0, 0, 1, 0, 1});
  a.AddValue({0, 0, 2, 0, 1});
  b.AddValue({0, 0, 2 * (1 + 1e-14), 0, 1});
  std::unique_ptr<Column> r(Column::IntersectColumns(a, b));
  ASSERT_TRUE(r);
  EXPECT_EQ(std::vector<AString>{L"(0, 0, 2, 0, 1)"}, TextsOf(r.get()));

  EnumColumn e1, e2;
  e1.InitializeEnumName(L"Mode");
  e1.GetValues() = {1, 2};
  e2.GetValues() = {2};
  r.reset(Column::IntersectColumns(e1, e2));
  ASSERT_TRUE(r && r->GetEnumColumn());
  AString name;
  EXPECT_TRUE(r->GetEnumColumn()->GetEnumName(name));
  EXPECT_EQ(AString(L"Mode"), name);
}

TEST(Column, AppendValuesAtConvertsAndRefusesWithoutAppending) {
  std::unique_ptr<Column> ghz = Doubles(kGHz, {1.5, 2.5});
  DoubleColumn hz(kHz);
  EXPECT_TRUE(hz.AppendValuesAt(*ghz, {1}));
  EXPECT_EQ(std::vector<double>{2.5e9}, hz.GetValues());

  EXPECT_TRUE(hz.AppendValuesAt(*ghz, {}));
  EXPECT_EQ(1u, hz.GetCount());

  std::unique_ptr<Column> ints = Ints({1});
  EXPECT_FALSE(hz.AppendValuesAt(*ints, {0}));  // another kind
  EXPECT_EQ(1u, hz.GetCount());

  EXPECT_FALSE(hz.AppendValuesAt(*ghz, {0, 2}));  // row 2 does not exist: nothing at all is appended
  EXPECT_SOFT_ASSERT("row<count");
  EXPECT_EQ(1u, hz.GetCount());
}
