#include "OutputVariablesFuzzEntry.h"
#include "RepTest.h"

// Every kept input of the fuzz target goes through the same entry, under the sanitizers here.
TEST(OutputVariablesFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  reptest::ReplayKeptFuzzInputs("OutputVariablesFuzz", [](const std::string&, const uint8_t* data, size_t size) {
    return rep::FuzzOutputVariables(data, size);
  });
}
