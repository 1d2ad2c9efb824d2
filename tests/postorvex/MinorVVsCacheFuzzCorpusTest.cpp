#include <cstdlib>
#include <filesystem>
#include <string>

#include "RepTest.h"
#include "postorvex/caches/MinorVVsCache.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(MinorVVsCacheFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  const char* root = std::getenv("REP_FUZZ_CORPUS");
  ASSERT_NE(nullptr, root) << "REP_FUZZ_CORPUS is not set";
  const std::filesystem::path dir = std::filesystem::path(root) / "MinorVVsCacheFuzz";
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  size_t files = 0;
  size_t caches = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = reptest::ReadFileBytes(entry.path().string());
    const int read = postp::FuzzReadMinorVVsCache(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    // Kept inputs are named for what they are; a crash found later may be either.
    const std::string name = entry.path().filename().string();
    if (name.rfind("valid_", 0) == 0) {
      EXPECT_EQ(1, read);
    }
    if (name.rfind("damaged_", 0) == 0) {
      EXPECT_EQ(0, read);
    }
    caches += read;
    EXPECT_NO_SOFT_ASSERT();
    orvex::test::Asserts().Clear();
    ++files;
  }
  EXPECT_GT(files, 5u);
  EXPECT_GT(caches, 0u) << "some kept inputs are whole caches";
  EXPECT_LT(caches, files) << "some kept inputs are damaged";
}
