#include "RepTest.h"
#include "postorvex/columns/ColumnBlockFuzzEntry.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(ColumnBlockFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  reptest::ReplayKeptFuzzInputs("ColumnBlockFuzz", [](const std::string&, const uint8_t* data, size_t size) {
    return postorvex::FuzzColumnBlock(data, size);
  });
}
