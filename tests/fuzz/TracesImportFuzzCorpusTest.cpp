#include "RepTest.h"
#include "TracesImportFuzzEntry.h"
#include "TracesWithDataFuzzEntry.h"

// Every kept input of the import and export-form fuzz targets, under the sanitizers here. Kept
// inputs are named for what they are; a crash found later may be either.
namespace {

struct Target {
  const char* corpus;
  int (*entry)(const uint8_t*, size_t);
};

const Target kTargets[] = {
    {"ImportTxtFuzz", &rep::FuzzImportTxt},
    {"ImportCsvFuzz", &rep::FuzzImportCsv},
    {"ImportTabFuzz", &rep::FuzzImportTab},
    {"ImportDatFuzz", &rep::FuzzImportDat},
    {"TracesWithDataFuzz", &rep::FuzzTracesWithData},
    {"ReportsWithDataFuzz", &rep::FuzzReportsWithData},
};

TEST(TracesImportFuzzCorpus, EveryKeptInputReadsWithoutHarm) {
  for (const Target& t : kTargets) {
    SCOPED_TRACE(t.corpus);
    reptest::ReplayKeptFuzzInputs(t.corpus, [&t](const std::string& name, const uint8_t* data, size_t size) {
      const int read = t.entry(data, size);
      if (name.rfind("valid_", 0) == 0) {
        EXPECT_EQ(1, read) << name;
      }
      if (name.rfind("damaged_", 0) == 0) {
        EXPECT_EQ(0, read) << name;
      }
      return read;
    });
  }
}

}  // namespace
