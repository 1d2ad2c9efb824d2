#include "ConcreteTraceDataFuzzEntry.h"
#include "RepTest.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(ConcreteTraceDataFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  reptest::ReplayKeptFuzzInputs("ConcreteTraceDataFuzz", [](const std::string&, const uint8_t* data, size_t size) {
    return rep::FuzzConcreteTraceData(data, size);
  });
}
