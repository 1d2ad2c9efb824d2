#include "RepTest.h"
#include "postorvex/caches/MinorVVsCacheFuzzEntry.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(MinorVVsCacheFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  reptest::ReplayKeptFuzzInputs("MinorVVsCacheFuzz", [](const std::string& name, const uint8_t* data, size_t size) {
    const int read = postp::FuzzMinorVVsCache(data, size);
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
