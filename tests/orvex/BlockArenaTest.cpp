#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "RepTest.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/TokenStream.h"

#if defined(__SANITIZE_ADDRESS__)
#define REP_TEST_ASAN 1
extern "C" void __sanitizer_purge_allocator();
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define REP_TEST_ASAN 1
extern "C" void __sanitizer_purge_allocator();
#endif
#endif

namespace {

io::CBlock Tree(int seed, int items) {
  io::CBlock top(L"T");
  for (int i = 0; i < items; ++i) {
    io::CBlock sub(L"Item");
    sub << io::CBlock_named_value(L"ID", seed + i) << io::CBlock_named_value(L"Name", L"Plot")
        << (io::CBlock_func(L"Ctx") << seed << 1.5 * i);
    top << std::move(sub);
  }
  return top;
}

bool ReadTree(const std::string& text, io::CBlock& read) {
  io::CStringToken_istream in(text.data(), text.size());
  AString error;
  return io::ReadSingleBlock(in, read, &error);
}

std::string TextOf(const io::CBlock& block) {
  io::CStringToken_ostream out;
  out << block;
  return out.Utf8();
}

size_t ResidentBytes() {
  long pages = 0;
  long resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return static_cast<size_t>(resident) * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

constexpr size_t kMiB = size_t(1) << 20;

}  // namespace

// Threads reading trees at once each get memory of their own.
TEST(BlockArena, TreesReadInThreadsAtOnceAreWhole) {
  auto readBack = [](const std::string& text, const io::CBlock& expected) {
    io::CBlock read;
    return ReadTree(text, read) && read == expected;
  };
  const io::CBlock trees[] = {Tree(3, 20000), Tree(5, 20000), Tree(11, 20000), Tree(13, 20000)};
  std::vector<std::string> texts;
  for (const io::CBlock& t : trees) texts.push_back(TextOf(t));
  bool whole[4] = {};
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i)
    readers.emplace_back([&, i] {
      whole[i] = true;
      for (int round = 0; round < 3; ++round) whole[i] = readBack(texts[i], trees[i]) && whole[i];
    });
  for (std::thread& t : readers) t.join();
  for (bool w : whole) EXPECT_TRUE(w);
}

// A plug-in in the host's process gives its memory back once a tree read is freed, at once, and
// not only at the next read.
TEST(BlockArena, FreedTreeGivesItsMemoryBack) {
  // Written out as text directly: a tree this big takes long to make under the sanitizers.
  const std::string item = TextOf(Tree(7, 1));
  const size_t open = item.find('{') + 1;
  const size_t close = item.rfind('}');
  std::string text = item.substr(0, open);
  for (int i = 0; i < 150000; ++i) text.append(item, open, close - open);
  text.append(item, close, std::string::npos);
#if defined(REP_TEST_ASAN)
  __sanitizer_purge_allocator();
#endif
  const size_t before = ResidentBytes();
  ASSERT_GT(before, 0u);
  size_t held = 0;
  {
    io::CBlock read;
    ASSERT_TRUE(ReadTree(text, read));
    held = ResidentBytes();
  }
#if defined(REP_TEST_ASAN)
  __sanitizer_purge_allocator();
#endif
  const size_t after = ResidentBytes();
  EXPECT_GT(held, before + 32 * kMiB) << "the tree is big enough to tell";
  EXPECT_LT(after, before + 4 * kMiB) << "before " << before / kMiB << " MiB, with the tree " << held / kMiB
                                      << " MiB, after " << after / kMiB << " MiB";
}
