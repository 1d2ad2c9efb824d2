// Digital columns converted to double columns, and columns kept as named sub-blocks.
#include <cmath>
#include <memory>

#include "ColumnSamples.h"
#include "reports/GravikUtils.h"
#include "RepTest.h"
#include "TraceColumnSamples.h"
#include "orvex/values/Units.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/columns/ManagedFileService.h"

namespace {

std::unique_ptr<Column> Make(int type, Units::FullUnitType units = 90) {
  return std::unique_ptr<Column>(Column::CreateColumn(static_cast<val::ParameterType>(type), units));
}

std::unique_ptr<DoubleColumn> Convert(const Column& source, IManagedFileService* service = nullptr) {
  return std::unique_ptr<DoubleColumn>(rep::CreateDoubleColumnFromDigitalColumn(source, service));
}

// NaN for an invalid entry, so that a whole column compares with ==-like checks below.
void ExpectValues(const std::vector<double>& expected, const DoubleColumn& column) {
  ASSERT_EQ(expected.size(), column.GetCount());
  for (size_t i = 0; i < expected.size(); ++i) {
    if (std::isnan(expected[i]))
      EXPECT_TRUE(DoubleColumn::IsInvalidValue(column.GetValues()[i])) << i;
    else
      EXPECT_EQ(expected[i], column.GetValues()[i]) << i;
  }
}

}  // namespace

TEST(ColumnConversion, DigitalValuesBecomeDoublesAndInvalidStaysInvalid) {
  const double invalid = DoubleColumn::kInvalidValue;
  struct Case {
    const char* why;
    int type;
    void (*fill)(Column&);
    std::vector<double> expected;
  };
  const Case cases[] = {
      {"integers", 13, [](Column& c) { c.GetIntColumn()->GetValues() = {-5, IntColumn::kInvalidValue, 7}; },
       {-5.0, invalid, 7.0}},
      {"characters read as unsigned", 14,
       [](Column& c) { c.GetCharColumn()->GetValues() = {static_cast<char>(200), CharColumn::kInvalidValue, 0, 127}; },
       {200.0, invalid, 0.0, 127.0}},
      {"enumeration values", 15,
       [](Column& c) { c.GetEnumColumn()->GetValues() = {3, EnumColumn::kInvalidValue, INT32_MAX}; },
       {3.0, invalid, 2147483647.0}},
      {"empty", 13, [](Column&) {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<Column> source = Make(c.type, Units::kGHz);
    c.fill(*source);
    std::unique_ptr<DoubleColumn> converted = Convert(*source);
    ASSERT_NE(nullptr, converted);
    EXPECT_EQ(1, converted->GetParameterType());
    EXPECT_EQ(Units::kGHz, converted->GetUnits());
    EXPECT_FALSE(converted->IsFileManaged());
    ExpectValues(c.expected, *converted);
  }
}

TEST(ColumnConversion, EveryOtherKindIsRefusedWithoutAColumn) {
  for (const columntest::FillCase& c : columntest::kFills) {
    if (rep::IsDigitalParameterType(static_cast<val::ParameterType>(c.type))) continue;
    SCOPED_TRACE(c.why);
    std::unique_ptr<Column> source = Make(c.type);
    c.fill(*source);
    EXPECT_EQ(nullptr, Convert(*source, ManagedFileService::GetInstance()));
    EXPECT_SOFT_ASSERT("0");
  }
  EXPECT_EQ(0u, FileColumnManager::GetFileColumnCount()) << "no column was made for a refused source";
}

TEST(ColumnConversion, FileManagedSourceIsLoadedForTheCopyAndLeftUnloaded) {
  std::unique_ptr<Column> source(Column::CreateColumn2(static_cast<val::ParameterType>(13), 90,
                                                       ManagedFileService::GetInstance(), L"", L"", true, true));
  source->GetIntColumn()->GetValues() = {1, 2, 3};
  source->Unload();
  const size_t loads = FileColumnManager::GetLoadCount();
  const size_t unloads = FileColumnManager::GetUnloadCount();
  const size_t unloadedReads = FileColumnManager::GetUnloadedReadCount();

  std::unique_ptr<DoubleColumn> converted = Convert(*source, ManagedFileService::GetInstance());
  ASSERT_NE(nullptr, converted);
  EXPECT_TRUE(converted->IsFileManaged());
  ExpectValues({1, 2, 3}, *converted);
  EXPECT_EQ(loads + 1, FileColumnManager::GetLoadCount());
  EXPECT_EQ(unloads + 1, FileColumnManager::GetUnloadCount());
  EXPECT_EQ(unloadedReads, FileColumnManager::GetUnloadedReadCount());
  EXPECT_FALSE(source->IsLoaded());
}

TEST(ColumnBlocks, WrittenColumnReadsBackUnderItsName) {
  for (const columntest::FillCase& c : columntest::kFills) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<Column> column = Make(c.type);
    c.fill(*column);
    io::CBlock parent(L"Parent");
    parent << io::CBlock(L"Other");
    ASSERT_TRUE(rep::WriteColumnToBlock(parent, column.get(), L"Col"));
    ASSERT_EQ(2u, parent.GetNumItems());
    EXPECT_EQ(L"Col", parent.GetItemName(1));
    std::unique_ptr<Column> read(rep::ReadColumnFromBlock(parent, L"Col"));
    EXPECT_TRUE(reptest::SameColumn(column.get(), read.get()));
    EXPECT_TRUE(parent.Found());
  }
}

TEST(ColumnBlocks, MissingOrDamagedColumnGivesNullAndTheParentStaysFound) {
  io::CBlock parent(L"Parent");
  io::CBlock damaged(L"Damaged");
  damaged << io::CBlock_named_value(L"ColumnType", io::CBlock_value(1));  // no count, no values
  parent << damaged;
  parent.ResetFound(false);
  EXPECT_EQ(nullptr, rep::ReadColumnFromBlock(parent, L"Missing"));
  EXPECT_TRUE(parent.Found()) << "a missing column is no failed lookup of the parent";
  EXPECT_NO_SOFT_ASSERT();
  EXPECT_EQ(nullptr, rep::ReadColumnFromBlock(parent, L"Damaged"));
  EXPECT_SOFT_ASSERT("col");
  EXPECT_EQ(nullptr, rep::ReadColumnFromBlock(parent, L"damaged")) << "names are matched exactly";
  EXPECT_NO_SOFT_ASSERT();
}

TEST(ColumnBlocks, FailedWriteLeavesTheParentUnchanged) {
  std::unique_ptr<Column> column = reptest::DoubleColumnOf({1, 2});
  io::CBlock parent(L"Parent");
  parent << io::CBlock(L"Before");
  const io::CBlock before = parent;
  Column::FailNextWrites(1);
  EXPECT_FALSE(rep::WriteColumnToBlock(parent, column.get(), L"Col"));
  EXPECT_EQ(before, parent);
  EXPECT_FALSE(rep::WriteColumnToBlock(parent, nullptr, L"Col"));
  EXPECT_EQ(before, parent);
}

TEST(ColumnConversion, DigitalColumnThatTheVisitRefusesGivesNoColumn) {
  reptest::UnknownDigitalColumn source;
  source.GetValues() = {1, 2};
  ASSERT_TRUE(rep::IsDigitalParameterType(source.GetParameterType()));
  IManagedFileService* const services[] = {nullptr, ManagedFileService::GetInstance()};
  for (IManagedFileService* service : services) {
    SCOPED_TRACE(service ? "file-managed" : "in memory");
    EXPECT_EQ(nullptr, Convert(source, service));
    EXPECT_SOFT_ASSERT("0");
    EXPECT_EQ(0u, FileColumnManager::GetFileColumnCount()) << "the column made for the copy is not left behind";
  }
}
