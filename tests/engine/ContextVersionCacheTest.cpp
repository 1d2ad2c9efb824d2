#include <memory>
#include <vector>

#include "quantities/ContextVersionCacheT.tmpl_impl"
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

template <class C>
std::vector<int> Walk(const C& cache) {
  std::vector<int> seen;
  for (typename C::Iterator it = cache.Begin(); it != cache.End(); ++it) seen.push_back(it.GetRecord()->value);
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

namespace {

// Counts how records leave a cache.
struct Counted {
  static int s_freed;
  static int s_destroyed;
  static void Free(Record* r) {
    ++s_freed;
    delete r;
  }
  static void Destroy(Record* r) {
    ++s_destroyed;
    delete r;
  }
};
int Counted::s_freed = 0;
int Counted::s_destroyed = 0;

}  // namespace

TEST(ContextVersionCache, EntriesFreedWhileTheCacheLivesGoThroughFreeTheRestThroughDestroy) {
  using CountedCache = rep::ContextVersionCacheT<Record, Counted>;
  const ReportTypeSolutionDefinition a(1), b(2);
  {
    CountedCache cache(nullptr, nullptr);
    for (long solution : {10, 11})
      for (const ReportTypeSolutionDefinition* rtsd : {&a, &b})
        for (long version : {1, 2}) cache.StoreRecord(1, solution, *rtsd, version, new Record(0));
    cache.StoreRecord(1, 10, a, 1, new Record(1));  // replaces one
    EXPECT_EQ(1, Counted::s_freed);

    CountedCache::ContextMap& contexts = cache.GetSolutionMap(1)[10];
    cache.SweepVersions(contexts[a], [](long version, Record*) { return version != 2; });
    EXPECT_EQ(2, Counted::s_freed);
    cache.SweepContexts(contexts, [&](const ReportTypeSolutionDefinition& c, CountedCache::VersionMap&) {
      return !(c == b);
    });
    EXPECT_EQ(4, Counted::s_freed);
    EXPECT_EQ((std::vector<int>{1, 0, 0, 0, 0}), Walk(cache));
    cache.SweepSolutions([](long solution, CountedCache::ContextMap&) { return solution == 10; });
    EXPECT_EQ(8, Counted::s_freed);
    EXPECT_EQ((std::vector<int>{1}), Walk(cache));
    EXPECT_EQ(0, Counted::s_destroyed);
  }
  EXPECT_EQ(1, Counted::s_destroyed);
  EXPECT_EQ(0, Record::s_alive);
}
