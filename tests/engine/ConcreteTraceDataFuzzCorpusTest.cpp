#include <cstdlib>
#include <filesystem>
#include <string>

#include "ConcreteTraceDataFuzzEntry.h"
#include "RepTest.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(ConcreteTraceDataFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  const char* root = std::getenv("REP_FUZZ_CORPUS");
  ASSERT_NE(nullptr, root) << "REP_FUZZ_CORPUS is not set";
  const std::filesystem::path dir = std::filesystem::path(root) / "ConcreteTraceDataFuzz";
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  size_t files = 0;
  size_t whole = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = reptest::ReadFileBytes(entry.path().string());
    whole += rep::FuzzReadConcreteTraceData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_NO_SOFT_ASSERT();
    orvex::test::Asserts().Clear();
    ++files;
  }
  EXPECT_GT(files, 5u);
  EXPECT_GT(whole, 0u) << "some kept inputs are whole blocks";
  EXPECT_LT(whole, files) << "some kept inputs are damaged";
}
