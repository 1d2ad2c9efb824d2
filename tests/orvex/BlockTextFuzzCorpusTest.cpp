#include "RepTest.h"
#include "orvex/io/BlockTextFuzzEntry.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(BlockTextFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  reptest::ReplayKeptFuzzInputs("BlockTextFuzz", [](const std::string&, const uint8_t* data, size_t size) {
    return io::FuzzBlockText(data, size);
  });
}
