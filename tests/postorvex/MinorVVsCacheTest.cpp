#include <filesystem>
#include <list>
#include <memory>
#include <string>

#include "CacheTestSupport.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/LongFileName.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorDoubleSpecialSweepCache.h"
#include "postorvex/caches/MinorVVsCache.h"
#include "postorvex/columns/ManagedFileService.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"

using namespace cachetest;

namespace {

// A cache of every kind of content: a regular sweep over f at two points of W, and a special
// sweep without sweep variable at the one point of no minor variable.
struct MinorVVsCacheTest : ::testing::Test {
  MinorVVsCacheTest() : root(AString::FromUtf8(tmp.Path())) {
    names.AddVariable(&freq);
    names.AddVariable(&width);
  }

  std::unique_ptr<MinorVVsCache> MakeSample() {
    auto cache = std::make_unique<MinorVVsCache>(ManagedFileService::GetInstance());
    ConnectedVVObject* overW = ConnectedVVObject::CreateConnectedVVObject({&width});
    cache->AddConnectivityForSweepVar(&freq, overW);
    for (double w : {0.1, 1.0 / 3.0}) {
      VariableValuesContext at(At({{&width, w}}));
      auto sweep = std::make_unique<MinorSweepCache>(&freq, ManagedFileService::GetInstance());
      auto primary = Doubles({1, 2, 3});
      auto s11 = Doubles({w, NAN, -0.0}, Units::kNoUnit);
      auto s21 = Doubles({1e-300, 4.9e-324}, Units::kDB);
      sweep->Update(*primary, false, {3, 1}, {s11.get(), s21.get()}, L"tag \"quoted\", \\ and more");
      overW->AddPointAtCurrVarVals(sweep.release(), false);
    }
    ConnectedVVObject* none = ConnectedVVObject::CreateConnectedVVObject({});
    cache->AddConnectivityForSweepVar(nullptr, none);
    auto special = std::make_unique<MinorDoubleSpecialSweepCache>(nullptr, ManagedFileService::GetInstance());
    auto primary = Doubles({5, 6});
    auto values = Doubles({50, 60}, Units::kNoUnit);
    auto orders = Orders({1, 0});
    special->UpdateSpecial(*primary, {2}, {{2, static_cast<const CharColumn*>(orders.get())}}, {values.get()}, L"");
    auto own = Doubles({7});
    auto onePrimary = Doubles({7.5});
    std::map<long, Column*> primaries{{9, onePrimary.get()}};
    auto empty = Doubles({});
    special->UpdateWithPerQuantityPrimaries(*empty, {9}, primaries, {own.get()}, L"per quantity");
    none->AddPointAtCurrVarVals(special.release(), false);
    return cache;
  }

  static AString TextOf(const MinorVVsCache& cache) {
    io::CBlock block;
    cache.WriteToBlock(block);
    return io::BlockToText(block);
  }

  std::string PathOf(const AString& name) {
    LongFileName path;
    ManagedFileService::GetInstance()->GetFullPath(path, L"svcache", name);
    return path.ToNarrow();
  }

  reptest::TempDir tmp;
  ManagedFileService::RootScope root;
  Variable freq{L"Freq", Units::kGHz};
  Variable width{L"W", Units::kMm};
  VariableNameSpace names{1, 1, 0};
};

}  // namespace

TEST_F(MinorVVsCacheTest, FilesRoundTripBitForBit) {
  std::unique_ptr<MinorVVsCache> cache = MakeSample();
  ASSERT_TRUE(cache->Write());
  EXPECT_EQ(AString(L"MVC1.dat"), cache->GetCacheFile());
  ASSERT_TRUE(cache->Write()) << "a second write keeps its name";
  EXPECT_EQ(AString(L"MVC1.dat"), cache->GetCacheFile());

  MinorVVsCache back(ManagedFileService::GetInstance());
  back.SetCacheFile(cache->GetCacheFile());
  AString error;
  ASSERT_TRUE(back.Read(&error)) << error.ToUtf8();
  back.SetCacheFile(L"");
  ASSERT_TRUE(back.Write());
  EXPECT_EQ(AString(L"MVC2.dat"), back.GetCacheFile());
  const std::string written = reptest::ReadFileBytes(PathOf(L"MVC1.dat"));
  EXPECT_EQ(written, reptest::ReadFileBytes(PathOf(L"MVC2.dat")));
  EXPECT_NE(std::string::npos, written.find("PushedCol")) << "the sample has rows without a quantity";

  // What was read is what was written: points, kinds, columns.
  ConnectedVVObject* overW = back.GetConnectivityForSweepVar(&freq);
  ASSERT_NE(nullptr, overW);
  ASSERT_EQ(2u, overW->GetPoints().size());
  VariableValuesContext at(At({{&width, 1.0 / 3.0}}));
  auto* sweep = dynamic_cast<MinorSweepCache*>(overW->GetLeafDataAtCurrVarVals());
  ASSERT_NE(nullptr, sweep);
  EXPECT_EQ(&freq, sweep->GetSweepVariable());
  EXPECT_TRUE(SameDoubles({1.0 / 3.0, NAN, -0.0}, ValuesOf(sweep->GetQuantityColumn(3))));
  EXPECT_TRUE(sweep->WasPushedAt(3, 2));
  EXPECT_FALSE(sweep->WasPushedAt(1, 2));
  EXPECT_EQ(Units::kDB, sweep->GetQuantityColumn(1)->GetUnits());
  EXPECT_TRUE(sweep->GetQuantityColumn(1)->IsFileManaged());
  auto* special = dynamic_cast<MinorDoubleSpecialSweepCache*>(
      back.GetConnectivityForSweepVar(nullptr)->GetDataForCompVVObject(back.GetConnectivityForSweepVar(nullptr)->GetRoot()));
  ASSERT_NE(nullptr, special);
  EXPECT_TRUE(SameDoubles({7.5}, ValuesOf(special->GetQuantityPrimaryColumn(9))));
  EXPECT_EQ((std::vector<char>{1, 0}), special->GetQuantityInterpOrderColumn(2)->GetCharColumn()->GetValues());
  EXPECT_EQ(AString(L"per quantity"), special->GetTag());
  std::list<long> ids;
  back.GetQuantityIDs(ids);
  EXPECT_EQ((std::list<long>{1, 2, 3, 9}), ids);
}

// A later save writes over the file in place: what it held past the new end must not stay.
TEST_F(MinorVVsCacheTest, ASmallerCacheWrittenAgainLeavesNothingOfTheLargerFile) {
  std::unique_ptr<MinorVVsCache> cache = MakeSample();
  ASSERT_TRUE(cache->Write());
  const std::string path = PathOf(cache->GetCacheFile());
  const size_t larger = reptest::ReadFileBytes(path).size();
  cache->InvalidateQuantityData(3);
  cache->InvalidateQuantityData(9);
  ASSERT_TRUE(cache->Write());
  EXPECT_EQ(path, PathOf(cache->GetCacheFile()));
  std::string expected;
  cache->WriteToBytes(expected);
  ASSERT_LT(expected.size(), larger);
  EXPECT_EQ(expected, reptest::ReadFileBytes(path));

  MinorVVsCache back(ManagedFileService::GetInstance());
  back.SetCacheFile(cache->GetCacheFile());
  AString error;
  ASSERT_TRUE(back.Read(&error)) << error.ToUtf8();
  std::list<long> ids;
  back.GetQuantityIDs(ids);
  EXPECT_EQ((std::list<long>{1, 2}), ids);
}

// Rows read from a file are found by value, and an update merges into them.
TEST_F(MinorVVsCacheTest, RowsReadBackAreFoundAndMergedInto) {
  std::unique_ptr<MinorVVsCache> cache = MakeSample();
  ASSERT_TRUE(cache->Write());
  MinorVVsCache back(ManagedFileService::GetInstance());
  back.SetCacheFile(cache->GetCacheFile());
  ASSERT_TRUE(back.Read());
  VariableValuesContext at(At({{&width, 0.1}}));
  auto* sweep = dynamic_cast<MinorSweepCache*>(back.GetConnectivityForSweepVar(&freq)->GetLeafDataAtCurrVarVals());
  ASSERT_NE(nullptr, sweep);
  EXPECT_EQ(3u, sweep->GetRowCount());
  {
    VariableValuesContext atFreq(At({{&freq, 2.0}}));
    EXPECT_EQ(1, sweep->GetRowForCurrentVariation(-1));
  }
  EXPECT_TRUE(sweep->DoesCacheHaveValuesForQuantities({3}, *Doubles({3, 1})));
  EXPECT_FALSE(sweep->DoesCacheHaveValuesForQuantities({1}, *Doubles({3})));

  auto primary = Doubles({3, 4});
  auto s21 = Doubles({-3, -4}, Units::kDB);
  sweep->Update(*primary, false, {1}, {s21.get()}, L"");
  EXPECT_EQ(4u, sweep->GetRowCount()) << "3 is merged, 4 appended";
  EXPECT_TRUE(sweep->DoesCacheHaveValuesForQuantities({1}, *Doubles({1, 2, 3, 4})));
  EXPECT_TRUE(SameDoubles({1e-300, 4.9e-324, -3, -4}, ValuesOf(sweep->GetQuantityColumn(1))));
  EXPECT_TRUE(sweep->WasPushedAt(3, 2)) << "read with every row pushed";
  EXPECT_FALSE(sweep->WasPushedAt(3, 3));
  EXPECT_FALSE(sweep->DoesCacheHaveValuesForQuantities({3}, *Doubles({4})));
}

TEST_F(MinorVVsCacheTest, InvalidateDropsTheDataAndDeletesTheFile) {
  std::unique_ptr<MinorVVsCache> cache = MakeSample();
  const size_t sweepCaches = MinorSweepCache::GetInstanceCount();
  ASSERT_TRUE(cache->Write());
  const std::string path = PathOf(cache->GetCacheFile());
  ASSERT_TRUE(std::filesystem::exists(path));
  const size_t before = MinorVVsCache::GetInvalidateCount();

  cache->InvalidateQuantityData(3);
  std::list<long> ids;
  cache->GetQuantityIDs(ids);
  EXPECT_EQ((std::list<long>{1, 2, 9}), ids);
  EXPECT_EQ(sweepCaches, MinorSweepCache::GetInstanceCount()) << "nothing deleted";

  cache->Invalidate();
  EXPECT_EQ(before + 1, MinorVVsCache::GetInvalidateCount());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(AString(), cache->GetCacheFile());
  EXPECT_EQ(sweepCaches - 3, MinorSweepCache::GetInstanceCount());
  ids.clear();
  cache->GetQuantityIDs(ids);
  EXPECT_TRUE(ids.empty());
}

TEST_F(MinorVVsCacheTest, ReplacingASweepConnectivityDeletesItsCaches) {
  std::unique_ptr<MinorVVsCache> cache = MakeSample();
  const size_t alive = MinorSweepCache::GetInstanceCount();
  ConnectedVVObject* fresh = ConnectedVVObject::CreateConnectedVVObject({&width});
  cache->AddConnectivityForSweepVar(&freq, fresh);
  EXPECT_EQ(alive - 2, MinorSweepCache::GetInstanceCount());
  EXPECT_EQ(fresh, cache->GetConnectivityForSweepVar(&freq));
  EXPECT_EQ(2u, cache->GetNumSweepConnectivities());
  cache.reset();
  EXPECT_EQ(alive - 3, MinorSweepCache::GetInstanceCount());
}

TEST_F(MinorVVsCacheTest, WriteFailsWithoutAServiceOrAFolder) {
  MinorVVsCache noService(nullptr);
  EXPECT_FALSE(noService.Write());
  reptest::WriteFileBytes(tmp.File("svcache"), "a file where the folder should be");
  MinorVVsCache blocked(ManagedFileService::GetInstance());
  EXPECT_FALSE(blocked.Write());
  EXPECT_EQ(AString(), blocked.GetCacheFile());
  AString error;
  EXPECT_FALSE(blocked.Read(&error));
  EXPECT_EQ(AString(L"no cache file"), error);
}
// A damaged or truncated file of the older text form is input, not a fault: Read answers false
// with a message that says where and what, and the cache keeps what it held.
TEST_F(MinorVVsCacheTest, DamagedTextFilesAreRefusedAndTheCacheIsKept) {
  std::unique_ptr<MinorVVsCache> sample = MakeSample();
  ASSERT_TRUE(sample->Write()) << "makes the folder";
  const std::string valid = TextOf(*sample).ToUtf8();
  reptest::WriteFileBytes(PathOf(L"old.dat"), valid);
  MinorVVsCache target(ManagedFileService::GetInstance());
  target.SetCacheFile(L"old.dat");
  AString readError;
  ASSERT_TRUE(target.Read(&readError)) << readError.ToUtf8();
  const AString held = TextOf(target);

  struct Case {
    const char* from;  // first occurrence replaced; null: the file is cut to `cut` bytes
    const char* to;
    size_t cut;
    // The exact message; "..." at the start stands for "SweepConnectivity 1: ", at the end for
    // the block reader's own account of the damage.
    const char* error;
  };
  const Case cases[] = {
      {nullptr, nullptr, 0, "line 1: ..."},
      {nullptr, nullptr, 200, "line ..."},
      {nullptr, nullptr, 1500, "line ..."},
      {"MinorVVsCache {", "MinorVVsCach {", 0, "not a \"MinorVVsCache\" block"},
      {"FormatVersion = 1", "FormatVersion = 2", 0, "\"FormatVersion\" missing or not 1"},
      {"FormatVersion = 1", "FormatVersion = \"1\"", 0, "\"FormatVersion\" missing or not 1"},
      {"SweepVariable = \"Freq\"", "SweepVariable = \"Nope\"", 0, "SweepConnectivity 1: unknown variable \"Nope\""},
      {"SweepVariable = \"Freq\"", "SweepVariable = \"N\\u{0}o\\u{1f}\"", 0,
       "SweepConnectivity 1: unknown variable \"N\\x00o\\x1f\""},
      {"SweepVariable = \"Freq\"", "SweepVariables = \"Freq\"", 0,
       "SweepConnectivity 1: \"SweepVariable\" missing or not a text"},
      {"Variables = [\"W\"]", "Variables = [\"W\", \"w\"]", 0,
       "SweepConnectivity 1: \"Variables\": item 2 is not a variable of its own"},
      {"Variables = [\"W\"]", "Variables = [\"Q\"]", 0,
       "SweepConnectivity 1: \"Variables\": item 1 is not a variable of its own"},
      {"Variables = [\"W\"]", "Variable = [\"W\"]", 0, "SweepConnectivity 1: \"Variables\" missing"},
      {"Variables = []", "Variables = [\"W\"]", 0,
       "SweepConnectivity 2: Point 1: \"Variation\"  does not give a value to each variable of the connectivity"},
      {"SweepVariable = \"\"", "SweepVariable = \"Freq\"", 0, "SweepConnectivity 2: two connectivities for \"Freq\""},
      {"Variation = \"W=0.10000000000000001mm\"", "Variation = \"W=abc\"", 0,
       "...Point 1: \"Variation\" W=abc does not give a value to each variable of the connectivity"},
      {"Variation = \"W=0.10000000000000001mm\"", "Variation = \"Freq=1GHz\"", 0,
       "...Point 1: \"Variation\" Freq=1GHz does not give a value to each variable of the connectivity"},
      {"Variation = \"W=0.10000000000000001mm\"", "Variation = \"W=2*W\"", 0,
       "...Point 1: \"Variation\" W=2*W does not give a value to each variable of the connectivity"},
      {"Variation = \"W=0.33333333333333331mm\"", "Variation = \"W=0.1mm\"", 0,
       "SweepConnectivity 1: Point 2: two points at W=0.1mm"},
      {"Variation = \"\"", "Variation = 5", 0, "SweepConnectivity 2: Point 1: \"Variation\" missing or not a text"},
      {"SweepCache {", "SweepCach {", 0, "...Point 1: \"SweepCache\" missing"},
      {"Kind = 0", "Kind = 7", 0, "...Point 1: SweepCache: \"Kind\" missing or not 0, 1 or 2"},
      {"Tag = \"tag", "Tag = 5 \"tag", 0, "line ..."},
      {"Tag = \"tag \\\"quoted\\\", \\\\ and more\"", "Tag = 5", 0, "...Point 1: SweepCache: \"Tag\" is not a text"},
      {"SweepVariable = \"Freq\"\n        Tag", "SweepVariable = \"W\"\n        Tag", 0,
       "...Point 1: SweepCache: \"SweepVariable\" differs from the connectivity's"},
      {"ColumnCount = 3", "ColumnCount = 4", 0, "...Point 1: SweepCache: SweepColumn: ColumnCount is 4 but Values holds 3 entries"},
      {"Values = \"1 2 3\"", "Values = \"1 2 x\"", 0, "...Point 1: SweepCache: SweepColumn: Values: entry 2 cannot be read"},
      {"ID = 1", "ID = 3", 0, "...Point 1: Quantity 3: the ID is there twice"},
      {"ID = 1", "ID = \"1\"", 0, "...Point 1: Quantity: \"ID\" missing or not an integer"},
      {"ValuesCol {\n            ColumnType = 1\n            ColumnUnits = 200", "ValuesCo {\n            ColumnType = 1\n            ColumnUnits = 200", 0,
       "...Point 1: Quantity 1: \"ValuesCol\" missing"},
      {"ColumnUnits = 200", "ColumnUnits = 99999", 0, "...Point 1: Quantity 1: ValuesCol: unknown unit 99999"},
      {"PushedCol {\n            ColumnType = 14", "PushedCol {\n            ColumnType = 1", 0,
       "...Point 1: Quantity 1: \"PushedCol\" is not a character column of one flag per row"},
      {"InterpCol {\n            ColumnType = 14", "InterpCol {\n            ColumnType = 13", 0,
       "SweepConnectivity 2: Point 1: Quantity 2: \"InterpCol\" is not a character column of one order per row"},
      {"Values = \"1 0\"", "Values = \"1\"", 0, "SweepConnectivity 2: Point 1: Quantity 2: InterpCol: ColumnCount is 2 but Values holds 1 entries"},
      {"Kind = 2", "Kind = -1", 0, "SweepConnectivity 2: Point 1: SweepCache: \"Kind\" missing or not 0, 1 or 2"},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string bytes = valid;
    if (!c.from) {
      bytes.resize(std::min(c.cut, bytes.size()));
    } else {
      const size_t at = bytes.find(c.from);
      ASSERT_NE(std::string::npos, at) << c.from;
      bytes.replace(at, std::string(c.from).size(), c.to);
    }
    const AString name = AString::Format(L"damaged%d.dat", ++n);
    SCOPED_TRACE(testing::Message() << "case " << n << ": " << (c.from ? c.to : "cut"));
    reptest::WriteFileBytes(PathOf(name), bytes);
    target.SetCacheFile(name);
    AString error;
    EXPECT_FALSE(target.Read(&error));
    std::string expected = c.error;
    std::string actual = error.ToUtf8();
    const bool startsOpen = expected.rfind("...", 0) == 0;
    const bool endsOpen = expected.size() >= 3 && expected.compare(expected.size() - 3, 3, "...") == 0;
    if (startsOpen) expected = "SweepConnectivity 1: " + expected.substr(3);
    if (endsOpen) {
      expected.resize(expected.size() - 3);
      EXPECT_EQ(0u, actual.rfind(expected, 0)) << actual;
    } else {
      EXPECT_EQ(expected, actual);
    }
    EXPECT_EQ(held, TextOf(target)) << "the cache is unchanged";
  }
  target.SetCacheFile(L"missing.dat");
  EXPECT_FALSE(target.Read());
  EXPECT_EQ(held, TextOf(target));
}

// Every byte of a binary file counts: any one changed, or the file cut anywhere, is refused and
// the cache keeps what it held.
TEST_F(MinorVVsCacheTest, AnyDamagedByteOfABinaryFileIsRefused) {
  std::unique_ptr<MinorVVsCache> sample = MakeSample();
  ASSERT_TRUE(sample->Write());
  const std::string valid = reptest::ReadFileBytes(PathOf(sample->GetCacheFile()));
  ASSERT_EQ(0u, valid.rfind("MVCB", 0));
  EXPECT_EQ(std::string::npos, valid.find("Values =")) << "no values text for the number kinds";
  MinorVVsCache target(ManagedFileService::GetInstance());
  target.SetCacheFile(sample->GetCacheFile());
  ASSERT_TRUE(target.Read());
  const AString held = TextOf(target);
  EXPECT_EQ(TextOf(*sample), held);

  std::string bytes;
  AString error;
  for (size_t i = 0; i < valid.size(); ++i) {
    for (const unsigned char flip : {0x01, 0x80}) {
      bytes = valid;
      bytes[i] = static_cast<char>(bytes[i] ^ flip);
      error.clear();
      EXPECT_FALSE(target.ReadFromBytes(bytes.data(), bytes.size(), &error)) << "byte " << i;
      EXPECT_FALSE(error.empty());
    }
    error.clear();
    EXPECT_FALSE(target.ReadFromBytes(valid.data(), i, &error)) << "cut to " << i;
    EXPECT_FALSE(error.empty());
  }
  bytes = valid;
  bytes[valid.size() - 20] ^= 1;
  target.ReadFromBytes(bytes.data(), bytes.size(), &error);
  EXPECT_EQ(AString(L"damaged file: the checksum differs"), error);
  EXPECT_EQ(held, TextOf(target));
}
