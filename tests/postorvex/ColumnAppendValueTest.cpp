#include <memory>

#include "RepTest.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/Value.h"
#include "postorvex/columns/Column.h"

namespace {

const int kNoUnit = 90;
const int kNs = 102;
const int kHz = 110;
const int kMHz = 112;
const int kGHz = 113;

Value Text(const wchar_t* text, int units) {
  Value v(units);
  v.SetValueText(text, units);
  return v;
}

Value Rooted(ValueBase* root) {
  Value v;
  v.SetValueBase(root);
  return v;
}

Value StringConstant(const wchar_t* s) {
  Value v;
  v.SetStringValueText(s);
  return v;
}

}  // namespace

// Values are read once, with the getter of their kind, and converted to the column's unit.
TEST(ColumnAppendValue, ConvertsValuesToTheColumn) {
  struct Case {
    const char* why;
    int type;
    int units;
    Value value;
    bool ok;
    bool asserts;
    const wchar_t* text;
  };
  const Case cases[] = {
      {"GHz into GHz", 1, kGHz, Value(1.5, kGHz), true, false, L"1.5GHz"},
      {"GHz into Hz", 1, kHz, Value(1.5, kGHz), true, false, L"1500000000Hz"},
      {"GHz into no unit", 1, kNoUnit, Value(1.5, kGHz), true, false, L"1500000000"},
      {"a bare number is in the value's unit", 1, kNs, Text(L"1.5", kNs), true, false, L"1.5ns"},
      {"a unit suffix wins", 1, kNs, Text(L"1.5us", kNs), true, false, L"1500ns"},
      {"an expression", 1, kNoUnit, Text(L"1+2*3", kNoUnit), true, false, L"7"},
      {"NaN is invalid", 1, kNoUnit, Text(L"NaN", kNoUnit), true, false, L""},
      {"an empty value is invalid", 1, kGHz, Value(kGHz), true, false, L""},
      {"a text that does not parse is invalid", 1, kNoUnit, Text(L"1e", kNoUnit), true, false, L""},
      {"complex does not fit double", 1, kGHz, Value(AComplex<double>(1, 2), kGHz), false, true, L""},
      {"complex MHz into complex GHz", 2, kGHz, Value(AComplex<double>(1, 2), kMHz), true, false, L"0.001+0.002i"},
      {"double into complex", 2, kNoUnit, Value(2.5, kNoUnit), true, false, L"2.5+0i"},
      {"integer constant", 13, kNoUnit, Rooted(new IntValue(-7)), true, false, L"-7"},
      {"character constant into double", 1, kNoUnit, Rooted(new CharValue(static_cast<char>(200))), true, false,
       L"200"},
      {"enumeration constant", 15, kNoUnit, Rooted(new EnumValue(3, L"Mode")), true, false, L"3"},
      {"invalid integer constant", 13, kNoUnit, Rooted(new IntValue(IntValue::kInvalidValue)), true, false, L""},
      {"double does not fit integer", 13, kNoUnit, Value(1.0, kNoUnit), false, true, L""},
      {"string constant into text", 9, kNoUnit, StringConstant(L"a b"), true, false, L"a b"},
      {"string constant does not fit double", 1, kNoUnit, StringConstant(L"1"), false, true, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<Column> col(Column::CreateColumn(c.type, c.units));
    EXPECT_EQ(c.ok, col->AppendValue(c.value));
    if (c.asserts) {
      EXPECT_SOFT_ASSERT("!\"value kind does not fit the column\"");
    }
    EXPECT_NO_SOFT_ASSERT();
    ASSERT_EQ(1u, col->GetCount());
    EXPECT_EQ(AString(c.text), col->GetSingleValueText(0));
  }
}

// A column's single-value text parses back, through the value layer, to the same value.
TEST(ColumnAppendValue, SingleValueTextParsesBack) {
  DoubleColumn col(kGHz);
  for (double v : {0.1, 1.0 / 3.0, -2.5e-7, 1e300}) col.AddValue(v, true);
  for (size_t i = 0; i < col.GetCount(); ++i) {
    SCOPED_TRACE(col.GetSingleValueText(i).ToUtf8());
    Value back = Text(col.GetSingleValueText(i).c_str(), kGHz);
    ASSERT_TRUE(back.IsValidText());
    EXPECT_EQ(kGHz, back.GetUnits());
    EXPECT_EQ(col.GetValues()[i], back.GetValue());
  }
}
