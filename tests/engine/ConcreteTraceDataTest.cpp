#include "tracedata/ConcreteTraceData.h"

#include <cstring>

#include "ColumnSamples.h"
#include "RepTest.h"
#include "StoredTraceFixture.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/NamedValue.h"
#include "orvex/values/Units.h"

namespace {

using reptest::DoubleColumnOf;
using reptest::SameColumn;
using reptest::TextColumnOf;

// A copy of the block without its items of that name.
io::CBlock Without(const io::CBlock& block, const AString& name) {
  io::CBlock out(block.GetName());
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    if (block.GetItemName(i) == name) continue;
    switch (block.GetItemKind(i)) {
      case io::CBlock::kBlock: out << *block.GetBlock(i); break;
      case io::CBlock::kNamedValue: out << *block.GetNamedValue(i); break;
      case io::CBlock::kFunc: out << *block.GetFunc(i); break;
      case io::CBlock::kVec: out << *block.GetVec(i); break;
    }
  }
  return out;
}

// The block with its sub-block of that name replaced (appended when missing).
io::CBlock Replacing(const io::CBlock& block, const io::CBlock& sub) {
  io::CBlock out = Without(block, sub.GetName());
  out << sub;
  return out;
}

io::CBlock ColumnBlock(const AString& name, const Column& column) {
  io::CBlock b(name);
  column.WriteColumn(b);
  return b;
}

io::CBlock_func CurveItem(const AString& name, const AString& key, unsigned count, unsigned start) {
  io::CBlock_func f(name);
  f << key << count << start;
  return f;
}

class ConcreteTraceDataTest : public reptest::StoredTraceFixture {
protected:
  // Two curves of 3 and 2 points; a double component and one with a text column beside it.
  std::unique_ptr<rep::ConcreteTraceData> MakeStored() {
    auto data = std::make_unique<rep::ConcreteTraceData>(Mgr(), m_traceID);
    data->SetDataColumns({DoubleColumnOf({1, 2, 3, 4, 5}).release()});
    data->GetTraceComponentData().push_back(std::make_unique<rep::TraceComponentData>(
        DoubleColumnOf({10, 20, 30, 40, 50}).release(), TextColumnOf({L"a", L"b", L"c", L"d", L"e"}).release(),
        nullptr));
    data->SetCurveInfo(0, 3, L"a=1");
    data->SetCurveInfo(1, 2, L"a=2");
    data->SetSurfaceInfo({2}, {L"b=1"});
    data->SetPrimarySweepColumn(DoubleColumnOf({1, 2, 3, 1, 2}, Units::kGHz).release());
    data->SetPrimarySweepName(L"Freq");
    data->SetTraceName(L"Stored S11");
    return data;
  }

  io::CBlock Written(rep::ConcreteTraceData& data) {
    io::CBlock block(data.GetBlockName());
    EXPECT_EQ(io::kNoError, data.DoDataExchange(block, false));
    return block;
  }

  // Reads the block into new data; the read status goes to `status`.
  std::unique_ptr<rep::ConcreteTraceData> ReadBack(io::CBlock block, io::ReadError* status = nullptr) {
    auto data = std::make_unique<rep::ConcreteTraceData>(Mgr(), id::invalidID);
    const io::ReadError read = data->DoDataExchange(block, true);
    if (status)
      *status = read;
    else
      EXPECT_EQ(io::kNoError, read);
    return data;
  }
};

}  // namespace

TEST_F(ConcreteTraceDataTest, NewDataIsEmptyAndNeverOutOfDate) {
  rep::ConcreteTraceData data(Mgr(), m_traceID);
  EXPECT_EQ(0u, data.GetNumCurves());
  EXPECT_EQ(0u, data.GetNumSurfaces());
  EXPECT_EQ(0u, data.GetNumComponents());
  EXPECT_FALSE(data.HasData());
  EXPECT_EQ(L"S11", data.GetTraceName());
  unsigned type = 77;
  EXPECT_FALSE(data.GetTraceTypeToEnforce(type));
  EXPECT_EQ(0u, type);
  EXPECT_EQ(1, data.GetVersionIDOfData());
  EXPECT_EQ(1, data.GetCurrentSolutionContextVersionID());
  EXPECT_FALSE(data.IsOutOfDate());
  EXPECT_EQ(static_cast<rep::ITraceDataSweepInfo*>(&data), data.GetTraceDataSweepInfo());
  EXPECT_EQ(nullptr, data.GetSweepColumn());
  EXPECT_EQ(nullptr, data.GetOffsetTimeColumn());
  EXPECT_EQ(L"ConcreteTraceData", data.GetBlockName());
  EXPECT_EQ(&Trace(), data.GetTraceDefinition());

  // Empty data writes a block that reads back whole and empty.
  std::unique_ptr<rep::ConcreteTraceData> read = ReadBack(Written(data));
  EXPECT_EQ(reptest::Describe(data), reptest::Describe(*read));
}

TEST_F(ConcreteTraceDataTest, SettersAnswerThroughTheInterfaces) {
  std::unique_ptr<rep::ConcreteTraceData> data = MakeStored();
  EXPECT_TRUE(data->HasData());
  EXPECT_EQ(2u, data->GetNumCurves());
  EXPECT_EQ(3u, data->GetNumPointsInCurve(0));
  EXPECT_EQ(3u, data->GetCurveOffset(1));
  EXPECT_EQ(L"a=2", data->GetCurveVariationKey(1, true));
  EXPECT_EQ(L"a=2", data->GetCurveVariationKey(1, false));
  EXPECT_EQ(1u, data->GetNumSurfaces());
  EXPECT_EQ(2u, data->GetNumCurvesInSurface(0));
  EXPECT_EQ(L"b=1", data->GetSurfaceVariationKey(0, true));
  EXPECT_EQ(L"Stored S11", data->GetTraceName());
  EXPECT_EQ(L"Freq", data->GetPrimarySweepName());
  EXPECT_EQ(L"Freq", static_cast<rep::ITraceDataForProduct&>(*data).GetPrimarySweepName());
  // Without expressions of their own the components answer the definition's.
  EXPECT_EQ(L"Freq", data->GetComponentExpression(0));
  EXPECT_EQ(L"dB(S(1,1))", data->GetComponentExpression(1));
  data->SetComponentExpression(L"mag(S(1,1))", 1);
  EXPECT_EQ(L"mag(S(1,1))", data->GetComponentExpression(1));

  EXPECT_FALSE(data->SetTraceTypeToEnforce(true, 3));
  unsigned type = 0;
  EXPECT_TRUE(data->GetTraceTypeToEnforce(type));
  EXPECT_EQ(3u, type);
  EXPECT_TRUE(data->SetTraceTypeToEnforce(false, 0));

  rep::ITraceDataForProduct* product = data->GetTraceDataForProduct();
  std::unique_ptr<Column> sweep(product->ClonePrimarySweepColumn());
  EXPECT_NE(data->GetPrimarySweepColumn(), sweep.get());
  EXPECT_TRUE(SameColumn(data->GetPrimarySweepColumn(), sweep.get()));
  EXPECT_EQ(nullptr, product->CloneDataColumn(2));
  reptest::ExpectCurvesWithinColumns(*data);
}

TEST_F(ConcreteTraceDataTest, BlockRoundTripThroughAFileForEveryColumnKind) {
  reptest::TempDir dir;
  for (const columntest::FillCase& c : columntest::kFills) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<Column> column(Column::CreateColumn(static_cast<val::ParameterType>(c.type), 90));
    c.fill(*column);
    const unsigned rows = static_cast<unsigned>(column->GetCount());
    ASSERT_GE(rows, 2u);
    auto data = std::make_unique<rep::ConcreteTraceData>(Mgr(), m_traceID);
    std::vector<double> sweep(rows);
    for (unsigned i = 0; i < rows; ++i) sweep[i] = i;
    std::vector<AString> texts(rows, L"t");
    data->SetDataColumns({DoubleColumnOf(sweep).release()});
    data->GetTraceComponentData().push_back(
        std::make_unique<rep::TraceComponentData>(column.release(), TextColumnOf(texts).release(), nullptr));
    data->SetCurveInfo(0, 1, L"v=1");
    data->SetCurveInfo(1, rows - 1, L"v=2");
    data->SetSurfaceInfo({1, 1}, {L"w=1", L"w=2"});
    data->SetPrimarySweepColumn(DoubleColumnOf(sweep, Units::kGHz).release());
    data->SetPrimarySweepName(L"Freq");
    data->SetTraceName(L"Stored");
    data->SetComponentExpression(L"X", 0);

    const LongFileName file(AString::FromUtf8(dir.File("stored.txt")));
    ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, Written(*data)));
    io::CBlock fromFile;
    ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, fromFile));
    std::unique_ptr<rep::ConcreteTraceData> read = ReadBack(fromFile);

    // Expressions are not part of the block: the definition's answer after a load.
    data->GetTraceComponentData()[0]->SetExpression(AString());
    EXPECT_EQ(reptest::Describe(*data), reptest::Describe(*read));
    EXPECT_EQ(m_traceID, read->GetTraceDefID());
    EXPECT_EQ(L"Freq", read->GetComponentExpression(0));
    for (unsigned d = 0; d < 2; ++d) EXPECT_TRUE(SameColumn(data->GetDataColumn(d), read->GetDataColumn(d))) << d;
  }
}

// Long columns take the compact base64 form in the file: every bit comes back, NaN payloads too.
TEST_F(ConcreteTraceDataTest, LongColumnsRoundTripThroughAFileBitForBit) {
  const unsigned rows = 5000;
  std::vector<double> sweep(rows), values(rows);
  auto complexColumn = std::make_unique<ComplexColumn>(90);
  for (unsigned i = 0; i < rows; ++i) {
    sweep[i] = 1e9 + 1e5 * i;
    const uint64_t bits = i % 3 ? 0x3FF0000000000000ull + i * 0x9E3779B97F4A7Cull : 0x7FF8000000000000ull + i;
    std::memcpy(&values[i], &bits, sizeof bits);
    complexColumn->AddValue({values[i], -values[i]});
  }
  auto data = std::make_unique<rep::ConcreteTraceData>(Mgr(), m_traceID);
  data->SetDataColumns({DoubleColumnOf(values).release(), complexColumn.release()});
  data->SetCurveInfo(0, rows, L"v=1");
  data->SetPrimarySweepColumn(DoubleColumnOf(sweep).release());
  data->SetPrimarySweepName(L"Freq");

  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("stored.txt")));
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, Written(*data)));
  EXPECT_NE(std::string::npos, reptest::ReadFileBytes(dir.File("stored.txt")).find("Values = \"base64:"));
  io::CBlock fromFile;
  ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, fromFile));
  std::unique_ptr<rep::ConcreteTraceData> read = ReadBack(fromFile);
  ASSERT_EQ(1u, read->GetNumCurves());
  ASSERT_EQ(rows, read->GetNumPointsInCurve(0));
  auto sameBytes = [](const Column* a, const Column* b, size_t bytes) {
    const void* pa = a->GetDoubleColumn() ? static_cast<const void*>(a->GetDoubleColumn()->GetValues().data())
                                          : static_cast<const void*>(a->GetComplexColumn()->GetValues().data());
    const void* pb = b->GetDoubleColumn() ? static_cast<const void*>(b->GetDoubleColumn()->GetValues().data())
                                          : static_cast<const void*>(b->GetComplexColumn()->GetValues().data());
    return std::memcmp(pa, pb, bytes) == 0;
  };
  ASSERT_TRUE(read->GetDataColumn(0) && read->GetDataColumn(1) && read->GetPrimarySweepColumn());
  EXPECT_TRUE(sameBytes(data->GetDataColumn(0), read->GetDataColumn(0), rows * sizeof(double)));
  ASSERT_TRUE(read->GetDataColumn(1)->GetComplexColumn());
  EXPECT_TRUE(sameBytes(data->GetDataColumn(1), read->GetDataColumn(1), rows * 2 * sizeof(double)));
  EXPECT_TRUE(sameBytes(data->GetPrimarySweepColumn(), read->GetPrimarySweepColumn(), rows * sizeof(double)));
}

TEST_F(ConcreteTraceDataTest, WhatTheBlockDoesNotHoldComesBackAsTheDefinitionSays) {
  std::unique_ptr<rep::ConcreteTraceData> data = MakeStored();
  data->SetTraceName(AString());
  data->SetTraceTypeToEnforce(true, 5);
  data->SetComponentExpression(L"Own", 0);
  const io::CBlock block = Written(*data);
  EXPECT_EQ(nullptr, block.FindNamedValue(L"TraceName")) << "an empty name is not written";

  std::unique_ptr<rep::ConcreteTraceData> read = ReadBack(block);
  unsigned type = 0;
  EXPECT_FALSE(read->GetTraceTypeToEnforce(type));
  EXPECT_EQ(L"Freq", read->GetComponentExpression(0));
  Trace().SetName(L"Renamed");
  EXPECT_EQ(L"Renamed", read->GetTraceName());
}

TEST_F(ConcreteTraceDataTest, WithoutPrimarySweepNothingIsWrittenAndNothingIsMissed) {
  std::unique_ptr<rep::ConcreteTraceData> data = MakeStored();
  data->SetPrimarySweepColumn(nullptr);
  const io::CBlock block = Written(*data);
  EXPECT_EQ(nullptr, block.FindBlock(L"PrimarySweepInfo"));
  std::unique_ptr<rep::ConcreteTraceData> read = ReadBack(block);
  EXPECT_EQ(nullptr, read->GetPrimarySweepColumn());
  EXPECT_EQ(AString(), read->GetPrimarySweepName());
  EXPECT_EQ(2u, read->GetNumCurves());
}

TEST_F(ConcreteTraceDataTest, DamagedBlocksGiveReadErrorsAndNoReadOutOfRange) {
  std::unique_ptr<rep::ConcreteTraceData> source = MakeStored();
  const io::CBlock good = Written(*source);
  const io::CBlock& cols = *good.FindBlock(L"ColsBlock");

  struct Case {
    const char* why;
    io::CBlock block;
    io::ReadError status;
    std::string expected;  // the lines of Describe that must be there
    const char* assertion = nullptr;
  };
  io::CBlock curves013(L"CurvesInfo");
  curves013 << CurveItem(L"0", L"a", 1, 0) << CurveItem(L"1", L"b", 1, 1) << CurveItem(L"3", L"c", 1, 2);
  io::CBlock curveNoFunc(L"CurvesInfo");
  curveNoFunc << CurveItem(L"0", L"a", 1, 0) << io::CBlock(L"1");
  io::CBlock curvesTooLong(L"CurvesInfo");
  curvesTooLong << CurveItem(L"0", L"a", 3, 0) << CurveItem(L"1", L"b", 9, 3);
  io::CBlock curvesOverlap(L"CurvesInfo");
  curvesOverlap << CurveItem(L"0", L"a", 3, 0) << CurveItem(L"1", L"b", 2, 1);
  io::CBlock colsBadFirst(L"ColsBlock");
  {
    io::CBlock broken(L"0");
    broken << io::CBlock_named_value(L"ColumnType", io::CBlock_value(1));
    colsBadFirst << broken << *cols.GetBlock(1);
  }
  io::CBlock colsMisnumbered(L"ColsBlock");
  colsMisnumbered << *cols.GetBlock(0);
  {
    io::CBlock two = *cols.GetBlock(1);
    two.SetName(L"2");
    colsMisnumbered << two;
  }
  io::CBlock colsTextNotText(L"ColsBlock");
  {
    io::CBlock one = ColumnBlock(L"1", *DoubleColumnOf({10, 20, 30, 40, 50}));
    one << ColumnBlock(L"TxtCol", *DoubleColumnOf({1, 2, 3, 4, 5}));
    colsTextNotText << *cols.GetBlock(0) << one;
  }
  io::CBlock colsShortText(L"ColsBlock");
  {
    io::CBlock one = ColumnBlock(L"1", *DoubleColumnOf({10, 20, 30, 40, 50}));
    one << ColumnBlock(L"TxtCol", *TextColumnOf({L"a", L"b", L"c", L"d"}));
    colsShortText << *cols.GetBlock(0) << one;
  }
  io::CBlock sweepNoName(L"PrimarySweepInfo");
  sweepNoName << ColumnBlock(L"PrimarySweepCol", *source->GetPrimarySweepColumn());
  io::CBlock sweepNoColumn(L"PrimarySweepInfo");
  sweepNoColumn << io::NamedValue(L"PrimarySweepName", AString(L"Freq"));
  io::CBlock sweepDamaged(L"PrimarySweepInfo");
  {
    io::CBlock column(L"PrimarySweepCol");
    column << io::CBlock_named_value(L"ColumnType", io::CBlock_value(1));  // no count, no values
    sweepDamaged << io::NamedValue(L"PrimarySweepName", AString(L"Freq")) << column;
  }
  io::CBlock sweepShort(L"PrimarySweepInfo");
  sweepShort << io::NamedValue(L"PrimarySweepName", AString(L"Freq"))
             << ColumnBlock(L"PrimarySweepCol", *DoubleColumnOf({1, 2, 3, 4}));
  io::CBlock_vec surfaceCounts(L"SurfsInfo");
  surfaceCounts << 1u << 2u;
  io::CBlock_vec surfaceNames(L"SurfNames");
  surfaceNames << AString(L"s1") << AString(L"s2");
  io::CBlock_vec namesNotText(L"SurfNames");
  namesNotText << 4u;

  Case cases[] = {
      {"no curves", Without(good, L"CurvesInfo"), -1, "component 1", "block.Found()"},
      {"curves 0, 1, 3", Replacing(good, curves013), -1, "curve 1: 1 from 1 \"b\"\n"},
      {"curve item that is no function", Replacing(good, curveNoFunc), -1, "curve 0: 1 from 0 \"a\"\n", "curveFunc"},
      {"curve beyond the columns", Replacing(good, curvesTooLong), -1, "curve 0: 3 from 0 \"a\"\n"},
      {"overlapping curves", Replacing(good, curvesOverlap), -1, "curve 0: 3 from 0 \"a\"\n"},
      {"no columns", Without(good, L"ColsBlock"), -1, "curve 1: 2 from 3", "block.Found()"},
      {"first column unreadable", Replacing(good, colsBadFirst), 1, "component 0 \"Freq\": 1/90/5"},
      {"column blocks 0, 2", Replacing(good, colsMisnumbered), -1, "component 0 \"Freq\": 1/90/5"},
      {"text column that is no text", Replacing(good, colsTextNotText), 1, "text none\nsweep"},
      {"text column shorter than the data", Replacing(good, colsShortText), -1, "curve 0: 3 from 0"},
      {"surfaces without names", Without(good, L"SurfNames"), -1, "curve 1"},
      {"surfaces with more curves than there are", Without(Without(good, L"SurfsInfo"), L"SurfNames") << surfaceCounts
                                                                                                      << surfaceNames,
       -1, "curve 1"},
      {"surface name that is no text", Without(good, L"SurfNames") << namesNotText, 1, "curve 1"},
      {"primary sweep without name", Replacing(good, sweepNoName), -1, "sweep \"\": 1/113/5",
       "!\"Primary block exists, but no name?!\""},
      {"primary sweep without column", Replacing(good, sweepNoColumn), -1, "sweep \"Freq\": none",
       "!\"Primary block exists, but no column?!\""},
      {"primary sweep column that cannot be made", Replacing(good, sweepDamaged), -1, "sweep \"Freq\": none"},
      {"primary sweep shorter than the curves", Replacing(good, sweepShort), -1, "curve 0: 3 from 0"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::ReadError status = io::kNoError;
    std::unique_ptr<rep::ConcreteTraceData> read = ReadBack(c.block, &status);
    EXPECT_EQ(c.status, status);
    const std::string described = reptest::Describe(*read);
    EXPECT_NE(std::string::npos, described.find(c.expected)) << described;
    reptest::ExpectCurvesWithinColumns(*read);
    if (c.assertion) {
      EXPECT_SOFT_ASSERT(c.assertion);
    }
    EXPECT_NO_SOFT_ASSERT();
  }
}

TEST_F(ConcreteTraceDataTest, ComponentsOfTheExportFormReadBack) {
  std::unique_ptr<rep::ConcreteTraceData> source = MakeStored();
  source->SetComponentExpression(L"Own", 0);
  io::CBlock components(L"TraceComponents");
  ASSERT_TRUE(source->WriteComponentsToBlock(components));

  rep::ConcreteTraceData read(Mgr(), m_traceID);
  read.SetDataColumns({DoubleColumnOf({7}).release()});
  ASSERT_TRUE(read.ReadComponentsFromBlock(components));
  ASSERT_EQ(2u, read.GetNumComponents());
  // The writer stores the definition's expressions, and they are kept as the components' own.
  EXPECT_EQ(L"Freq", read.GetTraceComponentData()[0]->GetExpression());
  EXPECT_EQ(L"dB(S(1,1))", read.GetTraceComponentData()[1]->GetExpression());
  for (unsigned d = 0; d < 2; ++d) {
    EXPECT_TRUE(SameColumn(source->GetDataColumn(d), read.GetDataColumn(d))) << d;
    EXPECT_TRUE(SameColumn(source->GetTextColumn(d), read.GetTextColumn(d))) << d;
  }
}

TEST_F(ConcreteTraceDataTest, DamagedComponentBlocksOfTheExportForm) {
  auto component = [](const AString& name, const AString& expr, const Column* data, const Column* text) {
    io::CBlock b(name);
    b << io::NamedValue(L"TraceCompExpr", expr);
    if (data) b << ColumnBlock(L"TraceDataCol", *data);
    if (text) b << ColumnBlock(L"TextDataCol", *text);
    return b;
  };
  std::unique_ptr<Column> x = DoubleColumnOf({1, 2});
  std::unique_ptr<Column> y = DoubleColumnOf({3, 4});
  std::unique_ptr<Column> t = TextColumnOf({L"p", L"q"});
  struct Case {
    const char* why;
    io::CBlock parent;
    bool answer;
    std::vector<AString> expressions;
    std::vector<const char*> assertions;
  };
  io::CBlock direct(L"TraceComponents");
  direct << component(L"0", L"x", x.get(), nullptr) << component(L"1", L"y", y.get(), t.get());
  io::CBlock emptyComps(L"TraceComponents");
  emptyComps << io::CBlock(L"TraceDataComps");
  io::CBlock misnumbered(L"TraceComponents");
  {
    io::CBlock comps(L"TraceDataComps");
    comps << component(L"0", L"x", x.get(), nullptr) << component(L"5", L"y", y.get(), nullptr)
          << component(L"2", L"z", y.get(), nullptr);
    misnumbered << comps;
  }
  io::CBlock noData(L"TraceComponents");
  {
    io::CBlock comps(L"TraceDataComps");
    comps << component(L"0", L"x", nullptr, nullptr) << component(L"1", L"y", y.get(), nullptr);
    noData << comps;
  }
  io::CBlock textNotText(L"TraceComponents");
  {
    io::CBlock comps(L"TraceDataComps");
    comps << component(L"0", L"x", x.get(), y.get());
    textNotText << comps;
  }
  io::CBlock damaged(L"Damaged");
  damaged << io::CBlock_named_value(L"ColumnType", io::CBlock_value(1));  // no count, no values
  io::CBlock damagedData(L"TraceComponents");
  {
    io::CBlock first = component(L"0", L"x", nullptr, nullptr);
    damaged.SetName(L"TraceDataCol");
    first << damaged;
    damagedData << first << component(L"1", L"y", y.get(), nullptr);
  }
  io::CBlock damagedText(L"TraceComponents");
  {
    io::CBlock first = component(L"0", L"x", x.get(), nullptr);
    damaged.SetName(L"TextDataCol");
    first << damaged;
    damagedText << first;
  }
  io::CBlock nothing(L"TraceComponents");
  nothing << io::NamedValue(L"Other", 1);

  Case cases[] = {
      {"numbered blocks directly in the parent", direct, true, {L"x", L"y"}, {}},
      {"empty TraceDataComps: a trace without components", emptyComps, true, {}, {}},
      {"empty parent: a trace without components", io::CBlock(L"TraceComponents"), true, {}, {}},
      {"misnumbered block skipped, the next still counted", misnumbered, false, {L"x", L"z"}, {}},
      {"component without data column", noData, false, {L"y"}, {"col"}},
      {"data column that cannot be made", damagedData, false, {L"y"}, {"col", "col"}},
      {"text column that is no text", textNotText, false, {L"x"}, {}},
      {"text column that cannot be made", damagedText, false, {L"x"}, {"col"}},
      {"an item that is no block", nothing, false, {}, {}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.why);
    rep::ConcreteTraceData read(Mgr(), m_traceID);
    read.SetDataColumns({DoubleColumnOf({7}).release()});
    EXPECT_EQ(c.answer, read.ReadComponentsFromBlock(c.parent));
    std::vector<AString> expressions;
    for (const auto& comp : read.GetTraceComponentData()) expressions.push_back(comp->GetExpression());
    EXPECT_EQ(c.expressions, expressions);
    EXPECT_TRUE(c.parent.Found());
    for (const char* assertion : c.assertions) EXPECT_SOFT_ASSERT(assertion);
    EXPECT_NO_SOFT_ASSERT();
  }
}

TEST_F(ConcreteTraceDataTest, CloneIsDeepAndIndependent) {
  std::unique_ptr<rep::ConcreteTraceData> source = MakeStored();
  source->SetComponentExpression(L"Own", 0);
  source->SetTraceTypeToEnforce(true, 4);
  std::unique_ptr<rep::ConcreteTraceData> copy(source->Clone());
  const std::string before = reptest::Describe(*source);
  EXPECT_EQ(before, reptest::Describe(*copy));
  EXPECT_EQ(source->GetTraceDefID(), copy->GetTraceDefID());
  for (unsigned d = 0; d < 2; ++d) {
    EXPECT_NE(source->GetDataColumn(d), copy->GetDataColumn(d));
    if (source->GetTextColumn(d)) {
      EXPECT_NE(source->GetTextColumn(d), copy->GetTextColumn(d));
    }
  }
  EXPECT_NE(source->GetPrimarySweepColumn(), copy->GetPrimarySweepColumn());

  source->GetDataColumn(0)->GetDoubleColumn()->GetValues()[0] = -1;
  source->GetTextColumn(1)->GetTextColumn()->GetValues()[0] = L"changed";
  source->SetComponentExpression(L"Changed", 0);
  source->SetCurveInfo(0, 5, L"changed");
  source->SetSurfaceInfo({}, {});
  source->SetTraceTypeToEnforce(false, 0);
  source->SetPrimarySweepName(L"Changed");
  source.reset();
  EXPECT_EQ(before, reptest::Describe(*copy));
}

TEST_F(ConcreteTraceDataTest, DigitalColumnsBecomeDoublesUnlessTheReportKeepsThem) {
  auto makeDigital = [this] {
    auto data = std::make_unique<rep::ConcreteTraceData>(Mgr(), m_traceID);
    std::vector<Column*> columns;
    for (int type : {13, 14, 15, 1, 9}) {
      Column* c = Column::CreateColumn(static_cast<val::ParameterType>(type), 90);
      c->AppendInvalidValues(1);
      columns.push_back(c);
    }
    columns[0]->GetIntColumn()->GetValues()[0] = -5;
    columns[1]->GetCharColumn()->GetValues()[0] = static_cast<char>(200);
    columns[2]->GetEnumColumn()->GetValues()[0] = 3;
    data->SetDataColumns(columns);
    return data;
  };
  auto types = [](const rep::ConcreteTraceData& data) {
    std::vector<int> out;
    for (unsigned d = 0; d < data.GetNumComponents(); ++d) out.push_back(data.GetDataColumn(d)->GetParameterType());
    return out;
  };

  m_owner.SetReportKeepsDigitalColumns(m_reportID, true);
  std::unique_ptr<rep::ConcreteTraceData> kept = makeDigital();
  kept->ConvertDigitalColumnsToDouble();
  EXPECT_EQ((std::vector<int>{13, 14, 15, 1, 9}), types(*kept));

  m_owner.SetReportKeepsDigitalColumns(m_reportID, false);
  std::unique_ptr<rep::ConcreteTraceData> converted = makeDigital();
  converted->ConvertDigitalColumnsToDouble();
  EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 9}), types(*converted));
  EXPECT_EQ(-5.0, converted->GetDataColumn(0)->GetDoubleColumn()->GetValues()[0]);
  EXPECT_EQ(200.0, converted->GetDataColumn(1)->GetDoubleColumn()->GetValues()[0]);
  EXPECT_EQ(3.0, converted->GetDataColumn(2)->GetDoubleColumn()->GetValues()[0]);
  EXPECT_TRUE(converted->GetDataColumn(0)->IsFileManaged());

  // Data of a trace that no report holds: the owner is asked for no report, and answers no.
  auto orphan = std::make_unique<rep::ConcreteTraceData>(Mgr(), 9999);
  orphan->SetDataColumns({Column::CreateColumn(static_cast<val::ParameterType>(13), 90)});
  orphan->ConvertDigitalColumnsToDouble();
  EXPECT_EQ(1, orphan->GetDataColumn(0)->GetParameterType());

  // A digital column that cannot be converted is kept rather than lost.
  auto unknown = std::make_unique<reptest::UnknownDigitalColumn>();
  unknown->GetValues() = {4};
  const Column* held = unknown.get();
  converted->SetDataColumns({unknown.release()});
  converted->ConvertDigitalColumnsToDouble();
  EXPECT_SOFT_ASSERT("0");
  EXPECT_EQ(held, converted->GetDataColumn(0));
}

TEST_F(ConcreteTraceDataTest, BadIndicesAreReportedAndNotRead) {
  std::unique_ptr<rep::ConcreteTraceData> data = MakeStored();
  EXPECT_EQ(0u, data->GetNumPointsInCurve(2));
  EXPECT_SOFT_ASSERT("curveIndex>=0 && curveIndex<mNumPointsInCurve.size()");
  EXPECT_EQ(0u, data->GetCurveOffset(5));
  EXPECT_SOFT_ASSERT("curveIndex>=0 && curveIndex<mNumPointsInCurve.size()");
  EXPECT_EQ(AString(), data->GetCurveVariationKey(2, true));
  EXPECT_SOFT_ASSERT("curveIndex>=0 && curveIndex<mNumPointsInCurve.size()");
  EXPECT_EQ(0u, data->GetNumCurvesInSurface(1));
  EXPECT_SOFT_ASSERT("0");
  EXPECT_EQ(AString(), data->GetSurfaceVariationKey(1, true));
  EXPECT_SOFT_ASSERT("0");
  EXPECT_EQ(AString(), data->GetComponentExpression(2));
  EXPECT_SOFT_ASSERT("dimensionIndex < tcDataVec.size()");
  data->SetComponentExpression(L"x", 2);
  EXPECT_SOFT_ASSERT("dimensionIndex < tcDataVec.size()");
  data->SetComponentExpression(AString(), 0);
  EXPECT_SOFT_ASSERT("expr.empty() == false");
  EXPECT_EQ(nullptr, data->GetDataColumn(2));
  EXPECT_SOFT_ASSERT("dimensionIndex>=0 && dimensionIndex<mTraceComponentData.size()");
  EXPECT_EQ(nullptr, data->GetTextColumn(2));
  EXPECT_EQ(nullptr, data->GetInterpColumn(2));

  // Surfaces set with fewer names than counts: the key is not read past the names.
  data->SetSurfaceInfo({1, 1}, {L"only"});
  EXPECT_EQ(1u, data->GetNumCurvesInSurface(1));
  EXPECT_EQ(AString(), data->GetSurfaceVariationKey(1, true));
  EXPECT_SOFT_ASSERT("0");
}

TEST_F(ConcreteTraceDataTest, MissingDefinitionOrComponentGivesEmptyTexts) {
  rep::ConcreteTraceData orphan(Mgr(), 9999);
  orphan.SetDataColumns({DoubleColumnOf({1}).release()});
  EXPECT_EQ(nullptr, orphan.GetTraceDefinition());
  EXPECT_EQ(AString(), orphan.GetTraceName());
  EXPECT_EQ(AString(), orphan.GetComponentExpression(0));
  orphan.SetComponentExpression(L"own", 0);
  io::CBlock orphanComponents(L"TraceComponents");
  ASSERT_TRUE(orphan.WriteComponentsToBlock(orphanComponents)) << "without a definition the own expression is written";
  rep::ConcreteTraceData orphanRead(Mgr(), 9999);
  ASSERT_TRUE(orphanRead.ReadComponentsFromBlock(orphanComponents));
  EXPECT_EQ(L"own", orphanRead.GetComponentExpression(0));

  rep::ConcreteTraceData wide(Mgr(), m_traceID);
  wide.SetDataColumns({DoubleColumnOf({1}).release(), DoubleColumnOf({2}).release(), DoubleColumnOf({3}).release()});
  EXPECT_EQ(AString(), wide.GetComponentExpression(2)) << "the definition has two components";
  io::CBlock parent(L"TraceComponents");
  ASSERT_TRUE(wide.WriteComponentsToBlock(parent));
}
