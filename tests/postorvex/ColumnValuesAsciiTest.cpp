// Column values read from a block value held as ASCII bytes (as a file reader gives it) must
// answer exactly as the wide text does.
#include <memory>

#include "RepTest.h"
#include "ColumnSamples.h"
#include "orvex/io/Block.h"
#include "postorvex/columns/Column.h"

using columntest::FillCase;
using columntest::kFills;

namespace {

val::ParameterType Pt(int t) { return static_cast<val::ParameterType>(t); }

io::CBlock ColumnBlock(int type, long count, const std::string& values) {
  io::CBlock b(L"Col");
  b << io::CBlock_named_value(L"ColumnType", type) << io::CBlock_named_value(L"ColumnUnits", 90)
    << io::CBlock_named_value(L"ColumnCount", io::CBlock_value(count))
    << io::CBlock_named_value(L"Values", io::CBlock_value::FromAscii(std::string(values)));
  return b;
}

}  // namespace

TEST(ColumnValuesAscii, DamagedTextGetsTheWideTextsMessage) {
  struct Case {
    int type;
    long count;
    const char* text;
  };
  const Case cases[] = {
      {1, 2, "1 2 3"},   {1, 1, "1 "},       {1, 0, "1"},        {1, 3, "1 2"},      {1, 2, "1 x"},
      {1, 2, "1  2"},    {1, 1, " 1"},       {1, 1, "1e999"},    {1, 1, "+1"},       {1, 1, "0x10"},
      {1, 1, "1:"},      {1, 1, "inf"},      {1, 1, "-inf"},     {1, 1, "nan"},      {1, 2, "1\t2"},
      {1, 1, "1111111111111111111111111111111111111111111111111111111111111111"},
      {1, 1, "11111111111111111111111111111111111111111111111111111111111111111"},
      {1, 1, "1.000000000000000000000000000000000000000000000000000000000000000000001"},
      {2, 1, "1"},       {13, 1, "2147483648"}, {13, 1, "1.5"},  {13, 1, "12345678901234567890123456789012"},
      {13, 1, "123456789012345678901234567890123"}, {14, 1, "256"}, {14, 1, "-1"},
      {9, 1, "5:abc"},   {9, 1, "x:abc"},    {9, 1, "-1:"},      {9, 2, "1:a1:b"},   {9, 1, "abc"},
      {9, 2, "1:a 2:b c"}, {9, 1, "3:a b"},  {16, 1, "1000000000 1000000000 1"}, {16, 1, "2 2 1 2 3"},
      {18, 1, "1 1"},    {5, 1, "99999999999 1 2"}, {3, 1, "1 2 3 4"}, {7, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    AString wideError;
    std::unique_ptr<Column> wide(Column::CreateFromValuesText(Pt(c.type), 90, static_cast<size_t>(c.count),
                                                              AString::FromUtf8(c.text), wideError));
    AString asciiError;
    std::unique_ptr<Column> ascii(Column::ReadAndCreateColumn(ColumnBlock(c.type, c.count, c.text), asciiError));
    ASSERT_EQ(bool(wide), bool(ascii)) << wideError.ToUtf8() << " / " << asciiError.ToUtf8();
    if (wide)
      EXPECT_EQ(wide->GetValuesText(), ascii->GetValuesText());
    else
      EXPECT_EQ(wideError, asciiError);
  }
}

TEST(ColumnValuesAscii, EveryKindReadsTheSameFromBytes) {
  for (const FillCase& f : kFills) {
    SCOPED_TRACE(f.why);
    std::unique_ptr<Column> c(Column::CreateColumn(Pt(f.type), 113));
    f.fill(*c);
    io::CBlock block(L"Col");
    ASSERT_EQ(io::kNoError, c->WriteColumn(block));
    const io::CBlock_named_value* values = block.FindNamedValue(L"Values");
    ASSERT_TRUE(values);
    const AString text = c->GetValuesText();
    EXPECT_EQ(text, values->GetValue().GetString());
    // Held as bytes exactly when the text is ASCII.
    bool ascii = true;
    for (wchar_t ch : text) ascii = ascii && static_cast<unsigned long>(ch) < 0x80;
    EXPECT_EQ(ascii, values->GetValue().GetAscii() != nullptr);
    std::unique_ptr<Column> back(Column::ReadAndCreateColumn(block));
    ASSERT_TRUE(back);
    EXPECT_EQ(text, back->GetValuesText());
  }
}
