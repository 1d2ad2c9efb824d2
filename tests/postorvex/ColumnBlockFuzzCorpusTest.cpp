#include <cstdlib>
#include <filesystem>
#include <string>

#include "RepTest.h"
#include "postorvex/columns/ColumnFuzz.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(ColumnBlockFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  const char* root = std::getenv("REP_FUZZ_CORPUS");
  ASSERT_NE(nullptr, root) << "REP_FUZZ_CORPUS is not set";
  const std::filesystem::path dir = std::filesystem::path(root) / "ColumnBlockFuzz";
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  size_t files = 0;
  size_t blocks = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = reptest::ReadFileBytes(entry.path().string());
    blocks += postorvex::FuzzReadColumnBlock(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_NO_SOFT_ASSERT();
    orvex::test::Asserts().Clear();
    ++files;
  }
  EXPECT_GT(files, 5u);
  EXPECT_GT(blocks, 0u) << "some kept inputs are column blocks";
  EXPECT_LT(blocks, files) << "some kept inputs are damaged";
}
