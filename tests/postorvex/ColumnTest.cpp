#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "RepTest.h"
#include "postorvex/columns/Column.h"

namespace {

const int kNoUnit = 90;
const int kHz = 110;
const int kMHz = 112;
const int kGHz = 113;
const int kNs = 102;
const int kMV = 121;
const int kV = 122;

val::ParameterType Pt(int t) { return static_cast<val::ParameterType>(t); }

std::unique_ptr<Column> Make(int type, int units = kNoUnit) {
  return std::unique_ptr<Column>(Column::CreateColumn(Pt(type), units));
}

// Names the most derived Visit reached, and the parent kind a fallback visitor reaches.
struct KindRecorder : Column::Visitor {
  std::string seen;
  bool Visit(const EnumColumn&) override { return Seen("Enum"); }
  bool Visit(const CharColumn&) override { return Seen("Char"); }
  bool Visit(const IntColumn&) override { return Seen("Int"); }
  bool Visit(const DoubleColumn&) override { return Seen("Double"); }
  bool Visit(const ComplexColumn&) override { return Seen("Complex"); }
  bool Visit(const TextColumn&) override { return Seen("Text"); }
  bool Visit(const StringColumn&) override { return Seen("String"); }
  bool Visit(const DoubleMatrixColumn&) override { return Seen("DoubleMatrix"); }
  bool Visit(const ComplexMatrixColumn&) override { return Seen("ComplexMatrix"); }
  bool Visit(const StringMatrixColumn&) override { return Seen("StringMatrix"); }
  bool Visit(const ArcColumn&) override { return Seen("Arc"); }
  bool Visit(const CircleColumn&) override { return Seen("Circle"); }
  bool Visit(const RegionColumn&) override { return Seen("Region"); }
  bool Seen(const char* s) {
    seen = s;
    return true;
  }
};

struct ParentRecorder : Column::Visitor {
  std::string seen;
  bool Visit(const DigitalColumn&) override { return Seen("Digital"); }
  bool Visit(const MatrixColumn&) override { return Seen("Matrix"); }
  bool Visit(const Column&) override {
    seen = "Column";
    return false;
  }
  bool Seen(const char* s) {
    seen = s;
    return true;
  }
};

// Which views answer: one letter per view, in the order below.
std::string Views(const Column& c) {
  std::string s;
  s += c.GetDoubleColumn() ? "D" : "";
  s += c.GetComplexColumn() ? "X" : "";
  s += c.GetIntColumn() ? "I" : "";
  s += c.GetCharColumn() ? "C" : "";
  s += c.GetEnumColumn() ? "E" : "";
  s += c.GetTextColumn() ? "T" : "";
  s += c.GetStringColumn() ? "S" : "";
  s += c.GetArcColumn() ? "A" : "";
  s += c.GetCircleColumn() ? "O" : "";
  s += c.GetRegionColumn() ? "R" : "";
  s += c.GetMatrixColumn() ? "M" : "";
  return s;
}

// One row of the kind table: how to append a valid value through the kind's own interface.
struct KindCase {
  int type;
  const char* kind;
  const char* parent;
  const char* views;
  void (*fill)(Column&);
  const wchar_t* text;  // of the value `fill` appends, in a column of unit kGHz
};

const KindCase kKinds[] = {
    {15, "Enum", "Digital", "E", [](Column& c) { c.GetEnumColumn()->GetValues().push_back(3); }, L"3"},
    {14, "Char", "Digital", "C", [](Column& c) { c.GetCharColumn()->GetValues().push_back(static_cast<char>(200)); },
     L"200"},
    {13, "Int", "Digital", "I", [](Column& c) { c.GetIntColumn()->GetValues().push_back(-5); }, L"-5"},
    {1, "Double", "Column", "D", [](Column& c) { c.GetDoubleColumn()->AddValue(1.5, true); }, L"1.5GHz"},
    {2, "Complex", "Column", "X", [](Column& c) { c.GetComplexColumn()->AddValue(AComplex<double>(1.5, -2.5)); },
     L"1.5-2.5i"},
    {9, "Text", "Column", "T", [](Column& c) { c.GetTextColumn()->AppendText(L"a \"b\"\n"); }, L"a \"b\"\n"},
    {10, "String", "Column", "S", [](Column& c) { c.GetStringColumn()->AppendText(L"\u00e9t\u00e9"); },
     L"\u00e9t\u00e9"},
    {16, "DoubleMatrix", "Matrix", "M",
     [](Column& c) { static_cast<DoubleMatrixColumn&>(*c.GetMatrixColumn()).AppendMatrix({2, 2, {1, 2, 3, 4}}); },
     L"[1GHz, 2GHz; 3GHz, 4GHz]"},
    {17, "ComplexMatrix", "Matrix", "M",
     [](Column& c) {
       static_cast<ComplexMatrixColumn&>(*c.GetMatrixColumn()).AppendMatrix({1, 2, {{1, 1}, {0, -2}}});
     },
     L"[1+1i, 0-2i]"},
    {18, "StringMatrix", "Matrix", "M",
     [](Column& c) { static_cast<StringMatrixColumn&>(*c.GetMatrixColumn()).AppendMatrix({2, 1, {L"x", L"y"}}); },
     L"[x; y]"},
    {3, "Arc", "Column", "A", [](Column& c) { c.GetArcColumn()->AddValue({1, 2, 3, 0, 1.5}); }, L"(1, 2, 3, 0, 1.5)"},
    {4, "Circle", "Column", "O", [](Column& c) { c.GetCircleColumn()->AddValue({1, 2, 0.5}); }, L"(1, 2, 0.5)"},
    {5, "Region", "Column", "R", [](Column& c) { c.GetRegionColumn()->AddValue({{{0, 0}, {1, 0}, {1, 1}}}); },
     L"((0, 0), (1, 0), (1, 1))"},
};

}  // namespace

TEST(Column, CreatesNothingForTypesWithoutAKind) {
  for (int type : {0, 6, 7, 8, 11, 12, 19, -1, 1000}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(nullptr, Column::CreateColumn(Pt(type), kNoUnit));
    EXPECT_EQ(nullptr, Column::CreateColumn2(Pt(type), kNoUnit, nullptr, L"", L"", true, true));
  }
}

// Every kind: its own view only, its visit operation and parent fallback, values held with
// their invalid markers, clone independence, rows copied by AppendValuesAt, placeholder rule.
TEST(Column, EveryKindHoldsClonesAndCopiesRows) {
  for (const KindCase& k : kKinds) {
    SCOPED_TRACE(k.kind);
    std::unique_ptr<Column> c = Make(k.type, kGHz);
    ASSERT_TRUE(c);
    EXPECT_EQ(k.type, static_cast<int>(c->GetParameterType()));
    EXPECT_EQ(kGHz, c->GetUnits());
    EXPECT_EQ(k.views, Views(*c));

    KindRecorder exact;
    EXPECT_TRUE(c->Accept(exact));
    EXPECT_EQ(k.kind, exact.seen);
    ParentRecorder parent;
    EXPECT_EQ(std::string(k.parent) != "Column", c->Accept(parent));
    EXPECT_EQ(k.parent, parent.seen);

    k.fill(*c);
    c->AppendInvalidValues(2);
    ASSERT_EQ(3u, c->GetCount());
    EXPECT_FALSE(c->IsInvalidAt(0));
    EXPECT_TRUE(c->IsInvalidAt(1));
    EXPECT_TRUE(c->IsInvalidAt(2));
    EXPECT_EQ(AString(k.text), c->GetSingleValueText(0));
    EXPECT_EQ(AString(), c->GetSingleValueText(1));

    std::unique_ptr<Column> clone(c->CloneColumn());
    ASSERT_TRUE(clone);
    EXPECT_EQ(k.views, Views(*clone));
    EXPECT_EQ(kGHz, clone->GetUnits());
    ASSERT_EQ(3u, clone->GetCount());
    EXPECT_EQ(AString(k.text), clone->GetSingleValueText(0));
    EXPECT_TRUE(clone->IsInvalidAt(2));
    clone->ClearValues();
    EXPECT_EQ(0u, clone->GetCount());
    EXPECT_EQ(3u, c->GetCount());
    EXPECT_EQ(AString(k.text), c->GetSingleValueText(0));

    std::unique_ptr<Column> rows = Make(k.type, kGHz);
    EXPECT_TRUE(rows->AppendValuesAt(*c, {2, 0, 0}));
    ASSERT_EQ(3u, rows->GetCount());
    EXPECT_TRUE(rows->IsInvalidAt(0));
    EXPECT_EQ(AString(k.text), rows->GetSingleValueText(1));
    EXPECT_EQ(AString(k.text), rows->GetSingleValueText(2));

    // The placeholder of a trace that could not be computed: exactly one invalid value.
    c->ClearValues();
    c->AppendInvalidValues(1);
    ASSERT_EQ(1u, c->GetCount());
    EXPECT_TRUE(c->IsInvalidAt(0));
    EXPECT_EQ(AString(), c->GetSingleValueText(0));

    // A value that is no value appends the invalid marker of every kind, without complaint.
    EXPECT_TRUE(c->AppendInput(ColumnInput::None()));
    EXPECT_TRUE(c->IsInvalidAt(1));
  }
  EXPECT_NO_SOFT_ASSERT();
}

TEST(Column, AppendConvertsToTheColumnsKindAndUnit) {
  struct Case {
    const char* why;
    int type;
    int units;
    ColumnInput in;
    bool ok;
    bool asserts;
    const wchar_t* text;  // of the appended entry
  };
  const ColumnInput nan = ColumnInput::Number(std::nan(""), kGHz);
  const Case cases[] = {
      {"GHz into GHz", 1, kGHz, ColumnInput::Number(1.5, kGHz), true, false, L"1.5GHz"},
      {"GHz into Hz", 1, kHz, ColumnInput::Number(1.5, kGHz), true, false, L"1500000000Hz"},
      {"GHz into no unit is SI", 1, kNoUnit, ColumnInput::Number(1.5, kGHz), true, false, L"1500000000"},
      {"Hz into GHz", 1, kGHz, ColumnInput::Number(2.5e9, kHz), true, false, L"2.5GHz"},
      {"mV into V", 1, kV, ColumnInput::Number(250, kMV), true, false, L"0.25V"},
      {"NaN is the invalid marker", 1, kGHz, nan, true, false, L""},
      {"integer into double keeps its number", 1, kGHz, ColumnInput::Digital(7, Pt(13)), true, false, L"7GHz"},
      {"invalid integer into double", 1, kNoUnit, ColumnInput::Digital(IntColumn::kInvalidValue, Pt(13)), true,
       false, L""},
      {"character into double reads unsigned", 1, kNoUnit, ColumnInput::Character(static_cast<char>(200)), true,
       false, L"200"},
      {"complex does not fit double", 1, kGHz, ColumnInput::Complex({1, 2}, kGHz), false, true, L""},
      {"text does not fit double", 1, kGHz, ColumnInput::Text(L"1.5", Pt(9)), false, true, L""},
      {"complex MHz into GHz", 2, kGHz, ColumnInput::Complex({1, 2}, kMHz), true, false,
       L"0.001+0.002i"},
      {"double into complex", 2, kHz, ColumnInput::Number(2, kGHz), true, false, L"2000000000+0i"},
      {"enum into complex", 2, kNoUnit, ColumnInput::Digital(4, Pt(15)), true, false, L"4+0i"},
      {"integer into integer", 13, kNoUnit, ColumnInput::Digital(-7, Pt(13)), true, false, L"-7"},
      {"enumeration into integer", 13, kNoUnit, ColumnInput::Digital(3, Pt(15)), true, false, L"3"},
      {"character into integer", 13, kNoUnit, ColumnInput::Character(static_cast<char>(255)), true, false, L"255"},
      {"invalid character into integer", 13, kNoUnit, ColumnInput::Character(CharColumn::kInvalidValue), true,
       false, L""},
      {"double does not fit integer", 13, kNoUnit, ColumnInput::Number(1, kNoUnit), false, true, L""},
      {"integer into enumeration", 15, kNoUnit, ColumnInput::Digital(2, Pt(13)), true, false, L"2"},
      {"character into character", 14, kNoUnit, ColumnInput::Character(1), true, false, L"1"},
      {"integer 200 into character", 14, kNoUnit, ColumnInput::Digital(200, Pt(13)), true, false, L"200"},
      {"integer 128 is the invalid byte", 14, kNoUnit, ColumnInput::Digital(128, Pt(13)), false, false, L""},
      {"integer 300 does not fit a byte", 14, kNoUnit, ColumnInput::Digital(300, Pt(13)), false, false, L""},
      {"negative integer into character", 14, kNoUnit, ColumnInput::Digital(-1, Pt(13)), false, false, L""},
      {"double does not fit character", 14, kNoUnit, ColumnInput::Number(1, kNoUnit), false, true, L""},
      {"text into text", 9, kNoUnit, ColumnInput::Text(L"a b", Pt(9)), true, false, L"a b"},
      {"string into text", 9, kNoUnit, ColumnInput::Text(L"s", Pt(10)), true, false, L"s"},
      {"text into string", 10, kNoUnit, ColumnInput::Text(L"t", Pt(9)), true, false, L"t"},
      {"double does not fit text", 9, kNoUnit, ColumnInput::Number(1, kNoUnit), false, true, L""},
      {"arc into arc", 3, kNoUnit, ColumnInput::Arc({0, 0, 1, 0, 3}), true, false, L"(0, 0, 1, 0, 3)"},
      {"arc does not fit circle", 4, kNoUnit, ColumnInput::Arc({0, 0, 1, 0, 3}), false, true, L""},
      {"circle into circle", 4, kNoUnit, ColumnInput::Circle({0, 0, 1}), true, false, L"(0, 0, 1)"},
      {"region into region", 5, kNoUnit, ColumnInput::Region({{{0, 1}}}), true, false, L"((0, 1))"},
      {"double does not fit region", 5, kNoUnit, ColumnInput::Number(1, kNoUnit), false, true, L""},
      {"double does not fit a double matrix", 16, kNoUnit, ColumnInput::Number(1, kNoUnit), false, true, L""},
      {"text does not fit a string matrix", 18, kNoUnit, ColumnInput::Text(L"x", Pt(10)), false, true, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<Column> col = Make(c.type, c.units);
    EXPECT_EQ(c.ok, col->AppendInput(c.in));
    if (c.asserts) {
      EXPECT_SOFT_ASSERT("!\"value kind does not fit the column\"");
    }
    EXPECT_NO_SOFT_ASSERT();
    ASSERT_EQ(1u, col->GetCount());
    EXPECT_EQ(AString(c.text), col->GetSingleValueText(0));
    EXPECT_EQ(AString(c.text).empty(), col->IsInvalidAt(0));
  }
}

// The text of a double reads back to the same bits, with the column's unit after the number.
TEST(Column, DoubleTextParsesBackExactly) {
  const double values[] = {0.1, 1.0 / 3.0, -0.0, 1e-300, 4.9e-324, 1.7976931348623157e308,
                           -123456789.123456789, 2.5e9, INFINITY, -INFINITY};
  DoubleColumn col(kNs);
  for (double v : values) col.AddValue(v, true);
  for (size_t i = 0; i < col.GetCount(); ++i) {
    const std::string text = col.GetSingleValueText(i).ToUtf8();
    SCOPED_TRACE(text);
    ASSERT_GT(text.size(), 2u);
    EXPECT_EQ("ns", text.substr(text.size() - 2));
    const std::string number = text.substr(0, text.size() - 2);
    char* end = nullptr;
    const double back = std::strtod(number.c_str(), &end);
    EXPECT_EQ(number.c_str() + number.size(), end);
    EXPECT_EQ(0, std::memcmp(&back, &values[i], sizeof back));
  }
}

TEST(Column, TextOfARowOutOfRangeIsEmptyAndAsserts) {
  for (const KindCase& k : kKinds) {
    SCOPED_TRACE(k.kind);
    std::unique_ptr<Column> c = Make(k.type);
    k.fill(*c);
    EXPECT_EQ(AString(), c->GetSingleValueText(1));
    EXPECT_SOFT_ASSERT("i<GetCount()");
  }
}

TEST(Column, DigitalColumnsReadAsDoubles) {
  CharColumn chars;
  chars.GetValues() = {static_cast<char>(200), CharColumn::kInvalidValue, 0};
  IntColumn ints;
  ints.GetValues() = {-5, IntColumn::kInvalidValue, 7};
  EnumColumn enums;
  enums.GetValues() = {2, EnumColumn::kInvalidValue, 0};
  const struct {
    const DigitalColumn* col;
    double first, last;
  } cases[] = {{&chars, 200.0, 0.0}, {&ints, -5.0, 7.0}, {&enums, 2.0, 0.0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.first, c.col->GetEntryAsDouble(0));
    EXPECT_TRUE(DoubleColumn::IsInvalidValue(c.col->GetEntryAsDouble(1)));
    EXPECT_EQ(c.last, c.col->GetEntryAsDouble(2));
  }
}

TEST(Column, EnumerationNameIsKeptAndCloned) {
  EnumColumn col;
  AString name(L"untouched");
  EXPECT_FALSE(col.GetEnumName(name));
  EXPECT_EQ(AString(L"untouched"), name);
  col.InitializeEnumName(L"");
  EXPECT_TRUE(col.GetEnumName(name));  // an empty name is still a name given
  EXPECT_EQ(AString(), name);
  col.InitializeEnumName(L"Colors");
  std::unique_ptr<Column> clone(col.CloneColumn());
  ASSERT_TRUE(clone->GetEnumColumn());
  EXPECT_TRUE(clone->GetEnumColumn()->GetEnumName(name));
  EXPECT_EQ(AString(L"Colors"), name);
}

TEST(DoubleColumn, InvalidValueIsNaNAndMinMaxSkipsIt) {
  EXPECT_TRUE(DoubleColumn::IsInvalidValue(DoubleColumn::kInvalidValue));
  EXPECT_TRUE(std::isnan(DoubleColumn::kInvalidValue));
  EXPECT_FALSE(DoubleColumn::IsInvalidValue(INFINITY));
  EXPECT_FALSE(DoubleColumn::IsInvalidValue(0.0));

  DoubleColumn col;
  col.AppendValues({3, DoubleColumn::kInvalidValue, -2, 8});
  double mn = 1e300, mx = -1e300;
  col.GetMinAndMax(mn, mx);
  EXPECT_EQ(-2, mn);
  EXPECT_EQ(8, mx);
  // The caller's starting values count: they are widened, never replaced.
  mn = -10;
  mx = 100;
  col.GetMinAndMax(mn, mx);
  EXPECT_EQ(-10, mn);
  EXPECT_EQ(100, mx);
  // Only invalid entries: the starting values stay.
  DoubleColumn empty;
  empty.AppendInvalidValues(3);
  mn = 1;
  mx = 0;
  empty.GetMinAndMax(mn, mx);
  EXPECT_EQ(1, mn);
  EXPECT_EQ(0, mx);
}

TEST(MatrixColumn, ElementsSizesAndDamagedMatrices) {
  DoubleMatrixColumn col(kGHz);
  col.AppendMatrix({2, 3, {1, 2, 3, 4, 5, 6}});
  col.AppendMatrix({2, 2, {1, 2, 3}});  // three elements for four places
  EXPECT_SOFT_ASSERT("matrix.elements.size()==matrix.numRows*matrix.numCols");
  ASSERT_EQ(2u, col.GetCount());
  EXPECT_TRUE(col.IsInvalidAt(1));

  size_t rows = 0, cols = 0;
  ASSERT_TRUE(col.GetMatrixSize(0, rows, cols));
  EXPECT_EQ(2u, rows);
  EXPECT_EQ(3u, cols);
  EXPECT_EQ(AString(L"6GHz"), col.GetElementText(0, 1, 2));
  EXPECT_EQ(AString(), col.GetElementText(0, 2, 0));
  EXPECT_EQ(AString(), col.GetElementText(1, 0, 0));
  EXPECT_FALSE(col.GetMatrixSize(2, rows, cols));
  EXPECT_SOFT_ASSERT("i<GetCount()");
  EXPECT_TRUE(col.GetRowMatrix(5).IsInvalid());
  EXPECT_SOFT_ASSERT("i<GetCount()");

  // Rows copied into a column of another unit are converted element by element.
  DoubleMatrixColumn mhz(kMHz);
  EXPECT_TRUE(mhz.AppendValuesAt(col, {0}));
  EXPECT_EQ(6000.0, mhz.GetRowMatrix(0).At(1, 2));
}
