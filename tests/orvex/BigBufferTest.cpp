#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RepTest.h"
#include "orvex/io/BigBuffer.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/TokenStream.h"

using io::detail::HugePageKeep;
using namespace std::chrono_literals;

namespace {

// Pieces from the heap standing for mapped pages: what the keep gives up is recorded, and a piece
// it keeps has its contents dropped, as the system may do.
struct Pieces {
  static std::map<void*, size_t>& Alive() {
    static std::map<void*, size_t> alive;
    return alive;
  }
  static void* Make(size_t bytes) {
    void* const p = new char[bytes];
    Alive()[p] = bytes;
    return p;
  }
  static void Forget(void* p, size_t bytes) { std::memset(p, 0xA5, bytes); }
  static void Release(void* p, size_t bytes) {
    EXPECT_EQ(Alive()[p], bytes);
    Alive().erase(p);
    delete[] static_cast<char*>(p);
  }
};

constexpr size_t kMiB = size_t(1) << 20;

}  // namespace

TEST(HugePageKeep, TakesTheSmallestPieceThatFitsWithinTwiceTheAsk) {
  const auto t0 = HugePageKeep::Clock::now();
  {
    HugePageKeep keep(64 * kMiB, 10s, Pieces::Forget, Pieces::Release);
    void* const p2 = Pieces::Make(2 * kMiB);
    void* const p8 = Pieces::Make(8 * kMiB);
    void* const p4 = Pieces::Make(4 * kMiB);
    EXPECT_TRUE(keep.Keep(p2, 2 * kMiB, t0));
    EXPECT_TRUE(keep.Keep(p8, 8 * kMiB, t0));
    EXPECT_TRUE(keep.Keep(p4, 4 * kMiB, t0));
    EXPECT_EQ(14 * kMiB, keep.KeptBytes());
    struct Case {
      size_t ask;
      void* expected;  // null: none
      size_t bytes;    // what the ask becomes
    };
    const Case cases[] = {
        {16 * kMiB, nullptr, 16 * kMiB},  // none big enough
        {3 * kMiB, p4, 4 * kMiB},         // the smallest that fits, not the first kept
        {1 * kMiB, p2, 2 * kMiB},
        {3 * kMiB, nullptr, 3 * kMiB},    // the 8 MiB left is more than twice the ask
        {5 * kMiB, p8, 8 * kMiB},
    };
    for (const Case& c : cases) {
      size_t bytes = c.ask;
      EXPECT_EQ(c.expected, keep.Take(bytes, t0)) << c.ask;
      EXPECT_EQ(c.bytes, bytes);
    }
    EXPECT_EQ(0u, keep.KeptBytes());
    EXPECT_EQ(0u, keep.KeptPieces());
    // What was taken is the caller's again; kept ones go with the keep.
    for (void* p : {p2, p4, p8}) Pieces::Release(p, Pieces::Alive()[p]);
    EXPECT_TRUE(keep.Keep(Pieces::Make(2 * kMiB), 2 * kMiB, t0));
  }
  EXPECT_TRUE(Pieces::Alive().empty());
}

TEST(HugePageKeep, KeptPiecesAreBoundedInBytesCountAndTime) {
  const auto t0 = HugePageKeep::Clock::now();
  HugePageKeep keep(8 * kMiB, 10s, Pieces::Forget, Pieces::Release);
  // A piece over the bound alone is refused, and stays the caller's.
  void* const big = Pieces::Make(9 * kMiB);
  EXPECT_FALSE(keep.Keep(big, 9 * kMiB, t0));
  EXPECT_EQ(0u, keep.KeptPieces());
  Pieces::Release(big, 9 * kMiB);
  // The oldest go to make room.
  void* const first = Pieces::Make(4 * kMiB);
  EXPECT_TRUE(keep.Keep(first, 4 * kMiB, t0));
  EXPECT_TRUE(keep.Keep(Pieces::Make(4 * kMiB), 4 * kMiB, t0 + 1s));
  EXPECT_TRUE(keep.Keep(Pieces::Make(2 * kMiB), 2 * kMiB, t0 + 2s));
  EXPECT_EQ(6 * kMiB, keep.KeptBytes());
  EXPECT_EQ(0u, Pieces::Alive().count(first));
  // Each piece goes once it has been kept past the time bound, at the next call.
  keep.Expire(t0 + 10s);
  EXPECT_EQ(2u, keep.KeptPieces());
  keep.Expire(t0 + 11s + 1ms);
  EXPECT_EQ(1u, keep.KeptPieces());
  size_t bytes = 2 * kMiB;
  EXPECT_EQ(nullptr, keep.Take(bytes, t0 + 12s + 1ms));
  EXPECT_EQ(0u, keep.KeptPieces());
  EXPECT_TRUE(Pieces::Alive().empty());
  // Many small pieces: no more are kept than there is room for without allocating.
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(keep.Keep(Pieces::Make(4096), 4096, t0 + 20s));
  EXPECT_EQ(16u, keep.KeptPieces());
  EXPECT_EQ(16u, Pieces::Alive().size());
}

// Trees read one after the other reuse the big pieces of memory that trees before them gave back,
// holding whatever those pieces held: nothing read may depend on it.
TEST(HugePageKeep, TreesReadIntoReusedPiecesAreWhole) {
  // Given back with garbage in it, as a reused piece may hold.
  size_t bytes = 2 * kMiB;
  void* const dirty = io::TakeHugePages(bytes);
  ASSERT_NE(nullptr, dirty);
  EXPECT_EQ(2 * kMiB, bytes);
  std::memset(dirty, 0xCD, bytes);
  io::GiveBackHugePages(dirty, bytes);

  auto tree = [](int seed) {
    io::CBlock top(L"T");
    for (int i = 0; i < 20000; ++i) {
      io::CBlock sub(L"Item");
      sub << io::CBlock_named_value(L"ID", seed + i) << io::CBlock_named_value(L"Name", L"Plot")
          << (io::CBlock_func(L"Ctx") << seed << 1.5 * i);
      top << std::move(sub);
    }
    return top;
  };
  auto readBack = [](const io::CBlock& expected) {
    io::CStringToken_ostream out;
    out << expected;
    io::CStringToken_istream in(out.Utf8().data(), out.Utf8().size());
    io::CBlock read;
    AString error;
    return io::ReadSingleBlock(in, read, &error) && read == expected;
  };
  for (int seed : {1, 1000, 7}) EXPECT_TRUE(readBack(tree(seed))) << seed;

  // Threads reading at once share the keep: each tree still gets pieces of its own.
  const io::CBlock trees[] = {tree(3), tree(5), tree(11), tree(13)};
  bool whole[4] = {};
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i)
    readers.emplace_back([&, i] {
      whole[i] = true;
      for (int round = 0; round < 3; ++round) whole[i] = readBack(trees[i]) && whole[i];
    });
  for (std::thread& t : readers) t.join();
  for (bool w : whole) EXPECT_TRUE(w);
}
