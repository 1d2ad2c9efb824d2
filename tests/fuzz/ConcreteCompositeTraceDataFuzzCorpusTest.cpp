#include "ConcreteCompositeTraceDataFuzzEntry.h"
#include "RepTest.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(ConcreteCompositeTraceDataFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  reptest::ReplayKeptFuzzInputs("ConcreteCompositeTraceDataFuzz",
                                [](const std::string&, const uint8_t* data, size_t size) {
                                  return rep::FuzzConcreteCompositeTraceData(data, size);
                                });
}
