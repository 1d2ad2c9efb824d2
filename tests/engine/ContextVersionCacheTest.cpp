#include <memory>
#include <vector>

#include "ContextVersionCacheT.tmpl_impl"
#include "RepTest.h"

namespace {

// A record that counts how many of its kind are alive.
struct Record {
  explicit Record(int v) : value(v) { ++s_alive; }
  ~Record() { --s_alive; }
  int value;
  static int s_alive;
};
int Record::s_alive = 0;

using Cache = rep::ContextVersionCacheT<Record>;

std::vector<int> Walk(const Cache& cache) {
  std::vector<int> seen;
  for (Cache::Iterator it = cache.Begin(); it != cache.End(); ++it) seen.push_back(it.GetRecord()->value);
  return seen;
}

}  // namespace

TEST(ContextVersionCache, WalksRecordsInOrderSkippingEmptyLevels) {
  const ReportTypeSolutionDefinition a(1), b(2);
  {
    Cache cache(nullptr, nullptr);
    EXPECT_TRUE(Walk(cache).empty());
    EXPECT_TRUE(cache.Begin() == cache.End());

    // Lookups leave empty levels behind; the walk passes over them.
    EXPECT_EQ(nullptr, cache.FindRecord(1, 10, a, 1));
    EXPECT_FALSE(cache.IsEmpty());
    cache.GetVersionMap(2, 20, a);
    cache.GetDesignMapForEdit()[3];
    EXPECT_TRUE(Walk(cache).empty());

    cache.StoreRecord(5, 50, b, 2, new Record(4));
    cache.StoreRecord(1, 10, b, 1, new Record(2));
    cache.StoreRecord(1, 10, a, 7, new Record(1));
    cache.StoreRecord(1, 11, a, 1, new Record(3));
    cache.StoreRecord(5, 50, b, 1, new Record(99));
    cache.StoreRecord(5, 50, b, 1, new Record(35));  // replaces, deleting the old one
    EXPECT_EQ((std::vector<int>{1, 2, 3, 35, 4}), Walk(cache));
    EXPECT_EQ(5, Record::s_alive);

    Cache::Iterator it = cache.Begin();
    EXPECT_EQ(10, it.GetSolutionID());
    EXPECT_EQ(a, it.GetReportTypeSolutionDefinition());
    EXPECT_EQ(7, it.GetVersionID());

    Cache::Iterator end = cache.End();
    ++end;
    EXPECT_SOFT_ASSERT("!\"Cant increment, end of map, caller to test against end\"");
    EXPECT_TRUE(end == cache.End());

    Cache::ContextMap& contexts = cache.GetDesignMapForEdit()[1][10];
    cache.EraseContext(contexts, contexts.find(a));
    EXPECT_EQ((std::vector<int>{2, 3, 35, 4}), Walk(cache));
  }
  EXPECT_EQ(0, Record::s_alive);
}
