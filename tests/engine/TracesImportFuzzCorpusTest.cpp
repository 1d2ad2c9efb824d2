#include "RepTest.h"
#include "TracesImportFuzzEntry.h"

// Every kept input of the import and export-form fuzz targets, under the sanitizers here.
TEST(TracesImportFuzzCorpus, EveryKeptInputImportsWithoutHarm) {
  for (const char* ext : {"txt", "csv", "tab", "dat"}) {
    std::string target = std::string("Import") + char(ext[0] - 'a' + 'A') + (ext + 1) + "Fuzz";
    SCOPED_TRACE(target);
    reptest::ReplayKeptFuzzInputs(target.c_str(), [ext](const std::string&, const uint8_t* data, size_t size) {
      return rep::FuzzImportDataFile(ext, data, size);
    });
  }
}

TEST(TracesImportFuzzCorpus, EveryKeptTracesBlockReadsWithoutHarm) {
  reptest::ReplayKeptFuzzInputs("TracesWithDataFuzz", [](const std::string&, const uint8_t* data, size_t size) {
    return rep::FuzzReadTracesWithData(data, size);
  });
}
