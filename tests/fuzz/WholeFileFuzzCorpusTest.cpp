#include "BlockFileFuzzEntry.h"
#include "CacheHeaderFuzzEntry.h"
#include "PasteClipboardFuzzEntry.h"
#include "ProjectFuzzEntry.h"
#include "RepTest.h"

// Every kept input of the whole-file fuzz targets goes through the same entry, under the
// sanitizers here; any soft assertion the entry leaves recorded fails.
namespace {

struct Target {
  const char* corpus;
  int (*entry)(const uint8_t*, size_t);
};

const Target kTargets[] = {
    {"ProjectFuzz", &repfuzz::FuzzProject},
    {"CacheHeaderFuzz", &repfuzz::FuzzCacheHeader},
    {"BlockFileFuzz", &repfuzz::FuzzBlockFile},
    {"PasteClipboardFuzz", &repfuzz::FuzzPasteClipboard},
};

void PrintTo(const Target& t, std::ostream* os) { *os << t.corpus; }

class WholeFileFuzzCorpus : public ::testing::TestWithParam<Target> {};

TEST_P(WholeFileFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  const Target& t = GetParam();
  reptest::ReplayKeptFuzzInputs(
      t.corpus,
      [&t](const std::string& name, const uint8_t* data, size_t size) {
        const int read = t.entry(data, size);
        // Kept inputs are named for what they are; a crash found later may be either.
        if (name.rfind("valid_", 0) == 0) {
          EXPECT_EQ(1, read);
        }
        if (name.rfind("damaged_", 0) == 0) {
          EXPECT_EQ(0, read);
        }
        return read;
      });
}

INSTANTIATE_TEST_SUITE_P(Targets, WholeFileFuzzCorpus, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.corpus); });

}  // namespace
