#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ColumnSamples.h"
#include "RepTest.h"
#include "orvex/core/TestHooks.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/columns/ManagedFileService.h"

using columntest::kFills;
using columntest::SameBits;

namespace {

val::ParameterType Pt(int t) { return static_cast<val::ParameterType>(t); }

io::CBlock_named_value Named(const wchar_t* key, const io::CBlock_value& v) { return io::CBlock_named_value(key, v); }

}  // namespace

// Every kind through a block file, beside other items of the same block (a text column's
// sub-block, a foreign named value), which the reader ignores.
TEST(ColumnBlock, EveryKindRoundTripsThroughAFile) {
  reptest::TempDir tmp;
  for (const columntest::FillCase& f : kFills) {
    SCOPED_TRACE(f.why);
    std::unique_ptr<Column> c(Column::CreateColumn(Pt(f.type), 113));
    f.fill(*c);
    if (EnumColumn* e = c->GetEnumColumn()) e->InitializeEnumName(L"Mode \"A\"");
    io::CBlock block(L"TraceDataCol");
    block << Named(L"Before", io::CBlock_value(L"x"));
    io::CBlock txt(L"TxtCol");
    ASSERT_EQ(io::kNoError, TextColumn().WriteColumn(txt));
    block << txt;
    ASSERT_EQ(io::kNoError, c->WriteColumn(block));

    const LongFileName file(AString::FromUtf8(tmp.File("col.txt")));
    ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, block));
    io::CBlock read;
    AString why;
    ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, read, &why)) << why.ToUtf8();
    AString error;
    std::unique_ptr<Column> back(Column::ReadAndCreateColumn(read, error));
    ASSERT_TRUE(back) << error.ToUtf8();
    EXPECT_EQ(c->GetParameterType(), back->GetParameterType());
    EXPECT_EQ(113, back->GetUnits());
    ASSERT_EQ(c->GetCount(), back->GetCount());
    EXPECT_EQ(c->GetValuesText(), back->GetValuesText());
    for (size_t i = 0; i < c->GetCount(); ++i) {
      EXPECT_EQ(c->IsInvalidAt(i), back->IsInvalidAt(i)) << i;
      EXPECT_EQ(c->GetSingleValueText(i), back->GetSingleValueText(i)) << i;
    }
    if (const DoubleColumn* d = c->GetDoubleColumn()) {
      for (size_t i = 0; i < d->GetCount(); ++i)
        EXPECT_TRUE(SameBits(d->GetValues()[i], back->GetDoubleColumn()->GetValues()[i])) << i;
    }
    AString name;
    if (back->GetEnumColumn()) {
      EXPECT_TRUE(back->GetEnumColumn()->GetEnumName(name));
      EXPECT_EQ(AString(L"Mode \"A\""), name);
    }
  }
}

TEST(ColumnBlock, EmptyColumnsAndUnnamedEnumerations) {
  for (int type : {1, 2, 3, 4, 5, 9, 10, 13, 14, 15, 16, 17, 18}) {
    SCOPED_TRACE(type);
    std::unique_ptr<Column> c(Column::CreateColumn(Pt(type), 90));
    io::CBlock block;
    ASSERT_EQ(io::kNoError, c->WriteColumn(block));
    std::unique_ptr<Column> back(Column::ReadAndCreateColumn(block));
    ASSERT_TRUE(back);
    EXPECT_EQ(0u, back->GetCount());
    AString name(L"untouched");
    if (back->GetEnumColumn()) {
      EXPECT_FALSE(back->GetEnumColumn()->GetEnumName(name));
    }
  }
}

TEST(ColumnBlock, MillionRowsRoundTrip) {
  DoubleColumn c(102);
  std::vector<double>& v = c.GetValues();
  for (int i = 0; i < 1000000; ++i) v.push_back(i * 1.0000001 - 3e5);
  v[17] = DoubleColumn::kInvalidValue;
  io::CBlock block;
  ASSERT_EQ(io::kNoError, c.WriteColumn(block));
  std::unique_ptr<Column> back(Column::ReadAndCreateColumn(block));
  ASSERT_TRUE(back && back->GetDoubleColumn());
  std::vector<double>& w = back->GetDoubleColumn()->GetValues();
  ASSERT_EQ(v.size(), w.size());
  EXPECT_TRUE(DoubleColumn::IsInvalidValue(w[17]));
  v[17] = w[17] = 0;
  EXPECT_EQ(v, w);
}

// Long columns of doubles are stored as the base64 of their bytes, every bit kept (NaN payloads
// too, which the text form spells as one "nan"); shorter ones keep the readable text.
TEST(ColumnBlock, LongDoubleColumnsAreStoredExactlyInBase64) {
  reptest::TempDir tmp;
  const uint64_t kBits[] = {0x7FF8DEADBEEF0001ull, 0xFFF0000000000001ull, 0x8000000000000000ull, 0x7FF0000000000000ull,
                            0xFFF0000000000000ull, 0x0000000000000001ull, 0x000FFFFFFFFFFFFFull, 0x3FB999999999999Aull};
  for (size_t rows : {size_t(1023), size_t(1024), size_t(3001)}) {
    SCOPED_TRACE(rows);
    DoubleColumn c(102);
    for (size_t i = 0; i < rows; ++i) {
      double d = std::sin(double(i)) * 1e3;
      if (i % 7 == 0) std::memcpy(&d, &kBits[(i / 7) % 8], sizeof d);
      c.GetValues().push_back(d);
    }
    io::CBlock block(L"Col");
    ASSERT_EQ(io::kNoError, c.WriteColumn(block));
    const AString& text = block.FindNamedValue(L"Values")->GetValue().GetString();
    EXPECT_EQ(rows >= 1024, text.compare(0, 7, L"base64:") == 0);

    const LongFileName file(AString::FromUtf8(tmp.File("col.txt")));
    ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, block));
    io::CBlock read;
    ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, read));
    AString error;
    std::unique_ptr<Column> back(Column::ReadAndCreateColumn(read, error));
    ASSERT_TRUE(back && back->GetDoubleColumn()) << error.ToUtf8();
    const std::vector<double>& w = back->GetDoubleColumn()->GetValues();
    ASSERT_EQ(rows, w.size());
    for (size_t i = 0; i < rows; ++i) {
      if (rows < 1024) {
        EXPECT_TRUE(SameBits(c.GetValues()[i], w[i])) << i;
      } else {
        EXPECT_EQ(0, std::memcmp(&c.GetValues()[i], &w[i], sizeof(double))) << i;
      }
    }
    // The values text and the wide form of the same block read the same.
    EXPECT_EQ(c.GetValuesText(), back->GetValuesText());
    io::CBlock wide(L"Col");
    wide << Named(L"ColumnType", io::CBlock_value(1)) << Named(L"ColumnCount", io::CBlock_value(long(rows)))
         << Named(L"Values", io::CBlock_value(AString(text)));
    std::unique_ptr<Column> fromWide(Column::ReadAndCreateColumn(wide, error));
    ASSERT_TRUE(fromWide) << error.ToUtf8();
    EXPECT_EQ(0, std::memcmp(w.data(), fromWide->GetDoubleColumn()->GetValues().data(), rows * sizeof(double)));
    std::unique_ptr<Column> fromText(Column::CreateFromValuesText(Pt(1), 102, rows, text, error));
    ASSERT_TRUE(fromText) << error.ToUtf8();
    EXPECT_EQ(0, std::memcmp(w.data(), fromText->GetDoubleColumn()->GetValues().data(), rows * sizeof(double)));
  }
}

// Complex numbers go the same way, their parts in turn.
TEST(ColumnBlock, LongComplexColumnsAreStoredExactlyInBase64) {
  for (size_t rows : {size_t(1023), size_t(1024)}) {
    SCOPED_TRACE(rows);
    ComplexColumn c(90);
    double nanWithPayload;
    const uint64_t payload = 0x7FF8000000C0FFEEull;
    std::memcpy(&nanWithPayload, &payload, sizeof payload);
    for (size_t i = 0; i < rows; ++i) c.AddValue({std::cos(double(i)), i % 5 == 0 ? nanWithPayload : -0.0});
    io::CBlock block(L"Col");
    ASSERT_EQ(io::kNoError, c.WriteColumn(block));
    const AString& text = block.FindNamedValue(L"Values")->GetValue().GetString();
    EXPECT_EQ(rows >= 1024, text.compare(0, 7, L"base64:") == 0);
    AString error;
    std::unique_ptr<Column> back(Column::ReadAndCreateColumn(block, error));
    ASSERT_TRUE(back && back->GetComplexColumn()) << error.ToUtf8();
    ASSERT_EQ(rows, back->GetCount());
    const AComplex<double>* w = back->GetComplexColumn()->GetValues().data();
    for (size_t i = 0; i < rows; ++i) {
      const AComplex<double>& v = c.GetValues()[i];
      EXPECT_TRUE(SameBits(v.Real(), w[i].Real()) && SameBits(v.Imag(), w[i].Imag())) << i;
      if (rows >= 1024) {
        EXPECT_EQ(0, std::memcmp(&v, &w[i], sizeof v)) << i;
      }
    }
  }
}

// A long column written before the base64 form, as text, still reads.
TEST(ColumnBlock, LongColumnsInTheTextFormStillRead) {
  DoubleColumn c(102);
  for (int i = 0; i < 5000; ++i) c.GetValues().push_back(i * 0.37 - 12.5);
  c.GetValues()[3] = -0.0;
  io::CBlock old(L"Col");
  old << Named(L"ColumnType", io::CBlock_value(1)) << Named(L"ColumnUnits", io::CBlock_value(102))
      << Named(L"ColumnCount", io::CBlock_value(5000)) << Named(L"Values", io::CBlock_value(c.GetValuesText()));
  AString error;
  std::unique_ptr<Column> back(Column::ReadAndCreateColumn(old, error));
  ASSERT_TRUE(back && back->GetDoubleColumn()) << error.ToUtf8();
  EXPECT_EQ(0, std::memcmp(c.GetValues().data(), back->GetDoubleColumn()->GetValues().data(), 5000 * sizeof(double)));
}

TEST(ColumnBlock, RejectsDamagedBlocks) {
  struct Case {
    const char* why;
    io::CBlock block;
    const wchar_t* error;
  };
  auto B = [](std::initializer_list<io::CBlock_named_value> items) {
    io::CBlock b(L"Col");
    for (const auto& nv : items) b << nv;
    return b;
  };
  const io::CBlock_value one(1), three(3);
  Case cases[] = {
      {"no type", B({Named(L"ColumnCount", one), Named(L"Values", io::CBlock_value(L"1"))}), L"ColumnType missing"},
      {"type as text", B({Named(L"ColumnType", io::CBlock_value(L"1")), Named(L"ColumnCount", one)}),
       L"ColumnType is not a whole number"},
      {"type as real", B({Named(L"ColumnType", io::CBlock_value(1.0)), Named(L"ColumnCount", one)}),
       L"ColumnType is not a whole number"},
      {"type without a kind", B({Named(L"ColumnType", io::CBlock_value(7)), Named(L"ColumnCount", io::CBlock_value(0))}),
       L"ColumnType 7 has no column kind"},
      {"type out of range",
       B({Named(L"ColumnType", io::CBlock_value(99999999999L)), Named(L"ColumnCount", io::CBlock_value(0))}),
       L"ColumnType or ColumnUnits out of range"},
      {"units as text", B({Named(L"ColumnType", one), Named(L"ColumnUnits", io::CBlock_value(L"GHz"))}),
       L"ColumnUnits is not a whole number"},
      {"no count", B({Named(L"ColumnType", one), Named(L"Values", io::CBlock_value(L"1"))}), L"ColumnCount missing"},
      {"negative count", B({Named(L"ColumnType", one), Named(L"ColumnCount", io::CBlock_value(-1))}),
       L"ColumnCount -1 is negative"},
      {"fewer values than counted",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", three), Named(L"Values", io::CBlock_value(L"1 2"))}),
       L"ColumnCount is 3 but Values holds 2 entries"},
      {"more values than counted",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", one), Named(L"Values", io::CBlock_value(L"1 2"))}),
       L"Values holds more than ColumnCount (1) entries"},
      {"values missing", B({Named(L"ColumnType", one), Named(L"ColumnCount", one)}),
       L"ColumnCount is 1 but Values holds 0 entries"},
      {"values as a number", B({Named(L"ColumnType", one), Named(L"ColumnCount", one), Named(L"Values", one)}),
       L"Values is not a text"},
      {"a bad number", B({Named(L"ColumnType", one), Named(L"ColumnCount", three), Named(L"Values", io::CBlock_value(L"1 2,5 3"))}),
       L"Values: entry 1 cannot be read"},
      {"a text longer than what is left",
       B({Named(L"ColumnType", io::CBlock_value(9)), Named(L"ColumnCount", one), Named(L"Values", io::CBlock_value(L"9:abc"))}),
       L"Values: entry 0 cannot be read"},
      // The base64 form (AAAAAAAA8D8= is 1.0).
      {"fewer base64 values than counted",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", three), Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA8D8="))}),
       L"ColumnCount is 3 but Values holds 1 entries"},
      {"more base64 values than counted",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", io::CBlock_value(0)),
          Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA8D8="))}),
       L"Values holds more than ColumnCount (0) entries"},
      {"base64 cut short",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", one), Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA8D8"))}),
       L"Values: base64 text of 11 characters is cut short: not whole groups of four"},
      {"base64 of a part of a double",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", one), Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA"))}),
       L"Values: base64 text holds 6 bytes, not a whole number of doubles"},
      {"a base64 character changed",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", one), Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA8D.="))}),
       L"Values: base64 text has a character outside its alphabet at 11"},
      {"a base64 character changed, held as bytes",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", one),
          Named(L"Values", io::CBlock_value::FromAscii("base64:AAAAAAAA8D.="))}),
       L"Values: base64 text has a character outside its alphabet at 11"},
      {"a base64 character past ASCII",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", one),
          Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA8D\u00e9="))}),
       L"Values: base64 text has a character outside its alphabet at 11"},
      {"base64 with stray bits",
       B({Named(L"ColumnType", one), Named(L"ColumnCount", one), Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA8D9="))}),
       L"Values: base64 text ends in stray bits"},
      {"base64 for a kind that is not of doubles",
       B({Named(L"ColumnType", io::CBlock_value(13)), Named(L"ColumnCount", one),
          Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA8D8="))}),
       L"Values: ColumnType 13 is not stored in base64"},
      {"base64 of complex numbers without their last part",
       B({Named(L"ColumnType", io::CBlock_value(2)), Named(L"ColumnCount", one),
          Named(L"Values", io::CBlock_value(L"base64:AAAAAAAA8D8="))}),
       L"Values: base64 text holds 1 doubles, not pairs of complex parts"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.why);
    AString error;
    std::unique_ptr<Column> col(Column::ReadAndCreateColumn(c.block, error));
    EXPECT_FALSE(col);
    EXPECT_EQ(AString(c.error), error);
  }
}

// A unit no table knows is reported and read as no unit, in the text and the base64 form alike
// (AAAAAAAA8D8AAAAAAAAAQA== is 1.0 2.0): the values stay.
TEST(ColumnBlock, AnUnknownUnitReadsAsNoUnitAndKeepsTheValues) {
  for (const wchar_t* values : {L"1 2", L"base64:AAAAAAAA8D8AAAAAAAAAQA=="}) {
    SCOPED_TRACE(AString(values).ToUtf8());
    io::CBlock block(L"Col");
    block << Named(L"ColumnType", io::CBlock_value(1)) << Named(L"ColumnUnits", io::CBlock_value(99))
          << Named(L"ColumnCount", io::CBlock_value(2)) << Named(L"Values", io::CBlock_value(values));
    AString error;
    std::unique_ptr<Column> column(Column::ReadAndCreateColumn(block, error));
    EXPECT_SOFT_ASSERT("!\"unknown full unit type\"");
    ASSERT_TRUE(column && column->GetDoubleColumn()) << error.ToUtf8();
    EXPECT_EQ(90, column->GetUnits());
    EXPECT_EQ((std::vector<double>{1, 2}), column->GetDoubleColumn()->GetValues());
  }
}

TEST(ColumnBlock, ReadingKeepsTheCallersFoundFlag) {
  DoubleColumn c;
  io::CBlock block;
  c.WriteColumn(block);
  for (bool flag : {false, true}) {
    block.ResetFound(flag);
    std::unique_ptr<Column>(Column::ReadAndCreateColumn(block));
    EXPECT_EQ(flag, block.Found());
    io::CBlock empty;
    empty.ResetFound(flag);
    EXPECT_FALSE(Column::ReadAndCreateColumn(empty));  // missing items looked up
    EXPECT_EQ(flag, empty.Found());
  }
}

TEST(ColumnBlock, FailedWritesWriteNothing) {
  DoubleColumn c;
  c.AddValue(1, true);
  io::CBlock block(L"B");
  block << Named(L"Kept", io::CBlock_value(1));
  const io::CBlock before = block;
  Column::FailNextWrites(2);
  EXPECT_EQ(1, c.WriteColumn(block));
  EXPECT_EQ(1, c.WriteColumn(block));
  EXPECT_EQ(before, block);
  EXPECT_EQ(io::kNoError, c.WriteColumn(block));
  EXPECT_NE(before, block);

  Column::FailNextWrites(1);
  const std::string left = orvex::test::CheckGlobalsLeftOpen();
  EXPECT_NE(std::string::npos, left.find("Column::FailNextWrites: 1 write(s) still to fail")) << left;
  EXPECT_EQ(io::kNoError, c.WriteColumn(block));  // the report cleared it
}

TEST(ColumnBlock, WritingAnUnloadedColumnCountsARead) {
  std::unique_ptr<Column> c(
      Column::CreateColumn2(val::kDoubleParam, 90, ManagedFileService::GetInstance(), L"", L"", true, true));
  c->Unload();
  const size_t before = FileColumnManager::GetUnloadedReadCount();
  io::CBlock block;
  c->WriteColumn(block);
  EXPECT_EQ(before + 1, FileColumnManager::GetUnloadedReadCount());
  {
    FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(c.get());
    c->WriteColumn(block);
  }
  EXPECT_EQ(before + 1, FileColumnManager::GetUnloadedReadCount());
}
