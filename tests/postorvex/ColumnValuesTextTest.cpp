#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "RepTest.h"
#include "ColumnSamples.h"
#include "postorvex/columns/Column.h"

using columntest::FillCase;
using columntest::kFills;

using columntest::SameBits;

namespace {

val::ParameterType Pt(int t) { return static_cast<val::ParameterType>(t); }

}  // namespace

TEST(ColumnValuesText, EveryKindRoundTrips) {
  for (const FillCase& f : kFills) {
    SCOPED_TRACE(f.why);
    std::unique_ptr<Column> c(Column::CreateColumn(Pt(f.type), 113));
    f.fill(*c);
    const AString text = c->GetValuesText();
    AString error;
    std::unique_ptr<Column> back(Column::CreateFromValuesText(Pt(f.type), 113, c->GetCount(), text, error));
    ASSERT_TRUE(back) << error.ToUtf8() << "\n" << text.ToUtf8();
    ASSERT_EQ(c->GetCount(), back->GetCount());
    EXPECT_EQ(text, back->GetValuesText());
    for (size_t i = 0; i < c->GetCount(); ++i) {
      EXPECT_EQ(c->IsInvalidAt(i), back->IsInvalidAt(i)) << i;
      EXPECT_EQ(c->GetSingleValueText(i), back->GetSingleValueText(i)) << i;
    }
    if (const DoubleColumn* d = c->GetDoubleColumn()) {
      for (size_t i = 0; i < d->GetCount(); ++i)
        EXPECT_TRUE(SameBits(d->GetValues()[i], back->GetDoubleColumn()->GetValues()[i])) << i;
    }
    if (const TextColumn* t = c->GetTextColumn()) {
      EXPECT_EQ(t->GetValues(), back->GetTextColumn()->GetValues());
    }
  }
}

TEST(ColumnValuesText, RejectsDamagedText) {
  struct Case {
    int type;
    size_t count;
    const wchar_t* text;
    const wchar_t* error;
  };
  const Case cases[] = {
      {1, 2, L"1 2 3", L"Values holds more than ColumnCount (2) entries"},
      {1, 1, L"1 ", L"Values holds more than ColumnCount (1) entries"},
      {1, 0, L"1", L"Values holds more than ColumnCount (0) entries"},
      {1, 3, L"1 2", L"ColumnCount is 3 but Values holds 2 entries"},
      {1, 4000000000u, L"1", L"ColumnCount is 4000000000 but Values holds 1 entries"},
      {1, 2, L"1 x", L"Values: entry 1 cannot be read"},
      {1, 2, L"1  2", L"Values: entry 1 cannot be read"},
      {1, 1, L" 1", L"Values: entry 0 cannot be read"},
      {1, 1, L"1e999", L"Values: entry 0 cannot be read"},
      {1, 1, L"+1", L"Values: entry 0 cannot be read"},
      {1, 1, L"0x10", L"Values: entry 0 cannot be read"},
      {1, 1, L"\uff11", L"Values: entry 0 cannot be read"},
      {1, 1, L"1:", L"Values holds more than ColumnCount (1) entries"},
      {1, 1, L"11111111111111111111111111111111111111111111111111111111111111111111111111111111",
       L"Values: entry 0 cannot be read"},
      {2, 1, L"1", L"Values: entry 0 cannot be read"},
      {13, 1, L"2147483648", L"Values: entry 0 cannot be read"},
      {13, 1, L"1.5", L"Values: entry 0 cannot be read"},
      {14, 1, L"256", L"Values: entry 0 cannot be read"},
      {14, 1, L"-1", L"Values: entry 0 cannot be read"},
      {9, 1, L"5:abc", L"Values: entry 0 cannot be read"},
      {9, 1, L"x:abc", L"Values: entry 0 cannot be read"},
      {9, 1, L"-1:", L"Values: entry 0 cannot be read"},
      {9, 2, L"1:a1:b", L"Values: entry 1 cannot be read"},
      {9, 1, L"abc", L"Values: entry 0 cannot be read"},
      {16, 1, L"1000000000 1000000000 1", L"Values: entry 0 cannot be read"},
      {16, 1, L"2 2 1 2 3", L"Values: entry 0 cannot be read"},
      {18, 1, L"1 1", L"Values: entry 0 cannot be read"},
      {5, 1, L"99999999999 1 2", L"Values: entry 0 cannot be read"},
      {3, 1, L"1 2 3 4", L"Values: entry 0 cannot be read"},
      {7, 0, L"", L"ColumnType 7 has no column kind"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    AString error;
    std::unique_ptr<Column> col(Column::CreateFromValuesText(Pt(c.type), 90, c.count, c.text, error));
    EXPECT_FALSE(col);
    EXPECT_EQ(AString(c.error), error);
  }
}
